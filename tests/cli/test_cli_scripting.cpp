// qesto-cli alone, as a script or an accounting office uses it.

#include "CliCommands.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"

#include "FaultyFiles.h"
#include "FileContents.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"
#include "statements/SettlementImport.h"

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
    explicit Opened(const QString &dir) : dm(data::Collaborators::windowless(recalc))
    {
        dm.DM1Create(QFileInfo(dir).absolutePath());
        dm.setDatabasePath(dir);
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

    statements::StatementRecalc recalc;
    data::TDM1 dm;
};

// Every byte of the settlement's files.
QList<QByteArray> settlementBytes(const QString &dir)
{
    QList<QByteArray> bytes;
    for (const QString &f : data::settlementFileNames())
        bytes.append(testsupport::fileContents(dir + u'/' + f));
    return bytes;
}

// Every table of the settlement as qesto-cli dump lists it, without the
// places' key, which the engine numbers when a row is written.
QByteArray allTables(const QString &dir)
{
    QByteArray out;
    for (const char *table : {"Prp", "Dmt", "Vdvl", "Vdvs", "Vpkv", "Vpkb", "Vpz", "Vvdp", "Mzd11"}) {
        const cli::Result r = cli::run({u"dump"_s, dir, QString::fromLatin1(table)});
        QByteArray listing = r.output;
        if (qstrcmp(table, "Vpz") == 0) {
            QList<QByteArray> lines = listing.split('\n');
            for (QByteArray &line : lines)
                line = line.mid(line.indexOf(',') + 1);
            listing = lines.join('\n');
        }
        out += table + "\n"_ba + listing;
    }
    return out;
}

void writeText(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A company ready for filing, as another payroll program would hand it over.
QByteArray readyCompany(const QString &name)
{
    QByteArray vdvl;
    QByteArray vdvs;
    for (int m = 1; m <= 12; ++m) {
        const QByteArray n = QByteArray::number(m);
        const QByteArray a = QByteArray::number(10000 + 100 * m);
        vdvl += (m > 1 ? "," : "") + "\"Sl2"_ba + n + "\":" + a + ",\"Sl3" + n + "\":" + a + ",\"Sl9" + n +
                "\":" + a;
        vdvs += (m > 1 ? "," : "") + "\"Sl1"_ba + n + "\":1500,\"Sl2" + n + "\":1500,\"Sl10" + n + "\":1500";
    }
    QByteArray employees;
    for (int m = 1; m <= 12; ++m)
        employees += ",\"Z"_ba + QByteArray::number(m) + "\":" + QByteArray::number(20 + m);
    return R"({"format": "qesto-vyuctovani", "formatVersion": 1, "tables": {
        "Prp": [{"Rok": "2015", "Zdo": true, "Dz": "1.1.2015", "Dk": "31.12.2015", "Dpdr1": true, "Dpdr2": true,
                 "Dic": "CZ25123456", "Fusp": "hlavní město Prahu", "Fu": "Prahu 1", "Ojv": ")"_ba +
           name.toUtf8() + R"(", "Npd": "Stavby", "Mi": "Dlouhá 1234/5a, 110 00 Praha 1", "Zjv": "Jan Novák",
                 "Ses": "Jana Malá", "Tel": "603123456", "Emlv": "mala@example.cz", "Dv": "15.2.2016", "Op": 1,
                 "Pfo": false, "Ojs": "Stavby", "Adrb": "Dlouhá 1234/5a, 110 00 Praha 1", "Zjvs": "Jan Novák",
                 "Vses": "Jana Malá", "Telx": "603123456", "Emlx": "mala@example.cz", "Dvs": "16.2.2016")"_ba +
           employees + R"(}],
        "Vpz": [{"N3": "Stavba Karlín", "C4": 17, "N5": "Praha", "N6": "554782", "N7": "Hlavní město Praha"}],
        "Vdvl": [{)"_ba +
           vdvl + R"(}], "Vdvs": [{)"_ba + vdvs + "}]}}";
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
    void helpListsEveryCommand()
    {
        const cli::Result help = cli::run({u"--help"_s});
        QCOMPARE(help.exitCode, 0);
        for (const char *command : {"new ", "set ", "--add", "--row", "--delete", "export ", "import ",
                                    "import-csv ", "check ", "epo ", "list ", "import-payroll "})
            QVERIFY2(help.output.contains(command), command);
        const cli::Result wrong = cli::run({u"nove"_s});
        QCOMPARE(wrong.exitCode, 2);
        QVERIFY(wrong.output.isEmpty());
        QVERIFY(wrong.error.startsWith(u"Použití: qesto-cli"_s));
    }

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
        QTest::newRow("no data root") << QStringList{} << false << u"nejsou data Qesto"_s;
    }
    void newRefusesWhatTheListWindowCannotTake()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, withList);
        QFETCH(QString, message);
        registry::test::Root root;
        if (!withList) {
            QVERIFY(QFile::remove(root.fileDir + u"Data.DB"_s));
            QVERIFY(QDir(root.fileDir + u"Data"_s).removeRecursively());
        }
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

    void exportAndImportCarryEveryTable()
    {
        registry::test::Root root;
        const QString source = freshSettlement(root);
        QStringList vdvl;
        for (int m = 1; m <= 12; ++m)
            vdvl << u"Sl2%1=%2"_s.arg(m).arg(1000 * m) << u"Sl3%1=%2"_s.arg(m).arg(1000 * m - 10)
                 << u"Slb5%1=300"_s.arg(m) << u"Sl9%1=%2"_s.arg(m).arg(900 * m);
        const QList<QStringList> sets = {
            {u"Prp"_s, u"Ojv=Stavby Novák s.r.o."_s, u"Dic=CZ25123456"_s, u"Zdo=0"_s, u"Dv=15.2.2016"_s,
             u"Z3=12"_s},
            {u"Dmt"_s, u"Dpl=7"_s, u"Trh1=sudé stránky"_s},
            QStringList{u"Vdvl"_s} + vdvl + QStringList{u"Slc33=123/15"_s, u"C106=15000"_s, u"Vc1=120"_s},
            {u"Vdvs"_s, u"Sl11=1500"_s, u"Sl101=1400"_s},
            {u"Vpkv"_s, u"C15=250"_s},
            {u"Vpkb"_s, u"C16=40"_s},
            {u"Vpz"_s, u"--add"_s, u"N3=Praha"_s, u"C4=5"_s, u"N6=554782"_s},
            {u"Vpz"_s, u"--add"_s, u"N3=Brno"_s, u"C4=7"_s},
        };
        for (const QStringList &args : sets) {
            const cli::Result r = cli::run(QStringList{u"set"_s, source} + args);
            QVERIFY2(r.exitCode == 0, qPrintable(args.first() + u": "_s + r.error));
        }
        // The payroll sums only the transfer writes.
        {
            Opened s(source);
            data::Dataset &mzd = s.dm.Mzd11();
            s.dm.openTable(mzd);
            for (int m = 1; m <= 2; ++m) {
                mzd.append();
                mzd.fieldByName(u"O"_s)->setAsInteger(m);
                mzd.fieldByName(u"Dan"_s)->setAsInteger(1000 * m);
                mzd.fieldByName(u"Bon"_s)->setAsFloat(117);
                mzd.post();
            }
        }

        const QString json = root.dir.filePath(u"firma.json"_s);
        cli::Result r = cli::run({u"export"_s, source, json});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        const QString target = freshSettlement(root);
        r = cli::run({u"import"_s, target, json});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        QCOMPARE(allTables(target), allTables(source));
        QVERIFY(allTables(target).contains("Stavby Novák"));
        // The change is finished: nothing of it is left in the settlement.
        QVERIFY(!QFileInfo::exists(target + u"/Zmena"_s));
    }

    void anImportWithOneRefusedValueImportsNothing_data()
    {
        QTest::addColumn<QByteArray>("tables");
        QTest::addColumn<QString>("message");
        QTest::newRow("amount")
            << R"("Prp": [{"Ojv": "Nová"}], "Vpz": [{"N3": "A"}, {"N3": "B", "C4": "mnoho"}])"_ba
            << u"Tabulka Vpz, řádek 2, pole C4: "_s;
        QTest::newRow("range") << R"("Vdvl": [{"Sl21": 1}], "Vpz": [{"C4": 1000000}])"_ba
                               << u"Tabulka Vpz, řádek 1, pole C4: "_s;
        QTest::newRow("calculated") << R"("Vdvl": [{"Sl213": 5}])"_ba
                                    << u"Tabulka Vdvl, řádek 1, pole Sl213: "_s;
        QTest::newRow("key") << R"("Vpz": [{"ID": 5}])"_ba << u"pole ID: pole čísluje program"_s;
        QTest::newRow("date") << R"("Prp": [{"Dv": "31.2.2016"}])"_ba << u"Tabulka Prp, řádek 1, pole Dv: "_s;
        QTest::newRow("check box") << R"("Prp": [{"Zdo": "snad"}])"_ba << u"pole Zdo: "_s;
        QTest::newRow("two records") << R"("Dmt": [{}, {}])"_ba << u"jen jeden řádek"_s;
        QTest::newRow("table") << R"("Data": [])"_ba << u"Tabulka Data není tabulkou Qesto."_s;
        QTest::newRow("not a value") << R"("Prp": [{"Ojv": [1]}])"_ba << u"pole Ojv: hodnota musí být"_s;
    }
    void anImportWithOneRefusedValueImportsNothing()
    {
        QFETCH(QByteArray, tables);
        QFETCH(QString, message);
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        QCOMPARE(cli::run({u"set"_s, dir, u"Vpz"_s, u"--add"_s, u"N3=Brno"_s}).exitCode, 0);
        const QList<QByteArray> before = settlementBytes(dir);
        const QString json = root.dir.filePath(u"vstup.json"_s);
        writeText(json,
                  R"({"format": "qesto-vyuctovani", "formatVersion": 1, "tables": {)"_ba + tables + "}}");

        const cli::Result r = cli::run({u"import"_s, dir, json});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
        QVERIFY(settlementBytes(dir) == before);
    }

    // The disk failing at any one step of an import, from keeping the old
    // tables to the last post, either stops it with every file as it was and
    // the tables open, or (a leftover copy that cannot be removed) lets it
    // finish whole.
    void anImportStoppedByTheDiskAtAnyStepChangesNoByte()
    {
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        const auto document = [&](const QString &company) {
            const auto read = statements::exchange::readJson(readyCompany(company));
            return std::get<statements::exchange::Document>(read);
        };
        const statements::exchange::Document alfa = document(u"Alfa s.r.o."_s);
        const statements::exchange::Document beta = document(u"Beta s.r.o."_s);

        Opened s(dir);
        statements::exchange::importDocument(s.dm, alfa);
        QList<QByteArray> before = settlementBytes(dir);
        auto faulty = std::make_shared<paradox::FaultyFiles>();
        s.dm.setFileLayer(faulty);
        int refused = 0;
        for (int step = 0;; ++step) {
            faulty->fail(paradox::FaultyFiles::AnyStep, {}, 1, step);
            const int failuresBefore = faulty->failures();
            QString message;
            try {
                statements::exchange::importDocument(s.dm, beta);
            } catch (const platform::Error &e) {
                message = e.message();
            }
            faulty->fail(0);
            const QString at = u"step %1: %2"_s.arg(step).arg(message);
            QVERIFY2(!QFileInfo::exists(dir + u"/Zmena"_s), qPrintable(at));
            QVERIFY2(s.dm.tablesOpen(), qPrintable(at));
            if (!message.isEmpty()) {
                ++refused;
                QVERIFY2(settlementBytes(dir) == before, qPrintable(at));
                continue;
            }
            QCOMPARE(s.text(u"PrpOjv"_s), u"Beta s.r.o."_s);
            if (faulty->failures() == failuresBefore)
                break;
            statements::exchange::importDocument(s.dm, alfa);
            before = settlementBytes(dir);
        }
        QVERIFY2(refused >= 20, qPrintable(QString::number(refused)));
    }

    void importRefusesAnotherFormat_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        QTest::newRow("not json") << "{"_ba << u"není platný JSON"_s;
        QTest::newRow("format") << R"({"format": "jiny", "formatVersion": 1, "tables": {}})"_ba
                                << u"formátu"_s;
        QTest::newRow("later version")
            << R"({"format": "qesto-vyuctovani", "formatVersion": 2, "tables": {}})"_ba
            << u"verzi formátu 2"_s;
        QTest::newRow("no version") << R"({"format": "qesto-vyuctovani", "tables": {}})"_ba
                                    << u"formatVersion"_s;
    }
    void importRefusesAnotherFormat()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        const QString path = root.dir.filePath(u"vstup.json"_s);
        writeText(path, json);
        const cli::Result r = cli::run({u"import"_s, dir, path});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
    }

    void importCsvFillsTheMonthsAllOrNothing()
    {
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        const QString csv = root.dir.filePath(u"mzdy.csv"_s);
        writeText(csv, "\xEF\xBB\xBFmesic;sl1;sl2;sl5;sl11;cj\r\n1;1000;990;300;900;\"12/3; A\"\r\n"
                       "2;2000,4;;;1900;\r\n");
        cli::Result r = cli::run({u"import-csv"_s, dir, u"Vdvl"_s, csv});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        {
            Opened s(dir);
            QCOMPARE(s.dm.field(u"VdvlSl21"_s)->asFloat(), 1000.0);
            QCOMPARE(s.dm.field(u"VdvlSl31"_s)->asFloat(), 990.0);
            QCOMPARE(s.dm.field(u"VdvlSlb51"_s)->asFloat(), 300.0);
            QCOMPARE(s.dm.field(u"VdvlSl91"_s)->asFloat(), 900.0);
            QCOMPARE(s.text(u"VdvlSlc31"_s), u"12/3; A"_s);
            // Rounded on the post as the window rounds it.
            QCOMPARE(s.dm.field(u"VdvlSl22"_s)->asFloat(), 2000.0);
            QCOMPARE(s.dm.field(u"VdvlSl213"_s)->asFloat(), 3000.0);
        }

        const QList<QByteArray> before = settlementBytes(dir);
        writeText(csv, "mesic;sl1;sl2\n3;100;100\n4;sto;100\n");
        r = cli::run({u"import-csv"_s, dir, u"Vdvl"_s, csv});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.startsWith(u"Řádek 3, sloupec sl1: "_s), qPrintable(r.error));
        QVERIFY(settlementBytes(dir) == before);
    }

    void importCsvRefusesAShapeItCannotRead_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("message");
        QTest::newRow("table") << u"Prp"_s << "mesic;sl1\n1;1\n"_ba << u"jen do tabulek"_s;
        QTest::newRow("first column") << u"Vdvl"_s << "sl1;mesic\n"_ba << u"\"mesic\""_s;
        QTest::newRow("column") << u"Vdvl"_s << "mesic;sl6\n"_ba << u"Sloupec \"sl6\""_s;
        QTest::newRow("calculated column") << u"Vdvl"_s << "mesic;sl8\n"_ba << u"Sloupec \"sl8\""_s;
        QTest::newRow("twice") << u"Vdvs"_s << "mesic;sl8a;SL8A\n"_ba << u"dvakrát"_s;
        QTest::newRow("month") << u"Vdvs"_s << "mesic;sl1\n13;1\n"_ba << u"měsíc \"13\""_s;
        QTest::newRow("month again") << u"Vdvs"_s << "mesic;sl1\n1;1\n01;2\n"_ba << u"podruhé"_s;
        QTest::newRow("cells") << u"Vdvs"_s << "mesic;sl1\n1;1;2\n"_ba << u"má 3 sloupců"_s;
        QTest::newRow("encoding") << u"Vdvs"_s << "mesic;sl1\n1;\xff\n"_ba << u"UTF-8"_s;
    }
    void importCsvRefusesAShapeItCannotRead()
    {
        QFETCH(QString, table);
        QFETCH(QByteArray, csv);
        QFETCH(QString, message);
        registry::test::Root root;
        const QString dir = freshSettlement(root);
        const QString path = root.dir.filePath(u"mzdy.csv"_s);
        writeText(path, csv);
        const cli::Result r = cli::run({u"import-csv"_s, dir, table, path});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
    }

    void workOverAWholeDataRoot()
    {
        registry::test::Root root;
        const QString json = root.dir.filePath(u"firma.json"_s);
        writeText(json, readyCompany(u"Stavby Novák s.r.o."_s));
        const QString ready = freshSettlement(root);
        QCOMPARE(cli::run({u"import"_s, ready, json}).exitCode, 0);
        freshSettlement(root); // D2, nothing filled in
        QCOMPARE(cli::run({u"new"_s, root.fileDir, u"Chráněné"_s, u"--password"_s, u"Abc"_s}).exitCode, 0);
        QCOMPARE(cli::run({u"import"_s, root.fileDir + u"D3"_s, json}).exitCode, 0);

        cli::Result r = cli::run({u"check-all"_s, root.fileDir});
        QCOMPARE(r.exitCode, 1);
        QList<QByteArray> lines = r.output.split('\n');
        QCOMPARE(lines.first(), "1\tFirma\tStavby Novák s.r.o.\tv pořádku"_ba);
        QVERIFY2(lines[1].startsWith("2\tFirma\t\tnálezů: "), lines[1].constData());
        QVERIFY(lines[2].startsWith("    "));
        QVERIFY(r.output.contains("3\tChráněné\t\tchráněno heslem, přeskočeno\n"));
        QVERIFY(r.output.endsWith(
            "Celkem 3 Qesto: 1 v pořádku, 1 s nálezy, 0 s chybou, 1 přeskočeno (heslo).\n"));

        const QString passwords = root.dir.filePath(u"hesla.txt"_s);
        const QString out = root.dir.filePath(u"podani"_s);
        writeText(passwords, "# hesla\nd3=Abc\n");
        r = cli::run({u"epo-all"_s, root.fileDir, out, u"--password-file"_s, passwords});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.output.contains("1\tFirma\tStavby Novák s.r.o.\tzapsáno D1_Stavby_Novak_s.r.o.xml\n"),
                 r.output.constData());
        QVERIFY(r.output.contains("3\tChráněné\tStavby Novák s.r.o.\tzapsáno D3_Stavby_Novak_s.r.o.xml\n"));
        QVERIFY(r.output.contains("\n2\tFirma\t\t"));
        QVERIFY(r.output.endsWith("Celkem 3 Qesto: 2 v pořádku, 1 s chybou, 0 přeskočeno (heslo).\n"));
        QCOMPARE(QDir(out).entryList(QDir::Files),
                 (QStringList{u"D1_Stavby_Novak_s.r.o.xml"_s, u"D3_Stavby_Novak_s.r.o.xml"_s}));

        writeText(passwords, "3=abc\n");
        r = cli::run({u"epo-all"_s, root.fileDir, out, u"--withholding"_s, u"--password-file"_s, passwords});
        QVERIFY(r.output.contains("3\tChráněné\t\tNeplatné heslo pro toto Qesto.\n"));
        QVERIFY(QFile::exists(out + u"/D1_Stavby_Novak_s.r.o_srazkou.xml"_s));

        r = cli::run({u"check-all"_s, root.fileDir, out});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.error.startsWith(u"Použití: qesto-cli check-all"_s));
    }
};

QTEST_GUILESS_MAIN(TestCliScripting)
#include "test_cli_scripting.moc"
