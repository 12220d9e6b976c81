// qesto-cli alone, as a script or an accounting office uses it.

#include "CliCommands.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"

#include "FileContents.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The last line of a command's output: the directory `new` made.
QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return QString::fromUtf8(lines.last());
}

// A settlement's tables opened as the program opens them, to read back what
// the commands wrote.
struct Opened
{
    explicit Opened(const QString &dir) : recalc(dm)
    {
        dm.DM1Create(QFileInfo(dir).absolutePath());
        dm.setDatabasePath(dir);
        dm.setStatementRecalc(&recalc);
        dm.OtevritTabulky();
    }
    ~Opened() { dm.Disconnect(); }
    QString text(const QString &field) { return dm.field(field)->asString(); }
    // The places of work in ID order, "N3/C4/N6".
    QStringList places()
    {
        QStringList out;
        data::Dataset &vpz = dm.Vpz();
        for (vpz.first(); !vpz.eof(); vpz.next())
            out.append(vpz.fieldByName(u"N3"_s)->asString() + u'/' + vpz.fieldByName(u"C4"_s)->asString() +
                       u'/' + vpz.fieldByName(u"N6"_s)->asString());
        return out;
    }

    data::TDM1 dm;
    statements::StatementRecalc recalc;
};

// Every byte of the settlement's files.
QList<QByteArray> settlementBytes(const QString &dir)
{
    QList<QByteArray> bytes;
    for (const QString &f : data::settlementFileNames())
        bytes.append(testsupport::fileContents(dir + u'/' + f));
    return bytes;
}

QString freshSettlement(registry::test::Root &root)
{
    const cli::Result r = cli::run({u"new"_s, root.fileDir, u"Firma"_s});
    if (r.exitCode != 0)
        qFatal("new: %s", qPrintable(r.error));
    return QDir::fromNativeSeparators(lastLine(r.output));
}

} // namespace

class TestCliScripting : public QObject
{
    Q_OBJECT

private slots:
    void newTakesTheFreeNumberAndTheTemplates()
    {
        registry::test::Root root;
        root.addSettlement(1, u"Alfa"_s);
        root.addSettlement(2, u"Beta"_s);
        root.addSettlement(4, u"Delta"_s);

        const cli::Result r = cli::run({u"new"_s, root.fileDir, u"Gama s.r.o. a dlouhý název"_s});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        const QString dir = lastLine(r.output);
        QCOMPARE(QDir::cleanPath(QDir::fromNativeSeparators(dir)), QDir::cleanPath(root.fileDir + u"D3"_s));
        for (const QString &f : data::settlementFileNames())
            QVERIFY2(QFile::exists(root.fileDir + u"D3/"_s + f), qPrintable(f));

        platform::ScriptedMessages messages;
        registry::SettlementList list(root.roots(), messages);
        list.attach();
        QVERIFY(list.selectNumber(3));
        // The name box takes 20 characters.
        QCOMPARE(list.current()->Nazev, u"Gama s.r.o. a dlouhý"_s);
        QCOMPARE(list.current()->Pozice, 3);
        QVERIFY(list.checkPassword(3, QString()));
    }

    void newProtectsWithThePassword()
    {
        registry::test::Root root;
        const cli::Result r = cli::run({u"new"_s, root.fileDir, u"Alfa"_s, u"--password"_s, u"Abc"_s});
        QCOMPARE(r.error, QString());
        QVERIFY(lastLine(r.output).endsWith(u"D1"_s));

        platform::ScriptedMessages messages;
        registry::SettlementList list(root.roots(), messages);
        list.attach();
        QVERIFY(!list.checkPassword(1, u"abc"_s));
        QVERIFY(list.checkPassword(1, u"Abc"_s));
    }

    void newRefusesWhatTheListWindowCannotTake_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("withList");
        QTest::addColumn<QString>("message");
        QTest::newRow("long password")
            << QStringList{u"--password"_s, u"12345678901"_s} << true << u"nejvýše 10 znaků"_s;
        QTest::newRow("no list") << QStringList{} << false << u"není seznam Qesto"_s;
    }
    void newRefusesWhatTheListWindowCannotTake()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, withList);
        QFETCH(QString, message);
        registry::test::Root root;
        if (!withList)
            QVERIFY(QFile::remove(root.fileDir + u"Data.DB"_s));
        const cli::Result r = cli::run(QStringList{u"new"_s, root.fileDir, u"Alfa"_s} + extra);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
        QVERIFY(!QFileInfo::exists(root.fileDir + u"D1"_s));
    }

    void setPrpFollowsTheCompanyWindow()
    {
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        const QDate today = QDate::currentDate();
        const cli::Result r = cli::run({u"set"_s, dir, u"Prp"_s, u"Ojv=Stavby Novák s.r.o."_s,
                                        u"Tel=603123456789"_s, u"Telx=603123456789"_s, u"Dv=15,2,2016"_s,
                                        u"Dvs=15."_s, u"Zdo=ne"_s, u"Pfo=1"_s, u"Dpdr1=true"_s, u"Op=3"_s});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        // The captions that follow the check boxes' states.
        QCOMPARE(r.output, "Zdo: Za část zdaňovacího období\nPfo: fyzických osob\n"_ba);

        Opened s(dir);
        QCOMPARE(s.text(u"PrpOjv"_s), u"Stavby Novák s.r.o."_s);
        // Each box takes its field's size or its own limit.
        QCOMPARE(s.text(u"PrpTel"_s), u"60312345678"_s);
        QCOMPARE(s.text(u"PrpTelx"_s), u"603123456"_s);
        QCOMPARE(s.dm.field(u"PrpDv"_s)->asDate(), QDate(2016, 2, 15));
        QCOMPARE(s.dm.field(u"PrpDvs"_s)->asDate(), QDate(today.year(), today.month(), 15));
        QCOMPARE(s.dm.field(u"PrpZdo"_s)->asBoolean(), false);
        QCOMPARE(s.dm.field(u"PrpPfo"_s)->asBoolean(), true);
        QCOMPARE(s.dm.field(u"PrpDpdr1"_s)->asBoolean(), true);
        QCOMPARE(s.dm.field(u"PrpOp"_s)->asInteger(), 3);
    }

    void setVpzAddsChangesAndDeletesPlaces()
    {
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        for (const QString &name : {u"Praha"_s, u"Brno"_s, u"Ostrava"_s}) {
            const cli::Result r = cli::run({u"set"_s, dir, u"Vpz"_s, u"--add"_s, u"N3="_s + name, u"C4=5"_s});
            QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        }
        QCOMPARE(cli::run({u"set"_s, dir, u"Vpz"_s, u"--row"_s, u"2"_s, u"C4=12"_s, u"N6=582786"_s}).exitCode,
                 0);
        QCOMPARE(cli::run({u"set"_s, dir, u"Vpz"_s, u"--delete"_s, u"1"_s}).exitCode, 0);
        const cli::Result beyond = cli::run({u"set"_s, dir, u"Vpz"_s, u"--row"_s, u"3"_s, u"C4=1"_s});
        QCOMPARE(beyond.exitCode, 2);
        QVERIFY2(beyond.error.contains(u"míst je 2"_s), qPrintable(beyond.error));

        Opened s(dir);
        QCOMPARE(s.places(), (QStringList{u"Brno/12/582786"_s, u"Ostrava/5/"_s}));
    }

    void setDmtCompletesTheParametersAsThePrintWindow()
    {
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        const cli::Result r =
            cli::run({u"set"_s, dir, u"Dmt"_s, u"Dpt=12"_s, u"Trh1=Liché stránky"_s, u"Prh1=ano"_s});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        Opened s(dir);
        QCOMPARE(s.dm.field(u"DmtDpt"_s)->asInteger(), 12);
        QCOMPARE(s.dm.field(u"DmtKop"_s)->asInteger(), 1);
        QCOMPARE(s.text(u"DmtTrh1"_s), u"liché stránky"_s);
        QCOMPARE(s.dm.field(u"DmtPrh1"_s)->asBoolean(), true);
    }

    // Whatever the target, a refused value leaves every file as it was, also
    // when values before it were taken.
    void aRefusedValueChangesNoByte_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QStringList &args, const QString &message) {
            QTest::newRow(name) << args << message;
        };
        row("Prp date", {u"Prp"_s, u"Dic=CZ1"_s, u"Dv=32.13.2015"_s}, u"není platný datum"_s);
        row("Prp check box", {u"Prp"_s, u"Dic=CZ1"_s, u"Zdo=možná"_s}, u"zaškrtávacího"_s);
        row("Prp unknown", {u"Prp"_s, u"Xyz=1"_s}, u"Xyz"_s);
        row("Vpz add", {u"Vpz"_s, u"--add"_s, u"N3=Praha"_s, u"C4=pět"_s}, u"pět"_s);
        row("Vpz row range", {u"Vpz"_s, u"--row"_s, u"1"_s, u"C4=1000000"_s}, u"1000000"_s);
        row("Vpz delete none", {u"Vpz"_s, u"--delete"_s, u"2"_s}, u"neexistuje"_s);
        row("Dmt list", {u"Dmt"_s, u"Dpt=5"_s, u"Trh1=všechno"_s}, u"nabídce"_s);
        row("Dmt copies", {u"Dmt"_s, u"Kop=0"_s}, u"Kop"_s);
        row("Vdvl amount", {u"Vdvl"_s, u"Sl21=100"_s, u"Sl22=abc"_s}, u"abc"_s);
        row("Vdvs calculated", {u"Vdvs"_s, u"C402=1"_s}, u"vypočítává"_s);
        row("Vpkv", {u"Vpkv"_s, u"C15=x"_s}, u"x"_s);
    }
    void aRefusedValueChangesNoByte()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        QCOMPARE(cli::run({u"set"_s, dir, u"Vpz"_s, u"--add"_s, u"N3=Brno"_s, u"C4=3"_s}).exitCode, 0);
        const QList<QByteArray> before = settlementBytes(dir);

        const cli::Result r = cli::run(QStringList{u"set"_s, dir} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
        QVERIFY(settlementBytes(dir) == before);
    }
};

QTEST_GUILESS_MAIN(TestCliScripting)
#include "test_cli_scripting.moc"
