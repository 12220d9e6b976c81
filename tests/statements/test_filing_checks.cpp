#include "SettlementFixture.h"

#include "CliCommands.h"
#include "data/TDM1.h"
#include "statements/FilingChecks.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using statements::FilingData;
using statements::FilingIssue;
using statements::FilingPart;
using statements::Workplace;

namespace {

// A settlement that passes every check: a regular employment statement for
// the whole year with all monthly employee numbers, empty annexes, no
// withholding statement.
FilingData cleanSettlement()
{
    FilingData d;
    d.taxYear = 2015;
    d.prp = {{u"Dic"_s, u"CZ12345678"_s}, {u"Dz"_s, QDate(2015, 1, 1)}, {u"Dk"_s, QDate(2015, 12, 31)},
             {u"Dpdr1"_s, true},          {u"Dpdo1"_s, false},          {u"Dpdd1"_s, false}};
    for (int m = 1; m <= 12; ++m)
        d.prp.insert(u"Z"_s + QString::number(m), 4);
    d.vdvl = {{u"Sl213"_s, 1000.0}, {u"C401"_s, 1000.0}, {u"C408"_s, 1000.0},
              {u"Sl913"_s, 900.0},  {u"C409"_s, 900.0},  {u"C410"_s, -100.0}};
    return d;
}

// "prp.Dic" -> value; an invalid QVariant empties the field.
void apply(FilingData &d, const QVariantMap &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const QString table = it.key().section(u'.', 0, 0);
        const QString field = it.key().section(u'.', 1);
        FilingData::Record &r = table == u"prp"    ? d.prp
                                : table == u"vdvl" ? d.vdvl
                                : table == u"vdvs" ? d.vdvs
                                : table == u"vpkv" ? d.vpkv
                                                   : d.vpkb;
        if (it.value().isValid())
            r.insert(field, it.value());
        else
            r.remove(field);
    }
}

QVariantMap withholdingFiled()
{
    return {{u"prp.Dpdr2"_s, true},    {u"vdvs.Sl113"_s, 500.0}, {u"vdvs.C401a"_s, 500.0},
            {u"vdvs.Sl1013"_s, 500.0}, {u"vdvs.C402"_s, 500.0},  {u"vdvs.C403"_s, 0.0}};
}

QVariantMap plus(QVariantMap a, const QVariantMap &b)
{
    a.insert(b);
    return a;
}

} // namespace

// Each rule of the checks before filing on a case that trips it and one that
// passes; the findings are whole Czech sentences.
class TestFilingChecks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data();
    void rules();
    void workplaces_data();
    void workplaces();
    void onlyTheAskedPartsAreChecked();
    void emptySettlementListsWhatIsMissing();
    void commandReadsTheSettlement();
};

void TestFilingChecks::rules_data()
{
    QTest::addColumn<QVariantMap>("changes");
    QTest::addColumn<QStringList>("expected");

    const QString vdzc = u"Vyúčtování daně z příjmů ze závislé činnosti: "_s;
    const QString vdvs = u"Vyúčtování daně vybírané srážkou: "_s;
    const QString payer = u"Údaje o plátci: "_s;
    const QString vpkv = u"Příloha k vyúčtování - opravy: "_s;
    const QString vpkb = u"Příloha k vyúčtování - opravy bonusu: "_s;

    QTest::newRow("clean") << QVariantMap{} << QStringList{};

    // Type marks
    QTest::newRow("no type mark")
        << QVariantMap{{u"prp.Dpdr1"_s, false}}
        << QStringList{vdzc + u"není označeno, zda jde o vyúčtování řádné, opravné nebo dodatečné."_s};
    QTest::newRow("two type marks")
        << QVariantMap{{u"prp.Dpdo1"_s, true}}
        << QStringList{
               vdzc + u"je označeno více druhů vyúčtování (řádné, opravné, dodatečné); smí být jen jeden."_s};
    QTest::newRow("corrective only") << QVariantMap{{u"prp.Dpdr1"_s, false}, {u"prp.Dpdo1"_s, true}}
                                     << QStringList{};

    // Supplementary statement and its date
    QTest::newRow("supplementary without date")
        << QVariantMap{{u"prp.Dpdr1"_s, false}, {u"prp.Dpdd1"_s, true}}
        << QStringList{vdzc + u"dodatečné vyúčtování nemá datum zjištění důvodů pro jeho podání."_s};
    QTest::newRow("supplementary with date")
        << QVariantMap{{u"prp.Dpdr1"_s, false}, {u"prp.Dpdd1"_s, true}, {u"prp.Dopd"_s, QDate(2016, 4, 2)}}
        << QStringList{};

    // DIČ
    QTest::newRow("DIČ of 10 digits") << QVariantMap{{u"prp.Dic"_s, u"CZ1234567890"_s}} << QStringList{};
    QTest::newRow("DIČ of 7 digits") << QVariantMap{{u"prp.Dic"_s, u"CZ1234567"_s}}
                                     << QStringList{payer +
                                                    u"DIČ „CZ1234567“ nemá tvar CZ a 8 až 10 číslic."_s};
    QTest::newRow("DIČ of 11 digits")
        << QVariantMap{{u"prp.Dic"_s, u"CZ12345678901"_s}}
        << QStringList{payer + u"DIČ „CZ12345678901“ nemá tvar CZ a 8 až 10 číslic."_s};
    QTest::newRow("DIČ without CZ") << QVariantMap{{u"prp.Dic"_s, u"12345678"_s}}
                                    << QStringList{payer +
                                                   u"DIČ „12345678“ nemá tvar CZ a 8 až 10 číslic."_s};
    QTest::newRow("DIČ with a space")
        << QVariantMap{{u"prp.Dic"_s, u"CZ 12345678"_s}}
        << QStringList{payer + u"DIČ „CZ 12345678“ nemá tvar CZ a 8 až 10 číslic."_s};
    QTest::newRow("DIČ empty") << QVariantMap{{u"prp.Dic"_s, QVariant()}}
                               << QStringList{payer + u"není vyplněno DIČ plátce."_s};

    // Period
    QTest::newRow("part of the year") << QVariantMap{{u"prp.Dz"_s, QDate(2015, 3, 1)},
                                                     {u"prp.Dk"_s, QDate(2015, 10, 31)},
                                                     {u"prp.Z1"_s, QVariant()},
                                                     {u"prp.Z2"_s, QVariant()},
                                                     {u"prp.Z11"_s, QVariant()}}
                                      << QStringList{};
    QTest::newRow("from in 2014") << QVariantMap{{u"prp.Dz"_s, QDate(2014, 12, 31)}}
                                  << QStringList{payer +
                                                 u"zdaňovací období „od“ 31.12.2014 neleží v roce 2015."_s};
    QTest::newRow("to in 2016") << QVariantMap{{u"prp.Dk"_s, QDate(2016, 1, 1)}}
                                << QStringList{payer +
                                               u"zdaňovací období „do“ 01.01.2016 neleží v roce 2015."_s};
    QTest::newRow("from after to")
        << QVariantMap{{u"prp.Dz"_s, QDate(2015, 6, 2)}, {u"prp.Dk"_s, QDate(2015, 6, 1)}}
        << QStringList{payer + u"zdaňovací období „od“ 02.06.2015 je pozdější než „do“ 01.06.2015."_s};
    QTest::newRow("period to missing") << QVariantMap{{u"prp.Dk"_s, QVariant()}}
                                       << QStringList{payer + u"není vyplněno zdaňovací období „do“."_s};

    // Monthly employee numbers
    QTest::newRow("May count missing")
        << QVariantMap{{u"prp.Z5"_s, QVariant()}}
        << QStringList{vdzc + u"chybí počet zaměstnanců k poslednímu dni měsíce: květen."_s};
    QTest::newRow("zero count is a count") << QVariantMap{{u"prp.Z5"_s, 0}} << QStringList{};
    QTest::newRow("count missing after the period")
        << QVariantMap{{u"prp.Dk"_s, QDate(2015, 9, 15)},
                       {u"prp.Z10"_s, QVariant()},
                       {u"prp.Z9"_s, QVariant()}}
        << QStringList{vdzc + u"chybí počet zaměstnanců k poslednímu dni měsíce: září."_s};

    // Part II against the Part I totals it quotes
    QTest::newRow("row 1 rounds to the total") << QVariantMap{{u"vdvl.C401"_s, 999.6}} << QStringList{};
    QTest::newRow("row 1 differs")
        << QVariantMap{{u"vdvl.C401"_s, 1200.0}, {u"vdvl.C408"_s, 1200.0}, {u"vdvl.C410"_s, -300.0}}
        << QStringList{vdzc + u"ř. 1 (1200 Kč) nesouhlasí se sl. 1 ř. 13 v části I. (1000 Kč)."_s};
    QTest::newRow("row 2 differs")
        << QVariantMap{{u"vdvl.Sl513"_s, 50.0}}
        << QStringList{vdzc + u"ř. 2 (0 Kč) nesouhlasí se sl. 4 ř. 13 v části I. (50 Kč)."_s};
    QTest::newRow("row 4 differs")
        << QVariantMap{{u"vdvl.C403a"_s, 30.0}, {u"vdvl.C408"_s, 970.0}, {u"vdvl.C410"_s, -70.0}}
        << QStringList{vdzc + u"ř. 4 (30 Kč) nesouhlasí se sl. 5 ř. 13 v části I. (0 Kč)."_s};
    QTest::newRow("recapitulation with rows 2 to 5")
        << QVariantMap{{u"vdvl.C403"_s, 200.0}, {u"vdvl.Sl513"_s, 200.0}, {u"vdvl.C404"_s, 50.0},
                       {u"vdvl.C403a"_s, 30.0}, {u"vdvl.Slb513"_s, 30.0}, {u"vdvl.C404a"_s, 10.0},
                       {u"vdvl.C408"_s, 830.0}, {u"vdvl.C410"_s, 70.0}}
        << QStringList{};
    QTest::newRow("row 8 differs")
        << QVariantMap{{u"vdvl.C404"_s, 50.0}}
        << QStringList{
               vdzc +
               u"ř. 8 (1000 Kč) nesouhlasí s rekapitulací ř. 1 - ř. 2 + ř. 3 - ř. 4 + ř. 5 (1050 Kč)."_s};
    QTest::newRow("row 9 differs")
        << QVariantMap{{u"vdvl.Sl913"_s, 950.0}}
        << QStringList{vdzc + u"ř. 9 (900 Kč) nesouhlasí se sl. 11 ř. 13 v části I. (950 Kč)."_s};
    QTest::newRow("row 10 differs")
        << QVariantMap{{u"vdvl.C410"_s, 100.0}}
        << QStringList{vdzc + u"ř. 10 (100 Kč) nesouhlasí s rozdílem ř. 9 - ř. 8 (-100 Kč)."_s};

    // The withholding statement
    QTest::newRow("withholding filed") << withholdingFiled() << QStringList{};
    QTest::newRow("withholding amounts without a mark")
        << plus(withholdingFiled(), {{u"prp.Dpdr2"_s, false}})
        << QStringList{vdvs + u"není označeno, zda jde o vyúčtování řádné, opravné nebo dodatečné."_s};
    QTest::newRow("withholding with two marks")
        << plus(withholdingFiled(), {{u"prp.Dpdd2"_s, true}, {u"prp.Dops"_s, QDate(2016, 2, 1)}})
        << QStringList{
               vdvs + u"je označeno více druhů vyúčtování (řádné, opravné, dodatečné); smí být jen jeden."_s};
    QTest::newRow("withholding supplementary without date")
        << plus(withholdingFiled(), {{u"prp.Dpdr2"_s, false}, {u"prp.Dpdd2"_s, true}})
        << QStringList{vdvs + u"dodatečné vyúčtování nemá datum zjištění důvodů pro jeho podání."_s};
    QTest::newRow("withholding row 1 differs")
        << plus(withholdingFiled(), {{u"vdvs.C401a"_s, 400.0}, {u"vdvs.C403"_s, 100.0}})
        << QStringList{vdvs + u"ř. 1 (400 Kč) nesouhlasí se sl. 1 ř. 13 v části I. (500 Kč)."_s};
    QTest::newRow("withholding row 4 differs")
        << plus(withholdingFiled(), {{u"vdvs.Sl1013"_s, 450.0}})
        << QStringList{vdvs + u"ř. 4 (500 Kč) nesouhlasí se sl. 10 ř. 13 v části I. (450 Kč)."_s};
    QTest::newRow("withholding row 5 differs")
        << plus(withholdingFiled(), {{u"vdvs.C403"_s, 10.0}})
        << QStringList{vdvs + u"ř. 5 (10 Kč) nesouhlasí s rozdílem ř. 4 - ř. 1 (0 Kč)."_s};

    // Annex rows
    QTest::newRow("correction with kind")
        << QVariantMap{{u"vpkv.Z3"_s, u"Z"_s}, {u"vpkv.C35"_s, 100.0}} << QStringList{};
    QTest::newRow("correction without kind")
        << QVariantMap{{u"vpkv.C35"_s, 100.0}}
        << QStringList{vpkv + u"řádek 3 má částku, ale nemá předmět opravy (sl. 1 „Z“ nebo „D“)."_s};
    QTest::newRow("correction of another kind")
        << QVariantMap{{u"vpkv.Z3"_s, u"M"_s}, {u"vpkv.C35"_s, 100.0}}
        << QStringList{vpkv + u"řádek 3: předmět opravy „M“ není „Z“ ani „D“."_s};
    QTest::newRow("correction row 15 without kind")
        << QVariantMap{{u"vpkv.C155a"_s, -20.0}}
        << QStringList{vpkv + u"řádek 15 má částku, ale nemá předmět opravy (sl. 1 „Z“ nebo „D“)."_s};
    QTest::newRow("correction row 17 with kind")
        << QVariantMap{{u"vpkv.Z17a"_s, u"D"_s}, {u"vpkv.C175a"_s, 5.0}} << QStringList{};
    QTest::newRow("empty amount without kind") << QVariantMap{{u"vpkv.C45"_s, 0.0}} << QStringList{};
    QTest::newRow("bonus correction with kind")
        << QVariantMap{{u"vpkb.M2"_s, u"M"_s}, {u"vpkb.C26"_s, 300.0}} << QStringList{};
    QTest::newRow("bonus correction of a tax kind")
        << QVariantMap{{u"vpkb.M2"_s, u"Z"_s}, {u"vpkb.C26"_s, 300.0}}
        << QStringList{vpkb + u"řádek 2: předmět opravy „Z“ není „M“ ani „D“."_s};
    QTest::newRow("bonus correction without kind")
        << QVariantMap{{u"vpkb.C146"_s, 300.0}}
        << QStringList{vpkb + u"řádek 14 má částku, ale nemá předmět opravy (sl. 1 „M“ nebo „D“)."_s};
}

void TestFilingChecks::rules()
{
    QFETCH(QVariantMap, changes);
    QFETCH(QStringList, expected);
    FilingData d = cleanSettlement();
    apply(d, changes);
    QStringList texts;
    for (const FilingIssue &i : statements::checkForFiling(d))
        texts.append(i.text);
    QCOMPARE(texts, expected);
}

void TestFilingChecks::workplaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("count");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");

    QTest::newRow("with code") << u"Sklad"_s << QVariant(12.0) << u"582786"_s << QString();
    QTest::newRow("no employees, no code") << u"Sklad"_s << QVariant(0.0) << QString() << QString();
    QTest::newRow("no code") << u"Sklad"_s << QVariant(12.0) << QString()
                             << u"Počet zaměstnanců: řádek 2 („Sklad“) má zaměstnance, ale nemá kód obce."_s;
    QTest::newRow("five digits") << QString() << QVariant(1.0) << u"58278"_s
                                 << u"Počet zaměstnanců: řádek 2: kód obce „58278“ nemá šest číslic."_s;
    QTest::newRow("letters")
        << u"Dílna"_s << QVariant(3.0) << u"58278A"_s
        << u"Počet zaměstnanců: řádek 2 („Dílna“): kód obce „58278A“ nemá šest číslic."_s;
}

void TestFilingChecks::workplaces()
{
    QFETCH(QString, name);
    QFETCH(QVariant, count);
    QFETCH(QString, code);
    QFETCH(QString, expected);
    FilingData d = cleanSettlement();
    const QList<Workplace> rows{{u"Kancelář"_s, 2.0, u"500011"_s}, {name, count, code}};
    d.forEachWorkplace = [&rows](const FilingData::WorkplaceVisitor &visit) {
        for (const Workplace &w : rows)
            visit(w);
    };
    const QList<FilingIssue> issues = statements::checkForFiling(d);
    if (expected.isEmpty()) {
        QVERIFY(issues.isEmpty());
    } else {
        QCOMPARE(issues.size(), 1);
        QCOMPARE(issues.front().part, FilingPart::EmployeeCount);
        QCOMPARE(issues.front().text, expected);
    }
}

void TestFilingChecks::onlyTheAskedPartsAreChecked()
{
    FilingData d = cleanSettlement();
    apply(d, {{u"prp.Dic"_s, u"x"_s}, {u"prp.Dpdr1"_s, false}, {u"vpkv.C15"_s, 1.0}, {u"vpkb.C16"_s, 1.0}});
    QList<FilingPart> parts;
    for (const FilingIssue &i : statements::checkForFiling(d, {FilingPart::Corrections}))
        parts.append(i.part);
    QCOMPARE(parts, (QList<FilingPart>{FilingPart::Company, FilingPart::Corrections}));
    // The withholding statement asked for is checked even without amounts.
    const QList<FilingIssue> withholding =
        statements::checkForFiling(cleanSettlement(), {FilingPart::Withholding});
    QCOMPARE(withholding.size(), 1);
    QCOMPARE(withholding.front().part, FilingPart::Withholding);
}

void TestFilingChecks::emptySettlementListsWhatIsMissing()
{
    FilingData d;
    d.taxYear = 2015;
    const QString text = statements::filingIssuesText(statements::checkForFiling(d));
    QCOMPARE(
        text,
        u"Údaje o plátci: není vyplněno DIČ plátce.\n"
        "Údaje o plátci: není vyplněno zdaňovací období „od“.\n"
        "Údaje o plátci: není vyplněno zdaňovací období „do“.\n"
        "Vyúčtování daně z příjmů ze závislé činnosti: není označeno, zda jde o vyúčtování řádné, "
        "opravné nebo dodatečné.\n"
        "Vyúčtování daně z příjmů ze závislé činnosti: chybí počet zaměstnanců k poslednímu dni měsíce: "
        "leden, únor, březen, duben, květen, červen, červenec, srpen, září, říjen, listopad, prosinec.\n"_s);
}

void TestFilingChecks::commandReadsTheSettlement()
{
    QTemporaryDir root;
    const QString dir = dm1test::makeCurrentSettlement(root.path());
    {
        data::TDM1 dm;
        dm.DM1Create(root.path());
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
        data::Dataset &prp = dm.Prp();
        prp.edit();
        prp.fieldByName(u"Dic"_s)->setAsString(u"CZ699001234"_s);
        prp.fieldByName(u"Dz"_s)->setAsDate(QDate(2015, 1, 1));
        prp.fieldByName(u"Dk"_s)->setAsDate(QDate(2015, 12, 31));
        prp.fieldByName(u"Dpdr1"_s)->setAsBoolean(true);
        for (int m = 1; m <= 12; ++m)
            prp.fieldByName(u"Z"_s + QString::number(m))->setAsInteger(3);
        prp.post();
        data::Dataset &vpz = dm.Vpz();
        for (const auto &[name, code] :
             {std::pair{u"Sídlo"_s, u"582786"_s}, std::pair{u"Sklad"_s, QString()}}) {
            vpz.append();
            vpz.fieldByName(u"N3"_s)->setAsString(name);
            vpz.fieldByName(u"C4"_s)->setAsFloat(2);
            vpz.fieldByName(u"N6"_s)->setAsString(code);
            vpz.post();
        }
        dm.Disconnect();
    }
    cli::Result r = cli::run({u"check"_s, dir});
    QCOMPARE(r.error, QString());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(QString::fromUtf8(r.output),
             u"Počet zaměstnanců: řádek 2 („Sklad“) má zaměstnance, ale nemá kód obce.\n"_s);

    // Filler rows of a page numbering are not places of work.
    {
        data::TDM1 dm;
        dm.DM1Create(root.path());
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
        data::Dataset &vpz = dm.Vpz();
        vpz.last();
        vpz.edit();
        vpz.fieldByName(u"N6"_s)->setAsString(u"500011"_s);
        vpz.post();
        dm.Disconnect();
        auto table = paradox::Table::open(data::tableFilePath(dir, u"Vpz.DB"_s));
        table->append({QVariant(), u"-----"_s, 5.0, u"-----"_s, u"-----"_s, u"-----"_s, QVariant(), 3, 1});
    }
    r = cli::run({u"check"_s, dir});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.output, QByteArray());
    QCOMPARE(cli::run({u"check"_s, root.path() + u"/D9"_s}).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestFilingChecks)
#include "test_filing_checks.moc"
