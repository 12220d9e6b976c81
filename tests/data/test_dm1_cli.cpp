#include "SettlementFixture.h"

#include "CliCommands.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// qesto-cli run in process: what support staff and batch jobs see.
class TestDm1Cli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openUpgradesOnceAndRecomputes();
    void openRunsPendingRolloverOnce_data();
    void openRunsPendingRolloverOnce();
    void dumpAppendsCalculatedColumns();
    void dumpLeavesFilesAlone();
    void dumpStreamsLargeTablesInPieces();
    void dumpOfADamagedTableFails();
    void failuresExitWithTwo_data();
    void failuresExitWithTwo();
};

void TestDm1Cli::openUpgradesOnceAndRecomputes()
{
    QTemporaryDir root;
    const QString dir = dm1test::makeOldestSettlement(root.path());

    cli::Result r = cli::run({u"open"_s, dir});
    QCOMPARE(r.error, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.output, QByteArray("print-settings=1 statement-types=1 last-company-generation=1\n"));
    r = cli::run({u"open"_s, dir});
    QCOMPARE(r.output, QByteArray("print-settings=0 statement-types=0 last-company-generation=0\n"));

    // The statements were recomputed after the upgrade: sl. 8a of the
    // withholding statement holds the amounts taken over from Vvdp.
    r = cli::run({u"dump"_s, dir, u"Vdvs"_s});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.output.split('\n');
    const QList<QByteArray> header = lines.at(0).trimmed().split(',');
    const QList<QByteArray> record = lines.at(1).trimmed().split(',');
    QCOMPARE(record.at(header.indexOf("Sld93")), QByteArray("300"));
    QCOMPARE(record.at(header.indexOf("Sld913")), QByteArray("7800"));
    QCOMPARE(record.at(header.indexOf("C403")), QByteArray("0"));
}

void TestDm1Cli::openRunsPendingRolloverOnce_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("year");
    QTest::newRow("archive only") << 2 << QByteArray("2015");
    QTest::newRow("full rollover") << 1 << QByteArray("2016");
}

// A conversion leaves the request; the command line carries it out at its
// first opening, as the program does, and never again.
void TestDm1Cli::openRunsPendingRolloverOnce()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, year);
    QTemporaryDir root;
    const QString dir = dm1test::makeCurrentSettlement(root.path());
    {
        auto prp = paradox::Table::open(data::tableFilePath(dir, u"Prp.DB"_s));
        QVariantList record(prp->schema().fields.size());
        record[prp->fieldIndex(u"Rok"_s)] = u"2015"_s;
        record[prp->fieldIndex(u"Ojv"_s)] = u"Firma s.r.o."_s;
        if (prp->recordCount() > 0)
            prp->update(0, record);
        else
            prp->append(record);
    }
    QFile ini(dir + u"/D1.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Prevodzu215]\r\nAno=" + QByteArray::number(mode) + "\r\n[Tisk]\r\nVychozi=1\r\n");
    ini.close();

    for (int run = 0; run < 2; ++run) {
        const cli::Result r = cli::run({u"open"_s, dir});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        const QStringList archives = QDir(root.path() + u"/Zaloha/Archiv"_s).entryList(QDir::Files);
        QCOMPARE(archives, QStringList{u"2015 Firma s.r.o..zip"_s});
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        ini.close();
        QVERIFY(!text.contains("Prevodzu215"));
        QVERIFY(text.contains("Vychozi=1"));
        const QByteArray dump = cli::run({u"dump"_s, dir, u"Prp"_s}).output;
        const QList<QByteArray> lines = dump.split('\n');
        const qsizetype rok = lines.at(0).trimmed().split(',').indexOf("Rok");
        QCOMPARE(lines.at(1).trimmed().split(',').at(rok), year);
    }
}

void TestDm1Cli::dumpAppendsCalculatedColumns()
{
    QTemporaryDir root;
    const QString dir = dm1test::makeCurrentSettlement(root.path());
    // Two rows whose texts need quoting, one with a line break inside.
    auto vpz = paradox::Table::open(data::tableFilePath(dir, u"Vpz.DB"_s));
    vpz->append(
        {QVariant(), u"Dílna, hala 2"_s, 12.0, u"Brno"_s, QVariant(), u"Brno-\r\nměsto"_s, true, 3, 1});
    vpz->append(
        {QVariant(), u"Filler \"A\""_s, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 4, 1});
    vpz.reset();

    const cli::Result r = cli::run({u"dump"_s, dir, u"vpz.db"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.output, QByteArray("ID,N3,C4,N5,N6,N7,Pmr,Poradi,Cislo\r\n"
                                  "1,\"Dílna, hala 2\",12,Brno,,\"Brno-\r\nměsto\",true,3,1\r\n"
                                  "2,\"Filler \"\"A\"\"\",,,,,,4,1\r\n"));

    QTemporaryDir root2;
    const QString dir2 = dm1test::makeCurrentSettlement(root2.path());
    auto mzd = paradox::Table::open(data::tableFilePath(dir2, u"Mzd11.DB"_s));
    mzd->append({1, 1000, 300, false, QVariant(), 1.5, QVariant(), 800.0, 500.0});
    mzd->append({2, 10, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 500.0, 800.0});
    mzd.reset();
    const QList<QByteArray> lines = cli::run({u"dump"_s, dir2, u"Mzd11"_s}).output.split('\n');
    QCOMPARE(lines.at(0), QByteArray("O,Dan,Danz,Prdb,Dv,Znd,Snd,Bon,Dps,Daz,Dpsbo\r"));
    QCOMPARE(lines.at(1), QByteArray("1,1000,300,false,,1.5,,800,500,700,0\r"));
    QCOMPARE(lines.at(2), QByteArray("2,10,,,,,,500,800,10,300\r"));
}

void TestDm1Cli::dumpLeavesFilesAlone()
{
    QTemporaryDir root;
    const QString dir = dm1test::makeOldestSettlement(root.path());
    // An empty statement table gets no record from a listing.
    dm1test::writeOlderTable(dir, data::TableId::Vpkv, 2, {});
    const auto before = dm1test::snapshot(dir);

    cli::Result r = cli::run({u"dump"_s, dir, u"Vpkv"_s});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.output.endsWith("C175a\r\n"));
    // A file of an earlier layout is refused rather than upgraded.
    r = cli::run({u"dump"_s, dir, u"Prp"_s});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.error.contains(u"nebylo v tabulce Prp nalezeno"_s), qPrintable(r.error));
    QCOMPARE(dm1test::snapshot(dir), before);
}

void TestDm1Cli::dumpStreamsLargeTablesInPieces()
{
    // Thousands of rows leave in several pieces rather than one text, and
    // every row gets its own calculated columns, not the previous row's.
    QTemporaryDir root;
    const QString dir = dm1test::makeCurrentSettlement(root.path());
    constexpr int rows = 3000;
    QList<QVariantList> records;
    for (int o = 1; o <= rows; ++o)
        records.append(
            {o, o * 10, o, false, QVariant(), QVariant(), QVariant(), 500.0, o % 2 ? 800.0 : 100.0});
    paradox::Table::open(data::tableFilePath(dir, u"Mzd11.DB"_s))->appendRecords(records);

    QList<QByteArray> pieces;
    const cli::Result streamed = cli::run({u"dump"_s, dir, u"Mzd11"_s}, [&pieces](QByteArrayView piece) {
        pieces.append(piece.toByteArray());
    });
    QCOMPARE(streamed.exitCode, 0);
    QVERIFY(streamed.output.isEmpty());
    QVERIFY2(pieces.size() > 1, qPrintable(QString::number(pieces.size())));
    for (const QByteArray &piece : std::as_const(pieces))
        QVERIFY(piece.size() < 128 * 1024);

    const cli::Result whole = cli::run({u"dump"_s, dir, u"Mzd11"_s});
    QCOMPARE(pieces.join(), whole.output);
    const QList<QByteArray> lines = whole.output.split('\n');
    QCOMPARE(lines.size(), rows + 2);
    QCOMPARE(lines.at(2999), QByteArray("2999,29990,2999,false,,,,500,800,26991,300\r"));
    QCOMPARE(lines.at(3000), QByteArray("3000,30000,3000,false,,,,500,100,27000,0\r"));
}

void TestDm1Cli::dumpOfADamagedTableFails()
{
    QTemporaryDir root;
    const QString dir = dm1test::makeCurrentSettlement(root.path());
    QFile vpz(data::tableFilePath(dir, u"Vpz.DB"_s));
    QVERIFY(vpz.open(QIODevice::WriteOnly | QIODevice::Truncate));
    vpz.write(QByteArray(300, '\x7f'));
    vpz.close();
    const cli::Result r = cli::run({u"dump"_s, dir, u"Vpz"_s});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.error.contains(u"Vpz.DB je poškozená"_s), qPrintable(r.error));
    QVERIFY(r.output.isEmpty());
}

void TestDm1Cli::failuresExitWithTwo_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("no command") << QStringList() << u"Použití: qesto-cli"_s;
    QTest::newRow("unknown command") << QStringList{u"upgrade"_s, u"x"_s} << u"Použití: qesto-cli"_s;
    QTest::newRow("missing directory") << QStringList{u"open"_s, u"/nonexistent/D7"_s} << u"neexistuje"_s;
    QTest::newRow("list table") << QStringList{u"dump"_s, u"."_s, u"Data"_s} << u"není tabulkou zpracování"_s;
    QTest::newRow("unknown table") << QStringList{u"dump"_s, u"."_s, u"Xyz"_s}
                                   << u"není tabulkou zpracování"_s;
}

void TestDm1Cli::failuresExitWithTwo()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const cli::Result r = cli::run(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.error.contains(message), qPrintable(r.error));
    QVERIFY(r.output.isEmpty());
}

QTEST_GUILESS_MAIN(TestDm1Cli)
#include "test_dm1_cli.moc"
