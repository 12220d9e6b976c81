// Settlements written in earlier layouts, brought up to date by the
// upgrade: the fields added, the one-time copies, the template copies and the
// flags, and that a second run leaves every byte alone.

#include "data/TableDefs.h"
#include "data/Templates.h"
#include "data/Upgrade.h"
#include "paradox/Table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

using namespace Qt::StringLiterals;
using namespace data;

namespace {

using Record = QVariantMap;

// A data root with a template directory and one settlement "D1" in it.
class Settlement
{
public:
    Settlement()
    {
        const QDir root(m_root.path());
        root.mkpath(u"D1"_s);
        root.mkpath(u"Data"_s);
        dir = root.filePath(u"D1"_s);
        templates = root.filePath(u"Data"_s);
        createSettlementTemplates(templates);
        for (TableId id : SettlementTables) {
            const TableDef &def = tableDef(id);
            write(id, def.schema(), def.singleRecord() ? QList<Record>{Record()} : QList<Record>{});
        }
    }

    QString path(TableId id) const { return QDir(dir).filePath(tableDef(id).fileName()); }

    void write(TableId id, const paradox::Schema &schema, const QList<Record> &records)
    {
        paradox::Table::removeTable(path(id));
        auto table = paradox::Table::create(path(id), schema);
        for (const Record &record : records) {
            QVariantList values(schema.fields.size());
            for (auto it = record.begin(); it != record.end(); ++it) {
                const int i = table->fieldIndex(it.key());
                QVERIFY2(i >= 0, qPrintable(it.key()));
                values[i] = it.value();
            }
            table->append(values);
        }
    }

    // The table as the version before `generation` wrote it: without the
    // fields of that generation and every later one.
    void writeOlder(TableId id, int generation, const QList<Record> &records)
    {
        std::set<QString> dropped;
        const QList<Generation> &gens = generations(id);
        for (qsizetype g = generation; g < gens.size(); ++g) {
            for (const QString &name : gens.at(g).fields)
                dropped.insert(name);
        }
        write(id, without(id, dropped), records);
    }

    paradox::Schema without(TableId id, const std::set<QString> &dropped) const
    {
        paradox::Schema schema;
        schema.keyFields = tableDef(id).keyFields();
        for (const paradox::FieldDef &f : tableDef(id).schema().fields) {
            if (!dropped.count(f.name))
                schema.fields.append(f);
        }
        return schema;
    }

    void remove(TableId id) { paradox::Table::removeTable(path(id)); }

    Record read(TableId id, int row = 0) const
    {
        auto table = paradox::Table::open(path(id));
        Record record;
        if (row >= table->recordCount())
            return record;
        const QVariantList values = table->record(row);
        for (qsizetype i = 0; i < values.size(); ++i)
            record.insert(table->schema().fields.at(i).name, values.at(i));
        return record;
    }

    paradox::Schema schema(TableId id) const { return paradox::Table::open(path(id))->schema(); }
    int count(TableId id) const { return paradox::Table::open(path(id))->recordCount(); }

    QHash<QString, QByteArray> snapshot() const
    {
        QHash<QString, QByteArray> files;
        for (const QString &name : QDir(dir).entryList(QDir::Files)) {
            QFile file(QDir(dir).filePath(name));
            if (file.open(QIODevice::ReadOnly))
                files.insert(name, file.readAll());
        }
        return files;
    }

    UpgradeResult upgrade() const { return upgradeSettlement(dir, templates); }

    QString dir;
    QString templates;

private:
    QTemporaryDir m_root;
};

// Every declared field is in the file (in whatever order the upgrade left them).
bool complete(const Settlement &s, TableId id)
{
    const paradox::Schema actual = s.schema(id);
    for (const paradox::FieldDef &f : tableDef(id).schema().fields) {
        bool found = false;
        for (const paradox::FieldDef &a : actual.fields)
            found = found || (a.name.compare(f.name, Qt::CaseInsensitive) == 0 && a.type == f.type &&
                              a.size == f.size);
        if (!found) {
            qWarning() << "missing or different:" << f.name;
            return false;
        }
    }
    return true;
}

} // namespace

class TestUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void currentSettlementIsOnlyRead()
    {
        Settlement s;
        s.write(TableId::Vdvl, tableDef(TableId::Vdvl).schema(), {{{u"Sl21"_s, 100.0}, {u"Sla51"_s, 7.0}}});
        const auto before = s.snapshot();
        const UpgradeResult result = s.upgrade();
        QVERIFY(!result.flags.any());
        QVERIFY(result.changedTables.isEmpty());
        QVERIFY(result.postOnce.isEmpty());
        QVERIFY(!result.recalculateEmployment && !result.recalculateWithholding);
        QCOMPARE(s.snapshot(), before);
    }

    // Whatever generation a company table stops at, it ends complete, and the
    // caller is told to recompute when the statement types or the last
    // generation had to be added.
    void prpGenerations_data()
    {
        QTest::addColumn<int>("generation");
        for (int g = 0; g <= 8; ++g)
            QTest::addRow("before %d", g + 1) << g;
    }

    void prpGenerations()
    {
        QFETCH(int, generation);
        Settlement s;
        s.writeOlder(TableId::Prp, generation, {{{u"Rok"_s, u"2015"_s}, {u"Dic"_s, u"CZ12345678"_s}}});
        const UpgradeResult result = s.upgrade();
        QVERIFY(complete(s, TableId::Prp));
        QCOMPARE(detectGeneration(TableId::Prp, s.schema(TableId::Prp)), 8);
        QCOMPARE(result.flags.statementTypes, generation < 6);
        QCOMPARE(result.flags.lastCompanyGeneration, generation < 8);
        QCOMPARE(result.changedTables.contains(TableId::Prp), generation < 8);
        const Record prp = s.read(TableId::Prp);
        QCOMPARE(prp.value(u"Rok"_s).toString(), u"2015"_s);
        QCOMPARE(prp.value(u"Dic"_s).toString(), u"CZ12345678"_s);
        QCOMPARE(s.count(TableId::Prp), 1);
    }

    void prpBeforeStatementTypes()
    {
        Settlement s;
        // Written out by hand, not taken from the generation lists.
        const std::set<QString> younger = {u"Dpdr1"_s, u"Dpdr2"_s, u"Dpdo1"_s, u"Dpdo2"_s, u"Dpdd1"_s,
                                           u"Dpdd2"_s, u"Dopd"_s,  u"Dops"_s,  u"Fusp"_s,  u"Pr13"_s};
        s.write(TableId::Prp, s.without(TableId::Prp, younger), {{{u"Ojv"_s, u"Firma a.s."_s}}});
        QCOMPARE(detectGeneration(TableId::Prp, s.schema(TableId::Prp)), 5);
        const UpgradeResult result = s.upgrade();
        QVERIFY(result.flags.statementTypes);
        QVERIFY(result.flags.lastCompanyGeneration);
        QVERIFY(!result.flags.printSettings);
        const paradox::Schema schema = s.schema(TableId::Prp);
        const QList<paradox::FieldDef> tail = schema.fields.mid(schema.fields.size() - 10);
        const QList<paradox::FieldDef> added = {
            paradox::field(u"Dpdr1"_s, paradox::FieldType::Logical),
            paradox::field(u"Dpdr2"_s, paradox::FieldType::Logical),
            paradox::field(u"Dpdo1"_s, paradox::FieldType::Logical),
            paradox::field(u"Dpdo2"_s, paradox::FieldType::Logical),
            paradox::field(u"Dpdd1"_s, paradox::FieldType::Logical),
            paradox::field(u"Dpdd2"_s, paradox::FieldType::Logical),
            paradox::field(u"Dopd"_s, paradox::FieldType::Date),
            paradox::field(u"Dops"_s, paradox::FieldType::Date),
            paradox::alpha(u"Fusp"_s, 45),
            paradox::alpha(u"Pr13"_s, 1),
        };
        QCOMPARE(tail, added);
        const Record prp = s.read(TableId::Prp);
        QCOMPARE(prp.value(u"Dpdr1"_s), QVariant(true));
        QCOMPARE(prp.value(u"Dpdr2"_s), QVariant(true));
        for (const char16_t *name : {u"Dpdo1", u"Dpdo2", u"Dpdd1", u"Dpdd2"})
            QCOMPARE(prp.value(QString::fromUtf16(name)), QVariant(false));
        QVERIFY(prp.value(u"Dopd"_s).isNull());
        QVERIFY(prp.value(u"Fusp"_s).isNull());
        QCOMPARE(prp.value(u"Ojv"_s).toString(), u"Firma a.s."_s);
    }

    // The copies of the oldest layout run in generation order, so later ones
    // see what earlier ones wrote (Pr reaches Prk through Privx).
    void prpOneTimeCopies_data()
    {
        QTest::addColumn<bool>("company");
        QTest::addColumn<QString>("street");
        QTest::addColumn<QString>("address");
        QTest::newRow("company with street") << true << u"Dlouhá 5"_s << u"Dlouhá 5, 110 00  Praha"_s;
        QTest::newRow("person without street") << false << QString() << u"  110 00  Praha"_s;
    }

    void prpOneTimeCopies()
    {
        QFETCH(bool, company);
        QFETCH(QString, street);
        QFETCH(QString, address);
        Settlement s;
        s.writeOlder(TableId::Prp, 0,
                     {{{u"Opr"_s, u"Stavby Novák a syn, společnost s ručením omezeným"_s},
                       {u"Oprz"_s, company},
                       {u"Ul1"_s, street},
                       {u"Psc"_s, u"110 00"_s},
                       {u"Obe"_s, u"Praha"_s},
                       {u"Tel1"_s, u"+420 123 456 789"_s},
                       {u"Ses"_s, u"Jana Malá"_s},
                       {u"Tel"_s, u"602111222"_s},
                       {u"Dv"_s, QDate(2014, 1, 31)},
                       {u"Pr"_s, u"Novák"_s},
                       {u"Jm"_s, u"Petr"_s},
                       {u"Oj1"_s, u"Alfa"_s},
                       {u"Oj2"_s, u"Beta"_s},
                       {u"Jmp"_s, u"Karel"_s},
                       {u"Prp"_s, u"Dvořák"_s},
                       {u"Jm2"_s, u"Eva"_s},
                       {u"Pr2"_s, u"Svobodová"_s}}});
        const UpgradeResult result = s.upgrade();
        QVERIFY(result.flags.statementTypes && result.flags.lastCompanyGeneration);
        const Record prp = s.read(TableId::Prp);
        const QString name = u"Stavby Novák a syn, společnost s ručením omezeným"_s;
        if (company) {
            QCOMPARE(prp.value(u"Ojs"_s).toString(), name.left(35));
            QVERIFY(prp.value(u"Prs"_s).isNull());
        } else {
            QCOMPARE(prp.value(u"Prs"_s).toString(), name.left(23));
            QCOMPARE(prp.value(u"Prsx"_s).toString(), name.left(19)); // generation 2 copies generation 1's
            QCOMPARE(prp.value(u"Prks"_s).toString(), name.left(16)); // and generation 5 that one
            QVERIFY(prp.value(u"Ojs"_s).isNull());
        }
        QCOMPARE(prp.value(u"Adrs"_s).toString(), address);
        QCOMPARE(prp.value(u"Tels"_s).toString(), u"+420 123 "_s);
        QCOMPARE(prp.value(u"Telb"_s).toString(), u"+420 123 "_s);
        QCOMPARE(prp.value(u"Vses"_s).toString(), u"Jana Malá"_s);
        QCOMPARE(prp.value(u"Telx"_s).toString(), u"602111222"_s);
        QCOMPARE(prp.value(u"Dvs"_s), QVariant(QDate(2014, 1, 31)));
        QCOMPARE(prp.value(u"Jmx"_s).toString(), u"Eva"_s);
        QCOMPARE(prp.value(u"Jmz"_s).toString(), u"Eva"_s);
        QCOMPARE(prp.value(u"Prz"_s).toString(), u"Svobodová"_s);
        QCOMPARE(prp.value(u"Ojv"_s).toString(), u"Alfa Beta"_s);
        QCOMPARE(prp.value(u"Prk"_s).toString(), u"Novák"_s);
        QCOMPARE(prp.value(u"Jmd"_s).toString(), u"Petr"_s);
        QCOMPARE(prp.value(u"Zdo"_s), QVariant(true));
        QCOMPARE(prp.value(u"Fop"_s), QVariant(true));
        // No registration number: the signatory lines stay empty.
        QVERIFY(prp.value(u"Zjm"_s).isNull());
        QVERIFY(prp.value(u"Zde"_s).isNull());
        // Empty sources joined with a blank leave the field empty.
        QVERIFY(prp.value(u"Ojsb"_s).isNull());
        QVERIFY(prp.value(u"Adrb"_s).isNull());
    }

    void printSettingsAndEmploymentColumns()
    {
        Settlement s;
        s.writeOlder(TableId::Dmt, 0, {{{u"Dpl"_s, 10}, {u"Kop"_s, 2}}});
        s.writeOlder(TableId::Vdvl, 0,
                     {{{u"Sl21"_s, 100.0},
                       {u"Sl71"_s, 5.0},
                       {u"D11"_s, QDate(2015, 2, 10)},
                       {u"D19"_s, u"č.j. 1"_s},
                       {u"C106"_s, 12.0}}});
        const UpgradeResult result = s.upgrade();
        QVERIFY(result.flags.printSettings);
        QVERIFY(!result.flags.statementTypes);
        QVERIFY(result.recalculateEmployment);
        QVERIFY(result.postOnce.contains(TableId::Vdvl));
        QVERIFY(complete(s, TableId::Vdvl));

        const Record dmt = s.read(TableId::Dmt);
        QCOMPARE(dmt.value(u"Prh1"_s), QVariant(true));
        QCOMPARE(dmt.value(u"Trh1"_s).toString(), u"vybranou stránku"_s);
        QCOMPARE(dmt.value(u"Tpr2"_s).toString(), u"všechny stránky"_s);
        QCOMPARE(dmt.value(u"Dpl"_s).toInt(), 3); // the new layout's left margin
        QCOMPARE(dmt.value(u"Kop"_s).toInt(), 2);

        const Record vdvl = s.read(TableId::Vdvl);
        QCOMPARE(vdvl.value(u"Sl21"_s).toDouble(), 100.0);
        QCOMPARE(vdvl.value(u"C106"_s).toDouble(), 12.0);
        QVERIFY(vdvl.value(u"D11"_s).isNull());
        QVERIFY(vdvl.value(u"D19"_s).isNull());
        QCOMPARE(vdvl.value(u"Sl71"_s), QVariant(0.0));
        QCOMPARE(vdvl.value(u"Sla51"_s), QVariant(0.0));
        QVERIFY(vdvl.value(u"Vc1"_s).isNull());
        QVERIFY(vdvl.value(u"Slo31"_s).isNull());
    }

    void employmentDecisionsOnly()
    {
        Settlement s;
        s.writeOlder(TableId::Vdvl, 2, {{{u"Sla51"_s, 7.0}, {u"Vc1"_s, 3.0}, {u"Sl712"_s, 4.0}}});
        s.write(TableId::Dmt, tableDef(TableId::Dmt).schema(), {{{u"Dpl"_s, 10}}});
        const UpgradeResult result = s.upgrade();
        QVERIFY(!result.flags.any());
        QVERIFY(result.recalculateEmployment);
        const Record vdvl = s.read(TableId::Vdvl);
        QCOMPARE(vdvl.value(u"Sla51"_s), QVariant(0.0));
        QCOMPARE(vdvl.value(u"Sl712"_s), QVariant(0.0));
        QCOMPARE(vdvl.value(u"Vc1"_s), QVariant(3.0));
        QCOMPARE(s.read(TableId::Dmt).value(u"Dpl"_s).toInt(), 10); // only generation A moves the margin
        QVERIFY(!result.changedTables.contains(TableId::Dmt));
    }

    void withholdingFromOldMonths()
    {
        Settlement s;
        s.remove(TableId::Vdvs);
        Record months;
        for (int m = 1; m <= 12; ++m) {
            if (m != 5)
                months.insert(u"C"_s + QString::number(m), 100.0 * m);
        }
        s.write(TableId::Vvdp, tableDef(TableId::Vvdp).schema(), {months});

        const UpgradeResult result = s.upgrade();
        QVERIFY(result.changedTables.contains(TableId::Vdvs));
        QVERIFY(result.changedTables.contains(TableId::Vvdp));
        QVERIFY(result.postOnce.contains(TableId::Vdvs));
        QVERIFY(!result.recalculateWithholding);
        QCOMPARE(s.count(TableId::Vdvs), 1);
        const Record vdvs = s.read(TableId::Vdvs);
        const Record vvdp = s.read(TableId::Vvdp);
        for (int m = 1; m <= 12; ++m) {
            const QString n = QString::number(m);
            const double expected = m == 5 ? 0.0 : 100.0 * m;
            QCOMPARE(vdvs.value(u"Sl1"_s + n).toDouble(), expected);
            QCOMPARE(vdvs.value(u"Sl2"_s + n).toDouble(), expected);
            QCOMPARE(vdvs.value(u"Sl10"_s + n).toDouble(), expected);
            QVERIFY(vdvs.value(u"Sl3"_s + n).isNull());
            QCOMPARE(vvdp.value(u"C"_s + n), QVariant(0.0));
        }

        // Taken over once: the zeroed old months do not overwrite them again.
        const auto before = s.snapshot();
        const UpgradeResult again = s.upgrade();
        QVERIFY(again.changedTables.isEmpty());
        QCOMPARE(s.snapshot(), before);
    }

    void withholdingDecisionColumns()
    {
        Settlement s;
        Record record{{u"Sl11"_s, 40.0}};
        for (int m = 1; m <= 12; ++m)
            record.insert(u"Sl8"_s + QString::number(m), 9.0);
        s.writeOlder(TableId::Vdvs, 0, {record});
        const UpgradeResult result = s.upgrade();
        QVERIFY(complete(s, TableId::Vdvs));
        QVERIFY(result.recalculateWithholding);
        QVERIFY(result.postOnce.contains(TableId::Vdvs));
        const Record vdvs = s.read(TableId::Vdvs);
        QCOMPARE(vdvs.value(u"Sl11"_s).toDouble(), 40.0);
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(vdvs.value(u"Sl8"_s + QString::number(m)), QVariant(0.0));
        QVERIFY(vdvs.value(u"Sld91"_s).isNull());
    }

    void missingTablesComeFromTemplates()
    {
        Settlement s;
        s.remove(TableId::Mzd11);
        s.remove(TableId::Vpkb);
        QVERIFY(!QFile::exists(QDir(s.dir).filePath(u"Mzd11.PX"_s)));
        const UpgradeResult result = s.upgrade();
        QVERIFY(result.changedTables.contains(TableId::Mzd11));
        QVERIFY(result.changedTables.contains(TableId::Vpkb));
        QVERIFY(!result.flags.any());
        QVERIFY(QFile::exists(QDir(s.dir).filePath(u"Mzd11.PX"_s)));
        QCOMPARE(s.count(TableId::Mzd11), 0);
        QCOMPARE(s.schema(TableId::Mzd11), tableDef(TableId::Mzd11).schema());
        QCOMPARE(s.schema(TableId::Vpkb), tableDef(TableId::Vpkb).schema());
    }

    void everyUpgradeThenNothing()
    {
        Settlement s;
        s.writeOlder(TableId::Prp, 0, {Record()});
        s.writeOlder(TableId::Dmt, 0, {Record()});
        s.writeOlder(TableId::Vdvl, 0, {{{u"Sl21"_s, 1.0}}});
        s.writeOlder(TableId::Vpkv, 0, {{{u"C15"_s, 250.0}}});
        s.writeOlder(TableId::Mzd11, 0, {{{u"O"_s, 1}, {u"Dan"_s, 1500}}, {{u"O"_s, 2}, {u"Dan"_s, 1600}}});
        s.remove(TableId::Vdvs);
        s.remove(TableId::Vpkb);
        const UpgradeResult first = s.upgrade();
        QVERIFY(first.flags.printSettings && first.flags.statementTypes && first.flags.lastCompanyGeneration);
        QCOMPARE(first.postOnce, (QList<TableId>{TableId::Vdvl, TableId::Vpkv, TableId::Vdvs}));
        for (TableId id : SettlementTables)
            QVERIFY2(complete(s, id), qPrintable(tableDef(id).name()));
        QCOMPARE(s.read(TableId::Vpkv).value(u"C15"_s).toDouble(), 250.0);
        QVERIFY(s.read(TableId::Vpkv).value(u"Z1"_s).isNull());
        QCOMPARE(s.count(TableId::Mzd11), 2);
        QCOMPARE(s.read(TableId::Mzd11, 1).value(u"Dan"_s).toInt(), 1600);
        QVERIFY(s.read(TableId::Mzd11, 1).value(u"Znd"_s).isNull());

        const auto before = s.snapshot();
        const UpgradeResult second = s.upgrade();
        QVERIFY(!second.flags.any());
        QVERIFY(second.changedTables.isEmpty());
        QVERIFY(second.postOnce.isEmpty());
        QCOMPARE(s.snapshot(), before);
    }

    // A file that lacks a field no earlier version lacked is not ours: the
    // upgrade refuses it and leaves it untouched.
    void foreignFileIsRefused()
    {
        Settlement s;
        s.write(TableId::Prp, s.without(TableId::Prp, {u"Rok"_s, u"Pr13"_s}), {Record()});
        const auto before = s.snapshot();
        try {
            s.upgrade();
            QFAIL("no error");
        } catch (const paradox::TableError &e) {
            QCOMPARE(e.kind(), paradox::TableError::Kind::Damaged);
            QVERIFY2(e.message().contains(u"Rok"_s), qPrintable(e.message()));
        }
        QCOMPARE(s.snapshot(), before);
    }

    void damagedBonusAnnexIsNotOverwritten()
    {
        Settlement s;
        QFile file(s.path(TableId::Vpkb));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(300, 'x'));
        file.close();
        QVERIFY_THROWS_EXCEPTION(paradox::TableError, s.upgrade());
        QCOMPARE(QFileInfo(s.path(TableId::Vpkb)).size(), 300);
    }
};

QTEST_GUILESS_MAIN(TestUpgrade)
#include "test_upgrade.moc"
