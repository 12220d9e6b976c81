// The backup and restore windows on the offscreen platform: the path box and
// its remembered paths, the location buttons, the custom folder, the
// messages of both actions and the progress bar.

#include "BackupFixture.h"

#include "ScriptedMessages.h"
#include "backup/TExdForm.h"
#include "platform/IniFile.h"
#include "settlement/AppPaths.h"
#include "settlement/BackupPaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace backuptest;
using A = platform::IMessages::Answer;

namespace {

struct Setup
{
    Setup()
    {
        paths.FileDir = paths.FileDirLocal = platform::FileOps::withTrailingSeparator(f.root);
        paths.CommonAppData = f.tmp.path() + u"/common"_s;
        paths.Personal = f.tmp.path() + u"/documents"_s;
        place.dirName = u"D1"_s;
        place.settlementDir = paths.FileDir + u"D1"_s;
        place.iniFile = f.dir + u"/D1.ini"_s;
        place.companyFileName = u"Stavby Novák s.r.o."_s;
        context.dm = &f.dm;
        context.messages = &messages;
        context.reopen = f.reopening();
        context.ini = {place.iniFile, u"D1"_s};
        context.clearStatus = [this] { ++statusCleared; };
    }
    template <class W> std::unique_ptr<W> window() { return std::make_unique<W>(templates, place, context); }

    Fixture f;
    settlement::AppPaths paths;
    settlement::AppPathTemplates templates{paths};
    backup::SettlementPlace place;
    platform::ScriptedMessages messages;
    backup::ArchiveWindowContext context;
    int statusCleared = 0;
};

} // namespace

class TestArchiveWindow : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheDataFolderDefault()
    {
        Setup s;
        auto w = s.window<backup::TExdForm>();
        QCOMPARE(w->windowTitle(), u"Zálohování dat"_s);
        QCOMPARE(w->pathBox()->currentText(), u"%AdresarDat%\\Morvatek\\Qesto 2015\\Zaloha\\D1.zip"_s);
        QCOMPARE(w->fullPathBox()->text(),
                 platform::FileOps::nativePath(s.paths.CommonAppData +
                                               u"\\Morvatek\\Qesto 2015\\Zaloha\\D1.zip"_s));
        QVERIFY(w->progressBar()->isHidden());
        QVERIFY(!w->rebuildBox()->isHidden());
        auto r = s.window<backup::TExd1Form>();
        QCOMPARE(r->windowTitle(), u"Obnovení dat"_s);
        QVERIFY(r->rebuildBox()->isHidden());
    }

    void locationButtonsAndCompanyName()
    {
        Setup s;
        auto w = s.window<backup::TExdForm>();
        w->companyNameBox()->setChecked(true);
        w->locationButton(2)->click();
        QCOMPARE(w->pathBox()->currentText(),
                 u"%AdresarUziv%\\Morvatek\\Qesto 2015\\Zaloha\\Stavby Novák s.r.o..zip"_s);
        w->companyNameBox()->setChecked(false);
        w->locationButton(3)->click();
        QCOMPARE(w->pathBox()->currentText(), u"%Disk%\\Morvatek\\Qesto 2015\\Zaloha\\D1.zip"_s);
        QCOMPARE(w->fullPathBox()->text(), u"Nastavte písmeno disku (např. F:)."_s);
        // Nothing is asked and nothing written for a path still to be set.
        QVERIFY(!w->runAction());
        QCOMPARE(s.messages.texts(), QStringList{u"Nastavte správně cestu."_s});
    }

    void backupIntoARelativePathMovesTheBar()
    {
        Setup s;
        auto w = s.window<backup::TExdForm>();
        w->pathBox()->setEditText(u"Archiv\\D1.zip"_s);
        s.messages.addAnswer(A::Yes);
        QVERIFY(w->runAction());
        QCOMPARE(s.messages.texts(),
                 (QStringList{u"Opravdu chcete zazálohovat data ?"_s, u"Data byla zazálohována."_s}));
        QVERIFY(QFile::exists(s.f.root + u"/Zaloha/Archiv/D1.zip"_s));
        QVERIFY(w->progressTrace().size() >= 2);
        QCOMPARE(w->progressTrace().last(), 65);
        QVERIFY(w->progressBar()->isHidden());
        QCOMPARE(s.statusCleared, 1);
        QVERIFY(s.f.dm.tablesOpen());
        QCOMPARE(w->pathBox()->itemText(0), u"Archiv\\D1.zip"_s);

        // Restoring from it, then from a file that is not there.
        w->reject();
        w.reset();
        auto r = s.window<backup::TExd1Form>();
        QCOMPARE(r->pathBox()->currentText(), u"Archiv\\D1.zip"_s);
        s.messages.clear();
        s.messages.addAnswer(A::Yes);
        QVERIFY(r->runAction());
        QCOMPARE(s.messages.texts().size(), 2);
        QVERIFY2(
            s.messages.texts().at(0).startsWith(
                u"Opravdu chcete obnovit data ?\n\nArchiv obsahuje data firmy Stavby Novák s.r.o. ze dne "_s),
            qPrintable(s.messages.texts().at(0)));
        QVERIFY(s.messages.texts().at(1).startsWith(
            u"Data byla obnovena.\nPůvodní data jsou uložena v souboru "_s));
        r->pathBox()->setEditText(u"Archiv\\D9.zip"_s);
        s.messages.clear();
        s.messages.addAnswer(A::Yes);
        QVERIFY(!r->runAction());
        QCOMPARE(s.messages.texts().last(), u"Soubor D9.zip nebyl nalezen, zkontrolujte správnost cesty."_s);
    }

    void anotherCompanysArchiveIsRestoredOnlyAfterASecondYes()
    {
        Setup s;
        auto w = s.window<backup::TExdForm>();
        w->pathBox()->setEditText(u"Archiv\\D1.zip"_s);
        s.messages.addAnswer(A::Yes);
        QVERIFY(w->runAction());
        w->reject();
        w.reset();
        s.f.fill(u"Jiná firma a.s."_s, 5.0);
        s.f.dm.Disconnect();
        const Files other = dataFiles(s.f.dir);
        s.f.dm.OtevritTabulky();

        auto r = s.window<backup::TExd1Form>();
        r->pathBox()->setEditText(u"Archiv\\D1.zip"_s);
        s.messages.clear();
        s.messages.addAnswer(A::Yes);
        s.messages.addAnswer(A::No);
        QVERIFY(!r->runAction());
        QCOMPARE(s.messages.texts().size(), 2);
        QVERIFY2(s.messages.texts().at(1).startsWith(
                     u"Archiv obsahuje data jiné firmy (Stavby Novák s.r.o.), než je "
                     u"firma tohoto zpracování (Jiná firma a.s.)."_s),
                 qPrintable(s.messages.texts().at(1)));
        s.f.dm.Disconnect();
        QCOMPARE(dataFiles(s.f.dir), other);
        s.f.dm.OtevritTabulky();

        s.messages.clear();
        s.messages.addAnswer(A::Yes);
        s.messages.addAnswer(A::Yes);
        QVERIFY(r->runAction());
        QCOMPARE(s.f.dm.field(u"PrpOjv"_s)->asString(), u"Stavby Novák s.r.o."_s);
    }

    void twentyPathsAreRemembered()
    {
        Setup s;
        for (int i = 0; i < 21; ++i) {
            auto w = s.window<backup::TExdForm>();
            w->places().setPathText(u"Archiv\\%1.zip"_s.arg(i));
            w->places().remember();
            w->reject();
        }
        const platform::IniFile ini(s.place.iniFile);
        QCOMPARE(ini.readString(u"Cesty", u"0"), u"Archiv\\20.zip"_s);
        QCOMPARE(ini.readString(u"Cesty", u"19"), u"Archiv\\1.zip"_s);
        QVERIFY(!ini.valueExists(u"Cesty", u"20"));
        // A path used again moves to the top instead of appearing twice.
        auto w = s.window<backup::TExdForm>();
        w->places().setPathText(u"Archiv\\5.zip"_s);
        w->places().remember();
        QCOMPARE(w->places().remembered().size(), 20);
        QCOMPARE(w->places().remembered().first(), u"Archiv\\5.zip"_s);
    }

    void customFolderAndErasing()
    {
        Setup s;
        auto w = s.window<backup::TExdForm>();
        const QString folder = s.f.tmp.path() + u"/vlastni"_s;
        QVERIFY(QDir().mkpath(folder));
        QString started;
        w->chooseFolder = [&](const QString &start) {
            started = start;
            return folder;
        };
        w->locationButton(4)->click();
        QVERIFY(!started.isEmpty());
        QCOMPARE(w->places().fullPath(), platform::FileOps::withTrailingSeparator(folder) + u"D1.zip"_s);
        QCOMPARE(platform::IniFile(s.place.iniFile).readString(u"Cesty", u"Vlastni"),
                 platform::FileOps::withTrailingSeparator(folder));
        // Stored now: the button goes there without asking.
        started.clear();
        w->companyNameBox()->setChecked(true);
        w->locationButton(4)->click();
        QVERIFY(started.isEmpty());
        QVERIFY(w->places().fullPath().endsWith(u"Stavby Novák s.r.o..zip"_s));
        w->reject();

        auto e = s.window<backup::TExd1Form>();
        s.messages.addAnswer(A::Yes);
        const QList<QAction *> menu = e->customMenu()->actions();
        QCOMPARE(menu.size(), 3);
        menu[1]->trigger();
        QCOMPARE(s.messages.texts(),
                 (QStringList{u"Opravdu vymazat uložené cesty ?"_s, u"Cesty byly vymazány."_s}));
        QVERIFY(!e->isVisible());
        QVERIFY(!platform::IniFile(s.place.iniFile).sectionExists(u"Cesty"));
    }

    // The settlement's INI file cannot be written (a folder stands in its
    // place): the user hears why instead of being told the paths are gone.
    void erasingThatCannotBeWrittenSaysSo()
    {
        Setup s;
        QFile::remove(s.place.iniFile);
        QVERIFY(QDir().mkpath(s.place.iniFile));
        auto e = s.window<backup::TExd1Form>();
        s.messages.addAnswer(A::Yes);
        e->customMenu()->actions()[1]->trigger();
        const QStringList texts = s.messages.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.first(), u"Opravdu vymazat uložené cesty ?"_s);
        QCOMPARE(s.messages.texts(platform::IMessages::Kind::Error), QStringList{texts.last()});
        QVERIFY(texts.last().contains(QFileInfo(s.place.iniFile).fileName()));
    }
};

QTEST_MAIN(TestArchiveWindow)
#include "test_archive_window.moc"
