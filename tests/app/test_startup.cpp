// The main window's start-up and closing logic on temporary data roots.

#include "ScriptedMessages.h"
#include "app/Startup.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using app::Startup;
using app::WindowPlacement;
using platform::IniFile;
using platform::ScriptedMessages;
using settlement::AppPaths;
using State = WindowPlacement::State;

Q_DECLARE_METATYPE(WindowPlacement)

namespace {

const QString kNoDataDir = u"Chyba při zjišťování adresáře s daty.\nNainstalujte program znovu."_s;
const QString kProgramNewer = u"Máte novější verzi programu než adresář Data.\nNainstalujte program znovu."_s;
const QString kProgramOlder = u"Máte starší verzi programu než adresář Data.\nNainstalujte program znovu."_s;
const QString kInstallNewest = u"Nainstalujte na tento počítač nejnovější verzi programu."_s;
const QString kNoPermission =
    u"Nemáte oprávnění zapisovat do adresáře s daty.\nNainstalujte program znovu."_s;

void touch(const QString &path, const QByteArray &content = {})
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

class RecordingHooks : public app::IStartupHooks
{
public:
    QStringList calls;
    QString chosenRoot;

    void disconnectDatabases() override { calls << u"disconnect"_s; }
    void attachDataRoot(const QString &dir) override { calls << u"attach " + dir; }
    void removeStaleLockFiles(const QString &dir) override { calls << u"locks " + dir; }
    void upgradeListFiles(const QString &dir) override { calls << u"upgrade " + dir; }
    void chooseDataWork(AppPaths &paths) override
    {
        calls << u"choose"_s;
        if (!chosenRoot.isEmpty())
            paths.FileDir = chosenRoot;
    }
    void setBusy(bool busy) override { calls << (busy ? u"busy"_s : u"idle"_s); }
    void previousVersionCheck() override { calls << u"previous"_s; }
    bool openSettlementSelection() override
    {
        calls << u"select"_s;
        return true;
    }
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_local; // stored form, ending with a separator
    QString m_net;

    // A local data root with its list, templates and version, found.
    AppPaths localRoot()
    {
        AppPaths p;
        p.FileDirPrg = m_tmp.path() + u"/prg\\";
        p.FileDirLocal = p.FileDir = p.DataDir = m_local;
        p.dataDirFound = true;
        return p;
    }

    // The start as the main window's creation left it for the local root.
    static void created(Startup &startup, int localVersion = 1410)
    {
        startup.flags().localDataVersion = localVersion;
    }

    void setLocal(const QString &key, const QString &value)
    {
        IniFile(m_local + u"Qesto.ini").writeString(u"Qesto", key, value);
    }

private slots:
    void init()
    {
        QVERIFY(m_tmp.isValid());
        QDir(m_tmp.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_tmp.path()));
        m_local = m_tmp.path() + u"/local/";
        m_net = m_tmp.path() + u"/net/";
        touch(m_local + u"Data.DB");
        touch(m_local + u"Data/Verze.ini", "[Verze]\r\nData=1410\r\n");
        touch(m_local + u"Data/Data.DB", "list template");
        touch(m_local + u"Data/Uziv.DB", "password template");
        for (const char *name : {"Dmt.DB", "Prp.DB", "Vdvl.DB", "Vpkv.DB", "Vpz.DB", "Vpz.PX", "Vvdp.DB",
                                 "Vdvs.DB", "Mzd11.DB", "Mzd11.PX", "Vpkb.DB"})
            touch(m_local + u"Data/" + QLatin1StringView(name), name);
    }

    void warnsAboutAnotherDataVersion_data()
    {
        QTest::addColumn<QByteArray>("verzeIni");
        QTest::addColumn<QString>("message");
        QTest::newRow("no Verze.ini") << QByteArray() << kProgramNewer;
        QTest::newRow("older data") << QByteArray("[Verze]\r\nData=1409\r\n") << kProgramNewer;
        QTest::newRow("same") << QByteArray("[verze]\r\ndata=0x582\r\n") << QString();
        QTest::newRow("newer data") << QByteArray("[Verze]\r\nData=1500\r\n") << kProgramOlder;
    }

    void warnsAboutAnotherDataVersion()
    {
        QFETCH(QByteArray, verzeIni);
        QFETCH(QString, message);
        QFile::remove(m_local + u"Data/Verze.ini");
        if (!verzeIni.isEmpty())
            touch(m_local + u"Data/Verze.ini", verzeIni);
        AppPaths paths = localRoot();
        ScriptedMessages messages;
        RecordingHooks hooks;
        const QString before = QDir::currentPath();
        Startup(paths, messages, hooks).formCreate(QSize(1920, 1080));
        QCOMPARE(QDir::current().canonicalPath(), QDir(m_local).canonicalPath());
        QDir::setCurrent(before);
        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    void placesTheWindow_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<WindowPlacement>("expected");
        const QByteArray stored = "Top=10\r\nLeft=20\r\nWidth=900\r\nHeight=700\r\n";
        QTest::newRow("first run, 640x480")
            << QSize(640, 480) << QByteArray() << WindowPlacement{0, 0, 640, 453, State::Maximized};
        QTest::newRow("first run, 800 wide")
            << QSize(800, 600) << QByteArray() << WindowPlacement{0, 0, 800, 573, State::Maximized};
        QTest::newRow("first run, wide")
            << QSize(1024, 768) << QByteArray() << WindowPlacement{0, 0, 800, 573, State::Normal};
        QTest::newRow("never saved but -1 written")
            << QSize(1024, 768) << QByteArray("Maximized=-1\r\n" + stored)
            << WindowPlacement{0, 0, 800, 573, State::Normal};
        QTest::newRow("normal") << QSize(1024, 768) << QByteArray("Maximized=0\r\n" + stored)
                                << WindowPlacement{10, 20, 900, 700, State::Normal};
        QTest::newRow("maximised") << QSize(1024, 768) << QByteArray("Maximized=1\r\n" + stored)
                                   << WindowPlacement{10, 20, 900, 700, State::Maximized};
        QTest::newRow("other value keeps the state")
            << QSize(700, 480) << QByteArray("Maximized=2\r\n" + stored)
            << WindowPlacement{10, 20, 900, 700, State::Normal};
        QTest::newRow("keys missing keep the size")
            << QSize(1024, 768) << QByteArray("Maximized=0\r\nTop=5\r\n")
            << WindowPlacement{5, 0, 800, 573, State::Normal};
    }

    void placesTheWindow()
    {
        QFETCH(QSize, screen);
        QFETCH(QByteArray, settings);
        QFETCH(WindowPlacement, expected);
        touch(m_local + u"Qesto.ini", "[Qesto]\r\n" + settings + "TypPisma=1\r\n");
        AppPaths paths = localRoot();
        ScriptedMessages messages;
        RecordingHooks hooks;
        const QString before = QDir::currentPath();
        Startup startup(paths, messages, hooks);
        const WindowPlacement p = startup.formCreate(screen);
        QDir::setCurrent(before);
        QCOMPARE(p, expected);
        QCOMPARE(startup.flags().TypPisma, 1);
    }

    void withoutDataDirectoryOnlyTheSizeIsSet()
    {
        AppPaths paths;
        ScriptedMessages messages;
        RecordingHooks hooks;
        Startup startup(paths, messages, hooks);
        QCOMPARE(startup.formCreate(QSize(800, 600)), (WindowPlacement{0, 0, 800, 573, State::Normal}));
        QCOMPARE(startup.formActivate(), Startup::Activation::NoDataDirectory);
        QCOMPARE(messages.texts(), QStringList{kNoDataDir});
        QCOMPARE(startup.formActivate(), Startup::Activation::AlreadyDone);
        QVERIFY(startup.formClose(WindowPlacement{}));
        QVERIFY(hooks.calls.isEmpty());
    }

    void savesThePlacementAtClose()
    {
        AppPaths paths = localRoot();
        ScriptedMessages messages;
        RecordingHooks hooks;
        Startup startup(paths, messages, hooks);
        startup.flags().TypPisma = 1;
        const IniFile ini(m_local + u"Qesto.ini");

        QVERIFY(startup.formClose(WindowPlacement{11, 22, 833, 644, State::Normal}));
        QCOMPARE(ini.readInteger(u"Qesto", u"Maximized", -1), 0);
        QCOMPARE(ini.readInteger(u"Qesto", u"Width", 0), 833);
        // Closing maximised keeps the last normal placement.
        QVERIFY(startup.formClose(WindowPlacement{0, 0, 1920, 1080, State::Maximized}));
        QCOMPARE(ini.readInteger(u"Qesto", u"Maximized", -1), 1);
        QCOMPARE(ini.readInteger(u"Qesto", u"Top", 0), 11);
        QCOMPARE(ini.readInteger(u"Qesto", u"Width", 0), 833);
        QCOMPARE(ini.readInteger(u"Qesto", u"TypPisma", 0), 1);
        QVERIFY(startup.formClose(WindowPlacement{0, 0, 0, 0, State::Normal}));
        QVERIFY(startup.formClose(WindowPlacement{5, 5, 5, 5, State::Minimized}));
        QCOMPARE(ini.readInteger(u"Qesto", u"Maximized", -1), 1);
        QCOMPARE(ini.readInteger(u"Qesto", u"Top", -1), 0);
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(!QFile::exists(m_local + u"Verze.txt"));
    }

    void failedSaveLeavesVerzeTxt()
    {
        QVERIFY(QDir().mkdir(m_local + u"Qesto.ini"));
        AppPaths paths = localRoot();
        ScriptedMessages messages;
        RecordingHooks hooks;
        QVERIFY(!Startup(paths, messages, hooks).formClose(WindowPlacement{1, 2, 3, 4, State::Normal}));
        QVERIFY(QFile::exists(m_local + u"Verze.txt"));
        QCOMPARE(messages.texts(), QStringList{kNoPermission});
    }

    void completesTheStartOnce_data()
    {
        QTest::addColumn<QString>("net");  // "-" for no key
        QTest::addColumn<QString>("path"); // %N network root, %M a missing one
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("onNetwork");

        QTest::newRow("local, chosen before")
            << "0"
            << "" << QStringList{u"previous"_s, u"select"_s} << QStringList() << false;
        QTest::newRow("not chosen yet: the choice window")
            << "-"
            << "" << QStringList{u"choose"_s, u"previous"_s, u"select"_s} << QStringList() << false;
        QTest::newRow("network without a path stays local")
            << "1"
            << "" << QStringList{u"previous"_s, u"select"_s} << QStringList() << false;
        QTest::newRow("network") << "1"
                                 << "%N" << QStringList{u"disconnect"_s, u"attach %N"_s, u"locks %N"_s,
                                                        u"upgrade %N"_s, u"busy"_s,      u"idle"_s,
                                                        u"previous"_s,   u"select"_s}
                                 << QStringList() << true;
        QTest::newRow("network unreachable: local for this run")
            << "1"
            << "%M" << QStringList{u"disconnect"_s, u"attach %L"_s, u"locks %L"_s,
                                   u"upgrade %L"_s, u"previous"_s,  u"select"_s}
            << QStringList{u"Adresář %M\nneexistuje, nebo není dostupný na síťové jednotce."_s} << false;
    }

    void completesTheStartOnce()
    {
        QFETCH(QString, net);
        QFETCH(QString, path);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, texts);
        QFETCH(bool, onNetwork);
        const QString missing = m_tmp.path() + u"/gone\\";
        touch(m_net + u"Data.DB");
        const auto expand = [&](QString s) {
            return s.replace(u"%N"_s, m_net).replace(u"%M"_s, missing).replace(u"%L"_s, m_local);
        };
        if (net != u"-")
            setLocal(u"Net"_s, net);
        setLocal(u"Path"_s, expand(path));

        AppPaths paths = localRoot();
        ScriptedMessages messages;
        RecordingHooks hooks;
        Startup startup(paths, messages, hooks);
        created(startup);
        QCOMPARE(startup.formActivate(), Startup::Activation::Ready);
        for (QString &c : calls)
            c = expand(c);
        for (QString &t : texts)
            t = expand(t);
        QCOMPARE(hooks.calls, calls);
        QCOMPARE(messages.texts(), texts);
        QCOMPARE(paths.FileDir, onNetwork ? m_net : m_local);
        QCOMPARE(paths.FileDirLocal, m_local);
        QVERIFY(!startup.flags().pending);
        QCOMPARE(startup.formActivate(), Startup::Activation::AlreadyDone);
    }

    void refreshesOlderNetworkTemplates()
    {
        touch(m_net + u"Data.DB");
        touch(m_net + u"Data/Verze.ini", "[Verze]\r\nData=1300\r\n");
        touch(m_net + u"Data/Vdvl.DB", "old template");
        AppPaths paths = localRoot();
        paths.FileDir = m_net;
        ScriptedMessages messages;
        RecordingHooks hooks;
        Startup startup(paths, messages, hooks);
        created(startup);
        QVERIFY(startup.refreshNetworkTemplates());
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(startup.flags().networkDataVersion, 1300);
        QCOMPARE(Startup::readDataVersion(m_net), 1410);
        QFile vdvl(m_net + u"Data/Vdvl.DB");
        QVERIFY(vdvl.open(QIODevice::ReadOnly));
        QCOMPARE(vdvl.readAll(), QByteArray("Vdvl.DB"));
        QCOMPARE(QFile(m_net + u"Data/Uziv.DB").size(), QFile(m_local + u"Data/Uziv.DB").size());
        // Absent list templates are skipped, not created.
        QVERIFY(!QFile::exists(m_net + u"Data/Data.PX"));
    }

    void newerNetworkTemplatesAreLeftAlone()
    {
        touch(m_net + u"Data.DB");
        touch(m_net + u"Data/Verze.ini", "[Verze]\r\nData=1500\r\n");
        AppPaths paths = localRoot();
        paths.FileDir = m_net;
        ScriptedMessages messages;
        RecordingHooks hooks;
        Startup startup(paths, messages, hooks);
        created(startup);
        QVERIFY(startup.refreshNetworkTemplates());
        QCOMPARE(messages.texts(), QStringList{kInstallNewest});
        QVERIFY(!QFile::exists(m_net + u"Data/Vdvl.DB"));
        QVERIFY(!hooks.calls.contains(u"busy"_s));
    }

    void incompleteTemplateCopyKeepsTheOldVersion()
    {
        touch(m_net + u"Data.DB");
        QFile::remove(m_local + u"Data/Vpkb.DB");
        AppPaths paths = localRoot();
        paths.FileDir = m_net;
        ScriptedMessages messages;
        RecordingHooks hooks;
        Startup startup(paths, messages, hooks);
        created(startup);
        QVERIFY(!startup.refreshNetworkTemplates());
        QVERIFY(QFileInfo(m_net + u"Data").isDir());
        QCOMPARE(Startup::readDataVersion(m_net), 0);
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(messages.texts().front().contains(u"Vpkb.DB"));
        QCOMPARE(hooks.calls, (QStringList{u"busy"_s, u"idle"_s}));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
