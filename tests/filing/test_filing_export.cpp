#include "DemoSettlement.h"

#include "CliCommands.h"
#include "data/DataError.h"
#include "filing/EpoExport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>

using namespace Qt::StringLiterals;
using filingtest::DemoSettlement;
using filingtest::Payer;
using filingtest::Type;

namespace {

struct Element
{
    QString name;
    QHash<QString, QString> attrs;
};

QList<Element> readBack(const QByteArray &xml)
{
    QList<Element> elements;
    QXmlStreamReader reader(xml);
    while (reader.readNextStartElement() || !reader.atEnd()) {
        if (!reader.isStartElement())
            continue;
        Element e{reader.name().toString(), {}};
        for (const QXmlStreamAttribute &a : reader.attributes())
            e.attrs.insert(a.name().toString(), a.value().toString());
        elements.append(e);
    }
    return elements;
}

QList<Element> named(const QList<Element> &all, const QString &name)
{
    QList<Element> result;
    for (const Element &e : all)
        if (e.name == name)
            result.append(e);
    return result;
}

filing::Software software()
{
    return {u"Qesto"_s, u"14.10"_s};
}

QByteArray sharedSchema(filing::Form form)
{
    QFile f(QStringLiteral(QESTO_SHARED_DIR) + u"/epo/"_s + filing::formCode(form).toLower() + u".xsd"_s);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The statements as filings: exported from a fully filled settlement,
// valid against the published schemas, and holding exactly what the tables
// hold.
class TestFilingExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyVariantIsValid_data();
    void everyVariantIsValid();
    void employmentReadsBackAsTheTables();
    void supplementaryLeavesOutPartTwo();
    void withholdingReadsBackAsTheTables();
    void invalidDicRefusedWithoutFile();
    void annexComplaintsPointAtRowAndColumn();
    void fillerRowsAndUnwritableTarget();
    void answersRememberedPerText();
    void commandLine();
    void unwritableTargetExitsTwoWithoutAFile_data();
    void unwritableTargetExitsTwoWithoutAFile();
    void signatoryAsACarefulPersonReadsIt_data();
    void signatoryAsACarefulPersonReadsIt();
    void unclearSignatoryIsAskedAndRemembered();
    void criticalChecksRefuseTheExport();
    void municipalityNamesFromTheList();
    void snapshotRefusesMisspelledFields_data();
    void snapshotRefusesMisspelledFields();

private:
    // Values as the tables hold them, rounded to crowns like the filing.
    static QString amount(DemoSettlement &s, const QString &field)
    {
        const data::Field *f = s.dm.field(field);
        return f->isNull() ? QString() : QString::number(qint64(std::llround(f->asFloat())));
    }
    static QString text(DemoSettlement &s, const QString &field)
    {
        return s.dm.field(field)->asString().trimmed();
    }

    static filing::ExportResult exportTo(DemoSettlement &s, filing::Form form, const QString &path)
    {
        const filing::Snapshot snap = filing::readSnapshot(s.dm);
        const filing::Resolution r = filing::resolve(form, snap, filing::CodeLists::builtIn(), {});
        if (!r.complete())
            qWarning() << r.problems();
        return filing::exportEpo(form, snap, r.filer(), software(), path);
    }
};

void TestFilingExport::everyVariantIsValid_data()
{
    QTest::addColumn<int>("payer");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("employmentType");
    QTest::newRow("legal, regular") << int(Payer::Legal) << int(Type::Regular) << u"B"_s;
    QTest::newRow("natural, regular") << int(Payer::Natural) << int(Type::Regular) << u"B"_s;
    QTest::newRow("legal, corrective") << int(Payer::Legal) << int(Type::Corrective) << u"O"_s;
    QTest::newRow("natural, supplementary") << int(Payer::Natural) << int(Type::Supplementary) << u"D"_s;
    QTest::newRow("legal, supplementary corrective")
        << int(Payer::Legal) << int(Type::SupplementaryCorrective) << u"E"_s;
}

void TestFilingExport::everyVariantIsValid()
{
    QFETCH(int, payer);
    QFETCH(int, type);
    QFETCH(QString, employmentType);
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill(Payer(payer), Type(type));

    for (const filing::Form form : {filing::Form::Employment, filing::Form::Withholding}) {
        const QString path = root.filePath(filing::formCode(form) + u".xml"_s);
        const filing::ExportResult r = exportTo(s, form, path);
        QCOMPARE(r.reasons, QStringList());
        QVERIFY(r.written);
        const QByteArray written = readFile(path);
        QCOMPARE(written, r.document.xml);
        const QList<Element> elements = readBack(written);
        QCOMPARE(elements.at(0).attrs.value(u"nazevSW"_s), u"Qesto"_s);
        QCOMPARE(elements.at(0).attrs.value(u"verzeSW"_s), u"14.10"_s);
        const QString typeAttr = form == filing::Form::Employment ? u"vdadpz_typ"_s : u"dapdps_forma"_s;
        QCOMPARE(named(elements, u"VetaD"_s).at(0).attrs.value(typeAttr), employmentType);

        // The published schema itself, independent of the copy compiled in.
        const QByteArray schema = sharedSchema(form);
        if (schema.isEmpty())
            QSKIP("The published schemas (../shared/epo) are not here.");
        const filing::SchemaValidator published(schema);
        QVERIFY(published.isValid());
        const QList<filing::SchemaComplaint> complaints = published.validate(written);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints.value(0).message));
    }
}

void TestFilingExport::employmentReadsBackAsTheTables()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill(Payer::Legal, Type::Regular);
    const filing::ExportResult r = exportTo(s, filing::Form::Employment, root.filePath(u"a.xml"_s));
    QVERIFY(r.written);
    const QList<Element> all = readBack(r.document.xml);

    // Element order of the schema's sequence.
    QStringList order;
    for (const Element &e : all.mid(2))
        if (order.isEmpty() || order.last() != e.name)
            order.append(e.name);
    QCOMPARE(order, (QStringList{u"VetaD"_s, u"VetaP"_s, u"VetaO"_s, u"VetaF"_s, u"VetaE"_s, u"VetaB"_s,
                                 u"VetaG"_s, u"VetaS"_s}));

    const Element d = named(all, u"VetaD"_s).at(0);
    QCOMPARE(d.attrs.value(u"k_uladis"_s), u"DPZ"_s);
    QCOMPARE(d.attrs.value(u"dokument"_s), u"VD6"_s);
    QCOMPARE(d.attrs.value(u"c_ufo_cil"_s), u"451"_s);
    QCOMPARE(d.attrs.value(u"zdobd_od"_s), u"1.1.2015"_s);
    QCOMPARE(d.attrs.value(u"zdobd_do"_s), u"31.12.2015"_s);
    QVERIFY(!d.attrs.contains(u"d_zjist"_s));
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(d.attrs.value(u"poc_zam"_s + QString::number(m)),
                 QString::number(s.dm.field(u"PrpZ%1"_s.arg(m))->asInteger()));
    const QList<std::pair<QString, QString>> part2 = {
        {u"uhrnprepl"_s, u"C106"_s},    {u"uhrndopl"_s, u"C106a"_s},  {u"kc_dpzii01"_s, u"C401"_s},
        {u"kc_dpzii02"_s, u"C403"_s},   {u"kc_dpzii03"_s, u"C404"_s}, {u"kc_dpzii03a"_s, u"C403a"_s},
        {u"kc_dpzii04a"_s, u"C404a"_s}, {u"kc_dpzii08"_s, u"C408"_s}, {u"kc_dpzii09"_s, u"C409"_s},
        {u"kc_dpzii10"_s, u"C410"_s}};
    for (const auto &[attr, field] : part2)
        QCOMPARE(d.attrs.value(attr), amount(s, u"Vdvl"_s + field));
    QVERIFY(!d.attrs.contains(u"kc_dpzii05"_s) && !d.attrs.contains(u"kc_dpzii06"_s));
    // ř. 1 − ř. 2 + ř. 3 − ř. 4 + ř. 5 = 127800 − 2000 + 200 − 3600 + 100
    QCOMPARE(d.attrs.value(u"kc_dpzii08"_s), u"122500"_s);

    const Element p = named(all, u"VetaP"_s).at(0);
    const QHash<QString, QString> payer = {{u"dic"_s, u"25123456"_s},
                                           {u"typ_ds"_s, u"P"_s},
                                           {u"c_pracufo"_s, u"2001"_s},
                                           {u"zkrobchjm"_s, u"Stavby Novák s.r.o. odštěpný závod Sever"_s},
                                           {u"ulice"_s, u"Dlouhá"_s},
                                           {u"c_pop"_s, u"1234"_s},
                                           {u"c_orient"_s, u"5a"_s},
                                           {u"naz_obce"_s, u"Praha 1"_s},
                                           {u"psc"_s, u"11000"_s},
                                           {u"opr_jmeno"_s, u"Jan"_s},
                                           {u"opr_prijmeni"_s, u"Novák"_s},
                                           {u"opr_postaveni"_s, u"jednatel"_s},
                                           {u"sest_jmeno"_s, u"Jana"_s},
                                           {u"sest_prijmeni"_s, u"Malá"_s},
                                           {u"sest_telef"_s, text(s, u"PrpTel"_s)},
                                           {u"sest_email"_s, text(s, u"PrpEmlv"_s)}};
    QCOMPARE(p.attrs, payer);

    // Every month of part I, column by column, both ways.
    const QList<std::pair<QString, QString>> columns = {
        {u"kc_dpzi01"_s, u"Sl2"_s},  {u"kc_dpzi02"_s, u"Sl3"_s},  {u"kc_dpzi03a"_s, u"Slo3"_s},
        {u"kc_dpzi04"_s, u"Sl5"_s},  {u"kc_dpzi05"_s, u"Slb5"_s}, {u"kc_dpzi08"_s, u"Sl8"_s},
        {u"kc_dpzi09"_s, u"Sla5"_s}, {u"kc_dpzi11"_s, u"Sl9"_s}};
    const QList<Element> months = named(all, u"VetaO"_s);
    QCOMPARE(months.size(), 12);
    for (int m = 1; m <= 12; ++m) {
        const Element &o = months[m - 1];
        QCOMPARE(o.attrs.value(u"mesic"_s), QString::number(m));
        for (const auto &[attr, stem] : columns)
            QCOMPARE(o.attrs.value(attr), amount(s, u"Vdvl"_s + stem + QString::number(m)));
        QCOMPARE(o.attrs.value(u"cj_dpzi03"_s), text(s, u"VdvlSlc3%1"_s.arg(m)));
        QVERIFY(!o.attrs.contains(u"kc_dpzi10"_s));
    }
    const Element t = named(all, u"VetaS"_s).at(0);
    for (const auto &[attr, stem] : columns)
        QCOMPARE(t.attrs.value(u"s_"_s + attr), amount(s, u"Vdvl"_s + stem + u"13"_s));

    // Employee count: one record per municipality code, in the order the
    // codes first appear, the counts of the places with that code summed and
    // the names from the first of them.
    QStringList codes;
    QHash<QString, qint64> counts;
    QHash<QString, QStringList> first; // code -> N3, N5, N7 of its first place
    data::Dataset &vpz = s.dm.Vpz();
    for (vpz.first(); !vpz.eof(); vpz.next()) {
        const QString code = vpz.fieldByName(u"N6"_s)->asString();
        if (!codes.contains(code)) {
            codes.append(code);
            first.insert(code, {vpz.fieldByName(u"N3"_s)->asString(), vpz.fieldByName(u"N5"_s)->asString(),
                                vpz.fieldByName(u"N7"_s)->asString()});
        }
        counts[code] += vpz.fieldByName(u"C4"_s)->asInteger();
    }
    const QList<Element> places = named(all, u"VetaB"_s);
    QCOMPARE(places.size(), 5);
    for (qsizetype i = 0; i < places.size(); ++i) {
        const QHash<QString, QString> &b = places[i].attrs;
        const QString code = codes[i];
        QCOMPARE(b.value(u"c_obce_zuj"_s), code);
        QCOMPARE(b.value(u"poc_zam"_s), QString::number(counts[code]));
        QCOMPARE(b.value(u"naz_vykonu"_s), first[code][0]);
        QCOMPARE(b.value(u"naz_obce_zuj"_s), first[code][1]);
        QCOMPARE(b.value(u"naz_zko"_s), first[code][2]);
    }
    // 3 + 8 + 13 + 18 employees at the four offices in Praha.
    QCOMPARE(places[0].attrs.value(u"poc_zam"_s), u"42"_s);
    QCOMPARE(r.document.where(r.document.xml.left(r.document.xml.indexOf("<VetaB")).count('\n') + 1, {}),
             u"Počet zaměstnanců, řádky 1, 6, 11, 16 (kód obce 554782)"_s);

    // The annexes: periods and dates typed in several ways.
    const QList<Element> corrections = named(all, u"VetaE"_s);
    QCOMPARE(corrections.size(), 3);
    QCOMPARE(corrections[0].attrs, (QHash<QString, QString>{{u"pr_opr"_s, u"Z"_s},
                                                            {u"rok_nespr"_s, u"2015"_s},
                                                            {u"mesic_nespr"_s, u"3"_s},
                                                            {u"d_puvsraz"_s, u"15.4.2015"_s},
                                                            {u"rok_opr"_s, u"2015"_s},
                                                            {u"mesic_opr"_s, u"5"_s},
                                                            {u"d_dodsraz"_s, u"20.6.2015"_s},
                                                            {u"kc_castka"_s, amount(s, u"VpkvC15"_s)}}));
    QCOMPARE(corrections[1].attrs, (QHash<QString, QString>{{u"pr_opr"_s, u"D"_s},
                                                            {u"rok_nespr"_s, u"2014"_s},
                                                            {u"d_puvsraz"_s, u"1.4.2015"_s},
                                                            {u"rok_opr"_s, u"2015"_s},
                                                            {u"mesic_opr"_s, u"4"_s},
                                                            {u"d_dodsraz"_s, u"20.5.2015"_s},
                                                            {u"kc_castka"_s, amount(s, u"VpkvC25"_s)}}));
    QCOMPARE(corrections[2].attrs.value(u"kc_castka"_s), amount(s, u"VpkvC165a"_s));
    QCOMPARE(corrections[2].attrs.value(u"d_dodsraz"_s), u"20.1.2016"_s);
    const QList<Element> bonus = named(all, u"VetaF"_s);
    QCOMPARE(bonus.size(), 2);
    QCOMPARE(bonus[1].attrs, (QHash<QString, QString>{{u"b_pr_opr"_s, u"D"_s},
                                                      {u"b_rok_nespr"_s, u"2014"_s},
                                                      {u"b_d_puvsraz"_s, u"15.3.2015"_s},
                                                      {u"b_rok_opr"_s, u"2015"_s},
                                                      {u"b_mesic_opr"_s, u"3"_s},
                                                      {u"b_d_dodsraz"_s, u"20.4.2015"_s},
                                                      {u"b_d_zadosti"_s, u"10.4.2015"_s},
                                                      {u"b_kc_castka"_s, amount(s, u"VpkbC26"_s)}}));
    QCOMPARE(bonus[0].attrs.value(u"b_kc_castka"_s), u"-117"_s);

    const QList<Element> refunds = named(all, u"VetaG"_s);
    QCOMPARE(refunds.size(), 2);
    QCOMPARE(refunds[0].attrs,
             (QHash<QString, QString>{{u"mesic_06"_s, u"3"_s}, {u"uhrnprepl_c"_s, amount(s, u"VdvlVc1"_s)}}));
    QCOMPARE(refunds[1].attrs, (QHash<QString, QString>{{u"mesic_06"_s, u"4"_s},
                                                        {u"uhrnprepl_c"_s, amount(s, u"VdvlVc2"_s)},
                                                        {u"uhrnprepl_z"_s, amount(s, u"VdvlZtv2"_s)},
                                                        {u"d_zadosti_06"_s, u"12.5.2015"_s}}));
}

void TestFilingExport::supplementaryLeavesOutPartTwo()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill(Payer::Natural, Type::Supplementary);
    const filing::ExportResult r = exportTo(s, filing::Form::Employment, {});
    QCOMPARE(r.reasons, QStringList());
    const QList<Element> all = readBack(r.document.xml);
    const Element d = named(all, u"VetaD"_s).at(0);
    QCOMPARE(d.attrs.value(u"d_zjist"_s), u"10.3.2016"_s);
    QCOMPARE(d.attrs.value(u"k_rozl"_s), u"H"_s);
    QCOMPARE(d.attrs.value(u"d_ins"_s), u"20.1.2016"_s);
    for (const QString &attr : d.attrs.keys())
        QVERIFY2(!attr.startsWith(u"kc_dpzii"_s), qPrintable(attr));
    // Column 10 belongs to a supplementary statement.
    QCOMPARE(named(all, u"VetaO"_s).at(4).attrs.value(u"kc_dpzi10"_s), u"250"_s);
    QCOMPARE(named(all, u"VetaS"_s).at(0).attrs.value(u"s_kc_dpzi10"_s), u"250"_s);

    const Element p = named(all, u"VetaP"_s).at(0);
    QCOMPARE(p.attrs.value(u"typ_ds"_s), u"F"_s);
    QCOMPARE(p.attrs.value(u"jmeno"_s), u"Marie"_s);
    QCOMPARE(p.attrs.value(u"prijmeni"_s), u"Dvořáková"_s);
    QCOMPARE(p.attrs.value(u"titul"_s), u"Ing."_s);
    QCOMPARE(p.attrs.value(u"c_pracufo"_s), u"2105"_s);
    QCOMPARE(p.attrs.value(u"ulice"_s), u"Lhota"_s);
    QCOMPARE(p.attrs.value(u"naz_obce"_s), u"Brandýs nad Labem"_s);
    // A tax adviser signs: a natural person with a registration number.
    QCOMPARE(p.attrs.value(u"zast_kod"_s), u"4b"_s);
    QCOMPARE(p.attrs.value(u"zast_typ"_s), u"F"_s);
    QCOMPARE(p.attrs.value(u"zast_jmeno"_s), u"Petr"_s);
    QCOMPARE(p.attrs.value(u"zast_prijmeni"_s), u"Svoboda"_s);
    QCOMPARE(p.attrs.value(u"zast_ev_cislo"_s), u"3456"_s);
    QVERIFY(!p.attrs.contains(u"zkrobchjm"_s));
}

void TestFilingExport::withholdingReadsBackAsTheTables()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill(Payer::Natural, Type::Regular);
    const filing::ExportResult r = exportTo(s, filing::Form::Withholding, {});
    QCOMPARE(r.reasons, QStringList());
    const QList<Element> all = readBack(r.document.xml);
    QCOMPARE(all.at(1).name, u"DPSVD2"_s);

    const Element d = named(all, u"VetaD"_s).at(0);
    QCOMPARE(d.attrs.value(u"k_uladis"_s), u"DPS"_s);
    QCOMPARE(d.attrs.value(u"c_drp"_s), u"772"_s);
    QCOMPARE(d.attrs.value(u"c_ufo_cil"_s), u"452"_s);
    QCOMPARE(d.attrs.value(u"kc_dpsii01"_s), amount(s, u"VdvsC401a"_s));
    QCOMPARE(d.attrs.value(u"kc_dpsii04"_s), amount(s, u"VdvsC402"_s));
    QCOMPARE(d.attrs.value(u"kc_dpsii05"_s), amount(s, u"VdvsC403"_s));
    // The distinction code with the date of its event, as on the printed form.
    QCOMPARE(d.attrs.value(u"k_rozl"_s), u"H"_s);
    QCOMPARE(d.attrs.value(u"d_ins"_s), u"20.1.2016"_s);

    const Element p = named(all, u"VetaP"_s).at(0);
    QCOMPARE(p.attrs.value(u"prijmeni"_s), text(s, u"PrpPrks"_s));
    QCOMPARE(p.attrs.value(u"zast_kod"_s), u"1"_s);
    QCOMPARE(p.attrs.value(u"zast_dat_nar"_s), u"1.2.1960"_s);
    QCOMPARE(p.attrs.value(u"zast_prijmeni"_s), u"Dvořák"_s);

    const QList<std::pair<QString, QString>> columns = {
        {u"kc_dpsi01"_s, u"Sl1"_s}, {u"kc_dpsi02"_s, u"Sl2"_s},  {u"kc_dpsi03"_s, u"Sl3"_s},
        {u"kc_dpsi06"_s, u"Sl7"_s}, {u"kc_dpsi07"_s, u"Slo7"_s}, {u"kc_dpsi08a"_s, u"Sld9"_s},
        {u"kc_dpsi10"_s, u"Sl10"_s}};
    const QList<Element> months = named(all, u"VetaO"_s);
    QCOMPARE(months.size(), 12);
    for (int m = 1; m <= 12; ++m) {
        for (const auto &[attr, stem] : columns)
            QCOMPARE(months[m - 1].attrs.value(attr), amount(s, u"Vdvs"_s + stem + QString::number(m)));
        QCOMPARE(months[m - 1].attrs.value(u"cj_dpsi07"_s), text(s, u"VdvsSlc7%1"_s.arg(m)));
    }
    const Element t = named(all, u"VetaS"_s).at(0);
    for (const auto &[attr, stem] : columns)
        QCOMPARE(t.attrs.value(u"s_"_s + attr), amount(s, u"Vdvs"_s + stem + u"13"_s));
    QCOMPARE(t.attrs.value(u"s_kc_dpsi08a"_s), u"17878"_s); // 12 × 1500 + 78 − 200
}

void TestFilingExport::invalidDicRefusedWithoutFile()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    s.set(u"PrpDic"_s, u"CZABCDEFGH"_s);
    s.postAll();

    const QString fresh = root.filePath(u"novy.xml"_s);
    filing::ExportResult r = exportTo(s, filing::Form::Employment, fresh);
    QVERIFY(!r.written);
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(r.reasons.size(), 1);
    QVERIFY2(r.reasons[0].startsWith(u"Údaje o firmě, DIČ: hodnota „ABCDEFGH“ nemá předepsaný tvar (Element "
                                     u"'VetaP', attribute 'dic': [facet 'pattern']"_s),
             qPrintable(r.reasons[0]));

    // An earlier file of the same name stays as it was.
    const QString earlier = root.filePath(u"stary.xml"_s);
    QFile f(earlier);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("earlier");
    f.close();
    r = exportTo(s, filing::Form::Withholding, earlier);
    QVERIFY(!r.written);
    QCOMPARE(readFile(earlier), QByteArray("earlier"));
    QCOMPARE(QDir(root.path()).entryList({u"*.xml"_s, u"*stary*"_s}, QDir::Files),
             QStringList{u"stary.xml"_s});
}

void TestFilingExport::annexComplaintsPointAtRowAndColumn()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    s.set(u"VpkvZ3"_s, u"Z"_s);
    s.set(u"VpkvN31"_s, u"loni"_s);
    s.set(u"VpkvN33"_s, u"6/2015"_s);
    s.set(u"VdvlMv3"_s, u"jaro"_s);
    s.postAll();
    const filing::ExportResult r = exportTo(s, filing::Form::Employment, {});
    QStringList heads;
    for (const QString &reason : r.reasons)
        heads.append(reason.section(u" (Element"_s, 0, 0));
    QCOMPARE(heads, (QStringList{
                        u"Příloha k vyúčtování - opravy, řádek 3, sl. 2 (rok): hodnota „loni“ není číslo"_s,
                        u"Příloha k vyúčtování - opravy, řádek 3, sl. 6: údaj chybí"_s,
                        u"Vrácení přeplatku (ř. 06), řádek 3, sl. 1 (měsíc): hodnota „jaro“ není číslo"_s}));
}

void TestFilingExport::fillerRowsAndUnwritableTarget()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    // The page numbering of the printed employee count leaves filler rows
    // behind while a print runs: they are no places of work.
    statements::Mds1(s.dm);
    QCOMPARE(s.dm.Vpz().recordCount(), 36);
    const filing::ExportResult r =
        exportTo(s, filing::Form::Employment, root.filePath(u"chybi/podani.xml"_s));
    QCOMPARE(named(readBack(r.document.xml), u"VetaB"_s).size(), 5);
    QVERIFY(r.reasons.isEmpty());
    QVERIFY(!r.written);
    // Said in Czech, never in the system's English.
    QCOMPARE(r.writeError, u"Soubor %1 se nepodařilo zapsat: složka %2 neexistuje."_s.arg(
                               QDir::toNativeSeparators(root.filePath(u"chybi/podani.xml"_s)),
                               QDir::toNativeSeparators(root.filePath(u"chybi"_s))));
}

void TestFilingExport::answersRememberedPerText()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    s.set(u"PrpMi"_s, u"náměstí Míru 1"_s);
    s.set(u"PrpFusp"_s, u"kraj"_s);
    s.set(u"PrpFu"_s, QString());
    s.postAll();
    const QString ini = filing::FilingAnswers::iniPathOf(s.dir);
    filing::FilingAnswers answers(ini);

    filing::Snapshot snap = filing::readSnapshot(s.dm);
    filing::Resolution r =
        filing::resolve(filing::Form::Employment, snap, filing::CodeLists::builtIn(), answers);
    QVERIFY(!r.complete());
    QCOMPARE(r.problems(), (QStringList{u"Finanční úřad „kraj“ odpovídá více úřadům."_s,
                                        u"V adrese „náměstí Míru 1“ chybí PSČ, obec."_s}));
    // What the questions start from.
    QCOMPARE(r.address.parts.street, u"náměstí Míru"_s);
    QCOMPARE(r.address.parts.houseNumber, u"1"_s);

    filing::AddressParts answered = r.address.parts;
    answered.postcode = u"12000"_s;
    answered.municipality = u"Praha 2"_s;
    answers.rememberAddress(r.addressKey, r.addressText, answered);
    answers.rememberOffice(r.officeText, r.workplaceText, {451, 2002});

    r = filing::resolve(filing::Form::Employment, snap, filing::CodeLists::builtIn(), answers);
    QVERIFY(r.complete());
    QVERIFY(r.addressAnswered && r.officeAnswered);
    QCOMPARE(r.filer().address, answered);
    QCOMPARE(r.filer().office, 451);
    QCOMPARE(r.filer().workplace, 2002);
    // The withholding address is another text with its own answer.
    QVERIFY(filing::resolve(filing::Form::Withholding, snap, filing::CodeLists::builtIn(), answers)
                .address.complete());

    // A changed address is split afresh; an answer never outlives its text.
    s.set(u"PrpMi"_s, u"náměstí Míru 2"_s);
    s.postAll();
    snap = filing::readSnapshot(s.dm);
    r = filing::resolve(filing::Form::Employment, snap, filing::CodeLists::builtIn(), answers);
    QVERIFY(!r.addressAnswered);
    QVERIFY(!r.address.complete());
    QVERIFY(r.officeAnswered);
}

void TestFilingExport::commandLine()
{
    QTemporaryDir root;
    {
        DemoSettlement s(root.path());
        s.fill(Payer::Legal, Type::Regular);
    }
    const QString dir = root.filePath(u"D1"_s);
    const QString out = root.filePath(u"vyuctovani.xml"_s);
    cli::Result r = cli::run({u"epo"_s, dir, out});
    QCOMPARE(r.error, QString());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFile(out).contains("<DPZVD6 "));

    r = cli::run({u"epo"_s, dir, out, u"--withholding"_s});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFile(out).contains("<DPSVD2 "));

    // A statement that would not validate: exit 2 with the reasons, no file.
    {
        DemoSettlement s(root.path() + u"/x"_s);
        s.fill();
        s.set(u"PrpDic"_s, u"CZ12AB"_s);
        s.set(u"PrpMi"_s, u"náměstí Míru 1"_s);
        s.postAll();
    }
    const QString bad = root.filePath(u"spatne.xml"_s);
    r = cli::run({u"epo"_s, root.filePath(u"x/D1"_s), bad});
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.error,
             u"V adrese „náměstí Míru 1“ chybí PSČ, obec.\nOdpovězte v okně „Elektronické podání (XML)“."_s);
    QVERIFY(!QFile::exists(bad));

    filing::FilingAnswers answers(filing::FilingAnswers::iniPathOf(root.filePath(u"x/D1"_s)));
    answers.rememberAddress(u"Adresa"_s, u"náměstí Míru 1"_s,
                            {u"náměstí Míru"_s, u"1"_s, {}, u"12000"_s, u"Praha 2"_s});
    r = cli::run({u"epo"_s, root.filePath(u"x/D1"_s), bad});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.error.startsWith(
                 u"Soubor nebyl vytvořen, neodpovídá schématu DPZVD6:\nÚdaje o firmě, DIČ: hodnota „12AB“"_s),
             qPrintable(r.error));
    QVERIFY(!QFile::exists(bad));

    r = cli::run({u"epo"_s, dir});
    QCOMPARE(r.exitCode, 2);
}

void TestFilingExport::unwritableTargetExitsTwoWithoutAFile_data()
{
    QTest::addColumn<QString>("case_");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder of that name") << u"folder"_s << u"Stejné jméno má složka."_s;
    QTest::newRow("read-only file") << u"readonly"_s << u"Soubor je jen pro čtení."_s;
    QTest::newRow("read-only folder") << u"readonly folder"_s << u"oprávnění"_s;
}

void TestFilingExport::unwritableTargetExitsTwoWithoutAFile()
{
    QFETCH(QString, case_);
    QFETCH(QString, reason);
    QTemporaryDir root;
    {
        DemoSettlement s(root.path());
        s.fill(Payer::Legal, Type::Regular);
    }
    const QString folder = root.filePath(u"podani"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString out = folder + u"/vyuctovani.xml"_s;
    if (case_ == u"folder") {
        QVERIFY(QDir().mkpath(out));
    } else if (case_ == u"readonly") {
        QFile earlier(out);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();
        QVERIFY(QFile::setPermissions(out, QFile::ReadOwner));
    } else {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (case_ != u"folder" && QFileInfo(case_ == u"readonly" ? out : folder).isWritable())
        QSKIP("Running with rights that write read-only files and folders.");

    const cli::Result r = cli::run({u"epo"_s, root.filePath(u"D1"_s), out});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.error.startsWith(u"Soubor %1 se nepodařilo zapsat.\n"_s.arg(QDir::toNativeSeparators(out))),
             qPrintable(r.error));
    QVERIFY2(r.error.contains(reason), qPrintable(r.error));
    // Nothing new beside it, not even a temporary file.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
}

// The box "Datum narození / Evidenční číslo / IČ" read as a careful person
// would, and the signing person for a legal person only where one is filed.
void TestFilingExport::signatoryAsACarefulPersonReadsIt_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QVariantMap>("expected"); // attribute -> value, "" for absent

    const QVariantMap natural = {{u"zast_typ"_s, u"F"_s}, {u"zast_ic"_s, u""_s}, {u"opr_prijmeni"_s, u""_s}};
    const auto with = [](QVariantMap m, const QVariantMap &more) {
        m.insert(more);
        return m;
    };
    QTest::newRow("birth date without dots")
        << u"1"_s << u"Karel Dvořák"_s << u"01021960"_s
        << with(natural, {{u"zast_dat_nar"_s, u"1.2.1960"_s}, {u"zast_prijmeni"_s, u"Dvořák"_s}});
    QTest::newRow("birth date with dots") << u"2"_s << u"Karel Dvořák"_s << u"01.02.1960"_s
                                          << with(natural, {{u"zast_dat_nar"_s, u"1.2.1960"_s}});
    QTest::newRow("tax adviser's certificate")
        << u"4b"_s << u"Petr Svoboda"_s << u"3456"_s
        << with(natural, {{u"zast_ev_cislo"_s, u"3456"_s}, {u"zast_dat_nar"_s, u""_s}});
    QTest::newRow("company with its ID") << u"4a"_s << u"Daňová poradna Beta s.r.o."_s << u"27082440"_s
                                         << QVariantMap{{u"zast_typ"_s, u"P"_s},
                                                        {u"zast_ic"_s, u"27082440"_s},
                                                        {u"zast_nazev"_s, u"Daňová poradna Beta s.r.o."_s},
                                                        {u"zast_jmeno"_s, u""_s},
                                                        {u"opr_jmeno"_s, u"Jan"_s},
                                                        {u"opr_prijmeni"_s, u"Novák"_s},
                                                        {u"opr_postaveni"_s, u"jednatel"_s}};
    QTest::newRow("legal successor by its code")
        << u"7a"_s << u"Nástupce a.s."_s << u"49240030"_s
        << QVariantMap{
               {u"zast_typ"_s, u"P"_s}, {u"zast_ic"_s, u"49240030"_s}, {u"opr_prijmeni"_s, u"Novák"_s}};
}

void TestFilingExport::signatoryAsACarefulPersonReadsIt()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QVariantMap, expected);
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill(Payer::Natural);
    s.set(u"PrpKzs"_s, code);
    s.set(u"PrpZjm"_s, name);
    s.set(u"PrpZde"_s, number);
    s.set(u"PrpZjv"_s, u"Jan Novák, jednatel"_s);
    s.postAll();
    const filing::ExportResult r = exportTo(s, filing::Form::Employment, {});
    QCOMPARE(r.reasons, QStringList());
    const QHash<QString, QString> p = named(readBack(r.document.xml), u"VetaP"_s).at(0).attrs;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(p.value(it.key()), it.value().toString());
}

void TestFilingExport::unclearSignatoryIsAskedAndRemembered()
{
    QTemporaryDir root;
    {
        DemoSettlement s(root.path());
        s.fill(Payer::Natural);
        // A valid company ID with a person's name: a company or a sole trader?
        s.set(u"PrpKzs"_s, u"1"_s);
        s.set(u"PrpZjm"_s, u"Karel Dvořák"_s);
        s.set(u"PrpZde"_s, u"27082440"_s);
        s.postAll();
        const filing::Resolution r = filing::resolve(filing::Form::Employment, filing::readSnapshot(s.dm),
                                                     filing::CodeLists::builtIn(), {});
        QVERIFY(!r.complete());
        QCOMPARE(r.problems(),
                 QStringList{
                     u"U podepisující osoby „Karel Dvořák“ nelze poznat, zda údaj „27082440“ (Zde) je IČ "
                     u"právnické osoby, datum narození, nebo evidenční číslo osvědčení daňového poradce."_s});
    }
    const QString dir = root.filePath(u"D1"_s);
    const QString out = root.filePath(u"a.xml"_s);
    cli::Result c = cli::run({u"epo"_s, dir, out});
    QCOMPARE(c.exitCode, 2);
    QVERIFY2(c.error.contains(u"(Zde)"_s), qPrintable(c.error));
    QVERIFY(!QFile::exists(out));

    // Answered once (in the window), the answer holds for that name and number.
    filing::FilingAnswers answers(filing::FilingAnswers::iniPathOf(dir));
    answers.rememberSignatory(u"Podepisujici"_s, u"Karel Dvořák"_s, u"27082440"_s,
                              statements::SignatoryKind::Certificate);
    c = cli::run({u"epo"_s, dir, out});
    QCOMPARE(c.error, QString());
    const QHash<QString, QString> p = named(readBack(readFile(out)), u"VetaP"_s).at(0).attrs;
    QCOMPARE(p.value(u"zast_typ"_s), u"F"_s);
    QCOMPARE(p.value(u"zast_ev_cislo"_s), u"27082440"_s);
    QVERIFY(!answers.signatory(u"Podepisujici"_s, u"Karel Dvořák"_s, u"27082441"_s));
}

void TestFilingExport::criticalChecksRefuseTheExport()
{
    QTemporaryDir root;
    {
        DemoSettlement s(root.path());
        s.fill();
        s.set(u"VdvlMv2"_s, u"březen a duben"_s);
        s.postAll();
        // Never narrowed to one of the months: written as typed and refused.
        const QString path = root.filePath(u"a.xml"_s);
        const filing::ExportResult r = exportTo(s, filing::Form::Employment, path);
        QVERIFY(!r.written);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(
            r.refusals,
            QStringList{u"Vyúčtování daně z příjmů ze závislé činnosti: vrácení přeplatku (ř. 06), řádek 2, "
                        u"sl. 1: „březen a duben“ uvádí více měsíců; uveďte na každý řádek jeden měsíc."_s});
        QCOMPARE(named(readBack(r.document.xml), u"VetaG"_s).at(1).attrs.value(u"mesic_06"_s),
                 u"březen a duben"_s);
        // The withholding statement is another filing, not refused for it.
        QVERIFY(exportTo(s, filing::Form::Withholding, path).written);
    }
    const cli::Result c = cli::run({u"epo"_s, root.filePath(u"D1"_s), root.filePath(u"b.xml"_s)});
    QCOMPARE(c.exitCode, 2);
    QVERIFY(c.error.startsWith(
        u"Soubor nebyl vytvořen, kontrola před podáním našla chyby, pro které by podání "
        u"bylo odmítnuto:\nVyúčtování daně z příjmů ze závislé činnosti: vrácení přeplatku "
        u"(ř. 06), řádek 2, sl. 1: „březen a duben“ uvádí více měsíců; uveďte na každý "
        u"řádek jeden měsíc.\n"_s));
    // The schema's complaint about the same value follows.
    QVERIFY2(
        c.error.contains(u"Vrácení přeplatku (ř. 06), řádek 2, sl. 1 (měsíc): hodnota „březen a duben“"_s),
        qPrintable(c.error));
    // What qesto-cli check lists for the same settlement exits 1.
    QCOMPARE(cli::run({u"check"_s, root.filePath(u"D1"_s)}).exitCode, 1);
}

void TestFilingExport::municipalityNamesFromTheList()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    data::Dataset &vpz = s.dm.Vpz();
    vpz.append();
    vpz.fieldByName(u"N3"_s)->setAsString(u"Pobočka"_s);
    vpz.fieldByName(u"C4"_s)->setAsFloat(2);
    vpz.fieldByName(u"N6"_s)->setAsString(u"500054"_s); // Praha 1, a part of the city
    vpz.post();
    const filing::ExportResult r = exportTo(s, filing::Form::Employment, {});
    QCOMPARE(r.reasons, QStringList());
    const QHash<QString, QString> b = named(readBack(r.document.xml), u"VetaB"_s).last().attrs;
    QCOMPARE(b.value(u"naz_obce_zuj"_s), u"Praha 1"_s);
    QCOMPARE(b.value(u"naz_zko"_s), u"Praha"_s);
}

void TestFilingExport::snapshotRefusesMisspelledFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("known");
    QTest::newRow("text") << u"Dic"_s << true;
    QTest::newRow("calculated") << u"C106"_s << true;
    QTest::newRow("misspelled") << u"Dicc"_s << false;
    QTest::newRow("letter case") << u"DIC"_s << false;
    QTest::newRow("table and field") << u"PrpDic"_s << false;
}

// A name the code misspells must fail here, not leave a box of a filing empty.
void TestFilingExport::snapshotRefusesMisspelledFields()
{
    QFETCH(QString, field);
    QFETCH(bool, known);
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    const filing::Snapshot snap = filing::readSnapshot(s.dm);
    const filing::Snapshot::Record &record = field == u"C106" ? snap.vdvl : snap.prp;
    const std::function<void()> reads[] = {
        [&] { filing::Snapshot::text(record, field); }, [&] { filing::Snapshot::amount(record, field); },
        [&] { filing::Snapshot::date(record, field); }, [&] { filing::Snapshot::flag(record, field); }};
    for (const auto &read : reads) {
        try {
            read();
            QVERIFY2(known, qPrintable(field));
        } catch (const data::DatabaseError &e) {
            QVERIFY2(!known, qPrintable(e.message()));
            QCOMPARE(e.message(), u"Pole '%1' nebylo nalezeno"_s.arg(field));
        }
    }
}

QTEST_GUILESS_MAIN(TestFilingExport)
#include "test_filing_export.moc"
