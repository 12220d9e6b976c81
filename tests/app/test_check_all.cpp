// "Kontrola všech Qesto" on the offscreen platform, as a person uses it.

#include "ModalDialogs.h"
#include "ProgramRoot.h"
#include "RecordingHelpViewer.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "app/HelpHook.h"
#include "app/HelpKeys.h"
#include "app/Program.h"
#include "app/TKvqForm.h"
#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"
#include "platform/HelpIndex.h"
#include "platform/IniFile.h"
#include "registry/TAu4Form.h"
#include "settlement/AppPaths.h"
#include "statements/FilingChecks.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Cancel = u"Př&erušit"_s;

// A data root of three settlements, the second protected by "Abc", and the
// window over its list.
struct Fixture
{
    Fixture()
    {
        dm.DM1Create(root.fileDir);
        registry::test::createSettlements(root.roots(), messages, dm.openOptions(),
                                          {u"Alfa"_s, u"Beta"_s, u"Gama"_s});
        list = std::make_unique<registry::SettlementList>(root.roots(), messages);
        list->setOpenOptions(dm.openOptions());
        list->attach();
        list->setPassword(2, u"Abc"_s);
        prompt = std::make_unique<registry::TAu4Form>();
        form = std::make_unique<app::TKvqForm>(
            app::CheckAllContext{*list, messages, *prompt, out.path(), false});
        form->setFolderChooser([this](const QString &start) {
            starts.append(start);
            return chosen;
        });
    }

    // Shown, and its first check over.
    void show()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!form->statusLabel()->text().isEmpty() && !form->isRunning());
    }
    QString cell(int row, int column) const { return form->grid()->item(row, column)->text(); }
    void click(const QString &caption) { QTest::mouseClick(form->button(caption), Qt::LeftButton); }
    void clickRow(int row)
    {
        QTableWidget *grid = form->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualItemRect(grid->item(row, 1)).center());
    }
    // The password prompt answered with text and Enter when it comes.
    void typePassword(const QString &text)
    {
        testsupport::whenModal<registry::TAu4Form>(form.get(), [text](registry::TAu4Form *p) {
            QTest::keyClicks(p->passwordEdit(), text);
            QTest::keyClick(p->passwordEdit(), Qt::Key_Return);
        });
    }

    registry::test::Root root;
    QTemporaryDir out;
    platform::ScriptedMessages messages;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    std::unique_ptr<registry::SettlementList> list;
    std::unique_ptr<registry::TAu4Form> prompt;
    std::unique_ptr<app::TKvqForm> form;
    QString chosen;
    QStringList starts;
};

enum Column
{
    Nazev = 1,
    Kontrola = 3,
    Soubor = 4
};

} // namespace

class TestCheckAll : public QObject
{
    Q_OBJECT

private slots:
    void listsEverySettlementWithItsFindings()
    {
        Fixture f;
        f.show();
        QCOMPARE(f.form->property("helpContext").toInt(), 48);
        QCOMPARE(f.form->grid()->rowCount(), 3);
        QVERIFY2(f.cell(0, Kontrola).startsWith(u"nálezů: "_s), qPrintable(f.cell(0, Kontrola)));
        // Nobody is asked for a password the user did not ask to give.
        QCOMPARE(f.cell(1, Kontrola), u"chráněno heslem, přeskočeno"_s);
        QCOMPARE(f.form->statusLabel()->text(),
                 u"Celkem 3 Qesto: 0 v pořádku, 2 s nálezy, 0 s chybou, 1 přeskočeno (heslo)."_s);
        QCOMPARE(f.form->progressBar()->value(), 3);
        QVERIFY(f.messages.shown().isEmpty());

        // The selected settlement's findings, each with its place in the help.
        f.clickRow(2);
        QListWidget *findings = f.form->findingsList();
        QCOMPARE(u"nálezů: %1"_s.arg(findings->count()), f.cell(2, Kontrola));
        for (int i = 0; i < findings->count(); ++i)
            QVERIFY(findings->item(i)->data(platform::HelpAnchorRole).toString().startsWith(u"kontrola-"_s));
        RecordingHelpViewer viewer;
        app::TUseHTMLHelp help(viewer);
        app::HelpKeyFilter keys(help);
        qApp->installEventFilter(&keys);
        const QRect first = findings->visualItemRect(findings->item(0));
        QTest::mouseClick(findings->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(findings->viewport(), Qt::LeftButton, {}, first.center());
        f.form->grid()->setFocus();
        QTest::keyClick(f.form->grid(), Qt::Key_F1);
        qApp->removeEventFilter(&keys);
        QCOMPARE(
            viewer.calls,
            (QStringList{u"anchor %1 48"_s.arg(findings->item(0)->data(platform::HelpAnchorRole).toString()),
                         u"anchor kontroly-vsech 48"_s}));

        f.clickRow(1);
        QCOMPARE(findings->count(), 1);
        QCOMPARE(findings->item(0)->text(), u"chráněno heslem, přeskočeno"_s);
    }

    // "&Kontrolovat" asks for the password in the password prompt; a right
    // one is not asked again while the window is open.
    void checkingAgainAsksForThePassword_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("askedAgain");
        QTest::newRow("right") << u"Abc"_s << u"nálezů: "_s << false;
        QTest::newRow("wrong") << u"abc"_s << u"Neplatné heslo pro toto Qesto."_s << true;
        QTest::newRow("none") << QString() << u"chráněno heslem, přeskočeno"_s << true;
    }
    void checkingAgainAsksForThePassword()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(bool, askedAgain);
        Fixture f;
        f.show();
        f.typePassword(typed);
        f.click(u"&Kontrolovat"_s);
        QVERIFY2(f.cell(1, Kontrola).startsWith(result), qPrintable(f.cell(1, Kontrola)));

        bool asked = false;
        testsupport::whenModal<registry::TAu4Form>(f.form.get(), [&asked](registry::TAu4Form *p) {
            asked = true;
            p->reject();
        });
        f.click(u"&Kontrolovat"_s);
        QCOMPARE(asked, askedAgain);
        QVERIFY(f.messages.shown().isEmpty());
    }

    void pdfAndXmlOfEverySettlementGoToTheChosenFolder()
    {
        Fixture f;
        f.show();
        // No folder chosen: nothing is done.
        f.click(u"&PDF všech..."_s);
        QCOMPARE(f.starts, QStringList{f.out.path()});
        QVERIFY(f.messages.shown().isEmpty());

        f.chosen = f.out.filePath(u"tisk"_s);
        f.typePassword(u"Abc"_s);
        f.click(u"&PDF všech..."_s);
        QCOMPARE(f.cell(1, Soubor), u"zapsáno D2.pdf"_s);
        QCOMPARE(QDir(f.chosen).entryList(QDir::Files), (QStringList{u"D1.pdf"_s, u"D2.pdf"_s, u"D3.pdf"_s}));
        QCOMPARE(
            f.messages.texts(platform::IMessages::Kind::Information),
            QStringList{u"Celkem 3 Qesto: 3 v pořádku, 0 s chybou, 0 přeskočeno (heslo).\n\nSoubory jsou v "
                        u"adresáři %1."_s.arg(QDir::toNativeSeparators(f.chosen))});
        // The next folder choice starts where the last one ended.
        QCOMPARE(f.starts.last(), f.out.path());

        // The filing XML of empty settlements is refused with its reason;
        // the password given is remembered.
        f.messages.clear();
        f.chosen = f.out.filePath(u"podani"_s);
        QTest::mouseClick(f.form->withholdingBox(), Qt::LeftButton);
        QVERIFY(f.form->withholdingBox()->isChecked());
        f.click(u"&XML všech..."_s);
        QCOMPARE(f.starts.last(), f.out.filePath(u"tisk"_s));
        QVERIFY(!f.cell(0, Soubor).isEmpty() && !f.cell(0, Soubor).startsWith(u"zapsáno"_s));
        QVERIFY(QDir(f.chosen).entryList(QDir::Files).isEmpty());
        QVERIFY(f.messages.texts().constFirst().startsWith(u"Celkem 3 Qesto: 0 v pořádku, 3 s chybou"_s));
        // The check's result stays beside the file's.
        QVERIFY(f.cell(0, Kontrola).startsWith(u"nálezů: "_s));
        f.clickRow(0);
        QVERIFY(!f.form->findingsList()->findItems(f.cell(0, Soubor), Qt::MatchExactly).isEmpty());
    }

    // A run is stopped after the settlement being worked on, by the button,
    // Escape, or closing the window, and says how many were done.
    void cancellingStopsAfterTheCurrentSettlement_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Přerušit") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("Zavřít") << 2;
    }
    void cancellingStopsAfterTheCurrentSettlement()
    {
        QFETCH(int, how);
        Fixture f;
        f.show();
        f.chosen = f.out.filePath(u"tisk"_s);
        QVERIFY(!f.form->button(Cancel)->isEnabled());
        bool enabledWhileRunning = false;
        connect(f.form.get(), &app::TKvqForm::progressed, f.form.get(), [&](int index) {
            if (index != 1)
                return;
            enabledWhileRunning =
                f.form->button(Cancel)->isEnabled() && !f.form->button(u"&Kontrolovat"_s)->isEnabled();
            if (how == 0)
                f.click(Cancel);
            else if (how == 1)
                QTest::keyClick(f.form->grid(), Qt::Key_Escape);
            else
                f.click(u"&Zavřít"_s);
        });
        f.click(u"&PDF všech..."_s);
        QVERIFY(enabledWhileRunning);
        QCOMPARE(QDir(f.chosen).entryList(QDir::Files), QStringList{u"D1.pdf"_s});
        QCOMPARE(f.cell(1, Soubor), QString());
        QCOMPARE(f.messages.texts(),
                 QStringList{u"Přerušeno po 1 z 3 Qesto: 1 v pořádku, 0 s chybou, 0 přeskočeno (heslo).\n\n"
                             u"Soubory jsou v adresáři %1."_s.arg(QDir::toNativeSeparators(f.chosen))});
        QCOMPARE(f.form->progressBar()->value(), 1);
        if (how == 2) {
            QTRY_VERIFY(!f.form->isVisible());
            QCOMPARE(f.form->chosenNumber(), 0);
        } else {
            QVERIFY(f.form->isVisible());
            QVERIFY(f.form->button(u"&Kontrolovat"_s)->isEnabled());
        }
    }

    void aSettlementIsChosenToOpen_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("double-click") << 0;
        QTest::newRow("Enter") << 1;
        QTest::newRow("Otevřít") << 2;
    }
    void aSettlementIsChosenToOpen()
    {
        QFETCH(int, how);
        Fixture f;
        f.show();
        QTableWidget *grid = f.form->grid();
        if (how == 0) {
            const QPoint place = grid->visualItemRect(grid->item(2, Nazev)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, place);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, place);
        } else if (how == 1) {
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Down);
            QTest::keyClick(grid, Qt::Key_Down);
            QTest::keyClick(grid, Qt::Key_Return);
        } else {
            f.clickRow(2);
            f.click(u"&Otevřít"_s);
        }
        QTRY_VERIFY(!f.form->isVisible());
        QCOMPARE(f.form->result(), int(QDialog::Accepted));
        QCOMPARE(f.form->chosenNumber(), 3);
    }

    // From the main window's menu by its keys to the settlement chosen in
    // the window, as the program puts them together.
    void theMenuLeadsToTheChosenSettlement()
    {
        testsupport::ProgramRoot root({u"Alfa"_s, u"Beta"_s});
        QStringList seen;
        bool enabledAfter = false;
        {
            app::Program program;
            QTimer poll;
            poll.setInterval(20);
            connect(&poll, &QTimer::timeout, [&] {
                auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                if (!modal || seen.contains(modal->windowTitle()))
                    return;
                if (auto *window = qobject_cast<app::TKvqForm *>(modal)) {
                    if (window->isRunning() || window->statusLabel()->text().isEmpty())
                        return;
                    seen.append(modal->windowTitle());
                    QTableWidget *grid = window->grid();
                    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                      grid->visualItemRect(grid->item(1, Nazev)).center());
                    QTest::keyClick(grid, Qt::Key_Return);
                } else {
                    seen.append(modal->windowTitle());
                    modal->accept(); // the list: "&Otevřít" on D1
                }
            });
            poll.start();
            program.start();
            app::TMainForm *main = program.mainWindow();
            bool done = false;
            connect(main, &app::TMainForm::startupFinished, [&] {
                QTimer::singleShot(50, [&] {
                    QMenu *menu = main->menu(u"DalsiMoznosti1"_s);
                    menu->popup(main->geometry().center());
                    QTest::keyClick(menu, Qt::Key_K);
                    enabledAfter = main->settlementCommandsEnabled();
                    done = true;
                    main->close();
                });
            });
            QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
            QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 20000);
        }
        QCOMPARE(seen, (QStringList{u"Qesto 14.10 - výběr"_s, u"Kontrola všech Qesto"_s}));
        QVERIFY(enabledAfter);
        // Opened as the list opens: the list remembers it as the last one.
        const platform::IniFile local(platform::FileOps::resolve(root.root + u"Qesto.ini"_s));
        QCOMPARE(local.readInteger(u"Vyber", u"Cislo", 0), 2);
        QFile log(root.messagesLog());
        QVERIFY(!log.open(QIODevice::ReadOnly) || log.readAll().isEmpty());
    }
};

QTEST_MAIN(TestCheckAll)
#include "test_check_all.moc"
