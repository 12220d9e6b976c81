#include "filing/AddressSplit.h"
#include "filing/CodeLists.h"
#include "filing/FormTexts.h"
#include "filing/Municipalities.h"
#include "filing/OfficeMatch.h"
#include "filing/SchemaValidator.h"
#include "statements/Signatory.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using filing::AddressParts;

// The parts of the filing that read what the user typed by hand: the office
// names, the one-line address, the annexes' periods and dates; and the code
// lists they are matched against.
class TestFilingCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void builtInListsMatchTheSharedOnes();
    void codeListCsvRefusesDamage_data();
    void codeListCsvRefusesDamage();
    void officeMatching_data();
    void officeMatching();
    void addressSplit_data();
    void addressSplit();
    void formTexts();
    void monthsNamed_data();
    void monthsNamed();
    void signatoryKinds_data();
    void signatoryKinds();
    void municipalityLookups();
    void municipalityCsvRefusesDamage_data();
    void municipalityCsvRefusesDamage();
    void complaintsInCzech_data();
    void complaintsInCzech();
};

void TestFilingCore::builtInListsMatchTheSharedOnes()
{
    const filing::CodeLists &lists = filing::CodeLists::builtIn();
    QCOMPARE(lists.error(), QString());
    QCOMPARE(lists.offices().size(), 15);
    QCOMPARE(lists.workplaces().size(), 208);
    QCOMPARE(lists.office(13)->name, u"Specializovaný finanční úřad"_s);
    // Every workplace's first two digits give its office.
    for (const filing::Workplace &w : lists.workplaces()) {
        if (w.office != 13)
            QCOMPARE(w.code / 100, 20 + (w.office - 451));
    }
    const QString shared = QStringLiteral(QESTO_SHARED_DIR) + u"/epo/"_s;
    QFile ufo(shared + u"c_ufo.csv"_s), pracufo(shared + u"c_pracufo.csv"_s);
    if (!ufo.open(QIODevice::ReadOnly) || !pracufo.open(QIODevice::ReadOnly))
        QSKIP("The shared code lists (../shared/epo) are not here.");
    const filing::CodeLists fromShared = filing::CodeLists::parse(ufo.readAll(), pracufo.readAll());
    QCOMPARE(fromShared.error(), QString());
    QCOMPARE(fromShared.workplaces().size(), lists.workplaces().size());
    for (qsizetype i = 0; i < lists.workplaces().size(); ++i)
        QCOMPARE(fromShared.workplaces()[i].name, lists.workplaces()[i].name);
}

void TestFilingCore::codeListCsvRefusesDamage_data()
{
    QTest::addColumn<QByteArray>("offices");
    QTest::addColumn<QByteArray>("workplaces");
    QTest::addColumn<QString>("error");
    const QByteArray goodWorkplaces = "c_pracufo;c_ufo;name\n2001;451;Praha 1\n";
    QTest::newRow("empty") << QByteArray() << goodWorkplaces
                           << u"Číselník finančních úřadů: Číselník je prázdný."_s;
    QTest::newRow("other header")
        << QByteArray("kod;nazev\n451;Praha\n") << goodWorkplaces
        << u"Číselník finančních úřadů: Číselník nemá očekávané sloupce code;name (řádek 1)."_s;
    QTest::newRow("short row")
        << QByteArray("code;name\r\n451\r\n") << goodWorkplaces
        << u"Číselník finančních úřadů: Řádek 2 číselníku nemá 2 údaje oddělené středníkem."_s;
    QTest::newRow("letters for a code") << QByteArray("code;name\nabc;Praha\n") << goodWorkplaces
                                        << u"Číselník finančních úřadů: neplatný řádek „abc;Praha“."_s;
    QTest::newRow("unknown office") << QByteArray("\xEF\xBB\xBF"
                                                  "code;name\n451;Praha\n")
                                    << QByteArray("c_pracufo;c_ufo;name\n2001;452;Praha 1\n")
                                    << u"Číselník územních pracovišť: neplatný řádek „2001;452;Praha 1“."_s;
    QTest::newRow("good, with BOM and blank lines") << QByteArray("\xEF\xBB\xBF"
                                                                  "code;name\n\n451;Praha\n")
                                                    << goodWorkplaces << QString();
}

void TestFilingCore::codeListCsvRefusesDamage()
{
    QFETCH(QByteArray, offices);
    QFETCH(QByteArray, workplaces);
    QFETCH(QString, error);
    const filing::CodeLists lists = filing::CodeLists::parse(offices, workplaces);
    QCOMPARE(lists.error(), error);
    QCOMPARE(lists.offices().isEmpty(), !error.isEmpty());
}

void TestFilingCore::officeMatching_data()
{
    QTest::addColumn<QString>("office");
    QTest::addColumn<QString>("workplace");
    QTest::addColumn<int>("officeCode");
    QTest::addColumn<int>("workplaceCode");
    QTest::addColumn<QString>("problem");

    QTest::newRow("Prague, its first district")
        << u"hlavní město Prahu"_s << u"Prahu 1"_s << 451 << 2001 << QString();
    QTest::newRow("no accents, capitals, abbreviations")
        << u"HL. M. PRAHU"_s << u"prahu 10"_s << 451 << 2010 << QString();
    QTest::newRow("whole printed caption typed")
        << u"Finančnímu úřadu pro Jihomoravský kraj"_s << u"Územní pracoviště Brno II."_s << 461 << 3002
        << QString();
    QTest::newRow("roman numeral without the dot")
        << u"Jihomoravský kraj"_s << u"Brno I"_s << 461 << 3001 << QString();
    QTest::newRow("other grammatical case")
        << u"Středočeský kraj"_s << u"Benešov"_s << 452 << 2103 << QString();
    QTest::newRow("dash written as hyphen")
        << u"Středočeský kraj"_s << u"Praha-východ"_s << 452 << 2101 << QString();
    QTest::newRow("locative of Plzeň") << u"Plzeňský kraj"_s << u"v Plzni"_s << 454 << 2301 << QString();
    QTest::newRow("large taxpayers, their Plzeň")
        << u"Specializovanému finančnímu úřadu"_s << u"Plzni"_s << 13 << 4023 << QString();
    QTest::newRow("no workplace typed") << u"Kraj Vysočina"_s << QString() << 460 << 0 << QString();
    QTest::newRow("workplace gives the office")
        << QString() << u"Brandýse nad Labem"_s << 452 << 2105 << QString();
    QTest::newRow("ambiguous district") << u"hlavní město Prahu"_s << u"Prahu"_s << 451 << 0
                                        << u"Územní pracoviště „Prahu“ odpovídá více pracovištím."_s;
    QTest::newRow("ambiguous office")
        << u"kraj"_s << QString() << 0 << 0 << u"Finanční úřad „kraj“ odpovídá více úřadům."_s;
    QTest::newRow("unknown office") << u"Horní Dolní"_s << QString() << 0 << 0
                                    << u"Finanční úřad „Horní Dolní“ není v číselníku."_s;
    QTest::newRow("workplace of another office")
        << u"Plzeňský kraj"_s << u"Benešově"_s << 454 << 0
        << u"Územní pracoviště „Benešově“ není v číselníku pracovišť tohoto finančního úřadu."_s;
    QTest::newRow("nothing typed") << QString() << QString() << 0 << 0 << u"Finanční úřad není vyplněn."_s;
}

void TestFilingCore::officeMatching()
{
    QFETCH(QString, office);
    QFETCH(QString, workplace);
    QFETCH(int, officeCode);
    QFETCH(int, workplaceCode);
    QFETCH(QString, problem);
    const filing::OfficeMatch m = filing::matchOffice(filing::CodeLists::builtIn(), office, workplace);
    QCOMPARE(m.office, officeCode);
    QCOMPARE(m.workplace, workplaceCode);
    QCOMPARE(m.problem, problem);
}

void TestFilingCore::addressSplit_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<AddressParts>("parts");
    QTest::addColumn<QString>("problem");

    QTest::newRow("street, both numbers, postcode with space")
        << u"Dlouhá 1234/5a, 110 00 Praha 1"_s
        << AddressParts{u"Dlouhá"_s, u"1234"_s, u"5a"_s, u"11000"_s, u"Praha 1"_s} << QString();
    QTest::newRow("village without streets")
        << u"Lhota 12, 25001 Brandýs nad Labem"_s
        << AddressParts{u"Lhota"_s, u"12"_s, QString(), u"25001"_s, u"Brandýs nad Labem"_s} << QString();
    QTest::newRow("square, nothing else")
        << u"náměstí Míru 1"_s << AddressParts{u"náměstí Míru"_s, u"1"_s, {}, {}, {}}
        << u"V adrese „náměstí Míru 1“ chybí PSČ, obec."_s;
    QTest::newRow("post box")
        << u"P.O.Box 45, 111 21 Praha 1"_s << AddressParts{{}, {}, {}, u"11121"_s, u"Praha 1"_s}
        << u"Poštovní přihrádka není adresou místa pobytu ani sídla; doplňte ulici a číslo domu."_s;
    QTest::newRow("post box in Czech")
        << u"poštovní přihrádka 7, 60200 Brno"_s << AddressParts{{}, {}, {}, u"60200"_s, u"Brno"_s}
        << u"Poštovní přihrádka není adresou místa pobytu ani sídla; doplňte ulici a číslo domu."_s;
    QTest::newRow("missing postcode")
        << u"Nádražní 15, Kolín"_s << AddressParts{u"Nádražní"_s, u"15"_s, {}, {}, u"Kolín"_s}
        << u"V adrese „Nádražní 15, Kolín“ chybí PSČ."_s;
    QTest::newRow("postcode after the town, č. p.")
        << u"Horní Lhota č. p. 7,  Zlín 760 01"_s
        << AddressParts{u"Horní Lhota"_s, u"7"_s, {}, u"76001"_s, u"Zlín"_s} << QString();
    QTest::newRow("no comma, postcode inside")
        << u"Masarykova 3/12 60200 Brno"_s
        << AddressParts{u"Masarykova"_s, u"3"_s, u"12"_s, u"60200"_s, u"Brno"_s} << QString();
    QTest::newRow("street name with a number")
        << u"28. října 1568/3, 702 00 Ostrava"_s
        << AddressParts{u"28. října"_s, u"1568"_s, u"3"_s, u"70200"_s, u"Ostrava"_s} << QString();
    QTest::newRow("no house number") << u"Dlouhá, 110 00 Praha"_s
                                     << AddressParts{u"Dlouhá"_s, {}, {}, u"11000"_s, u"Praha"_s}
                                     << u"V adrese „Dlouhá, 110 00 Praha“ chybí číslo domu."_s;
    QTest::newRow("empty") << QString() << AddressParts{} << u"Adresa není vyplněna."_s;
}

void TestFilingCore::addressSplit()
{
    QFETCH(QString, line);
    QFETCH(AddressParts, parts);
    QFETCH(QString, problem);
    const filing::AddressSplit split = filing::splitAddress(line);
    QCOMPARE(split.parts.street, parts.street);
    QCOMPARE(split.parts.houseNumber, parts.houseNumber);
    QCOMPARE(split.parts.orientNumber, parts.orientNumber);
    QCOMPARE(split.parts.postcode, parts.postcode);
    QCOMPARE(split.parts.municipality, parts.municipality);
    QCOMPARE(split.problem, problem);
}

void TestFilingCore::formTexts()
{
    using filing::parsePeriod;
    const auto period = [](const QString &text) {
        const std::optional<filing::Period> p = parsePeriod(text);
        return p ? u"%1/%2"_s.arg(p->month).arg(p->year) : u"-"_s;
    };
    QCOMPARE(period(u"3/2015"_s), u"3/2015"_s);
    QCOMPARE(period(u" 03.2015 "_s), u"3/2015"_s);
    QCOMPARE(period(u"3. 2015"_s), u"3/2015"_s);
    QCOMPARE(period(u"11-15"_s), u"11/2015"_s);
    QCOMPARE(period(u"květen 2015"_s), u"5/2015"_s);
    QCOMPARE(period(u"CERVENCE 2015"_s), u"7/2015"_s);
    QCOMPARE(period(u"června 2015"_s), u"6/2015"_s);
    QCOMPARE(period(u"2014"_s), u"0/2014"_s);
    QCOMPARE(period(u"13/2015"_s), u"-"_s);
    QCOMPARE(period(u"loni"_s), u"-"_s);

    QCOMPARE(filing::parseDayDate(u"15. 4. 2015"_s), QDate(2015, 4, 15));
    QCOMPARE(filing::parseDayDate(u"15.04.15"_s), QDate(2015, 4, 15));
    QCOMPARE(filing::parseDayDate(u"31.2.2015"_s), std::nullopt);
    QCOMPARE(filing::parseDayDate(u"4/2015"_s), std::nullopt);

    QCOMPARE(filing::parseMonth(u"březen"_s), 3);
    QCOMPARE(filing::parseMonth(u"Prosince"_s), 12);
    QCOMPARE(filing::parseMonth(u"4"_s), 4);
    QCOMPARE(filing::parseMonth(u"15.6.2015"_s), 6);
    QCOMPARE(filing::parseMonth(u"0"_s), std::nullopt);
    QCOMPARE(filing::parseMonth(u"xyz"_s), std::nullopt);

    QCOMPARE(filing::filingDate(QDate(2015, 1, 5)), u"5.1.2015"_s);
}

// A refund row wants one month: how many a hand-typed text names.
void TestFilingCore::monthsNamed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("months");
    QTest::newRow("name") << u"březen"_s << QList<int>{3};
    QTest::newRow("number") << u"4"_s << QList<int>{4};
    QTest::newRow("period") << u"3/2015"_s << QList<int>{3};
    QTest::newRow("date") << u"15.6.2015"_s << QList<int>{6};
    QTest::newRow("name and year") << u"Květen 2015"_s << QList<int>{5};
    QTest::newRow("two names") << u"březen a duben"_s << QList<int>{3, 4};
    QTest::newRow("two numbers") << u"3, 4"_s << QList<int>{3, 4};
    QTest::newRow("range") << u"3-5/2015"_s << QList<int>{3, 4, 5};
    QTest::newRow("same month twice") << u"březen, března"_s << QList<int>{3};
    QTest::newRow("July is not June") << u"červenec"_s << QList<int>{7};
    QTest::newRow("none") << u"jaro"_s << QList<int>{};
    QTest::newRow("year alone") << u"2015"_s << QList<int>{};
}

void TestFilingCore::monthsNamed()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, months);
    QCOMPARE(filing::monthsNamed(text), months);
}

// What the box of the signing person's number holds.
void TestFilingCore::signatoryKinds_data()
{
    using K = statements::SignatoryKind;
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("kind");
    QTest::newRow("no code") << QString() << u"Karel Dvořák"_s << u"01021960"_s << int(K::None);
    QTest::newRow("packed birth date") << u"1"_s << u"Karel Dvořák"_s << u"01021960"_s << int(K::BornOn);
    QTest::newRow("dotted birth date") << u"1"_s << u"Karel Dvořák"_s << u"1. 2. 1960"_s << int(K::BornOn);
    QTest::newRow("company") << u"4a"_s << u"Beta, spol. s r.o."_s << u"270 82 440"_s << int(K::LegalPerson);
    QTest::newRow("company by its code") << u"4c"_s << u"Poradci"_s << u"123"_s << int(K::LegalPerson);
    QTest::newRow("company without its ID")
        << u"2"_s << u"Nástupce a.s."_s << QString() << int(K::LegalPerson);
    QTest::newRow("certificate") << u"4a"_s << u"Petr Svoboda"_s << u"3456"_s << int(K::Certificate);
    QTest::newRow("adviser with a date") << u"4b"_s << u"Petr Svoboda"_s << u"2.3.1970"_s << int(K::BornOn);
    QTest::newRow("person without number")
        << u"1"_s << u"Petr Svoboda"_s << QString() << int(K::NaturalUnnamed);
    QTest::newRow("valid ID, person's name")
        << u"1"_s << u"Petr Svoboda"_s << u"27082440"_s << int(K::Unclear);
    QTest::newRow("company, ID with a wrong check digit")
        << u"4a"_s << u"Beta s.r.o."_s << u"27082441"_s << int(K::Unclear);
    QTest::newRow("not a date: 31 February")
        << u"1"_s << u"Petr Svoboda"_s << u"31021960"_s << int(K::Certificate);
}

void TestFilingCore::signatoryKinds()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(int, kind);
    QCOMPARE(int(statements::classifySignatory(code, name, id)), kind);
}

void TestFilingCore::municipalityLookups()
{
    const filing::Municipalities &list = filing::Municipalities::builtIn();
    QCOMPARE(list.error(), QString());
    QCOMPARE(list.all().size(), 6400);
    QCOMPARE(list.byCode(u"532053"_s)->name, u"Kladno"_s);
    QCOMPARE(list.byCode(u"532053"_s)->district, u"Kladno"_s);
    QCOMPARE(list.byCode(u"500054"_s)->district, u"Praha"_s); // a part of the city
    QCOMPARE(list.byCode(u"554821"_s)->district, u"Ostrava"_s);
    QVERIFY(!list.byCode(u"999999"_s));

    const auto names = [&list](const QString &text, qsizetype limit = 50) {
        QStringList found;
        for (const statements::Municipality *m : list.byName(text, limit))
            found.append(m->name);
        return found;
    };
    // Accents and case optional, and only beginnings.
    QVERIFY(names(u"Zdar"_s).contains(u"Žďár nad Sázavou"_s));
    QVERIFY(names(u"ŽĎÁR N"_s).contains(u"Žďár nad Sázavou"_s));
    QVERIFY(!names(u"dar nad"_s).contains(u"Žďár nad Sázavou"_s));
    QCOMPARE(names(u"Brno - Brno-stř"_s), QStringList{u"Brno - Brno-střed"_s});
    QCOMPARE(names(u"kralovo pole"_s), QStringList{u"Brno - Brno-Královo Pole"_s});
    QCOMPARE(names(u"Praha"_s, 3).size(), 3);
    QVERIFY(names(QString()).isEmpty());

    // The list compiled in is the shared one.
    QFile shared(QStringLiteral(QESTO_SHARED_DIR) + u"/epo/obce.csv"_s);
    if (!shared.open(QIODevice::ReadOnly))
        QSKIP("The shared municipality list (../shared/epo) is not here.");
    QCOMPARE(filing::Municipalities::parse(shared.readAll()).all().size(), list.all().size());
}

void TestFilingCore::municipalityCsvRefusesDamage_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("error");
    const QByteArray header = "kod;nazev;druh;kod_obce;okres;kraj\n";
    QTest::newRow("good") << header + "532053;Kladno;obec;532053;Kladno;Středočeský\n" << QString();
    QTest::newRow("other header") << QByteArray("kod;nazev\n")
                                  << u"Číselník obcí: Číselník nemá očekávané sloupce "
                                     u"kod;nazev;druh;kod_obce;okres;kraj (řádek 1)."_s;
    QTest::newRow("five digits") << header + "53205;Kladno;obec;532053;Kladno;S\n"
                                 << u"Číselník obcí: neplatný řádek „53205;Kladno;obec;532053;Kladno;S“."_s;
    QTest::newRow("code twice") << header + "532053;A;obec;532053;K;S\n532053;B;obec;532053;K;S\n"
                                << u"Číselník obcí: neplatný řádek „532053;B;obec;532053;K;S“."_s;
    QTest::newRow("unknown kind") << header + "532053;A;mesto;532053;K;S\n"
                                  << u"Číselník obcí: neplatný řádek „532053;A;mesto;532053;K;S“."_s;
    QTest::newRow("no name") << header + "532053;;obec;532053;K;S\n"
                             << u"Číselník obcí: neplatný řádek „532053;;obec;532053;K;S“."_s;
}

void TestFilingCore::municipalityCsvRefusesDamage()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, error);
    const filing::Municipalities list = filing::Municipalities::parse(csv);
    QCOMPARE(list.error(), error);
    QCOMPARE(list.all().isEmpty(), !error.isEmpty());
}

void TestFilingCore::complaintsInCzech_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("czech");
    QTest::newRow("pattern") << u"Element 'VetaP', attribute 'dic': [facet 'pattern'] The value 'ABC' is not "
                                u"accepted by the pattern '[0-9]{1,10}'."_s
                             << u"hodnota „ABC“ nemá předepsaný tvar"_s;
    QTest::newRow("number")
        << u"Element 'VetaE', attribute 'rok_nespr': 'loni' is not a valid value of the atomic "
           u"type 'xs:decimal'."_s
        << u"hodnota „loni“ není číslo"_s;
    QTest::newRow("missing") << u"Element 'VetaE': The attribute 'kc_castka' is required but missing."_s
                             << u"údaj chybí"_s;
    QTest::newRow("length")
        << u"Element 'VetaB', attribute 'naz_vykonu': [facet 'maxLength'] The value has a "
           u"length of '45'; this exceeds the allowed maximum length of '40'."_s
        << u"text je delší než povolených 40 znaků"_s;
    QTest::newRow("digits")
        << u"Element 'VetaD', attribute 'c_ufo_cil': [facet 'totalDigits'] The value '45100' "
           u"has more digits than are allowed ('4')."_s
        << u"hodnota „45100“ má příliš mnoho číslic (nejvýše 4)"_s;
    QTest::newRow("date of an inner type")
        << u"Element 'VetaE', attribute 'd_puvsraz': 'včera' is not a valid "
           u"value of the local atomic type."_s
        << u"hodnota „včera“ není datum (den.měsíc.rok)"_s;
    QTest::newRow("number of an inner type")
        << u"Element 'VetaG', attribute 'mesic_06': 'jaro' is not a valid "
           u"value of the local atomic type."_s
        << u"hodnota „jaro“ není číslo"_s;
    QTest::newRow("enumeration") << u"Element 'VetaD', attribute 'vdadpz_typ': [facet 'enumeration'] The "
                                    u"value 'X' is not an element of "
                                    u"the set {'B', 'O', 'D', 'E'}."_s
                                 << u"hodnota „X“ není mezi přípustnými hodnotami"_s;
    QTest::newRow("range") << u"Element 'VetaO', attribute 'mesic': [facet 'maxInclusive'] The value '13' is "
                              u"greater than the maximum value allowed ('12')."_s
                           << u"hodnota „13“ je mimo přípustný rozsah"_s;
    QTest::newRow("anything else in Czech") << u"Something else."_s << u"údaj neodpovídá schématu"_s;
}

void TestFilingCore::complaintsInCzech()
{
    QFETCH(QString, message);
    QFETCH(QString, czech);
    QCOMPARE(filing::czechComplaint(message), czech);
}

QTEST_GUILESS_MAIN(TestFilingCore)
#include "test_filing_core.moc"
