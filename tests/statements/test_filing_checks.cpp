#include "SettlementFixture.h"

#include "CliCommands.h"
#include "data/TDM1.h"
#include "statements/FilingChecks.h"

#include <QFile>
#include <QSet>
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
    d.today = QDate(2016, 2, 1);
    d.prp = {{u"Dic"_s, u"CZ12345678"_s},
             {u"Dz"_s, QDate(2015, 1, 1)},
             {u"Dk"_s, QDate(2015, 12, 31)},
             {u"Dpdr1"_s, true},
             {u"Dpdo1"_s, false},
             {u"Dpdd1"_s, false},
             {u"Zdo"_s, true}};
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
    void employmentPortalChecks_data();
    void employmentPortalChecks();
    void withholdingPortalChecks_data();
    void withholdingPortalChecks();
    void municipalitiesAgainstTheList_data();
    void municipalitiesAgainstTheList();
    void checkListCoversTheSchemas();
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
    QTest::newRow("from in 2014")
        << QVariantMap{{u"prp.Dz"_s, QDate(2014, 12, 31)}}
        << QStringList{
               payer + u"zdaňovací období „od“ 31.12.2014 neleží v roce 2015."_s,
               vdzc + u"zdaňovací období od 31.12.2014 do 31.12.2015 nesmí přesahovat kalendářní rok."_s};
    QTest::newRow("to in 2016")
        << QVariantMap{{u"prp.Dk"_s, QDate(2016, 1, 1)}}
        << QStringList{
               payer + u"zdaňovací období „do“ 01.01.2016 neleží v roce 2015."_s,
               vdzc +
                   u"zdaňovací období do 01.01.2016: vyúčtování bez kódu rozlišení nelze podat za rok 2016."_s,
               vdzc + u"zdaňovací období od 01.01.2015 do 01.01.2016 nesmí přesahovat kalendářní rok."_s};
    QTest::newRow("from after to")
        << QVariantMap{{u"prp.Dz"_s, QDate(2015, 6, 2)}, {u"prp.Dk"_s, QDate(2015, 6, 1)}}
        << QStringList{vdzc + u"zdaňovací období do 01.06.2015 je dřívější než od 02.06.2015."_s};
    QTest::newRow("whole year for a part")
        << QVariantMap{{u"prp.Zdo"_s, false}}
        << QStringList{payer +
                       u"zdaňovací období je celý rok 2015, ale „Za zdaňovací období“ není zaškrtnuto, "
                       u"takže vyúčtování uvádějí „za část zdaňovacího období“."_s};
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
               vdvs + u"je označeno více druhů vyúčtování (řádné, opravné, dodatečné); smí být jen jeden."_s,
               vdvs +
                   u"část I., sl. 9: dodatečné vyúčtování musí uvést rozdíl proti původnímu vyúčtování."_s};
    QTest::newRow("withholding supplementary without date")
        << plus(withholdingFiled(), {{u"prp.Dpdr2"_s, false}, {u"prp.Dpdd2"_s, true}})
        << QStringList{
               vdvs + u"dodatečné vyúčtování nemá datum zjištění důvodů pro jeho podání."_s,
               vdvs +
                   u"část I., sl. 9: dodatečné vyúčtování musí uvést rozdíl proti původnímu vyúčtování."_s};
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
        << QVariantMap{{u"vpkv.Z3"_s, u"Z"_s}, {u"vpkv.N31"_s, u"3/2015"_s}, {u"vpkv.C35"_s, 100.0}}
        << QStringList{};
    QTest::newRow("correction without kind")
        << QVariantMap{{u"vpkv.C35"_s, 100.0}}
        << QStringList{vpkv + u"řádek 3 má částku, ale nemá předmět opravy (sl. 1 „Z“ nebo „D“)."_s};
    QTest::newRow("correction of another kind")
        << QVariantMap{{u"vpkv.Z3"_s, u"M"_s}, {u"vpkv.C35"_s, 100.0}}
        << QStringList{vpkv + u"řádek 3: předmět opravy „M“ není „Z“ ani „D“."_s};
    QTest::newRow("correction row 15 without kind")
        << QVariantMap{{u"vpkv.C155a"_s, -20.0}}
        << QStringList{vpkv + u"řádek 15 má částku, ale nemá předmět opravy (sl. 1 „Z“ nebo „D“)."_s};
    QTest::newRow("correction row 17 with kind") << QVariantMap{{u"vpkv.Z17a"_s, u"D"_s},
                                                                {u"vpkv.N171a"_s, u"2014"_s},
                                                                {u"vpkv.N172a"_s, u"2.3.2015"_s},
                                                                {u"vpkv.C175a"_s, 5.0}}
                                                 << QStringList{};
    QTest::newRow("empty amount without kind") << QVariantMap{{u"vpkv.C45"_s, 0.0}} << QStringList{};
    QTest::newRow("bonus correction with kind")
        << QVariantMap{{u"vpkb.M2"_s, u"M"_s}, {u"vpkb.N21"_s, u"2/2015"_s}, {u"vpkb.C26"_s, 300.0}}
        << QStringList{};
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

// The portal's documented critical checks of the employment statement and
// its annexes: each row trips one check (its identifier and its Czech text at
// the form's row and column) or, named "…ok", none.
void TestFilingChecks::employmentPortalChecks_data()
{
    QTest::addColumn<QVariantMap>("changes");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("text");
    const QString vdzc = u"Vyúčtování daně z příjmů ze závislé činnosti: "_s;
    const QString vpkv = u"Příloha k vyúčtování - opravy: "_s;
    const QString vpkb = u"Příloha k vyúčtování - opravy bonusu: "_s;
    const QString D = u"DPZVD6."_s;

    // Period against the distinction code
    QTest::newRow("code H for 2015 ok") << QVariantMap{{u"prp.Kod"_s, u"H"_s}} << QString() << QString();
    QTest::newRow("code C after 2013")
        << QVariantMap{{u"prp.Kod"_s, u"C"_s}} << D + u"VetaD.zdobd_od"_s
        << vdzc +
               u"zdaňovací období od 01.01.2015: vyúčtování s kódem rozlišení „C“ nelze podat za rok 2015."_s;
    // Part I: no negative column, nothing outside the period after an event
    QTest::newRow("sl. 2 negative")
        << QVariantMap{{u"vdvl.Sl35"_s, -10.0}} << D + u"VetaO.kc_dpzi02"_s
        << vdzc + u"část I., ř. 5 (květen), sl. 2: částka -10 Kč nesmí být záporná."_s;
    QTest::newRow("sl. 3 negative") << QVariantMap{{u"vdvl.Slo31"_s, -1.0}} << D + u"VetaO.kc_dpzi03a"_s
                                    << vdzc +
                                           u"část I., ř. 1 (leden), sl. 3: částka -1 Kč nesmí být záporná."_s;
    QTest::newRow("sl. 4 negative")
        << QVariantMap{{u"vdvl.Sl512"_s, -5.0}} << D + u"VetaO.kc_dpzi04"_s
        << vdzc + u"část I., ř. 12 (prosinec), sl. 4: částka -5 Kč nesmí být záporná."_s;
    QTest::newRow("sl. 5 negative") << QVariantMap{{u"vdvl.Slb52"_s, -5.0}} << D + u"VetaO.kc_dpzi05"_s
                                    << vdzc +
                                           u"část I., ř. 2 (únor), sl. 5: částka -5 Kč nesmí být záporná."_s;
    QTest::newRow("sl. 11 negative")
        << QVariantMap{{u"vdvl.Sl93"_s, -5.0}} << D + u"VetaO.kc_dpzi11"_s
        << vdzc + u"část I., ř. 3 (březen), sl. 11: částka -5 Kč nesmí být záporná."_s;
    QTest::newRow("sl. 1 negative") << QVariantMap{{u"vdvl.Sl24"_s, -5.0}} << D + u"VetaO.kc_dpzi01"_s
                                    << vdzc +
                                           u"část I., ř. 4 (duben), sl. 1: částka -5 Kč nesmí být záporná."_s;
    const QVariantMap firstHalf = {{u"prp.Dk"_s, QDate(2015, 6, 30)}, {u"vdvl.Sl27"_s, 100.0}};
    QTest::newRow("sl. 1 after the period, regular ok") << firstHalf << QString() << QString();
    QTest::newRow("sl. 1 after the period after insolvency")
        << plus(firstHalf, {{u"prp.Kod"_s, u"A"_s}}) << D + u"VetaO.kc_dpzi01"_s
        << vdzc + u"část I., ř. 7 (červenec), sl. 1: částka 100 Kč je v měsíci mimo zdaňovací období."_s;
    QTest::newRow("total sl. 2 negative")
        << QVariantMap{{u"vdvl.Sl313"_s, -3.0}} << D + u"VetaS.s_kc_dpzi02"_s
        << vdzc + u"část I., ř. 13 (úhrn), sl. 2: částka -3 Kč nesmí být záporná."_s;
    QTest::newRow("total sl. 3 negative")
        << QVariantMap{{u"vdvl.Slo313"_s, -3.0}} << D + u"VetaS.s_kc_dpzi03a"_s
        << vdzc + u"část I., ř. 13 (úhrn), sl. 3: částka -3 Kč nesmí být záporná."_s;
    QTest::newRow("total sl. 5 negative")
        << QVariantMap{{u"vdvl.Slb513"_s, -10.0},
                       {u"vdvl.C403a"_s, -10.0},
                       {u"vdvl.C408"_s, 1010.0},
                       {u"vdvl.C410"_s, -110.0}}
        << D + u"VetaS.s_kc_dpzi05"_s
        << vdzc + u"část I., ř. 13 (úhrn), sl. 5: částka -10 Kč nesmí být záporná."_s;
    // Refunds of row 06: one month a row
    QTest::newRow("refund of one month ok")
        << QVariantMap{{u"vdvl.Mv1"_s, u"březen"_s}} << QString() << QString();
    QTest::newRow("refund of two months")
        << QVariantMap{{u"vdvl.Mv2"_s, u"březen a duben"_s}} << u"program.mesic_06"_s
        << vdzc + u"vrácení přeplatku (ř. 06), řádek 2, sl. 1: „březen a duben“ uvádí více měsíců; uveďte na "
                  u"každý řádek jeden měsíc."_s;
    QTest::newRow("refund without a month")
        << QVariantMap{{u"vdvl.Mv3"_s, u"jaro"_s}} << u"program.mesic_06"_s
        << vdzc + u"vrácení přeplatku (ř. 06), řádek 3, sl. 1: „jaro“ neuvádí měsíc; uveďte na každý řádek "
                  u"jeden měsíc."_s;

    // Corrections (VetaE)
    const QVariantMap advance = {{u"vpkv.Z1"_s, u"Z"_s},
                                 {u"vpkv.N11"_s, u"3/2015"_s},
                                 {u"vpkv.N12"_s, u"15.4.2015"_s},
                                 {u"vpkv.N14"_s, u"20.6.2015"_s},
                                 {u"vpkv.C15"_s, -350.0}};
    QTest::newRow("advance correction ok") << advance << QString() << QString();
    QTest::newRow("advance without month")
        << plus(advance, {{u"vpkv.N11"_s, u"2015"_s}}) << D + u"VetaE.mesic_nespr"_s
        << vpkv +
               u"řádek 1, sl. 2: u předmětu opravy „Z“ musí být uveden měsíc a rok nesprávné srážky (např. „3/2015“)."_s;
    QTest::newRow("correction of zero") << plus(advance, {{u"vpkv.C15"_s, 0.0}}) << D + u"VetaE.kc_castka"_s
                                        << vpkv + u"řádek 1, sl. 6: částka opravy nesmí být nulová."_s;
    QTest::newRow("original deduction tomorrow")
        << plus(advance, {{u"vpkv.N12"_s, u"2.2.2016"_s}}) << D + u"VetaE.d_puvsraz"_s
        << vpkv + u"řádek 1, sl. 3: datum 02.02.2016 je pozdější než dnešek."_s;
    QTest::newRow("correction tomorrow")
        << plus(advance, {{u"vpkv.N14"_s, u"2.2.2016"_s}}) << D + u"VetaE.d_dodsraz"_s
        << vpkv + u"řádek 1, sl. 5: datum 02.02.2016 je pozdější než dnešek."_s;
    QTest::newRow("year before 1994")
        << plus(advance, {{u"vpkv.N11"_s, u"3/1993"_s}}) << D + u"VetaE.rok_nespr"_s
        << vpkv + u"řádek 1, sl. 2: rok 1993 musí být pozdější než 1993."_s;
    const QVariantMap tax = {{u"vpkv.Z2"_s, u"D"_s},
                             {u"vpkv.N21"_s, u"2014"_s},
                             {u"vpkv.N22"_s, u"1.4.2015"_s},
                             {u"vpkv.C25"_s, 1200.0}};
    QTest::newRow("tax correction ok") << tax << QString() << QString();
    QTest::newRow("tax correction of this year")
        << plus(tax, {{u"vpkv.N21"_s, u"2015"_s}, {u"vpkv.N22"_s, u"10.1.2016"_s}})
        << D + u"VetaE.rok_nespr"_s
        << vpkv + u"řádek 2, sl. 2: oprava daně (D) se týká roku před zdaňovacím obdobím, ne roku 2015."_s;
    QTest::newRow("tax correction without its date")
        << plus(tax, {{u"vpkv.N22"_s, QVariant()}}) << D + u"VetaE.d_puvsraz"_s
        << vpkv + u"řádek 2, sl. 3: u opravy daně (D) musí být uvedeno datum původní srážky."_s;
    QTest::newRow("tax deducted in the wrong year")
        << plus(tax, {{u"vpkv.N22"_s, u"1.4.2014"_s}}) << D + u"VetaE.d_puvsraz"_s
        << vpkv +
               u"řádek 2, sl. 3: datum 01.04.2014 musí ležet nejdříve v roce po roce nesprávné srážky 2014."_s;

    // Bonus corrections (VetaF)
    const QVariantMap bonus = {{u"vpkb.M1"_s, u"M"_s},
                               {u"vpkb.N11"_s, u"2/2015"_s},
                               {u"vpkb.N14"_s, u"20.5.2015"_s},
                               {u"vpkb.N15"_s, u"10.4.2015"_s},
                               {u"vpkb.C16"_s, -117.0}};
    QTest::newRow("bonus correction ok") << bonus << QString() << QString();
    QTest::newRow("bonus of zero") << plus(bonus, {{u"vpkb.C16"_s, 0.0}}) << D + u"VetaF.b_kc_castka"_s
                                   << vpkb + u"řádek 1, sl. 7: částka opravy nesmí být nulová."_s;
    QTest::newRow("bonus request with a positive amount")
        << plus(bonus, {{u"vpkb.C16"_s, 117.0}}) << D + u"VetaF.b_kc_castka"_s
        << vpkb + u"řádek 1, sl. 7: s datem žádosti ve sl. 6 musí být částka záporná (117 Kč)."_s;
    QTest::newRow("bonus corrected tomorrow")
        << plus(bonus, {{u"vpkb.N14"_s, u"2.2.2016"_s}}) << D + u"VetaF.b_d_dodsraz"_s
        << vpkb + u"řádek 1, sl. 5: datum 02.02.2016 je pozdější než dnešek."_s;
    QTest::newRow("monthly bonus without month")
        << plus(bonus, {{u"vpkb.N11"_s, QVariant()}}) << D + u"VetaF.b_mesic_nespr"_s
        << vpkb +
               u"řádek 1, sl. 2: u předmětu opravy „M“ musí být uveden měsíc a rok nesprávné srážky (např. „3/2015“)."_s;
    QTest::newRow("bonus before 2005")
        << plus(bonus, {{u"vpkb.N11"_s, u"2/2004"_s}}) << D + u"VetaF.b_rok_nespr"_s
        << vpkb + u"řádek 1, sl. 2: rok 2004 nesmí být dřívější než 2005."_s;
}

void TestFilingChecks::employmentPortalChecks()
{
    QFETCH(QVariantMap, changes);
    QFETCH(QString, check);
    QFETCH(QString, text);
    FilingData d = cleanSettlement();
    apply(d, changes);
    const QList<FilingIssue> issues = statements::checkForFiling(d);
    if (check.isEmpty()) {
        QCOMPARE(statements::filingIssuesText(issues), QString());
        return;
    }
    QCOMPARE(issues.size(), 1);
    QCOMPARE(issues.front().check, check);
    QCOMPARE(issues.front().text, text);
    QCOMPARE(issues.front().severity, statements::filingCheck(check)->severity);
}

// The same for the withholding statement.
void TestFilingChecks::withholdingPortalChecks_data()
{
    QTest::addColumn<QVariantMap>("changes");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("text");
    const QString vdvs = u"Vyúčtování daně vybírané srážkou: "_s;
    const QString S = u"DPSVD2."_s;
    const QVariantMap filed = plus(withholdingFiled(), {{u"prp.Pfo"_s, true}});

    QTest::newRow("filed ok") << filed << QString() << QString();
    QTest::newRow("period after the filing")
        << plus(
               filed,
               {{u"prp.Dz"_s, QDate(2016, 1, 1)}, {u"prp.Dk"_s, QDate(2016, 12, 31)}, {u"prp.Kod"_s, u"H"_s}})
        << S + u"VetaD.zdobd_do"_s << vdvs + u"zdaňovací období do 31.12.2016 končí až po dni podání."_s;
    QTest::newRow("code GA for the last year")
        << plus(filed, {{u"prp.Kod"_s, u"GA"_s}}) << QString() << QString();
    QTest::newRow("code GC after 2012")
        << plus(filed, {{u"prp.Kod"_s, u"GC"_s}}) << S + u"VetaD.zdobd_od"_s
        << vdvs +
               u"zdaňovací období od 01.01.2015: vyúčtování s kódem rozlišení „GC“ nelze podat za rok 2015."_s;
    QTest::newRow("deadline inside ok")
        << plus(filed, {{u"prp.Lhp"_s, QDate(2015, 4, 1)}}) << QString() << QString();
    QTest::newRow("deadline after the period")
        << plus(filed, {{u"prp.Lhp"_s, QDate(2016, 4, 1)}}) << S + u"VetaD.lh_odv"_s
        << vdvs +
               u"lhůta pro podání daňového přiznání 01.04.2016 neleží uvnitř zdaňovacího období 01.01.2015 – "
               u"31.12.2015."_s;
    const QVariantMap insolvency =
        plus(filed,
             {{u"prp.Kod"_s, u"A"_s}, {u"prp.Dk"_s, QDate(2015, 9, 30)}, {u"prp.Dvo"_s, QDate(2015, 11, 2)}});
    QTest::newRow("event two months after ok") << insolvency << QString() << QString();
    QTest::newRow("event a month after")
        << plus(insolvency, {{u"prp.Dvo"_s, QDate(2015, 10, 2)}}) << S + u"VetaD.d_ins"_s
        << vdvs + u"datum ke kódu rozlišení „A“ 02.10.2015 musí ležet ve druhém měsíci po konci zdaňovacího "
                  u"období 30.09.2015."_s;
    for (const auto &[attribute, stem, caption] :
         {std::tuple{u"kc_dpsi01"_s, u"Sl1"_s, u"sl. 1"_s}, std::tuple{u"kc_dpsi02"_s, u"Sl2"_s, u"sl. 2"_s},
          std::tuple{u"kc_dpsi03"_s, u"Sl3"_s, u"sl. 3"_s},
          std::tuple{u"kc_dpsi06"_s, u"Sl7"_s, u"sl. 6"_s}}) {
        QTest::addRow("%s negative", qPrintable(caption))
            << plus(filed, {{u"vdvs."_s + stem + u'4', -8.0}}) << S + u"VetaO."_s + attribute
            << vdvs + u"část I., ř. 4 (duben), %1: částka -8 Kč nesmí být záporná."_s.arg(caption);
    }
    const QVariantMap firstHalf = plus(filed, {{u"prp.Dk"_s, QDate(2015, 6, 30)}});
    for (const auto &[attribute, stem, caption] :
         {std::tuple{u"kc_dpsi01"_s, u"Sl1"_s, u"sl. 1"_s}, std::tuple{u"kc_dpsi02"_s, u"Sl2"_s, u"sl. 2"_s},
          std::tuple{u"kc_dpsi03"_s, u"Sl3"_s, u"sl. 3"_s}, std::tuple{u"kc_dpsi06"_s, u"Sl7"_s, u"sl. 6"_s},
          std::tuple{u"kc_dpsi07"_s, u"Slo7"_s, u"sl. 7"_s},
          std::tuple{u"kc_dpsi08a"_s, u"Sld9"_s, u"sl. 8a"_s},
          std::tuple{u"kc_dpsi10"_s, u"Sl10"_s, u"sl. 10"_s}}) {
        QTest::addRow("%s outside the period", qPrintable(caption))
            << plus(firstHalf, {{u"vdvs."_s + stem + u'8', 8.0}}) << S + u"VetaO."_s + attribute
            << vdvs + u"část I., ř. 8 (srpen), %1: částka 8 Kč je v měsíci mimo zdaňovací období."_s.arg(
                          caption);
    }
    QTest::newRow("sl. 6 for legal persons")
        << plus(filed, {{u"prp.Pfo"_s, false}, {u"vdvs.Sl71"_s, 8.0}}) << S + u"VetaO.kc_dpsi06"_s
        << vdvs + u"část I., ř. 1 (leden), sl. 6: částka 8 Kč se u příjmů právnických osob nevyplňuje."_s;
    const QVariantMap supplementary = plus(filed, {{u"prp.Dpdr2"_s, false},
                                                   {u"prp.Dpdd2"_s, true},
                                                   {u"prp.Dops"_s, QDate(2016, 1, 10)},
                                                   {u"vdvs.Sl86"_s, 50.0}});
    QTest::newRow("supplementary with a difference ok") << supplementary << QString() << QString();
    QTest::newRow("supplementary without a difference")
        << plus(supplementary, {{u"vdvs.Sl86"_s, QVariant()}}) << S + u"VetaO.kc_dpsi09"_s
        << vdvs + u"část I., sl. 9: dodatečné vyúčtování musí uvést rozdíl proti původnímu vyúčtování."_s;
    QTest::newRow("sl. 9 outside the period")
        << plus(supplementary, {{u"prp.Dk"_s, QDate(2015, 5, 31)}}) << S + u"VetaO.kc_dpsi09"_s
        << vdvs + u"část I., ř. 6 (červen), sl. 9: částka 50 Kč je v měsíci mimo zdaňovací období."_s;
}

void TestFilingChecks::withholdingPortalChecks()
{
    QFETCH(QVariantMap, changes);
    QFETCH(QString, check);
    QFETCH(QString, text);
    FilingData d = cleanSettlement();
    apply(d, changes);
    const QList<FilingIssue> issues = statements::checkForFiling(d, {FilingPart::Withholding});
    QList<FilingIssue> found;
    for (const FilingIssue &i : issues)
        if (i.part == FilingPart::Withholding)
            found.append(i);
    if (check.isEmpty()) {
        QCOMPARE(statements::filingIssuesText(found), QString());
        return;
    }
    QCOMPARE(statements::filingIssuesText(found), text + u'\n');
    QCOMPARE(found.front().check, check);
    QCOMPARE(found.front().severity, statements::Severity::Critical);
}

// The places of work against a municipality list: codes missing from it,
// names that belong to another code, codes on several rows.
void TestFilingChecks::municipalitiesAgainstTheList_data()
{
    QTest::addColumn<QList<Workplace>>("places");
    QTest::addColumn<QStringList>("expected");
    const QString vpz = u"Počet zaměstnanců: "_s;
    QTest::newRow("listed") << QList<Workplace>{{u"Sídlo"_s, 3.0, u"582786"_s, u"brno"_s, QString()},
                                                {u"Kancelář"_s, 1.0, u"500054"_s, u"Praha 1"_s, QString()}}
                            << QStringList{};
    QTest::newRow("not listed")
        << QList<Workplace>{{u"Sklad"_s, 3.0, u"599999"_s}}
        << QStringList{vpz +
                       u"řádek 1 („Sklad“): kód obce 599999 není v dnešním číselníku obcí; ověřte jej (obec "
                       u"mohla vzniknout až po roce 2015)."_s};
    QTest::newRow("name of another municipality")
        << QList<Workplace>{{u"Sklad"_s, 3.0, u"582786"_s, u"Ostrava"_s}}
        << QStringList{vpz +
                       u"řádek 1 („Sklad“): název obce „Ostrava“ neodpovídá kódu 582786, který v číselníku "
                       u"obcí patří obci „Brno“."_s};
    QTest::newRow("negative count")
        << QList<Workplace>{{u"Sklad"_s, -2.0, u"582786"_s}}
        << QStringList{vpz + u"řádek 1 („Sklad“), počet zaměstnanců: -2 nesmí být záporný."_s};
    QTest::newRow("one code twice")
        << QList<Workplace>{{u"A"_s, 3.0, u"582786"_s},
                            {u"B"_s, 3.0, u"554782"_s},
                            {u"C"_s, 1.0, u"582786"_s}}
        << QStringList{vpz +
                       u"řádky 1, 3 mají stejný kód obce 582786; elektronické podání je uvede jako jeden "
                       u"řádek se součtem zaměstnanců."_s};
}

void TestFilingChecks::municipalitiesAgainstTheList()
{
    QFETCH(QList<Workplace>, places);
    QFETCH(QStringList, expected);
    FilingData d = cleanSettlement();
    d.forEachWorkplace = [&places](const FilingData::WorkplaceVisitor &visit) {
        for (const Workplace &w : places)
            visit(w);
    };
    // A list of three, as the filing's own would answer.
    const QList<statements::Municipality> list = {{u"582786"_s, u"Brno"_s, u"Brno"_s},
                                                  {u"554782"_s, u"Praha"_s, u"Praha"_s},
                                                  {u"500054"_s, u"Praha - Praha 1"_s, u"Praha"_s}};
    d.municipalities.byCode = [&list](const QString &code) -> std::optional<statements::Municipality> {
        for (const statements::Municipality &m : list)
            if (m.code == code)
                return m;
        return std::nullopt;
    };
    QStringList texts;
    for (const FilingIssue &i : statements::checkForFiling(d))
        texts.append(i.text);
    QCOMPARE(texts, expected);
}

// Every check the schemas document as critical is in the list, once, and in
// the documentation's table; the list names nothing the schemas do not.
void TestFilingChecks::checkListCoversTheSchemas()
{
    QHash<QString, int> perForm;
    QSet<QString> ids;
    for (const statements::FilingCheck &c : statements::filingCheckList()) {
        QVERIFY2(!ids.contains(c.id), qPrintable(c.id));
        ids.insert(c.id);
        if (!c.id.startsWith(u"program."_s))
            ++perForm[c.id.section(u'.', 0, 0)];
    }
    QCOMPARE(perForm.value(u"DPZVD6"_s), 58);
    QCOMPARE(perForm.value(u"DPSVD2"_s), 23);

    QFile docs(QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/../../docs/filing.md"_s);
    QVERIFY(docs.open(QIODevice::ReadOnly));
    const QString table = QString::fromUtf8(docs.readAll());
    for (const QString &id : ids)
        QVERIFY2(table.contains(u'`' + id + u'`'), qPrintable(id));

    for (const QString &form : {u"dpzvd6"_s, u"dpsvd2"_s}) {
        QFile f(QStringLiteral(QESTO_SHARED_DIR) + u"/epo/"_s + form + u".xsd"_s);
        if (!f.open(QIODevice::ReadOnly))
            QSKIP("The published schemas (../shared/epo) are not here.");
        const QString xsd = QString::fromUtf8(f.readAll());
        QCOMPARE(xsd.count(u"obsahuje kritick"_s), perForm.value(form.toUpper()));
        for (const QString &id : ids) {
            if (!id.startsWith(form.toUpper()))
                continue;
            const qsizetype record = xsd.indexOf(u"name=\""_s + id.section(u'.', 1, 1) + u'"');
            const qsizetype attribute =
                xsd.indexOf(u"<xs:attribute name=\""_s + id.section(u'.', 2) + u'"', record);
            QVERIFY2(record > 0 && attribute > 0, qPrintable(id));
            const QString block =
                xsd.mid(attribute, xsd.indexOf(u"</xs:attribute>"_s, attribute) - attribute);
            QVERIFY2(block.contains(u"kritick"_s), qPrintable(id));
        }
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
        data::TDM1 dm{data::Collaborators::tablesOnly()};
        dm.DM1Create(root.path());
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
        data::Dataset &prp = dm.Prp();
        prp.edit();
        prp.fieldByName(u"Dic"_s)->setAsString(u"CZ699001234"_s);
        prp.fieldByName(u"Dz"_s)->setAsDate(QDate(2015, 1, 1));
        prp.fieldByName(u"Dk"_s)->setAsDate(QDate(2015, 12, 31));
        prp.fieldByName(u"Dpdr1"_s)->setAsBoolean(true);
        prp.fieldByName(u"Zdo"_s)->setAsBoolean(true);
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
        data::TDM1 dm{data::Collaborators::tablesOnly()};
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
