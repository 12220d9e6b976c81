// Taking over earlier installations: generated "Qesto 2013" and "Qesto
// 2014" data roots beside this one, their lists, settlements and settings,
// the rollover request each settlement carries to its first opening.

#include "ScriptedMessages.h"
#include "data/ListFiles.h"
#include "data/TDM1.h"
#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "registry/SettlementList.h"
#include "settlement/AppPaths.h"
#include "settlement/Conversion.h"
#include "settlement/NewYear.h"
#include "settlement/SettlementOpening.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using platform::IniFile;
using platform::ScriptedMessages;

namespace {

QByteArray bytes(const QString &path)
{
    QFile f(platform::FileOps::resolve(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// An installation's data root with settlements of the given names, each
// with an INI file that remembers backup paths and a payroll link.
void makeInstallation(const QString &root, const QStringList &names)
{
    QCOMPARE(data::createDataRoot(root), QString());
    ScriptedMessages quiet;
    QString fileDir = root;
    registry::SettlementList list({root, fileDir, u"214"_s}, quiet);
    list.attach();
    for (const QString &name : names) {
        const registry::NewSettlement draft = list.prepareNew();
        QVERIFY(list.create(draft, name));
        IniFile ini(platform::FileOps::resolve(root + draft.Adresar + u'\\' + draft.Adresar + u".ini"_s));
        ini.writeString(u"Cesty", u"Cesta1", u"F:\\Zalohy\\");
        ini.writeString(u"Prenos", u"Gavrel", u"F:\\Gavrel\\Data.DB");
        ini.writeString(draft.Adresar, u"Gavrel", u"F:\\Gavrel\\Data.DB");
        ini.writeString(draft.Adresar, u"Gavrel1Top", u"100");
        ini.writeString(u"Tisk", u"Vychozi", u"1");
    }
    list.close();
    IniFile settings(platform::FileOps::resolve(root + u"Qesto.ini"_s));
    settings.writeString(u"Qesto", u"Razeni", u"2");
    settings.writeInteger(u"Vyber", u"Pos", 0);
    settings.writeInteger(u"Vyber", u"Cislo", 2);
}

struct Window : settlement::IConversionWindow
{
    int shown = 0;
    std::function<void(settlement::ConversionState &)> change;
    void ask(settlement::ConversionState &state) override
    {
        ++shown;
        if (change)
            change(state);
    }
};

// The program's rollover, counting what it is asked to do.
struct Rollover : settlement::IRollover
{
    settlement::NewYearRollover *real = nullptr;
    QList<int> modes;
    void NovyRok2(int mode) override
    {
        modes.append(mode);
        real->NovyRok2(mode);
    }
};

// This year's empty installation in base/data/Qesto 2015, its program in
// base/apps/Qesto 2015, the earlier ones beside either.
class Fixture
{
public:
    Fixture()
    {
        QVERIFY(tmp.isValid());
        base = platform::FileOps::withTrailingSeparator(tmp.path());
        paths.FileDirPrg = base + u"apps\\Qesto 2015\\"_s;
        paths.FileDirLocal = paths.FileDir = base + u"data\\Qesto 2015\\"_s;
        QVERIFY(platform::FileOps::forceDirectories(paths.FileDirPrg));
        QCOMPARE(data::createDataRoot(paths.FileDir), QString());
        list = std::make_unique<registry::SettlementList>(
            registry::DataRoots{paths.FileDirLocal, paths.FileDir, u"215"_s}, messages);
        list->attach();
        conversion = std::make_unique<settlement::Conversion>(paths, messages, *list, &window);
    }

    IniFile localIni() const
    {
        return IniFile(platform::FileOps::resolve(paths.FileDirLocal + u"Qesto.ini"_s));
    }
    IniFile settlementIni(const QString &dir) const
    {
        return IniFile(platform::FileOps::resolve(paths.FileDir + dir + u'\\' + dir + u".ini"_s));
    }

    QTemporaryDir tmp;
    QString base;
    settlement::AppPaths paths;
    ScriptedMessages messages;
    Window window;
    std::unique_ptr<registry::SettlementList> list;
    std::unique_ptr<settlement::Conversion> conversion;
};

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    // The newest year wins; within a year the place beside the data root.
    void newestInstallationWins()
    {
        Fixture f;
        QCOMPARE(settlement::Conversion::findCandidate(f.paths.FileDirPrg, f.paths.FileDirLocal, 2015),
                 QString());
        makeInstallation(f.base + u"apps\\Qesto 2014\\"_s, {u"Program"_s});
        makeInstallation(f.base + u"data\\Qesto 2013\\"_s, {u"Starší"_s});
        QCOMPARE(settlement::Conversion::findCandidate(f.paths.FileDirPrg, f.paths.FileDirLocal, 2015),
                 f.base + u"apps\\Qesto 2014\\Data.DB"_s);
        makeInstallation(f.base + u"data\\Qesto 2014\\"_s, {u"Firma A"_s, u"Firma B"_s});
        QCOMPARE(settlement::Conversion::findCandidate(f.paths.FileDirPrg, f.paths.FileDirLocal, 2015),
                 f.base + u"data\\Qesto 2014\\Data.DB"_s);
        // This year's own data root never counts.
        QCOMPARE(settlement::Conversion::findCandidate(f.paths.FileDirPrg, f.paths.FileDirLocal, 2016),
                 f.base + u"data\\Qesto 2014\\Data.DB"_s);
    }

    // The whole take-over: list, passwords, settings, every settlement's
    // files and INI with its rollover request, run once at the first opening.
    void takesOverAndRollsOnce()
    {
        Fixture f;
        makeInstallation(f.base + u"data\\Qesto 2013\\"_s, {u"Starší"_s});
        const QString source = f.base + u"data\\Qesto 2014\\"_s;
        makeInstallation(source, {u"Firma A"_s, u"Firma B"_s});
        {
            ScriptedMessages quiet;
            QString dir = source;
            registry::SettlementList earlier({source, dir, u"214"_s}, quiet);
            earlier.attach();
            earlier.selectNumber(2);
            QVERIFY(earlier.setPassword(2, u"tajne"_s));
        }

        f.conversion->KontrolaInst1();
        QCOMPARE(f.window.shown, 1);
        QCOMPARE(f.messages.texts(), QStringList{u"Data byla převedena z adresáře: \n\n"_s + source});
        QCOMPARE(f.list->count(), 2);
        QCOMPARE(f.list->entries().at(1).Nazev, u"Firma B"_s);
        QVERIFY(f.list->checkPassword(2, u"tajne"_s));
        QVERIFY(!f.list->checkPassword(2, u"jine"_s));

        const IniFile local = f.localIni();
        QCOMPARE(local.readString(u"Qesto", u"Prevod215"), u"1"_s);
        QCOMPARE(local.readString(u"Qesto", u"Prevod215o"), u"1"_s);
        QCOMPARE(local.readString(u"Qesto", u"Razeni"), u"2"_s);
        QCOMPARE(local.readInteger(u"Vyber", u"Pos", 1), 0);
        QCOMPARE(local.readInteger(u"Vyber", u"Cislo", 1), 2);

        for (const QString &dir : {u"D1"_s, u"D2"_s}) {
            for (const QString &file : data::settlementFileNames())
                QCOMPARE(bytes(f.paths.FileDir + dir + u'\\' + file), bytes(source + dir + u'\\' + file));
            const IniFile ini = f.settlementIni(dir);
            QCOMPARE(ini.readInteger(u"Prevodzu215", u"Ano", 0), 1);
            QVERIFY(!ini.sectionExists(u"Cesty"));
            QVERIFY(!ini.sectionExists(u"Prenos"));
            QCOMPARE(ini.readString(dir, u"Gavrel"), QString());
            QVERIFY(ini.valueExists(dir, u"GavrelCislo"));
            QCOMPARE(ini.readString(dir, u"Gavrel1Top"), u"100"_s);
            QCOMPARE(ini.readString(u"Tisk", u"Vychozi"), u"1"_s);
        }

        // Each settlement runs its request at its first opening only.
        data::TDM1 dm{data::Collaborators::tablesOnly()};
        dm.DM1Create(f.paths.FileDir);
        platform::FixedPrinters printers({u"Laser"_s}, u"Laser"_s);
        settlement::SettlementOpening opening(f.paths, f.messages, dm, printers);
        settlement::NewYearRollover real(f.paths, dm, [&opening] { return opening.directoryName(); });
        Rollover rollover;
        rollover.real = &real;
        opening.setRollover(&rollover);
        opening.setRecalc([](data::TDM1 &) {});
        f.list->close();
        for (const QString &dir : {u"D1"_s, u"D2"_s, u"D1"_s, u"D2"_s})
            QCOMPARE(opening.open(dir), settlement::SettlementOpening::Result::Opened);
        QCOMPARE(rollover.modes, (QList<int>{1, 1}));
        // Each was archived once before it rolled into the new year.
        const QDir archives(platform::FileOps::resolve(f.paths.FileDir + u"Zaloha\\Archiv"_s));
        QCOMPARE(archives.entryList({u"*.zip"_s}, QDir::Files).size(), 2);
        QVERIFY(!f.settlementIni(u"D1"_s).sectionExists(u"Prevodzu215"));
        dm.Disconnect();

        // The check has run: the next start does nothing.
        f.list->attach();
        f.messages.clear();
        f.conversion->KontrolaInst1();
        QCOMPARE(f.window.shown, 1);
        QVERIFY(f.messages.shown().isEmpty());
    }

    // "Provést akci nový rok" unchecked: archive only.
    void archiveOnlyRequest()
    {
        Fixture f;
        makeInstallation(f.base + u"data\\Qesto 2014\\"_s, {u"Firma"_s});
        f.window.change = [](settlement::ConversionState &s) { s.newYear = false; };
        f.conversion->KontrolaInst1();
        QCOMPARE(f.settlementIni(u"D1"_s).readInteger(u"Prevodzu215", u"Ano", 0), 2);
    }

    // A conversion stopped after the list was taken over and before the
    // settlements were copied: the next start completes it without asking,
    // although the list is no longer empty, and only then marks it done.
    void stoppedConversionIsRepeated()
    {
        Fixture f;
        const QString earlier = f.base + u"data\\Qesto 2014\\"_s;
        makeInstallation(earlier, {u"Firma"_s, u"Druhá"_s});
        f.list->close();
        data::KopSezn1(earlier, f.paths.FileDir, data::ListGroup::List);
        f.list->attach();
        QCOMPARE(f.list->count(), 2);
        f.localIni().writeString(u"Qesto", u"Prevod215z", QString(earlier + u"Data.DB"_s));
        f.localIni().writeString(u"Qesto", u"Prevod215zn", u"0");

        f.conversion->KontrolaInst1();
        QCOMPARE(f.window.shown, 0);
        for (const QString &dir : {u"D1"_s, u"D2"_s}) {
            QVERIFY(platform::FileOps::fileExists(f.paths.FileDir + dir + u"\\Prp.DB"_s));
            QCOMPARE(f.settlementIni(dir).readInteger(u"Prevodzu215", u"Ano", 0), 2);
        }
        QCOMPARE(f.localIni().readString(u"Qesto", u"Prevod215"), u"1"_s);
        QCOMPARE(f.localIni().readString(u"Qesto", u"Prevod215z"), QString());
        QCOMPARE(f.messages.shown().size(), 1);
    }

    // A non-empty list: no window, no conversion, the check marked done.
    void nonEmptyListConvertsNothing()
    {
        Fixture f;
        makeInstallation(f.base + u"data\\Qesto 2014\\"_s, {u"Firma"_s});
        QVERIFY(f.list->create(f.list->prepareNew(), u"Vlastní"_s));
        f.conversion->KontrolaInst1();
        QCOMPARE(f.window.shown, 0);
        QVERIFY(f.messages.shown().isEmpty());
        QCOMPARE(f.list->count(), 1);
        QCOMPARE(f.localIni().readString(u"Qesto", u"Prevod215"), u"1"_s);
    }

    // An emptied edit in the window: no conversion. Without an earlier
    // installation the window shows only when a new attempt was asked for.
    void windowDecides()
    {
        Fixture f;
        f.conversion->KontrolaInst1();
        QCOMPARE(f.window.shown, 0);

        makeInstallation(f.base + u"data\\Qesto 2014\\"_s, {u"Firma"_s});
        f.localIni().writeString(u"Qesto", u"Prevod215", u"");
        f.window.change = [&f](settlement::ConversionState &) {
            // The window's rules: the local root and missing files refused.
            QVERIFY(!f.conversion->acceptClose(f.paths.FileDirLocal + u"Data.DB"_s));
            QVERIFY(!f.conversion->acceptChosenFile(f.paths.FileDirLocal + u"Data.DB"_s));
            QVERIFY(!f.conversion->acceptClose(f.base + u"nikde\\Data.DB"_s));
            QVERIFY(f.conversion->acceptClose(QString()));
            f.conversion->windowClosed(QString(), true, true);
        };
        f.conversion->KontrolaInst1();
        QCOMPARE(f.window.shown, 1);
        QCOMPARE(f.messages.texts(), (QStringList{u"Vyberte adresář s předchozí verzí programu Qesto."_s,
                                                  u"Vyberte adresář s předchozí verzí programu Qesto."_s,
                                                  u"Soubor "_s + f.base + u"nikde\\Data.DB neexistuje."_s}));
        QVERIFY(f.list->isEmpty());
    }

    // A listed settlement with missing files: the error, and the list empty
    // again. A settlement whose files could not be copied is named.
    void failuresAreReported()
    {
        {
            Fixture f;
            const QString source = f.base + u"data\\Qesto 2014\\"_s;
            makeInstallation(source, {u"Firma A"_s, u"Firma B"_s});
            QVERIFY(QFile::remove(platform::FileOps::resolve(source + u"D2\\Vdvl.DB"_s)));
            f.conversion->KontrolaInst1();
            QCOMPARE(f.messages.texts(),
                     QStringList{u"Data se nepodařilo převést z adresáře: \n\n"_s + source});
            QVERIFY(f.list->isEmpty());
            QVERIFY(f.list->isOpen());
        }
        {
            // A list naming a directory outside its data root.
            Fixture f;
            const QString source = f.base + u"data\\Qesto 2014\\"_s;
            makeInstallation(source, {u"Firma A"_s});
            {
                auto list = paradox::Table::open(platform::FileOps::resolve(source + u"Data.DB"_s));
                QVariantList entry = list->record(0);
                entry[list->fieldIndex(u"Adresar"_s)] = u"..\\Qesto 2013"_s;
                list->update(0, entry);
            }
            f.conversion->KontrolaInst1();
            QCOMPARE(f.messages.texts(),
                     QStringList{u"Data se nepodařilo převést z adresáře: \n\n"_s + source});
            QVERIFY(f.list->isEmpty());
        }
        {
            Fixture f;
            const QString source = f.base + u"data\\Qesto 2014\\"_s;
            makeInstallation(source, {u"Firma A"_s, u"Firma B"_s});
            // Something in the way of one file of D2.
            QVERIFY(QDir().mkpath(platform::FileOps::resolve(f.paths.FileDir) + u"/D2/Vdvl.DB"_s));
            f.conversion->KontrolaInst1();
            QCOMPARE(f.messages.shown().size(), 1);
            QCOMPARE(f.messages.shown().first().kind, platform::IMessages::Kind::Error);
            const QString text = f.messages.texts().first();
            QVERIFY(text.startsWith(u"Data byla převedena z adresáře: \n\n"_s + source));
            QVERIFY(text.endsWith(u"\nD2 Firma B"_s));
            QCOMPARE(f.list->count(), 2);
        }
    }

    // Both installations on the same shared data root: settings only.
    void sharedRootCopiesNothing()
    {
        Fixture f;
        const QString source = f.base + u"data\\Qesto 2014\\"_s;
        makeInstallation(source, {u"Firma"_s});
        IniFile earlier(platform::FileOps::resolve(source + u"Qesto.ini"_s));
        earlier.writeString(u"Qesto", u"Net", u"1");
        earlier.writeString(u"Qesto", u"Path", u"F:\\Qesto\\");
        f.localIni().writeString(u"Qesto", u"Net", u"1");
        f.localIni().writeString(u"Qesto", u"Path", u"f:\\qesto");
        f.conversion->KontrolaInst1();
        QCOMPARE(f.messages.texts(),
                 QStringList{u"Data byla převedena z adresáře: \n\n"_s + u"F:\\Qesto\\"_s});
        QVERIFY(f.list->isEmpty());
        QCOMPARE(f.localIni().readString(u"Qesto", u"Razeni"), u"2"_s);
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "test_conversion.moc"
