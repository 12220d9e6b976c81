#include "data/Upgrade.h"

#include "platform/FileOps.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace data {

namespace {

QStringList numbered(const QString &stem, int first, int last, const QString &suffix = QString())
{
    QStringList names;
    for (int i = first; i <= last; ++i)
        names.append(stem + QString::number(i) + suffix);
    return names;
}

QList<Generation> buildGenerations(TableId id)
{
    switch (id) {
    case TableId::Prp: {
        QStringList first = {u"Prs"_s,  u"Jms"_s,  u"Dods"_s, u"Ojs"_s,  u"Djs"_s, u"Adrs"_s,
                             u"Tels"_s, u"Mobs"_s, u"Faxs"_s, u"Emls"_s, u"Duc"_s, u"Lhp"_s};
        for (int k = 1; k <= 3; ++k) {
            const QString n = QString::number(k);
            first << u"Cs"_s + n << u"Pus"_s + n << u"Cus"_s + n << u"Kbs"_s + n;
        }
        first << u"Vses"_s << u"Telx"_s << u"Mobx"_s << u"Emlx"_s << u"Jmx"_s << u"Prx"_s << u"Pstx"_s
              << u"Ops"_s << u"Dvs"_s;
        return {
            {u"1"_s, first},
            {u"2"_s,
             {u"Evc"_s, u"Dps"_s, u"Prsx"_s, u"Ti"_s, u"Ojsa"_s, u"Dojs"_s, u"Ob"_s, u"Pscb"_s, u"Telb"_s,
              u"Uls"_s, u"Okrb"_s, u"St"_s, u"Bsp"_s, u"Zdo"_s, u"Fop"_s, u"Bds"_s}},
            {u"3"_s, {u"Privx"_s, u"Tiv"_s, u"Ojv"_s, u"Ojva"_s, u"Jmpx"_s, u"Prpx"_s, u"Tipx"_s}},
            {u"4"_s,
             {u"Kod"_s, u"Dvo"_s, u"Emlv"_s, u"Ojsb"_s, u"Adrb"_s, u"Titul"_s, u"Evco"_s, u"Dpso"_s, u"Jmz"_s,
              u"Prz"_s}},
            {u"5"_s,
             {u"Prk"_s, u"Prks"_s, u"Jmd"_s, u"Jmds"_s, u"Kzs"_s, u"Kzsa"_s, u"Zjm"_s, u"Zjms"_s, u"Zde"_s,
              u"Zdes"_s, u"Zjv"_s, u"Zjvs"_s}},
            {u"6"_s,
             {u"Dpdr1"_s, u"Dpdr2"_s, u"Dpdo1"_s, u"Dpdo2"_s, u"Dpdd1"_s, u"Dpdd2"_s, u"Dopd"_s, u"Dops"_s}},
            {u"7"_s, {u"Fusp"_s}},
            {u"8"_s, {u"Pr13"_s}},
        };
    }
    case TableId::Dmt:
        return {{u"1"_s, {u"Prh1"_s, u"Trh1"_s, u"Tpr2"_s}}};
    case TableId::Vdvl:
        return {
            {u"A"_s,
             numbered(u"Sla5"_s, 1, 12) + numbered(u"Slb5"_s, 1, 12) + QStringList{u"C403a"_s, u"C404a"_s}},
            {u"B"_s, numbered(u"Mv"_s, 1, 4) + numbered(u"Vc"_s, 1, 4) + numbered(u"Ztv"_s, 1, 4) +
                         QStringList{u"C106a"_s} + numbered(u"Pzp"_s, 1, 4)},
            {u"C"_s, numbered(u"Slc3"_s, 1, 12) + numbered(u"Slo3"_s, 1, 12)},
        };
    case TableId::Vpkv: {
        QStringList lines;
        for (int r = 15; r <= 17; ++r) {
            const QString n = QString::number(r);
            lines << u"Z"_s + n + u'a' << numbered(u"N"_s + n, 1, 4, u"a"_s) << u"C"_s + n + u"5a"_s;
        }
        return {{u"1"_s, numbered(u"Z"_s, 1, 14)}, {u"2"_s, lines}};
    }
    case TableId::Vdvs:
        return {
            {u"1"_s, numbered(u"Slc7"_s, 1, 12) + numbered(u"Slo7"_s, 1, 12) + numbered(u"Sld9"_s, 1, 12)}};
    case TableId::Mzd11:
        return {{u"1"_s, {u"Znd"_s, u"Snd"_s, u"Bon"_s, u"Dps"_s}}};
    default:
        return {};
    }
}

const paradox::FieldDef *findField(const paradox::Schema &schema, const QString &name)
{
    for (const paradox::FieldDef &f : schema.fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

bool hasField(const paradox::Schema &schema, const QString &name)
{
    return findField(schema, name) != nullptr;
}

// The single record of a one-record table, edited in memory and written back
// once. Editing an empty table creates the record, as editing an empty
// dataset inserts one.
class RecordEdit
{
public:
    explicit RecordEdit(paradox::Table &table) : m_table(table), m_row(table.recordCount() > 0 ? 0 : -1)
    {
        m_values = m_row >= 0 ? table.record(m_row) : QVariantList(table.schema().fields.size());
    }

    QVariant value(const QString &name) const { return m_values.value(index(name)); }
    QString text(const QString &name) const { return value(name).toString(); }
    bool flag(const QString &name) const { return value(name).toBool(); }

    void set(const QString &name, const QVariant &value)
    {
        const int i = index(name);
        const paradox::FieldDef &def = m_table.schema().fields.at(i);
        QVariant stored = value;
        if (def.type == paradox::FieldType::Alpha) {
            // A text longer than the field is cut, as the field itself cuts typed text.
            QString s = value.toString().left(def.size);
            stored = s.isEmpty() ? QVariant() : QVariant(s);
        }
        m_values[i] = stored;
        m_changed = true;
    }
    void copy(const QString &target, const QString &source) { set(target, value(source)); }

    void commit()
    {
        if (!m_changed)
            return;
        if (m_row >= 0)
            m_table.update(m_row, m_values);
        else
            m_table.append(m_values);
        m_changed = false;
    }

private:
    int index(const QString &name) const
    {
        const int i = m_table.fieldIndex(name);
        Q_ASSERT_X(i >= 0, "RecordEdit", qPrintable(name));
        return i;
    }

    paradox::Table &m_table;
    int m_row;
    QVariantList m_values;
    bool m_changed = false;
};

// Joined texts of the one-time copies lose their trailing blanks, so two
// empty sources give an empty field rather than one that only looks empty.
QString joined(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    return text.left(end);
}

// Street, then "," (or " " without a street), a blank, postcode, two blanks, town.
QString address(const QString &street, const QString &postcode, const QString &town)
{
    const QString separator = street.isEmpty() ? u" "_s : u","_s;
    return joined(street + separator + u' ' + postcode + u"  "_s + town);
}

class SettlementUpgrader
{
public:
    SettlementUpgrader(const QString &dir, const QString &templateDir, const paradox::OpenOptions &options,
                       const std::function<void()> &beforeFirstChange)
        : m_dir(dir), m_templateDir(templateDir), m_options(options), m_beforeFirstChange(beforeFirstChange)
    {}

    UpgradeResult run()
    {
        upgradePrp();
        upgradeDmt();
        upgradeVdvl();
        upgradeVpkv();
        checkOnly(TableId::Vpz);
        checkOnly(TableId::Vvdp);
        upgradeVdvs();
        upgradeVpkb();
        upgradeMzd11();
        return m_result;
    }

private:
    QString path(TableId id) const { return tableFilePath(m_dir, tableDef(id).fileName()); }

    std::unique_ptr<paradox::Table> open(TableId id, bool exclusive = false) const
    {
        paradox::OpenOptions options = m_options;
        if (exclusive)
            options.mode = paradox::OpenMode::Exclusive;
        return paradox::Table::open(path(id), options);
    }

    // Every write of the upgrade follows a field addition or a template
    // copy, so these two announce the first one.
    void aboutToChange()
    {
        if (m_beforeFirstChange && !m_changing)
            m_beforeFirstChange();
        m_changing = true;
    }

    void changed(TableId id)
    {
        if (!m_result.changedTables.contains(id))
            m_result.changedTables.append(id);
    }

    void postOnce(TableId id)
    {
        if (!m_result.postOnce.contains(id))
            m_result.postOnce.append(id);
    }

    // Adds the fields of every generation the file lacks, in the order of the
    // generations, and tells per generation whether it was wholly missing
    // (only then do its one-time copies run: a file that has some of a
    // generation's fields was not written by the version before it). Returns
    // an empty list and leaves the file alone when nothing is missing.
    QList<bool> addGenerations(std::unique_ptr<paradox::Table> &table, TableId id)
    {
        const TableDef &def = tableDef(id);
        const QList<Generation> &gens = generations(id);
        checkStructure(*table, def);

        QList<bool> added;
        QList<paradox::FieldDef> missing;
        for (const Generation &gen : gens) {
            int count = 0;
            for (const QString &name : gen.fields) {
                if (!hasField(table->schema(), name)) {
                    missing.append(def.field(name)->storage());
                    ++count;
                }
            }
            added.append(count == gen.fields.size());
        }
        if (missing.isEmpty())
            return {};

        table.reset();
        aboutToChange();
        table = open(id, true);
        table->addFields(missing);
        changed(id);
        return added;
    }

    // Every declared field outside the generations must already be there
    // with its declared type; a file that lacks one is not an older version
    // of ours, and adding fields to it would only hide the damage.
    static void checkStructure(const paradox::Table &table, const TableDef &def)
    {
        const QList<Generation> &gens = generations(def.id());
        for (const FieldInfo &info : def.fields()) {
            const paradox::FieldDef expected = info.storage();
            const paradox::FieldDef *actual = findField(table.schema(), info.name);
            if (!actual) {
                bool inGeneration = false;
                for (const Generation &gen : gens)
                    inGeneration = inGeneration || gen.fields.contains(info.name);
                if (inGeneration)
                    continue;
                throw paradox::TableError(
                    paradox::TableError::Kind::Damaged,
                    u"Soubor %1 nemá pole %2. Soubor nepochází z tohoto programu nebo je poškozený."_s.arg(
                        QDir::toNativeSeparators(table.filePath()), info.name));
            }
            // Older texts may be of another length; the field cuts what is longer.
            if (actual->type != expected.type) {
                throw paradox::TableError(
                    paradox::TableError::Kind::Damaged,
                    u"Pole %2 v souboru %1 má jiný typ, než program očekává. Soubor nepochází z tohoto programu nebo je poškozený."_s
                        .arg(QDir::toNativeSeparators(table.filePath()), info.name));
            }
        }
    }

    void checkOnly(TableId id)
    {
        auto table = open(id);
        checkStructure(*table, tableDef(id));
    }

    void upgradePrp()
    {
        auto table = open(TableId::Prp);
        const QList<bool> added = addGenerations(table, TableId::Prp);
        if (added.isEmpty())
            return;
        RecordEdit r(*table);
        if (added[0]) {
            if (r.flag(u"Oprz"_s))
                r.copy(u"Ojs"_s, u"Opr"_s);
            else
                r.copy(u"Prs"_s, u"Opr"_s);
            r.set(u"Adrs"_s, address(r.text(u"Ul1"_s), r.text(u"Psc"_s), r.text(u"Obe"_s)));
            r.copy(u"Tels"_s, u"Tel1"_s);
            r.copy(u"Faxs"_s, u"Fax1"_s);
            r.copy(u"Vses"_s, u"Ses"_s);
            r.copy(u"Telx"_s, u"Tel"_s);
            r.copy(u"Jmx"_s, u"Jm2"_s);
            r.copy(u"Prx"_s, u"Pr2"_s);
            r.copy(u"Pstx"_s, u"Pvp2"_s);
            r.copy(u"Dvs"_s, u"Dv"_s);
        }
        if (added[1]) {
            r.set(u"Zdo"_s, true);
            r.set(u"Fop"_s, true);
            r.set(u"Bds"_s, true);
            r.copy(u"Prsx"_s, u"Prs"_s);
            r.copy(u"Ojsa"_s, u"Djs"_s);
            r.copy(u"Telb"_s, u"Tels"_s);
        }
        if (added[2]) {
            r.copy(u"Privx"_s, u"Pr"_s);
            r.set(u"Ojv"_s, joined(r.text(u"Oj1"_s) + u' ' + r.text(u"Oj2"_s)));
            r.copy(u"Jmpx"_s, u"Jmp"_s);
            r.copy(u"Prpx"_s, u"Prp"_s);
        }
        if (added[3]) {
            r.set(u"Ojsb"_s, joined(r.text(u"Ojsa"_s) + u' ' + r.text(u"Dojs"_s)));
            r.set(u"Adrb"_s, address(r.text(u"Uls"_s), r.text(u"Pscb"_s), r.text(u"Ob"_s)));
            r.copy(u"Jmz"_s, u"Jmx"_s);
            r.copy(u"Prz"_s, u"Prx"_s);
        }
        if (added[4]) {
            r.copy(u"Prk"_s, u"Privx"_s);
            r.copy(u"Jmd"_s, u"Jm"_s);
            r.copy(u"Prks"_s, u"Prsx"_s);
            r.copy(u"Jmds"_s, u"Jms"_s);
            if (!r.text(u"Evc"_s).isEmpty())
                r.set(u"Zjm"_s, joined(r.text(u"Jmpx"_s) + u' ' + r.text(u"Prpx"_s)));
            if (!r.text(u"Evco"_s).isEmpty())
                r.set(u"Zjms"_s, joined(r.text(u"Jmz"_s) + u' ' + r.text(u"Prz"_s)));
            r.copy(u"Zde"_s, u"Evc"_s);
            r.copy(u"Zdes"_s, u"Evco"_s);
        }
        if (added[5]) {
            r.set(u"Dpdr1"_s, true);
            r.set(u"Dpdr2"_s, true);
            r.set(u"Dpdo1"_s, false);
            r.set(u"Dpdo2"_s, false);
            r.set(u"Dpdd1"_s, false);
            r.set(u"Dpdd2"_s, false);
            m_result.flags.statementTypes = true;
        }
        if (added[7])
            m_result.flags.lastCompanyGeneration = true;
        r.commit();
    }

    void upgradeDmt()
    {
        auto table = open(TableId::Dmt);
        const QList<bool> added = addGenerations(table, TableId::Dmt);
        if (added.isEmpty() || !added[0])
            return;
        RecordEdit r(*table);
        r.set(u"Prh1"_s, true);
        r.set(u"Trh1"_s, u"vybranou stránku"_s);
        r.set(u"Tpr2"_s, u"všechny stránky"_s);
        r.commit();
        m_result.flags.printSettings = true;
    }

    void upgradeVdvl()
    {
        auto table = open(TableId::Vdvl);
        const QList<bool> added = addGenerations(table, TableId::Vdvl);
        if (added.isEmpty())
            return;
        if (added[2]) {
            // The decisions of column 3 replace the legacy dates and texts;
            // columns 9 and 10 start again from 0.
            QList<int> nulls;
            for (int m = 1; m <= 12; ++m) {
                nulls << table->fieldIndex(u"D"_s + QString::number(m) + u'1')
                      << table->fieldIndex(u"D"_s + QString::number(m) + u'9');
            }
            QList<int> zeros;
            for (int m = 1; m <= 12; ++m)
                zeros << table->fieldIndex(u"Sla5"_s + QString::number(m))
                      << table->fieldIndex(u"Sl7"_s + QString::number(m));
            updateAll(*table, nulls, zeros);
        }
        postOnce(TableId::Vdvl);
        if (added[1] || added[2])
            m_result.recalculateEmployment = true;
        table.reset();

        if (added[0]) {
            auto dmt = open(TableId::Dmt);
            RecordEdit r(*dmt);
            r.set(u"Dpl"_s, 3);
            r.commit();
            changed(TableId::Dmt);
        }
    }

    void upgradeVpkv()
    {
        auto table = open(TableId::Vpkv);
        if (!addGenerations(table, TableId::Vpkv).isEmpty())
            postOnce(TableId::Vpkv);
    }

    void upgradeVdvs()
    {
        if (!QFileInfo::exists(path(TableId::Vdvs))) {
            copyTemplate(TableId::Vdvs);
            migrateVvdp();
            postOnce(TableId::Vdvs);
            return;
        }
        auto table = open(TableId::Vdvs);
        const QList<bool> added = addGenerations(table, TableId::Vdvs);
        if (added.isEmpty())
            return;
        if (added[0]) {
            QList<int> zeros;
            for (int m = 1; m <= 12; ++m)
                zeros << table->fieldIndex(u"Sl8"_s + QString::number(m));
            updateAll(*table, {}, zeros);
            m_result.recalculateWithholding = true;
        }
        postOnce(TableId::Vdvs);
    }

    // The withholding months of the old table become columns 1, 2 and 10 of
    // the new statement, and the old table is emptied so that they are not
    // taken over twice.
    void migrateVvdp()
    {
        auto vvdp = open(TableId::Vvdp, true);
        auto vdvs = open(TableId::Vdvs, true);
        RecordEdit source(*vvdp);
        RecordEdit target(*vdvs);
        for (int m = 1; m <= 12; ++m) {
            const QString n = QString::number(m);
            const QVariant value = source.value(u"C"_s + n);
            const QVariant amount = value.isNull() ? QVariant(0.0) : value;
            target.set(u"Sl1"_s + n, amount);
            target.set(u"Sl2"_s + n, amount);
            target.set(u"Sl10"_s + n, amount);
        }
        target.commit();
        for (int m = 1; m <= 12; ++m)
            source.set(u"C"_s + QString::number(m), 0.0);
        source.commit();
        changed(TableId::Vvdp);
    }

    void upgradeVpkb()
    {
        // Only a missing file is replaced by the template: a file that is
        // there but cannot be opened may hold the user's corrections, and the
        // error is reported instead of overwriting them.
        if (!QFileInfo::exists(path(TableId::Vpkb))) {
            copyTemplate(TableId::Vpkb);
            return;
        }
        checkOnly(TableId::Vpkb);
    }

    void upgradeMzd11()
    {
        if (!QFileInfo::exists(path(TableId::Mzd11))) {
            copyTemplate(TableId::Mzd11);
            return;
        }
        auto table = open(TableId::Mzd11);
        addGenerations(table, TableId::Mzd11);
    }

    void copyTemplate(TableId id)
    {
        const QString source = tableFilePath(m_templateDir, tableDef(id).fileName());
        if (!QFileInfo::exists(source)) {
            throw paradox::TableError(paradox::TableError::Kind::Unreadable,
                                      u"Chybí prázdná tabulka %1 v adresáři šablon %2."_s.arg(
                                          tableDef(id).fileName(), QDir::toNativeSeparators(m_templateDir)));
        }
        aboutToChange();
        paradox::Table::copyTable(source, path(id), m_options);
        changed(id);
        m_result.createdEmpty.append(id);
    }

    static void updateAll(paradox::Table &table, const QList<int> &nulls, const QList<int> &zeros)
    {
        for (int row = 0; row < table.recordCount(); ++row) {
            QVariantList values = table.record(row);
            for (int i : nulls)
                values[i] = QVariant();
            for (int i : zeros)
                values[i] = 0.0;
            table.update(row, values);
        }
    }

    QString m_dir;
    QString m_templateDir;
    paradox::OpenOptions m_options;
    std::function<void()> m_beforeFirstChange;
    bool m_changing = false;
    UpgradeResult m_result;
};

} // namespace

const QList<Generation> &generations(TableId id)
{
    static const std::array<QList<Generation>, TableCount> all = [] {
        std::array<QList<Generation>, TableCount> lists;
        for (int i = 0; i < TableCount; ++i)
            lists[std::size_t(i)] = buildGenerations(TableId(i));
        return lists;
    }();
    return all[std::size_t(id)];
}

int detectGeneration(TableId id, const paradox::Schema &schema)
{
    int present = 0;
    for (const Generation &gen : generations(id)) {
        for (const QString &name : gen.fields) {
            if (!hasField(schema, name))
                return present;
        }
        ++present;
    }
    return present;
}

UpgradeResult upgradeSettlement(const QString &settlementDir, const QString &templateDir,
                                const paradox::OpenOptions &options,
                                const std::function<void()> &beforeFirstChange)
{
    return SettlementUpgrader(settlementDir, templateDir, options, beforeFirstChange).run();
}

} // namespace data
