// The main window on the offscreen platform: the enabling of the commands
// with and without an open settlement, the status bar, the hints, the
// caption, the command keys and the help.

#include "MainWindowFixture.h"
#include "RecordingHelpViewer.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "app/HelpHook.h"
#include "app/HelpKeys.h"
#include "app/Program.h"
#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "paradox/Error.h"
#include "platform/FileOps.h"
#include "platform/HelpViewer.h"
#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "print/Layout.h"
#include "print/TPrevForm.h"
#include "registry/SettlementList.h"
#include "registry/TAu4Form.h"
#include "registry/TAuto1Form.h"
#include "settlement/AppPaths.h"
#include "settlement/SettlementOpening.h"
#include "widgets/TEvzhDtForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using app::Command;
using app::TMainForm;

namespace {

template <class Window> QWidget *onlyChild(QWidget *parent)
{
    const QList<Window *> all = parent->findChildren<Window *>(Qt::FindDirectChildrenOnly);
    return all.size() == 1 ? all.first() : nullptr;
}

// The main window with every command attached to a recorder.
class Fixture : public apptest::MainWindowFixture
{
public:
    Fixture() : help(viewer)
    {
        selection.directory.clear();
        main.setHelp(&help);
        for (Command c : {Command::NastaveniTisku, Command::UdajeOFirme, Command::Zalohovani,
                          Command::Obnoveni, Command::NovyRok, Command::Gavrel, Command::SeznamFirem,
                          Command::KontrolaVsech, Command::ElektronickePodani})
            main.setCommandHandler(c, [this, c] {
                ran.append(c);
                return true;
            });
        for (int kind = 1; kind <= 6; ++kind)
            main.attachStatementWindow(statements::StatementKind(kind), [this, kind] {
                kinds.append(kind);
                return statements::StatementKind::None;
            });
    }
    ~Fixture() { main.setHelp(nullptr); }

    RecordingHelpViewer viewer;
    app::TUseHTMLHelp help;
    QList<Command> ran;
    QList<int> kinds;
};

QStringList enabledCommands(const TMainForm &main)
{
    QStringList names;
    for (const app::MenuDef &menu : app::menuTree()) {
        for (const app::MenuItemDef &item : menu.items) {
            if (item.isSeparator())
                continue;
            const QMenu *m = main.menu(menu.name);
            if (m->menuAction()->isEnabled() && main.action(item.command)->isEnabled())
                names.append(item.name);
        }
    }
    return names;
}

const QStringList AlwaysAvailable = {u"VyberQesto1"_s, u"Konec1"_s, u"NavodKProgramu1"_s};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void commandsFollowTheOpenSettlement()
    {
        Fixture f;
        f.main.TypDp1();
        QCOMPARE(enabledCommands(f.main), AlwaysAvailable);
        QVERIFY(!f.main.speedButton(Command::UdajeOFirme)->isEnabled());
        QVERIFY(!f.main.speedButton(Command::DanZavisla)->isEnabled());
        QVERIFY(!f.main.linkLabel()->isEnabled());
        for (const QString &name : {u"SpolecneUdaje1"_s, u"Qesto1"_s, u"DalsiMoznosti1"_s})
            QVERIFY2(!f.main.menu(name)->menuAction()->isEnabled(), qPrintable(name));

        f.open();
        QVERIFY(f.messages.shown().isEmpty());
        QStringList all;
        for (const app::MenuDef &menu : app::menuTree())
            for (const app::MenuItemDef &item : menu.items)
                if (!item.isSeparator())
                    all.append(item.name);
        QCOMPARE(enabledCommands(f.main), all);
        QVERIFY(f.main.speedButton(Command::UdajeOFirme)->isEnabled());
        QVERIFY(f.main.linkLabel()->isEnabled());

        // A settlement that cannot be opened leaves only the three.
        f.open(u"D9"_s);
        QCOMPARE(f.messages.texts().size(), 1);
        QVERIFY(f.messages.texts().constFirst().startsWith(u"Nepodařilo se otevřít všechny tabulky.\n"_s));
        QCOMPARE(enabledCommands(f.main), AlwaysAvailable);
    }

    void commandWithoutItsWindowStaysDisabled()
    {
        Fixture f;
        TMainForm bare(f.paths, f.messages);
        bare.setOpening(&f.opening);
        bare.setDataModule(&f.dm);
        f.selection.directory = u"D1"_s;
        bare.VyberDanoveho();
        QVERIFY(bare.menu(u"Qesto1"_s)->menuAction()->isEnabled());
        QVERIFY(!bare.action(Command::DanSrazkou)->isEnabled());
        bare.attachStatementWindow(statements::StatementKind::Withholding,
                                   [] { return statements::StatementKind::None; });
        QVERIFY(bare.action(Command::DanSrazkou)->isEnabled());
    }

    void statusBarWidths_data()
    {
        QTest::addColumn<int>("barWidth");
        QTest::addColumn<int>("firstPanel");
        QTest::newRow("narrow") << 400 << 324;
        QTest::newRow("at the limit") << 450 << 324;
        QTest::newRow("just over") << 451 << 325;
        QTest::newRow("wide") << 800 << 674;
    }

    void statusBarWidths()
    {
        QFETCH(int, barWidth);
        QFETCH(int, firstPanel);
        settlement::AppPaths paths;
        platform::ScriptedMessages messages;
        TMainForm main(paths, messages);
        main.show();
        main.resize(barWidth, 453);
        QTRY_COMPARE(main.statusPanels()->width(), barWidth);
        QCOMPARE(main.statusPanels()->panelWidth(0), firstPanel);
        QCOMPARE(main.statusPanels()->panelWidth(1), 75);
        QCOMPARE(main.statusPanels()->panelWidth(2), 35);
    }

    void hintsCaptionAndRecordTexts()
    {
        Fixture f;
        QStatusTipEvent tip(u"Tisk vyúčtování"_s);
        QApplication::sendEvent(&f.main, &tip);
        QCOMPARE(f.main.statusPanels()->text(0), u"Tisk vyúčtování"_s);
        QCOMPARE(f.main.speedButton(Command::DanZavisla)->toolTip(), u"Qesto"_s);
        QCOMPARE(f.main.speedButton(Command::UdajeOFirme)->statusTip(), u"Údaje o firmě"_s);

        f.open();
        QCOMPARE(f.main.windowTitle(), u"Qesto 14.10"_s);
        data::Dataset &prp = f.dm.Prp();
        prp.edit();
        f.dm.StatusEdit(prp);
        QCOMPARE(f.main.statusPanels()->text(2), u"EDIT"_s);
        f.dm.field(u"PrpOjv"_s)->setAsString(u"Stavby s.r.o."_s);
        prp.post();
        f.dm.StatusEdit(prp);
        f.dm.Zaznam(prp, 1);
        QCOMPARE(f.main.statusPanels()->text(1), u"1/1"_s);
        f.dm.NazevDp1();
        QCOMPARE(f.main.windowTitle(), u"Qesto 14.10 - Stavby s.r.o."_s);
        QCOMPARE(f.main.statusPanels()->text(2), QString());
        QCOMPARE(f.main.archiveBaseName(), u"Stavby s.r.o."_s);
    }

    // What the data module reports, in the panels and words of the window.
    void employeeListInThePanels()
    {
        Fixture f;
        f.open();
        const auto panels = [&f] {
            return QStringList{f.main.statusPanels()->text(1), f.main.statusPanels()->text(2)};
        };
        QCOMPARE(panels(), (QStringList{QString(), QString()}));
        data::Dataset &vpz = f.dm.Vpz();
        vpz.append();
        QCOMPARE(panels(), (QStringList{u"Nový záznam"_s, u"EDIT"_s}));
        f.dm.field(u"VpzN3"_s)->setAsString(u"Dílna"_s);
        vpz.post();
        QCOMPARE(panels(), (QStringList{u"1/1"_s, QString()}));
        vpz.deleteRecord();
        QCOMPARE(panels(), (QStringList{u"0/0"_s, QString()}));

        f.dm.status().message(u"Hotovo."_s);
        QCOMPARE(f.main.statusPanels()->text(0), u"Hotovo."_s);
        f.dm.status().clear();
        QCOMPARE(f.main.statusPanels()->text(0), QString());
        QCOMPARE(panels(), (QStringList{QString(), QString()}));
    }

    // No settlement is open while the list is shown, nor after an opening
    // that failed: the caption names none.
    void captionWithoutASettlement()
    {
        Fixture f;
        f.selection.main = &f.main;
        f.open();
        f.dm.NazevDp1();
        data::Dataset &prp = f.dm.Prp();
        prp.edit();
        f.dm.field(u"PrpOjv"_s)->setAsString(u"Stavby s.r.o."_s);
        prp.post();
        f.dm.NazevDp1();
        QCOMPARE(f.main.windowTitle(), u"Qesto 14.10 - Stavby s.r.o."_s);

        f.open(u"D7"_s);
        QCOMPARE(f.selection.captionWhileChoosing, u"Qesto 14.10"_s);
        QCOMPARE(f.main.windowTitle(), u"Qesto 14.10"_s);
        QCOMPARE(f.messages.texts(platform::IMessages::Kind::Error).size(), 1);
        QVERIFY(f.messages.texts().first().startsWith(u"Nepodařilo se otevřít všechny tabulky.\nAdresář "_s));

        // Nothing chosen: the reason says so, not that the data root is missing.
        f.messages.clear();
        f.open(QString());
        QCOMPARE(f.messages.texts(),
                 QStringList{u"Nepodařilo se otevřít všechny tabulky.\nNení vybráno žádné Qesto."_s});
    }

    void commandKeysAndDispatch()
    {
        Fixture f;
        f.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.main));
        f.open();
        f.main.setStatusText(0, u"zpráva"_s);
        f.main.setStatusText(1, u"1/1"_s);
        QTest::keyClick(&f.main, Qt::Key_F6);
        QCOMPARE(f.kinds, QList<int>{5});
        QCOMPARE(f.main.statusPanels()->text(0), QString());
        QCOMPARE(f.main.statusPanels()->text(1), QString());

        f.main.speedButton(Command::DanZavisla)->click();
        f.main.action(Command::OpravyBonusu)->trigger();
        QCOMPARE(f.kinds, (QList<int>{5, 1, 6}));

        // The transfer ending with OK goes on to the employment statement.
        f.main.action(Command::Gavrel)->trigger();
        QCOMPARE(f.ran, QList<Command>{Command::Gavrel});
        QCOMPARE(f.kinds.last(), 1);

        f.main.linkLabel()->setFocus();
        QTest::mouseClick(f.main.linkLabel(), Qt::LeftButton);
        QCOMPARE(f.ran.last(), Command::Zalohovani);
    }

    void failingCommandsShowTheirMessage_data()
    {
        QTest::addColumn<int>("layer");
        QTest::newRow("table engine") << 0;
        QTest::newRow("dataset") << 1;
        QTest::newRow("page layout") << 2;
    }

    void failingCommandsShowTheirMessage()
    {
        // Whatever layer a command fails in, the dispatch shows its Czech
        // text and the window stays usable.
        QFETCH(int, layer);
        Fixture f;
        f.open();
        const QString text = u"Tabulka Prp.DB je poškozená: blok 3 chybí."_s;
        f.main.setCommandHandler(Command::Zalohovani, [&]() -> bool {
            if (layer == 0)
                throw paradox::TableError(paradox::TableError::Kind::Damaged, text);
            if (layer == 1)
                throw data::DatabaseError(data::DatabaseError::Kind::Engine, text);
            throw print::LayoutError(text);
        });
        f.main.action(Command::Zalohovani)->trigger();
        QCOMPARE(f.messages.texts(), QStringList{text});
        f.main.action(Command::OpravyBonusu)->trigger();
        QCOMPARE(f.kinds, QList<int>{6});
    }

    void f1AsksForTheHelpOfTheSelectedMenuItem()
    {
        Fixture f;
        app::HelpKeyFilter keys(f.help);
        qApp->installEventFilter(&keys);
        f.main.show();
        f.open();
        QMenu *menu = f.main.menu(u"Qesto1"_s);
        menu->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(f.main.action(Command::PocetZamestnancu));
        QTest::keyClick(menu, Qt::Key_F1);
        menu->setActiveAction(f.main.action(Command::Tisk));
        QTest::keyClick(menu, Qt::Key_F1);
        menu->hide();

        // Elsewhere the focused control's context, or the default topic.
        auto *box = new QLabel(&f.main);
        box->setProperty("helpContext", 19);
        box->setFocusPolicy(Qt::StrongFocus);
        box->show();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F1);
        f.main.action(Command::Navod)->trigger();
        qApp->removeEventFilter(&keys);
        QCOMPARE(f.viewer.calls,
                 (QStringList{u"context 16"_s, u"default"_s, u"context 19"_s, u"context 1"_s}));
    }

    void startReachesTheSettlementListAndKonecEnds()
    {
        // The program's own start on a data root in the default place, as
        // the set-up tool makes it.
        QTemporaryDir common;
        qputenv("QESTO_COMMON_APPDATA", QFile::encodeName(common.path()));
        const QString root = platform::FileOps::withTrailingSeparator(common.path()) +
                             settlement::AppPaths::defaultSubdirectory();
        QCOMPARE(data::createDataRoot(root), QString());

        const QString previousDir = QDir::currentPath();
        QList<QPointer<QWidget>> longLived;
        {
            app::Program program;
            // The list runs its own modal loop inside the first
            // activation; a timer answers it from there with "&Konec".
            QString title;
            bool commandsEnabled = true;
            QTimer konec;
            konec.setInterval(10);
            connect(&konec, &QTimer::timeout, [&] {
                if (auto *list = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    title = list->windowTitle();
                    commandsEnabled = program.mainWindow()->settlementCommandsEnabled();
                    list->done(QDialog::Rejected); // "&Konec"
                }
            });
            konec.start();
            program.start();
            // The windows that live for the whole run belong to the main
            // window alone, one of each.
            TMainForm *main = program.mainWindow();
            longLived = {onlyChild<registry::TAuto1Form>(main), onlyChild<registry::TAu4Form>(main),
                         onlyChild<print::TPrevForm>(main), onlyChild<widgets::TEvzhDtForm>(main)};
            for (const QPointer<QWidget> &window : std::as_const(longLived))
                QVERIFY(window);
            QTRY_VERIFY_WITH_TIMEOUT(!program.mainWindow()->isVisible(), 20000);
            QCOMPARE(title, u"Qesto 14.10 - výběr"_s);
            QVERIFY(!commandsEnabled);
            QVERIFY(program.startedNormally());
        }
        for (const QPointer<QWidget> &window : std::as_const(longLived))
            QVERIFY(!window);
        QDir::setCurrent(previousDir);
        qunsetenv("QESTO_COMMON_APPDATA");
        // Closing saved the placement into the local settings.
        const platform::IniFile settings(platform::FileOps::resolve(root + u"Qesto.ini"_s));
        QVERIFY(settings.valueExists(u"Qesto", u"Maximized"));
    }

    void everyHelpContextHasATopic()
    {
        const QString dir = QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/../../help"_s;
        const platform::HelpIndex index = platform::HelpIndex::load(dir);
        QList<int> wanted = {1, 3, 5, 15, 16, 17, 18, 19, 31, 32, 33, 34, 36};
        for (const app::MenuDef &menu : app::menuTree())
            for (const app::MenuItemDef &item : menu.items)
                if (item.helpContext)
                    wanted.append(item.helpContext);
        for (int context : std::as_const(wanted))
            QVERIFY2(!index.fileForContext(context).isEmpty(), qPrintable(QString::number(context)));
        QVERIFY(index.topics().size() >= 12);
        QCOMPARE(index.fileForContext(1), platform::HelpIndex::defaultFile());

        platform::HelpViewer viewer(dir);
        viewer.showContext(16);
        QCOMPARE(viewer.currentFile(), index.fileForContext(16));
        QVERIFY(viewer.isVisible());
        viewer.showContext(999);
        QCOMPARE(viewer.currentFile(), platform::HelpIndex::defaultFile());
        QCOMPARE(index.keywordFor(u"přeplat"_s), u"Přeplatky"_s);
        viewer.closeAll();
        QVERIFY(!viewer.isVisible());

        // Asked for from a modal window, the help is lent to it, so that the
        // modal window does not block it, and outlives it.
        QDialog editor;
        bool lent = false;
        QTimer::singleShot(0, &editor, [&] {
            viewer.showContext(19);
            lent = viewer.parentWidget() == &editor && viewer.isVisible();
            editor.accept();
        });
        editor.exec();
        QVERIFY(lent);
        QCOMPARE(viewer.parentWidget(), nullptr);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.currentFile(), index.fileForContext(19));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
