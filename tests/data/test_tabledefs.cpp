// The templates as an independent reader (pxlib) sees them, checked against a
// transcription of the table structures written out here by hand, and the
// calculated fields computed from the definitions.

#include "data/FieldNames.h"
#include "data/TableDefs.h"
#include "data/Templates.h"

extern "C" {
#include <paradox.h>
}

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace data;

namespace {

// A field as "Name T" or "Name Tn": A alpha of n characters, D date, S short,
// I long, N number, L logical, + autoincrement.
struct Column
{
    QString name;
    QChar type;
    int length = 0;
    bool operator==(const Column &) const = default;
};

char typeLetter(int pxType)
{
    switch (pxType) {
    case pxfAlpha:
        return 'A';
    case pxfDate:
        return 'D';
    case pxfShort:
        return 'S';
    case pxfLong:
        return 'I';
    case pxfNumber:
        return 'N';
    case pxfLogical:
        return 'L';
    case pxfAutoInc:
        return '+';
    default:
        return '?';
    }
}

QList<Column> parseColumns(const QString &text)
{
    QList<Column> columns;
    for (const QString &item : text.split(u'|', Qt::SkipEmptyParts)) {
        const QStringList parts = item.trimmed().split(u' ');
        Column c{parts.at(0), parts.at(1).at(0), 0};
        if (c.type == u'A')
            c.length = parts.at(1).mid(1).toInt();
        columns.append(c);
    }
    return columns;
}

struct PxTable
{
    bool opened = false;
    QList<Column> columns;
    int fileType = -1;
    int keyFields = -1;
    int codePage = 0;
    int version = 0;
    int records = -1;
};

PxTable readWithPxlib(const QString &path)
{
    PxTable table;
    pxdoc_t *doc = PX_new();
    if (PX_open_file(doc, QFile::encodeName(path).constData()) < 0) {
        PX_delete(doc);
        return table;
    }
    table.opened = true;
    const pxfield_t *fields = PX_get_fields(doc);
    for (int i = 0; i < PX_get_num_fields(doc); ++i) {
        const int type = static_cast<unsigned char>(fields[i].px_ftype);
        Column c{QString::fromLatin1(fields[i].px_fname), QChar::fromLatin1(typeLetter(type)), 0};
        if (type == pxfAlpha)
            c.length = fields[i].px_flen;
        table.columns.append(c);
    }
    table.fileType = doc->px_head->px_filetype;
    table.keyFields = doc->px_head->px_primarykeyfields;
    table.codePage = doc->px_head->px_doscodepage;
    table.version = doc->px_head->px_fileversion;
    table.records = PX_get_num_records(doc);
    PX_close(doc);
    PX_delete(doc);
    return table;
}

// Computes every calculated field of a table front to back, the way the
// field layer will, with empty stored values counting as 0.
QHash<QString, double> calculate(const TableDef &def, const QHash<QString, double> &stored)
{
    QList<double> results;
    QHash<QString, double> byName;
    for (const CalcFieldInfo &field : def.calculatedFields()) {
        const double value = evaluate(field, [&](const CalcOperand &operand) {
            return operand.calculated ? results.at(operand.index) : stored.value(operand.name, 0.0);
        });
        results.append(value);
        byName.insert(field.name, value);
    }
    return byName;
}

const char *const PrpColumns =
    "Rok A4|Zdo L|Dz D|Dk D|Dpdr1 L|Dpdo1 L|Dpdd1 L|Dopd D|Dic A15|Kod A2|Dvo D|Fusp A45|Fu A25|"
    "Prk A16|Jmd A14|Tiv A4|Ojv A35|Ojva A35|Npd A35|Mi A35|"
    "Z1 I|Z2 I|Z3 I|Z4 I|Z5 I|Z6 I|Z7 I|Z8 I|Z9 I|Z10 I|Z11 I|Z12 I|"
    "Kzs A2|Zjm A34|Zde A34|Zjv A34|Ses A18|Tel A11|Emlv A33|Dv D|Op S|Pfo L|Dpdr2 L|Dpdo2 L|Dpdd2 L|"
    "Dops D|Prks A16|Jmds A14|Ti A4|Ojs A35|Ojsb A35|Adrb A35|Lhp D|Vses A35|Telx A9|Emlx A35|Dvs D|"
    "Ops S|Kzsa A2|Zjms A34|Zdes A34|Zjvs A34|Pn I|"
    "Pr A23|Jm A11|Oj1 A23|Oj2 A11|Jmp A13|Prp A21|Rc A11|Pvp A35|Uh N|"
    "C1 S|Pu1 A18|Cu1 A18|Kb1 A4|C2 S|Pu2 A18|Cu2 A18|Kb2 A4|C3 S|Pu3 A18|Cu3 A18|Kb3 A4|"
    "C4 S|Pu4 A18|Cu4 A18|Kb4 A4|"
    "Ve A25|Opr A80|Rc1 A11|Obe A30|Psc A6|Tel1 A16|Ul1 A45|Ul2 A45|Fax1 A16|Okr A37|Zem A32|"
    "Se1 A35|Ve1 A35|Tel2 A16|Tel3 A16|Jm2 A28|Pr2 A28|Ti2 A12|Pvp2 A55|Ve2 A30|Dv2 D|"
    "Pdp L|Oprz L|Rc1z L|Obez L|Prs A23|Jms A11|Dods A35|Djs A35|Adrs A35|Tels A9|Mobs A9|Faxs A9|"
    "Emls A35|Duc D|"
    "Cs1 S|Pus1 A18|Cus1 A18|Kbs1 A4|Cs2 S|Pus2 A18|Cus2 A18|Kbs2 A4|Cs3 S|Pus3 A18|Cus3 A18|Kbs3 A4|"
    "Mobx A9|Jmx A13|Prx A21|Pstx A35|Evc A6|Dps A31|Prsx A19|Ojsa A23|Dojs A11|Ob A16|Pscb A5|"
    "Telb A12|Uls A25|Okrb A22|St A12|Bsp A30|Fop L|Bds L|Privx A19|Jmpx A11|Prpx A19|Tipx A4|"
    "Titul A4|Evco A6|Dpso A31|Jmz A11|Prz A19|Pr13 A1";

} // namespace

class TestTableDefs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        PX_boot();
        QVERIFY(m_dir.isValid());
        createSettlementTemplates(m_dir.path());
        createListTemplates(m_dir.path());
    }
    void cleanupTestCase() { PX_shutdown(); }

    void templatesHoldExactlyTheirFiles()
    {
        QStringList expected = settlementFileNames();
        expected << u"Data.DB"_s << u"Data.PX"_s << u"Uziv.DB"_s << u"Uziv.PX"_s;
        expected << u"Data.X02"_s << u"Data.Y02"_s << u"Data.X03"_s << u"Data.Y03"_s;
        QStringList actual = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
    }

    void fullStructure_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<int>("keyFields");

        QTest::newRow("Dmt") << u"Dmt.DB"_s
                             << u"Dpt S|Dpl S|Ot S|Ol S|Zpt S|Zpl S|Kop S|Pk L|Prh1 L|Trh1 A40|Tpr2 A40"_s
                             << 0;
        QTest::newRow("Vpz") << u"Vpz.DB"_s
                             << u"ID +|N3 A22|C4 N|N5 A22|N6 A10|N7 A22|Pmr L|Poradi I|Cislo I"_s << 1;
        QTest::newRow("Mzd11") << u"Mzd11.DB"_s << u"O S|Dan I|Danz I|Prdb L|Dv D|Znd N|Snd N|Bon N|Dps N"_s
                               << 1;
        QTest::newRow("Vvdp") << u"Vvdp.DB"_s
                              << u"C1 N|C2 N|C3 N|C4 N|C5 N|C6 N|C7 N|C8 N|C9 N|C10 N|C11 N|C12 N"_s << 0;
        QTest::newRow("Data") << u"Data.DB"_s << u"Cislo I|Pozice I|Nazev A20|Adresar A20"_s << 1;
        QTest::newRow("Uziv") << u"Uziv.DB"_s << u"Cislo I|Heslo A10"_s << 1;
        QTest::newRow("Prp") << u"Prp.DB"_s << QString::fromUtf8(PrpColumns) << 0;
    }

    void fullStructure()
    {
        QFETCH(QString, file);
        QFETCH(QString, columns);
        QFETCH(int, keyFields);
        const PxTable table = readWithPxlib(QDir(m_dir.path()).filePath(file));
        QVERIFY2(table.opened, qPrintable(file));
        const QList<Column> expected = parseColumns(columns);
        QCOMPARE(table.columns.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const Column &actual = table.columns.at(i);
            const Column &wanted = expected.at(i);
            QVERIFY2(actual == wanted,
                     qPrintable(u"%1: field %2 is %3 %4%5, expected %6 %7%8"_s.arg(file).arg(i + 1).arg(
                         actual.name, actual.type, QString::number(actual.length), wanted.name, wanted.type,
                         QString::number(wanted.length))));
        }
        QCOMPARE(table.keyFields, keyFields);
        QCOMPARE(table.fileType, keyFields > 0 ? 0 : 2);
        QCOMPARE(table.records, 0);
        QCOMPARE(table.codePage, 1250);
        if (keyFields > 0)
            QVERIFY(QFile::exists(QDir(m_dir.path()).filePath(QString(file).replace(u".DB"_s, u".PX"_s))));
    }

    // The big statement tables: their size and fields at the places where a
    // slip in a family or in the order would show.
    void largeTables_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("samples"); // "position:Name T" items

        QTest::newRow("Vdvl")
            << u"Vdvl.DB"_s << 186
            << u"1:C106 N|2:D11 D|13:D121 D|14:D19 A20|25:D129 A20|26:Sl21 N|27:Sl31 N|28:Sl41 N|"
               "29:Sl51 N|30:Sl61 N|31:Sl71 N|32:Sl91 N|33:Sl22 N|109:Sl912 N|110:C401 N|"
               "119:C410 N|120:Sla51 N|131:Sla512 N|132:Slb51 N|143:Slb512 N|144:C403a N|"
               "145:C404a N|146:Mv1 A20|149:Mv4 A20|150:Vc1 N|153:Vc4 N|154:Ztv1 N|157:Ztv4 N|"
               "158:C106a N|159:Pzp1 A20|162:Pzp4 A20|163:Slc31 A30|174:Slc312 A30|"
               "175:Slo31 N|186:Slo312 N"_s;
        QTest::newRow("Vdvs")
            << u"Vdvs.DB"_s << 144
            << u"1:Sl11 N|2:Sl21 N|8:Sl81 N|9:Sl101 N|10:Sl12 N|18:Sl102 N|100:Sl112 N|"
               "107:Sl812 N|108:Sl1012 N|109:Slc71 A30|120:Slc712 A30|121:Slo71 N|132:Slo712 N|"
               "133:Sld91 N|144:Sld912 N"_s;
        QTest::newRow("Vpkv") << u"Vpkv.DB"_s << 137
                              << u"1:N11 A20|4:N14 A20|5:C15 N|6:N21 A20|51:N111 A20|55:C115 N|101:N211 A20|"
                                 "105:C215 N|106:Z1 A1|119:Z14 A1|120:Z15a A1|121:N151a A20|124:N154a A20|"
                                 "125:C155a N|126:Z16a A1|132:Z17a A1|137:C175a N"_s;
        QTest::newRow("Vpkb") << u"Vpkb.DB"_s << 112
                              << u"1:N11 A20|5:N15 A20|6:C16 N|7:N21 A20|91:N161 A20|95:N165 A20|96:C166 N|"
                                 "97:M1 A1|112:M16 A1"_s;
    }

    void largeTables()
    {
        QFETCH(QString, file);
        QFETCH(int, count);
        QFETCH(QString, samples);
        const PxTable table = readWithPxlib(QDir(m_dir.path()).filePath(file));
        QVERIFY2(table.opened, qPrintable(file));
        QCOMPARE(table.columns.size(), count);
        QCOMPARE(table.keyFields, 0);
        QSet<QString> names;
        for (const Column &c : table.columns)
            names.insert(c.name.toLower());
        QCOMPARE(names.size(), count); // no name twice
        for (const QString &sample : samples.split(u'|')) {
            const int colon = sample.indexOf(u':');
            const int position = sample.left(colon).toInt();
            const Column wanted = parseColumns(sample.mid(colon + 1)).first();
            QVERIFY2(table.columns.at(position - 1) == wanted,
                     qPrintable(
                         u"%1 at %2: %3"_s.arg(file).arg(position).arg(table.columns.at(position - 1).name)));
        }
    }

    void vdvlTotals()
    {
        QHash<QString, double> stored;
        for (int m = 1; m <= 12; ++m) {
            const QString n = QString::number(m);
            stored.insert(u"Sl5"_s + n, m);
            stored.insert(u"Slb5"_s + n, 10);
            stored.insert(u"Sl4"_s + n, 7);
            stored.insert(u"Sl6"_s + n, -3);
            stored.insert(u"Sl2"_s + n, 100.5);
        }
        stored.remove(u"Sl512"_s); // empty counts as 0
        const QHash<QString, double> calc = calculate(tableDef(TableId::Vdvl), stored);
        QCOMPARE(calc.value(u"Sl81"_s), 11.0);
        QCOMPARE(calc.value(u"Sl812"_s), 10.0);
        QCOMPARE(calc.value(u"Sl513"_s), 66.0);
        QCOMPARE(calc.value(u"Slb513"_s), 120.0);
        QCOMPARE(calc.value(u"Sl813"_s), 186.0);
        QCOMPARE(calc.value(u"Sl213"_s), 1206.0);
        QCOMPARE(calc.value(u"Sl413"_s), 0.0);
        QCOMPARE(calc.value(u"Sl613"_s), 0.0);
        QCOMPARE(calc.value(u"Sla513"_s), 0.0);
    }

    void vdvsPartTwo()
    {
        QHash<QString, double> stored;
        for (int m = 1; m <= 12; ++m) {
            stored.insert(u"Sl1"_s + QString::number(m), 100);
            stored.insert(u"Sl10"_s + QString::number(m), 90);
            stored.insert(u"Sl4"_s + QString::number(m), 5);
        }
        const QHash<QString, double> calc = calculate(tableDef(TableId::Vdvs), stored);
        QCOMPARE(calc.value(u"Sl113"_s), 1200.0);
        QCOMPARE(calc.value(u"Sl1013"_s), 1080.0);
        QCOMPARE(calc.value(u"C401a"_s), 1200.0);
        QCOMPARE(calc.value(u"C402"_s), 1080.0);
        QCOMPARE(calc.value(u"C403"_s), -120.0);
        QCOMPARE(calc.value(u"Sl413"_s), 0.0);
        QCOMPARE(calc.value(u"Sl91"_s), 0.0);
        QCOMPARE(calc.value(u"C401"_s), 0.0);
    }

    void mzd11Derived_data()
    {
        QTest::addColumn<double>("dps");
        QTest::addColumn<double>("bon");
        QTest::addColumn<double>("dpsbo");
        QTest::newRow("bonus larger") << 500.0 << 800.0 << 0.0;
        QTest::newRow("tax larger") << 800.0 << 500.0 << 300.0;
        QTest::newRow("equal") << 500.0 << 500.0 << 0.0;
    }

    void mzd11Derived()
    {
        QFETCH(double, dps);
        QFETCH(double, bon);
        QFETCH(double, dpsbo);
        const QHash<QString, double> calc = calculate(
            tableDef(TableId::Mzd11), {{u"Dps"_s, dps}, {u"Bon"_s, bon}, {u"Dan"_s, 1000}, {u"Danz"_s, 250}});
        QCOMPARE(calc.value(u"Dpsbo"_s), dpsbo);
        QCOMPARE(calc.value(u"Daz"_s), 750.0);
    }

    // Every field the code names through data::fields is in its table; a
    // misspelling or a range one too long is reported by its full name.
    void namedFieldsExist() { QCOMPARE(unknownFields(namedFields()), QStringList()); }

    void misspelledNamesAreReported()
    {
        NamedFields wrong;
        wrong.names = {FieldName{TableId::Vdvl, u"C4O1"}, fields::Vdvl::C401,
                       FieldName{TableId::Vdvs, u"C404a"}};
        wrong.series = {FieldSeries{TableId::Vdvl, u"Sl2", 12, 14, u""}};
        wrong.grids = {FieldGrid{TableId::Vpkv, u"N", 15, 16, 4, 5, u"a"}};
        QCOMPARE(unknownFields(wrong), (QStringList{u"Vdvl.C4O1"_s, u"Vdvs.C404a"_s, u"Vdvl.Sl214"_s,
                                                    u"Vpkv.N155a"_s, u"Vpkv.N165a"_s}));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTableDefs)
#include "test_tabledefs.moc"
