// The help as a reader meets it: every link and picture of the help folder
// resolves, every box of the statement forms and every check before filing
// has its place in the help, the search finds boxes by their printed names
// with or without diacritics, and F1 in every window and page of the running
// program opens a topic at the place the control asks for.

#include "ProgramRoot.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "app/HelpKeys.h"
#include "app/Program.h"
#include "app/TKvqForm.h"
#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "platform/FileOps.h"
#include "platform/HelpIndex.h"
#include "platform/HelpViewer.h"
#include "settlement/AppPaths.h"
#include "statements/AnnexLayout.h"
#include "statements/FilingChecks.h"
#include "statements/FormLayout.h"
#include "statements/FormPages.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QString helpDir()
{
    return QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/../../help"_s;
}

const platform::HelpIndex &helpIndex()
{
    static const platform::HelpIndex index = platform::HelpIndex::load(helpDir());
    return index;
}

// Copies the help folder (with its pictures) to where the program looks for it.
void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &f : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(f.fileName());
        if (f.isDir())
            copyTree(f.filePath(), target);
        else
            QFile::copy(f.filePath(), target);
    }
}

platform::HelpViewer *runningViewer()
{
    for (QWidget *w : QApplication::allWidgets()) {
        if (auto *viewer = qobject_cast<platform::HelpViewer *>(w))
            return viewer;
    }
    return nullptr;
}

bool boxesExplainedOneByOne(const QWidget *window)
{
    return !window->property("helpPrefix").toString().isEmpty() ||
           window->findChild<statements::FormPages *>() != nullptr;
}

bool isBoundBox(const QWidget *w)
{
    const QString name = w->objectName();
    return name.startsWith(u"DBEdit"_s) || name.startsWith(u"DBCheckBox"_s) ||
           name.startsWith(u"DBComboBox"_s);
}

// Presses F1 on every control a person can reach in the window, page by
// page; gives, one line each, where the help did not open at the place the
// control asks for.
QStringList walkF1(QWidget *window)
{
    const platform::HelpIndex &index = helpIndex();
    QStringList wrong;
    QList<QTabWidget *> tabs = window->findChildren<QTabWidget *>();
    if (tabs.isEmpty())
        tabs.append(nullptr);
    for (QTabWidget *tab : std::as_const(tabs)) {
        for (int page = 0; page < (tab ? tab->count() : 1); ++page) {
            if (tab)
                tab->setCurrentIndex(page);
            QList<QWidget *> controls = window->findChildren<QWidget *>();
            controls.prepend(window);
            for (QWidget *w : std::as_const(controls)) {
                // The help window, lent to the modal window, is not its control.
                if (w->window() != window)
                    continue;
                if (w != window &&
                    (!w->isVisibleTo(window) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)))
                    continue;
                if (tab && w != window && tab->isAncestorOf(w) && !tab->currentWidget()->isAncestorOf(w))
                    continue;
                // The help took the focus at the last F1; the person clicks back.
                window->activateWindow();
                if (!QTest::qWaitForWindowActive(window, 2000)) {
                    wrong.append(window->windowTitle() + u": the window cannot be activated"_s);
                    return wrong;
                }
                w->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(w, Qt::Key_F1);
                platform::HelpViewer *viewer = runningViewer();
                const QString where =
                    window->windowTitle() + u" / "_s +
                    (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                               : w->objectName());
                const QString anchor = app::HelpKeyFilter::anchorOf(w);
                const int context = app::HelpKeyFilter::contextOf(w);
                if (anchor.isEmpty() && isBoundBox(w) && boxesExplainedOneByOne(window)) {
                    wrong.append(where + u": the box has no place in the help"_s);
                    continue;
                }
                const QString file =
                    anchor.isEmpty() ? index.fileForContext(context) : index.fileForAnchor(anchor);
                if (file.isEmpty()) {
                    wrong.append(
                        where +
                        u": nothing in the help for anchor \"%1\", context %2"_s.arg(anchor).arg(context));
                    continue;
                }
                if (!viewer || !viewer->isVisible() || viewer->currentFile() != file ||
                    viewer->currentAnchor() != anchor)
                    wrong.append(where + u": F1 opened %1#%2, not %3#%4"_s.arg(
                                             viewer ? viewer->currentFile() : QString(),
                                             viewer ? viewer->currentAnchor() : QString(), file, anchor));
            }
        }
    }
    return wrong;
}

// Double-clicks the first entry of a list of findings; gives where the help
// went wrong, or nothing.
QString doubleClickFinding(QWidget *window, const QString &listName)
{
    auto *list = window->findChild<QListWidget *>(listName);
    if (!list || list->count() == 0)
        return window->windowTitle() + u": no findings in "_s + listName;
    // The walk may have left another page in front.
    for (QTabWidget *tab : window->findChildren<QTabWidget *>()) {
        for (int page = 0; page < tab->count(); ++page) {
            if (tab->widget(page)->isAncestorOf(list))
                tab->setCurrentIndex(page);
        }
    }
    const QString anchor = list->item(0)->data(platform::HelpAnchorRole).toString();
    // The person double-clicks in the window in front of them.
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return window->windowTitle() + u": the window cannot be activated"_s;
    const QRect place = list->visualItemRect(list->item(0));
    // A double-click is a click and then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
    platform::HelpViewer *viewer = runningViewer();
    if (anchor.isEmpty() || !viewer || viewer->currentAnchor() != anchor ||
        viewer->currentFile() != helpIndex().fileForAnchor(anchor))
        return window->windowTitle() + u": a double-click on \"%1\" opened %2#%3"_s.arg(
                                           list->item(0)->text(), viewer ? viewer->currentFile() : QString(),
                                           viewer ? viewer->currentAnchor() : QString());
    return {};
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void linksAndPicturesResolve()
    {
        const platform::HelpIndex &index = helpIndex();
        QVERIFY(index.topics().size() >= 25);
        QStringList dead;
        for (const platform::HelpTopic &t : index.topics()) {
            for (const QString &link : t.links) {
                if (link.startsWith(u"http"_s) || link.startsWith(u"mailto:"_s))
                    continue;
                const QString file = link.section(u'#', 0, 0);
                const QString anchor = link.section(u'#', 1);
                const QString target = file.isEmpty() ? t.file : file;
                if (!QFileInfo::exists(QDir(helpDir()).filePath(target)))
                    dead.append(t.file + u" -> "_s + link);
                else if (!anchor.isEmpty() && index.fileForAnchor(anchor) != target)
                    dead.append(t.file + u" -> "_s + link);
            }
            for (const QString &picture : t.images) {
                if (!QFileInfo::exists(QDir(helpDir()).filePath(picture)))
                    dead.append(t.file + u" picture "_s + picture);
            }
        }
        QVERIFY2(dead.isEmpty(), qPrintable(dead.join(u'\n')));

        // One anchor, one place: a name used twice would open an arbitrary one.
        QHash<QString, QString> seen;
        for (const platform::HelpTopic &t : index.topics()) {
            for (const platform::HelpPlace &p : t.places) {
                if (p.anchor.isEmpty())
                    continue;
                QVERIFY2(!seen.contains(p.anchor),
                         qPrintable(p.anchor + u" in "_s + t.file + u" and "_s + seen.value(p.anchor)));
                seen.insert(p.anchor, t.file);
            }
        }
    }

    void everyFormBoxHasAPlace_data()
    {
        QTest::addColumn<QString>("table");
        for (const char *table : {"Vdvl", "Vdvs", "Vpkv", "Vpkb"})
            QTest::newRow(table) << QString::fromLatin1(table);
    }

    void everyFormBoxHasAPlace()
    {
        QFETCH(QString, table);
        const statements::FormLayout layout = table == u"Vdvl"_s   ? statements::vdvlLayout()
                                              : table == u"Vdvs"_s ? statements::vdvsLayout()
                                              : table == u"Vpkv"_s ? statements::vpkvLayout()
                                                                   : statements::vpkbLayout();
        QStringList missing;
        for (const statements::FormPage &page : layout.pages) {
            for (const statements::FormCell &cell : page.cells) {
                if (!cell.isBox())
                    continue;
                const QString anchor = layout.anchorOf(cell);
                if (anchor.isEmpty() || helpIndex().fileForAnchor(anchor).isEmpty())
                    missing.append(cell.text + u" -> "_s + anchor);
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
    }

    void boxesOfOneColumnShareTheirPlace()
    {
        // The box of sl. 9 in March and its year's total open the same
        // explanation; the recapitulation's lines open their own.
        const statements::FormLayout layout = statements::vdvlLayout();
        QCOMPARE(layout.anchorOf(*layout.box(u"Sla53"_s)), u"vdvl-sl9"_s);
        QCOMPARE(layout.anchorOf(*layout.box(u"Sla513"_s)), u"vdvl-sl9"_s);
        QCOMPARE(layout.anchorOf(*layout.box(u"C410"_s)), u"vdvl-r10"_s);
        QCOMPARE(layout.anchorOf(*layout.box(u"C106a"_s)), u"vdvl-r06a"_s);
        QCOMPARE(statements::vpkvLayout().anchorOf(*statements::vpkvLayout().box(u"C155a"_s)), u"vpkv-sl6"_s);
    }

    void everyCheckExplainsItself()
    {
        QStringList missing;
        QSet<QString> ids;
        for (const statements::FilingCheck &c : statements::filingCheckList()) {
            ids.insert(c.id);
            if (helpIndex().fileForAnchor(statements::filingCheckAnchor(c.id)) != u"kontroly.html"_s)
                missing.append(c.id);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
        QCOMPARE(ids.size(), statements::filingCheckList().size());

        // What the checks find carries its name.
        statements::FilingData d;
        d.taxYear = 2015;
        const QList<statements::FilingIssue> issues = statements::checkForFiling(d);
        QVERIFY(!issues.isEmpty());
        for (const statements::FilingIssue &i : issues)
            QVERIFY2(ids.contains(i.check), qPrintable(i.text));
    }

    void topicsAreReadWithTheirPlaces()
    {
        const platform::HelpTopic t = platform::HelpIndex::parseTopic(
            u"t.html"_s,
            u"<html><head><title>Téma &ndash; A</title><meta name=\"context\" content=\"7, 8\">"
            u"</head><body><p>Úvod <a href=\"x.html#y\">odkaz</a></p>"
            u"<h4><a name=\"a-1\"></a><a name=\"a-2\"></a>sl. 9 &ndash; Částka</h4><p>Text <b>jedna</b>.</p>"
            u"<dt><a name=\"b\"></a>Hlášení</dt><dd>Vysvětlení<img src=\"obr/p.png\"></dd></body></html>"_s);
        QCOMPARE(t.title, u"Téma – A"_s);
        QCOMPARE(t.contexts, (QList<int>{7, 8}));
        QCOMPARE(t.places.size(), 4);
        QCOMPARE(t.places[0].anchor, QString());
        QCOMPARE(t.places[0].text, u"Úvod odkaz"_s);
        QCOMPARE(t.places[1].anchor, u"a-1"_s);
        QCOMPARE(t.places[1].label, u"sl. 9 – Částka"_s);
        QCOMPARE(t.places[2].label, u"sl. 9 – Částka"_s);
        QCOMPARE(t.places[3].label, u"Hlášení"_s);
        QCOMPARE(t.places[3].text, u"Hlášení Vysvětlení"_s);
        QCOMPARE(t.links, QStringList{u"x.html#y"_s});
        QCOMPARE(t.images, QStringList{u"obr/p.png"_s});
    }

    void searchFindsBoxesAndText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("anchor"); // of one of the first three hits
        QTest::newRow("box name") << u"sl. 9"_s << u"vyuctovani-cast1.html"_s << u"vdvl-sl9"_s;
        QTest::newRow("line without diacritics") << u"r. 10"_s << u"vyuctovani-cast2.html"_s << u"vdvl-r10"_s;
        QTest::newRow("DIČ typed plainly") << u"dic"_s << u"firma.html"_s << u"firma-dic"_s;
        QTest::newRow("keyword") << u"přeplat"_s << u"vyuctovani-preplatky.html"_s << QString();
        QTest::newRow("upper case, no accents")
            << u"KOD OBCE"_s << u"pocet-zamestnancu.html"_s << u"vpz-n6"_s;
        QTest::newRow("words of the text only") << u"duplexu"_s << u"tisk.html"_s << u"tisk-parametry"_s;
        QTest::newRow("message text") << u"jiny uzivatel"_s << u"chyby.html"_s << u"chyba-tabulky"_s;
    }

    void searchFindsBoxesAndText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        QFETCH(QString, anchor);
        const QList<platform::HelpHit> hits = helpIndex().search(typed);
        QStringList top;
        for (const platform::HelpHit &hit : hits.mid(0, 3))
            top.append(hit.file + u'#' + hit.anchor);
        QVERIFY2(top.contains(file + u'#' + anchor), qPrintable(top.join(u", "_s)));
        QVERIFY(helpIndex().search(u"xqzw"_s).isEmpty());
    }

    void typingNarrowsTheListAndEnterOpensTheHit()
    {
        platform::HelpViewer viewer(helpDir());
        viewer.showDefault();
        auto *search = viewer.findChild<QLineEdit *>(u"search"_s);
        QVERIFY(search);
        const int all = viewer.listedLabels().size();
        QTest::keyClicks(search, u"sl. 11"_s);
        QVERIFY(viewer.listedLabels().size() < all);
        QVERIFY(viewer.listedLabels().first().startsWith(u"sl. 11"_s));
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(viewer.currentFile(), u"vyuctovani-cast1.html"_s);
        QCOMPARE(viewer.currentAnchor(), u"vdvl-sl11"_s);
        search->clear();
        QCOMPARE(viewer.listedLabels().size(), all);

        viewer.showAnchor(u"kontrola-obec-tvar"_s, 16);
        QCOMPARE(viewer.currentFile(), u"kontroly.html"_s);
        QCOMPARE(viewer.currentAnchor(), u"kontrola-obec-tvar"_s);
        // An anchor the help lacks falls back to the window's topic.
        viewer.showAnchor(u"neni-nikde"_s, 16);
        QCOMPARE(viewer.currentFile(), u"pocet-zamestnancu.html"_s);
    }

    void f1InEveryWindowOpensItsPlace()
    {
        testsupport::ProgramRoot root({u"Firma"_s});
        const QString installedHelp = QCoreApplication::applicationDirPath() + u"/help"_s;
        QDir(installedHelp).removeRecursively();
        copyTree(helpDir(), installedHelp);

        QStringList wrong;
        QStringList walked;
        {
            app::Program program;
            QPointer<QWidget> last;
            bool listOpened = false;
            QTimer poll;
            poll.setInterval(20);
            connect(&poll, &QTimer::timeout, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                if (!modal || modal == last || qobject_cast<platform::HelpViewer *>(modal))
                    return;
                // The window over every settlement is walked once its first
                // check is over.
                if (auto *all = qobject_cast<app::TKvqForm *>(modal);
                    all && (all->isRunning() || all->statusLabel()->text().isEmpty()))
                    return;
                // A window just opened may not have the focus yet.
                if (!modal->isActiveWindow()) {
                    modal->activateWindow();
                    return;
                }
                last = modal;
                walked.append(modal->windowTitle());
                wrong += walkF1(modal);
                // The findings of the checks explain themselves (the new
                // settlement has no tax number, for one).
                const QString finding =
                    modal->windowTitle() == u"Tisk"_s || modal->windowTitle() == u"Kontrola všech Qesto"_s
                        ? doubleClickFinding(modal, u"ListKontrola"_s)
                    : modal->windowTitle() == u"Elektronické podání (XML)"_s
                        ? doubleClickFinding(modal, u"ListVysledek"_s)
                        : QString();
                if (!finding.isEmpty())
                    wrong.append(finding);
                auto *dialog = qobject_cast<QDialog *>(modal);
                QTimer::singleShot(0, modal, [&, dialog, modal] {
                    if (dialog && dialog->windowTitle().endsWith(u" - výběr"_s) && !listOpened) {
                        // The list's own dialogs, then the settlement.
                        listOpened = true;
                        // Ctrl+N and Ctrl+I, through the list's own shortcuts:
                        // the offscreen platform does not always hand the
                        // window the activation they wait for.
                        for (const Qt::Key key : {Qt::Key_N, Qt::Key_I}) {
                            for (QShortcut *s : dialog->findChildren<QShortcut *>()) {
                                if (s->key() == QKeySequence(Qt::CTRL | key))
                                    emit s->activated();
                            }
                        }
                        dialog->accept();
                    } else if (dialog) {
                        dialog->reject();
                    } else {
                        modal->close();
                    }
                });
            });
            poll.start();
            program.start();
            app::TMainForm *main = program.mainWindow();
            bool done = false;
            connect(main, &app::TMainForm::startupFinished, [&] {
                QTimer::singleShot(100, [&] {
                    wrong += walkF1(main);
                    for (app::Command c :
                         {app::Command::UdajeOFirme, app::Command::DanZavisla, app::Command::PocetZamestnancu,
                          app::Command::Opravy, app::Command::OpravyBonusu, app::Command::DanSrazkou,
                          app::Command::Tisk, app::Command::ElektronickePodani, app::Command::Zalohovani,
                          app::Command::Obnoveni, app::Command::Gavrel, app::Command::KontrolaVsech})
                        main->action(c)->trigger();
                    done = true;
                    main->close();
                });
            });
            QTRY_VERIFY_WITH_TIMEOUT(done, 120000);
            QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 20000);
        }
        QDir(installedHelp).removeRecursively();

        for (const QString &title :
             {u"Výběr práce s daty"_s, u"Informace"_s, u"Údaje o firmě"_s,
              u"Vyúčtování daně z příjmů ze závislé činnosti"_s, u"Počet zaměstnanců"_s,
              u"Příloha k vyúčtování - opravy"_s, u"Příloha k vyúčtování - opravy bonusu"_s,
              u"Vyúčtování daně vybírané srážkou"_s, u"Tisk"_s, u"Elektronické podání (XML)"_s,
              u"Zálohování dat"_s, u"Obnovení dat"_s, u"Přenos údajů z programu Gavrel"_s,
              u"Kontrola všech Qesto"_s})
            QVERIFY2(walked.contains(title),
                     qPrintable(title + u" not reached; reached: "_s + walked.join(u", "_s)));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
