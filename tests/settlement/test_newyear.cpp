// The new-year rollover on a real settlement: the archive names, the date
// shift, the emptied statements, the archive-only mode and the menu's two
// questions.

#include "BackupFixture.h"

#include "ScriptedMessages.h"
#include "backup/ZipArchive.h"
#include "data/DataError.h"
#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "settlement/AppPaths.h"
#include "settlement/NewYear.h"
#include "settlement/SettlementOpening.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace backuptest;

namespace {

struct Rollover
{
    explicit Rollover(Fixture &f) : rollover(paths(f), f.dm, [] { return u"D1"_s; })
    {
        rollover.setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(16, 5, 12)); });
    }
    static const settlement::AppPaths &paths(const Fixture &f)
    {
        static settlement::AppPaths p;
        p.FileDir = p.FileDirLocal = platform::FileOps::withTrailingSeparator(f.root);
        return p;
    }
    settlement::NewYearRollover rollover;
};

void setPrp(Fixture &f, const QList<std::pair<QString, QVariant>> &values)
{
    data::Dataset &prp = f.dm.Prp();
    prp.edit();
    for (const auto &[name, value] : values)
        f.dm.field(u"Prp"_s + name)->setValue(value);
    prp.post();
}

QStringList archiveEntries(const QString &zip, const QString &dest)
{
    QDir().mkpath(dest);
    QStringList names = data::DataFiles::settlementFiles();
    names << u"D1.ini"_s;
    return backup::extractNamed(zip, names, dest).extracted;
}

} // namespace

class TestNewYear : public QObject
{
    Q_OBJECT

private slots:
    void archiveNames_data()
    {
        QTest::addColumn<QStringList>("company"); // Tiv, Jmd, Prk, Ojv, Rok
        QTest::addColumn<QString>("name");
        QTest::newRow("business name")
            << QStringList{{}, {}, {}, u"Firma s.r.o."_s, u"2015"_s} << u"2015 Firma s.r.o."_s;
        QTest::newRow("person") << QStringList{u"Ing."_s, u"Jan"_s, u"Novák"_s, {}, u"2016"_s}
                                << u"2016 Ing. Jan Novák"_s;
        QTest::newRow("both: date and time")
            << QStringList{{}, u"Jan"_s, u"Novák"_s, u"Firma"_s, u"2015"_s} << u"2015 06122026-160512"_s;
        QTest::newRow("neither") << QStringList{{}, {}, {}, {}, u"2015"_s} << u"2015 06122026-160512"_s;
        QTest::newRow("characters a file cannot hold")
            << QStringList{{}, {}, {}, u" A/B: \"C\" <D> | E*? \\ "_s, u"2015"_s} << u"2015 AB C D  E"_s;
    }

    void archiveNames()
    {
        QFETCH(QStringList, company);
        QFETCH(QString, name);
        QCOMPARE(settlement::NewYearRollover::archiveName(company[0], company[1], company[2], company[3],
                                                          company[4],
                                                          QDateTime(QDate(2026, 12, 6), QTime(16, 5, 12))),
                 name);
    }

    void fullRolloverArchivesThenCarriesTheCompanyOn()
    {
        Fixture f;
        setPrp(f, {{u"Ojv"_s, u"Firma s.r.o."_s},
                   {u"Dz"_s, QDate(2016, 2, 29)},
                   {u"Dk"_s, QDate(2015, 12, 31)},
                   {u"Dv"_s, QDate(2016, 1, 31)},
                   {u"Z3"_s, 7},
                   {u"Dpdr1"_s, false},
                   {u"Dpdo1"_s, true},
                   {u"Dpdd2"_s, true},
                   {u"Dopd"_s, QDate(2016, 3, 1)}});
        f.dm.Disconnect();
        const Files before = dataFiles(f.dir);
        f.dm.OtevritTabulky();

        Rollover r(f);
        r.rollover.NovyRok2(1);
        const QString first = f.root + u"/Zaloha/Archiv/2015 Firma s.r.o..zip"_s;
        QVERIFY(QFile::exists(first));
        QVERIFY(f.dm.tablesOpen());
        QCOMPARE(f.dm.field(u"PrpRok"_s)->asString(), u"2016"_s);
        QCOMPARE(f.dm.field(u"PrpDz"_s)->asDate(), QDate(2017, 2, 28));
        QCOMPARE(f.dm.field(u"PrpDk"_s)->asDate(), QDate(2016, 12, 31));
        QCOMPARE(f.dm.field(u"PrpDv"_s)->asDate(), QDate(2017, 1, 31));
        QVERIFY(f.dm.field(u"PrpDvs"_s)->isNull());
        QCOMPARE(f.dm.field(u"PrpZ3"_s)->asInteger(), 0);
        QVERIFY(f.dm.field(u"PrpDpdr1"_s)->asBoolean());
        QVERIFY(f.dm.field(u"PrpDpdr2"_s)->asBoolean());
        QVERIFY(!f.dm.field(u"PrpDpdo1"_s)->asBoolean());
        QVERIFY(!f.dm.field(u"PrpDpdd2"_s)->asBoolean());
        QVERIFY(f.dm.field(u"PrpDopd"_s)->isNull());
        QCOMPARE(f.dm.field(u"PrpOjv"_s)->asString(), u"Firma s.r.o."_s);
        // The statements start empty; the places of work stay.
        QCOMPARE(f.dm.field(u"VdvlSl21"_s)->asFloat(), 0.0);
        QCOMPARE(f.dm.Vpz().recordCount(), 1);

        // The archive holds the old year's files, without the INI file.
        const QString out = f.tmp.path() + u"/out"_s;
        const QStringList entries = archiveEntries(first, out);
        QCOMPARE(entries.size(), 11);
        QVERIFY(!entries.contains(u"D1.ini"_s));
        QCOMPARE(dataFiles(out), before);

        // The second archive of the same name goes beside the first, and
        // replaces its own namesake.
        f.dm.Prp().edit();
        f.dm.field(u"PrpRok"_s)->setAsString(u"2015"_s);
        f.dm.Prp().post();
        r.rollover.NovyRok2(2);
        const QString second = f.root + u"/Zaloha/Archiv/2015 Firma s.r.o. - D1.zip"_s;
        QVERIFY(QFile::exists(second));
        r.rollover.NovyRok2(2);
        QCOMPARE(r.rollover.lastArchive(), u"%1\\Zaloha\\Archiv\\2015 Firma s.r.o. - D1.zip"_s.arg(f.root));
        QVERIFY(QFile::exists(second));
        QCOMPARE(QDir(f.root + u"/Zaloha/Archiv"_s).entryList(QDir::Files).size(), 2);
    }

    void archiveOnlyModeChangesNoTable()
    {
        Fixture f;
        f.dm.Disconnect();
        const Files before = dataFiles(f.dir);
        f.dm.OtevritTabulky();
        Rollover r(f);
        r.rollover.NovyRok2(2);
        QVERIFY(QFile::exists(f.root + u"/Zaloha/Archiv/2015 Stavby Novák s.r.o..zip"_s));
        QVERIFY(f.dm.tablesOpen());
        f.dm.Disconnect();
        QCOMPARE(dataFiles(f.dir), before);
    }

    void failedArchiveEmptiesNothing()
    {
        Fixture f;
        // A file where the archive folder should be: no archive, no rollover.
        QVERIFY(QDir().mkpath(f.root + u"/Zaloha"_s));
        QFile blocker(f.root + u"/Zaloha/Archiv"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.dm.Disconnect();
        const Files before = dataFiles(f.dir);
        f.dm.OtevritTabulky();
        Rollover r(f);
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, r.rollover.NovyRok2(1));
        QVERIFY(f.dm.tablesOpen());
        f.dm.Disconnect();
        QCOMPARE(dataFiles(f.dir), before);
    }

    void pendingArchiveOnlyRolloverRunsOnceAtOpening()
    {
        Fixture f;
        f.dm.Disconnect();
        const Files before = dataFiles(f.dir);
        platform::IniFile(f.dir + u"/D1.ini"_s).writeInteger(u"Prevodzu215", u"Ano", 2);
        settlement::AppPaths paths;
        paths.FileDir = paths.FileDirLocal = platform::FileOps::withTrailingSeparator(f.root);
        platform::ScriptedMessages messages;
        platform::FixedPrinters printers({u"PDF"_s}, u"PDF"_s);
        settlement::SettlementOpening opening(paths, messages, f.dm, printers);
        settlement::NewYearRollover rollover(paths, f.dm, [&opening] { return opening.directoryName(); });
        opening.setRollover(&rollover);

        QCOMPARE(opening.open(u"D1"_s), settlement::SettlementOpening::Result::Opened);
        QVERIFY(messages.texts().isEmpty());
        const QDir archives(f.root + u"/Zaloha/Archiv"_s);
        QCOMPARE(archives.entryList(QDir::Files), QStringList{u"2015 Stavby Novák s.r.o..zip"_s});
        QVERIFY(!platform::IniFile(f.dir + u"/D1.ini"_s).sectionExists(u"Prevodzu215"));
        QCOMPARE(opening.open(u"D1"_s), settlement::SettlementOpening::Result::Opened);
        QCOMPARE(archives.entryList(QDir::Files).size(), 1);
        f.dm.Disconnect();
        QCOMPARE(dataFiles(f.dir), before);
    }

    void menuAsksTwice()
    {
        struct Counting : settlement::IRollover
        {
            QList<int> modes;
            void NovyRok2(int mode) override { modes << mode; }
        } rollover;
        using A = platform::IMessages::Answer;
        platform::ScriptedMessages no({A::Yes, A::No});
        QVERIFY(!settlement::NovyRok1Click(rollover, no));
        QCOMPARE(no.texts(), QStringList(2, u"Opravdu provést akci nový rok ?"_s));
        platform::ScriptedMessages yes({A::Yes, A::Yes});
        QVERIFY(settlement::NovyRok1Click(rollover, yes));
        QCOMPARE(rollover.modes, QList<int>{1});
    }
};

QTEST_GUILESS_MAIN(TestNewYear)
#include "test_newyear.moc"
