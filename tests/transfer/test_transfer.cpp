#include "CliCommands.h"
#include "TransferFixture.h"

#include "ScriptedMessages.h"
#include "data/TDM1.h"
#include "platform/IniFile.h"
#include "statements/Recalc.h"
#include "transfer/Payroll.h"
#include "transfer/PayrollTransfer.h"
#include "transfer/TransferSession.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using payrolltest::Fixture;
using payrolltest::Row;
using platform::ScriptedMessages;

namespace {

// Month 1: two employees and a withholding row; month 2 withholding rows
// only; month 3 a bonus above the tax; months 4 to 12 none.
QList<Row> yearRows()
{
    QList<Row> rows;
    rows.append({1, 1500, false, 20000.4, 5000, 0, 1500.4});
    rows.append({1, 2500, false, 30000, 7000, 117, 2500.3});
    rows.append({1, 300, true, 0, 0, 0, 0});
    rows.append({2, 150, true, 1000, 0, 0, 0, QDate(2015, 2, 28)});
    rows.append({2, 250, true, 1000, 0, 0, 0, QDate(2015, 2, 28)});
    rows.append({3, 500, false, 15000, 0, 1200, 500, QDate(2015, 3, 31)});
    return rows;
}

// The transfer's own text, then on the next line the engine's reason naming
// the payroll file at fault.
bool withReason(const QString &text, const QString &fixed, const QString &file)
{
    const qsizetype cut = fixed.size() + 1;
    return text.startsWith(fixed + u'\n') && text.indexOf(file, cut) >= cut;
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void transferWritesMonths_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << QString();
        QTest::newRow("protected") << u"mzdy15"_s;
    }

    // The seven targets per month from the sums, zeros for months without
    // rows, the same result twice, the payroll files as they were.
    void transferWritesMonths()
    {
        QFETCH(QString, password);
        Fixture f(password);
        QVERIFY(f.ok);
        QVERIFY(payrolltest::writeRows(f.payroll + u"/F1"_s, yearRows(), password));
        // A month the payroll does not have is overwritten with zeros.
        f.dm.Vdvl().edit();
        f.dm.Vdvl().fieldByName(u"Sl27"_s)->setAsFloat(777);
        f.dm.Vdvl().post();
        const auto before = payrolltest::snapshot(f.payroll);

        for (int run = 0; run < 2; ++run) {
            transfer::TransferSession session(f.environment(password));
            session.setRememberedNumber(1);
            QVERIFY(session.showCompanies(f.payroll + u"/Data.DB"_s));
            QCOMPARE(session.currentCompany()->Adresar, u"F1"_s);
            f.messages.addAnswer(platform::IMessages::Answer::Yes);
            QVERIFY(session.transfer());
            QCOMPARE(f.messages.texts().last(), transfer::messages::done());

            data::Dataset &mzd11 = f.dm.Mzd11();
            QCOMPARE(mzd11.recordCount(), 3);
            QVERIFY(mzd11.findKey({1}));
            QCOMPARE(mzd11.fieldByName(u"Dan"_s)->asInteger(), 4300);
            QCOMPARE(mzd11.fieldByName(u"Danz"_s)->asInteger(), 300);
            // Rounded row by row: 1500.4 -> 1500, 1500 + 2500.3 -> 4000.
            QCOMPARE(mzd11.fieldByName(u"Dps"_s)->asFloat(), 4000.0);
            QCOMPARE(mzd11.fieldByName(u"Znd"_s)->asFloat(), 50000.0);

            // Month 1.
            QCOMPARE(f.vdvl(u"Sl21"_s), 4000.0);
            QCOMPARE(f.vdvl(u"Sl31"_s), 4000.0);
            QCOMPARE(f.vdvl(u"Slb51"_s), 117.0);
            QCOMPARE(f.vdvl(u"Sl91"_s), 3883.0);
            QCOMPARE(f.vdvs(u"Sl11"_s), 300.0);
            QCOMPARE(f.vdvs(u"Sl21"_s), 300.0);
            QCOMPARE(f.vdvs(u"Sl101"_s), 300.0);
            // Month 2: withholding only.
            QCOMPARE(f.vdvl(u"Sl22"_s), 0.0);
            QCOMPARE(f.vdvl(u"Sl32"_s), 0.0);
            QCOMPARE(f.vdvl(u"Slb52"_s), 0.0);
            QCOMPARE(f.vdvl(u"Sl92"_s), 0.0);
            QVERIFY(!f.dm.Vdvl().fieldByName(u"Sl22"_s)->isNull());
            QCOMPARE(f.vdvs(u"Sl12"_s), 400.0);
            QCOMPARE(f.vdvs(u"Sl22"_s), 400.0);
            QCOMPARE(f.vdvs(u"Sl102"_s), 400.0);
            // Month 3: the bonus above the tax leaves nothing to remit.
            QCOMPARE(f.vdvl(u"Sl23"_s), 500.0);
            QCOMPARE(f.vdvl(u"Sl33"_s), 500.0);
            QCOMPARE(f.vdvl(u"Slb53"_s), 1200.0);
            QCOMPARE(f.vdvl(u"Sl93"_s), 0.0);
            QCOMPARE(f.vdvs(u"Sl13"_s), 0.0);
            QCOMPARE(f.vdvl(u"Sl27"_s), 0.0);
            // The statements were recomputed: the year totals follow.
            QCOMPARE(f.vdvl(u"Sl213"_s), 4500.0);
            QCOMPARE(f.vdvs(u"Sl113"_s), 700.0);
            // The company data were not asked for.
            QCOMPARE(f.prp(u"Dic"_s), QString());
            session.close(f.payroll + u"/Data.DB"_s);
        }
        // Not a byte of the payroll data changed, the INI files included.
        QCOMPARE(payrolltest::snapshot(f.payroll), before);
    }

    // The company data: legal or natural person from the tax ID, the name
    // cut to the field, the address with and without a street; the choice
    // is the only thing written into the payroll data.
    void companyData()
    {
        Fixture f;
        QVERIFY(f.ok);
        QVERIFY(payrolltest::writeRows(f.payroll + u"/F1"_s, {{1, 100, false, 0, 0, 0, 100}}));
        QVERIFY(payrolltest::writeRows(f.payroll + u"/F2"_s, {{1, 100, false, 0, 0, 0, 100}}));
        auto before = payrolltest::snapshot(f.payroll);

        transfer::TransferSession session(f.environment());
        session.setRememberedNumber(1);
        QVERIFY(session.showCompanies(f.payroll + u"/Data.DB"_s));
        QCOMPARE(session.header().Ico, u"12345678"_s);
        QCOMPARE(session.header().Fa1, u"Stavby Novák s.r.o."_s);
        QCOMPARE(session.header().Dzr, QDate(2015, 1, 1));
        QVERIFY(!session.companyDataChoice());
        session.storeCompanyDataChoice(true);
        f.messages.addAnswer(platform::IMessages::Answer::Yes);
        QVERIFY(session.transfer());
        QCOMPARE(f.prp(u"Dic"_s), u"CZ12345678"_s);
        QVERIFY(!f.dm.Prp().fieldByName(u"Pfo"_s)->asBoolean());
        QCOMPARE(f.prp(u"Ojv"_s), u"Stavby Novák s.r.o."_s);
        QCOMPARE(f.prp(u"Ojs"_s), u"Stavby Novák s.r.o."_s);
        QCOMPARE(f.prp(u"Mi"_s), u"Hlavní 12, 60200  Brno"_s);
        QCOMPARE(f.prp(u"Adrb"_s), u"Hlavní 12, 60200  Brno"_s);

        // Only the company INI's choice differs.
        auto after = payrolltest::snapshot(f.payroll);
        QVERIFY(after.value(u"F1/F1.ini"_s).contains("[Qesto]\r\nFirma=1"));
        after.remove(u"F1/F1.ini"_s);
        before.remove(u"F1/F1.ini"_s);
        QCOMPARE(after, before);

        session.setCurrentIndex(1);
        QCOMPARE(session.currentCompany()->Cislo, 2);
        session.storeCompanyDataChoice(true);
        f.messages.addAnswer(platform::IMessages::Answer::Yes);
        QVERIFY(session.transfer());
        QVERIFY(f.dm.Prp().fieldByName(u"Pfo"_s)->asBoolean());
        QCOMPARE(f.prp(u"Prk"_s), u"Jan Novák - stav"_s);
        QCOMPARE(f.prp(u"Prks"_s), u"Jan Novák - stav"_s);
        QCOMPARE(f.prp(u"Mi"_s), u"60200  Brno"_s);

        // No is no: nothing happens.
        f.messages.addAnswer(platform::IMessages::Answer::No);
        QVERIFY(!session.transfer());
    }

    void identity()
    {
        transfer::CompanyHeader h;
        h.Ico = u"12345678"_s;
        h.Dic = u"CZ12345678"_s;
        h.Fa1 = u"Firma"_s;
        QVERIFY(transfer::identityOf(h).legalPerson);
        h.Dic = u"12345678"_s;
        QVERIFY(transfer::identityOf(h).legalPerson);
        h.Dic = u"CZ7001011234"_s;
        QVERIFY(!transfer::identityOf(h).legalPerson);
        // Only up to the first "Z" goes.
        h.Dic = u"CZZ12345678"_s;
        QVERIFY(!transfer::identityOf(h).legalPerson);
    }

    // A payroll table that fails part-way, one that is missing and one of an
    // old version leave the settlement exactly as it was.
    void failuresChangeNothing()
    {
        Fixture f;
        QVERIFY(f.ok);
        QList<Row> many;
        for (int i = 0; i < 3000; ++i)
            many.append({1 + i % 12, 100, false, 1000, 0, 0, 100});
        const QString rows = f.payroll + u"/F1/Mzd1.DB"_s;
        QVERIFY(payrolltest::writeRows(f.payroll + u"/F1"_s, many));
        // The last block claims more records than it can hold.
        {
            QFile file(rows);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 size = file.size();
            QVERIFY(file.seek(5));
            const int blockSize = 1024 * int(file.read(1).at(0));
            const qint64 last = size - blockSize;
            QVERIFY(last > 0x800);
            QVERIFY(file.seek(last + 4));
            file.write(QByteArray("\xF0\x7F", 2));
        }
        f.dm.Disconnect();
        const auto settlement = dm1test::snapshot(f.settlement);
        f.dm.OtevritTabulky();

        transfer::TransferSession session(f.environment());
        session.setRememberedNumber(1);
        QVERIFY(session.showCompanies(f.payroll + u"/Data.DB"_s));
        session.storeCompanyDataChoice(true);
        f.messages.addAnswer(platform::IMessages::Answer::Yes);
        QVERIFY(!session.transfer());
        QCOMPARE(f.messages.shown().last().kind, platform::IMessages::Kind::Error);
        QVERIFY(f.messages.texts().last().contains(u"nic nebylo změněno"_s));
        f.dm.Disconnect();
        QCOMPARE(dm1test::snapshot(f.settlement), settlement);
        f.dm.OtevritTabulky();

        // No rows table: a payroll version before 5.
        QFile::remove(rows);
        f.messages.addAnswer(platform::IMessages::Answer::Yes);
        QVERIFY(!session.transfer());
        QVERIFY2(withReason(f.messages.texts().last(), transfer::messages::oldVersion(), u"Mzd1.DB"_s),
                 qPrintable(f.messages.texts().last()));
        // A rows table without the sums.
        QVERIFY(payrolltest::writeTable(rows, payrolltest::listSchema(), {}));
        f.messages.addAnswer(platform::IMessages::Answer::Yes);
        QVERIFY(!session.transfer());
        QCOMPARE(f.messages.texts().last(), transfer::messages::oldVersion());
        f.dm.Disconnect();
        QCOMPARE(dm1test::snapshot(f.settlement), settlement);
    }

    // The company list: a path that leads nowhere shows the message; the
    // remembered company is selected; closing stores the path and number.
    void companyListAndSettings()
    {
        Fixture f;
        QVERIFY(f.ok);
        {
            transfer::TransferSession session(f.environment());
            QVERIFY(!session.showCompanies(f.tmp.filePath(u"nowhere/Data.DB"_s)));
            QCOMPARE(f.messages.texts().size(), 1);
            QVERIFY2(
                withReason(f.messages.texts().constFirst(), transfer::messages::cannotShow(), u"Data.DB"_s),
                qPrintable(f.messages.texts().constFirst()));
            QVERIFY(!session.listOpen());
            // An entry whose directory leads elsewhere is not offered.
            QVERIFY(payrolltest::writeTable(f.payroll + u"/Data.DB"_s, payrolltest::listSchema(),
                                            {{1, u"Stavby"_s, u"F1"_s},
                                             {2, u"Novák"_s, u"F2"_s},
                                             {3, u"Jinam"_s, u"..\\F1"_s},
                                             {4, u"Kořen"_s, QString()}}));
            QVERIFY(session.showCompanies(f.payroll + u"/Data.DB"_s));
            QCOMPARE(session.companies().size(), 2);
            QCOMPARE(session.currentIndex(), 0);
            session.setCurrentIndex(1);
            session.close(f.payroll + u"/Data.DB"_s);
        }
        const platform::IniFile ini(f.settlement + u"/D1.ini"_s);
        QCOMPARE(ini.readString(u"Prenos", u"Gavrel"), f.payroll + u"/Data.DB"_s);
        QCOMPARE(ini.readInteger(u"Prenos", u"GavrelCislo", 0), 2);

        transfer::TransferSession again(f.environment());
        QCOMPARE(again.initialPath(), f.payroll + u"/Data.DB"_s);
        QVERIFY(again.showCompanies(again.initialPath()));
        QCOMPARE(again.currentCompany()->Cislo, 2);
        QCOMPARE(again.position(1024), QPoint(84, 136));
        again.storePosition(QPoint(10, 20));
        QCOMPARE(again.position(600), QPoint(10, 20));
    }

    // Without a stored path: the newest "Gavrel <year>" beside the program
    // or the data root, the one beside the data root first within a year,
    // a networked installation followed to its shared root.
    void searchesTheUsualPlaces()
    {
        QTemporaryDir tmp;
        const QString base = tmp.path() + u'/';
        const QString program = base + u"apps/Qesto 2015/"_s;
        const QString local = base + u"data/Qesto 2015/"_s;
        QDir().mkpath(program);
        QDir().mkpath(local);
        const auto install = [](const QString &dir, const QByteArray &ini = "[Gavrel]\r\nNet=0\r\n") {
            QDir().mkpath(dir);
            QFile(dir + u"Data.DB"_s).open(QIODevice::WriteOnly);
            QFile g(dir + u"Gavrel.ini"_s);
            g.open(QIODevice::WriteOnly);
            g.write(ini);
        };
        QCOMPARE(transfer::searchPayrollData(program, local, 2015), base + u"data/Gavrel 2015\\Data.DB"_s);
        install(base + u"apps/Gavrel 2013/"_s);
        QCOMPARE(transfer::searchPayrollData(program, local, 2015), base + u"apps/Gavrel 2013\\Data.DB"_s);
        install(base + u"data/Gavrel 2012/"_s);
        install(base + u"data/Gavrel 2014/"_s);
        install(base + u"apps/Gavrel 2014/"_s);
        QCOMPARE(transfer::searchPayrollData(program, local, 2015), base + u"data/Gavrel 2014\\Data.DB"_s);
        // Only the list without its INI does not count.
        QDir().mkpath(base + u"apps/Gavrel 2015"_s);
        QFile(base + u"apps/Gavrel 2015/Data.DB"_s).open(QIODevice::WriteOnly);
        QCOMPARE(transfer::searchPayrollData(program, local, 2015), base + u"data/Gavrel 2014\\Data.DB"_s);
        install(base + u"apps/Gavrel 2015/"_s, "[Gavrel]\r\nNet=1\r\nPath=F:\\Mzdy\r\n");
        QCOMPARE(transfer::searchPayrollData(program, local, 2015), u"F:\\Mzdy\\Data.DB"_s);
        // A stored path that names a file wins.
        QCOMPARE(transfer::findPayrollData(base + u"data/Gavrel 2012/Data.DB"_s, program, local, 2015),
                 base + u"data/Gavrel 2012/Data.DB"_s);
        QCOMPARE(transfer::findPayrollData(u"Nastavte správně cestu."_s, program, local, 2015),
                 u"F:\\Mzdy\\Data.DB"_s);
    }

    // The command line does what the window does.
    void commandLine()
    {
        Fixture f(u"heslo"_s);
        QVERIFY(f.ok);
        QVERIFY(payrolltest::writeRows(f.payroll + u"/F2"_s, yearRows(), u"heslo"_s));
        f.dm.Disconnect();
        cli::Result r = cli::run({u"import-payroll"_s, f.settlement, f.payroll + u"/Data.DB"_s, u"2"_s,
                                  u"--company-data"_s, u"--password"_s, u"heslo"_s});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output, transfer::messages::done().toUtf8() + '\n');
        f.dm.OtevritTabulky();
        QCOMPARE(f.vdvl(u"Sl21"_s), 4000.0);
        QVERIFY(f.dm.Prp().fieldByName(u"Pfo"_s)->asBoolean());
        f.dm.Disconnect();

        r = cli::run({u"import-payroll"_s, f.settlement, f.payroll + u"/Data.DB"_s, u"7"_s});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.error.contains(u'7'));
        r = cli::run({u"import-payroll"_s, f.settlement, f.payroll + u"/Data.DB"_s, u"1"_s});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(withReason(r.error, transfer::messages::oldVersion(), u"Mzd1.DB"_s), qPrintable(r.error));
        r = cli::run({u"import-payroll"_s, f.settlement, f.tmp.filePath(u"x/Data.DB"_s), u"1"_s});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(withReason(r.error, transfer::messages::cannotShow(), u"Data.DB"_s), qPrintable(r.error));
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "test_transfer.moc"
