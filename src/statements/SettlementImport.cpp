#include "statements/SettlementImport.h"

#include "data/ChangeSet.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/FieldText.h"
#include "data/TDM1.h"
#include "paradox/Table.h"
#include "statements/FormInput.h"
#include "statements/TableLayouts.h"

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace statements::exchange {

namespace {

// A refused value: where it is and why. It passes the per-field handler
// untouched, so the place is named once.
class Refusal : public platform::Error
{
public:
    using platform::Error::Error;
};

[[noreturn]] void refuse(const QString &table, int row, const QString &field, const QString &why)
{
    QString where = u"Tabulka %1, řádek %2"_s.arg(table).arg(row);
    if (!field.isEmpty())
        where += u", pole %1"_s.arg(field);
    throw Refusal(where + u": "_s + why);
}

// The payroll sums are open only while the transfer writes them.
data::Dataset &openedTable(data::TDM1 &dm, const data::TableDef &def)
{
    data::Dataset &table = *dm.findTable(def.name());
    if (!table.isActive())
        dm.openTable(table);
    return table;
}

// A value for a field that no window shows (the payroll sums, a place's
// numbering): the field's own text rule.
void setField(data::Dataset &table, data::Field &field, const QString &text)
{
    if (!table.isEditing())
        table.edit();
    if (dynamic_cast<data::BooleanField *>(&field) && !text.isEmpty()) {
        const std::optional<bool> state = checkBoxState(text);
        if (!state)
            throw data::DatabaseError(data::DatabaseError::Kind::InvalidValue,
                                      data::invalidBooleanMessage(text, field.fieldName()));
        field.setAsBoolean(*state);
        return;
    }
    field.setText(text);
}

void checkNames(const data::TableDef &def, const Table &rows)
{
    if (def.singleRecord() && rows.rows.size() > 1)
        refuse(def.name(), 2, {}, u"tabulka má jen jeden řádek."_s);
    for (qsizetype r = 0; r < rows.rows.size(); ++r) {
        for (const auto &[name, text] : rows.rows[r]) {
            const data::FieldInfo *info = def.field(name);
            if (!info)
                refuse(def.name(), int(r) + 1, name,
                       def.calculatedField(name) ? u"pole se vypočítává, nelze je zadat."_s
                                                 : u"tabulka takové pole nemá."_s);
            if (info->kind == data::FieldKind::AutoInc)
                refuse(def.name(), int(r) + 1, name, u"pole čísluje program, nelze je zadat."_s);
        }
    }
}

void importTable(data::TDM1 &dm, const data::TableDef &def, const Table &rows)
{
    data::Dataset &table = openedTable(dm, def);
    std::optional<FormInput> input;
    if (!layoutOf(def.name()).pages.isEmpty())
        input.emplace(dm, def.name());
    for (qsizetype r = 0; r < rows.rows.size(); ++r) {
        const Row &row = rows.rows[r];
        const int line = int(r) + 1;
        if (def.singleRecord())
            table.first();
        else
            table.append();
        // In the order of the table's fields, as the window's boxes are
        // filled, whatever order the file has.
        for (const data::FieldInfo &info : def.fields()) {
            const auto given = std::find_if(row.cbegin(), row.cend(), [&](const auto &f) {
                return f.first.compare(info.name, Qt::CaseInsensitive) == 0;
            });
            if (given == row.cend())
                continue;
            try {
                if (input && input->layout().box(info.name))
                    input->type(info.name, given->second);
                else
                    setField(table, *table.fieldByName(info.name), given->second);
            } catch (const Refusal &) {
                throw;
            } catch (const platform::Error &e) {
                refuse(def.name(), line, info.name, e.message());
            }
        }
        try {
            if (table.isEditing())
                table.post();
        } catch (const platform::Error &e) {
            refuse(def.name(), line, {}, e.message());
        }
    }
}

} // namespace

const QList<data::TableId> &exchangedTables()
{
    static const QList<data::TableId> tables = {
        data::TableId::Prp,  data::TableId::Dmt,  data::TableId::Vdvl,
        data::TableId::Vdvs, data::TableId::Vpkv, data::TableId::Vpkb,
        data::TableId::Vpz,  data::TableId::Vvdp, data::TableId::Mzd11,
    };
    return tables;
}

void importDocument(data::TDM1 &dm, const Document &doc)
{
    // Every table of the file is known and every name checked before
    // anything is touched.
    QList<std::pair<const data::TableDef *, const Table *>> given;
    for (const Table &t : doc.tables) {
        const auto id =
            std::find_if(exchangedTables().cbegin(), exchangedTables().cend(), [&](data::TableId i) {
                return t.name.compare(data::tableDef(i).name(), Qt::CaseInsensitive) == 0;
            });
        if (id == exchangedTables().cend())
            throw data::DatabaseError(data::DatabaseError::Kind::InvalidValue,
                                      u"Tabulka %1 není tabulkou Qesto."_s.arg(t.name));
        given.append({&data::tableDef(*id), &t});
    }
    std::sort(given.begin(), given.end(), [](const auto &a, const auto &b) {
        return exchangedTables().indexOf(a.first->id()) < exchangedTables().indexOf(b.first->id());
    });
    for (const auto &[def, rows] : given)
        checkNames(*def, *rows);

    // A box's rule may touch another of these tables, so all of them belong
    // to the change, not only those the file replaces.
    data::changeSettlement(dm, u"Import ze souboru JSON"_s, exchangedTables(), [&] {
        dm.Disconnect();
        for (const auto &[def, rows] : given)
            paradox::Table::copyTable(data::tableFilePath(dm.templateDir(), def->fileName()),
                                      data::tableFilePath(dm.databasePath(), def->fileName()),
                                      dm.openOptions());
        dm.OtevritTabulky();
        for (const auto &[def, rows] : given)
            importTable(dm, *def, *rows);
    });
}

void importMonths(data::TDM1 &dm, const QString &table, const QList<MonthRow> &rows)
{
    data::changeSettlement(dm, u"Import měsíčních údajů"_s, {data::TableId::Vdvl, data::TableId::Vdvs}, [&] {
        FormInput input(dm, table);
        for (const MonthRow &row : rows) {
            for (qsizetype i = 0; i < row.fields.size(); ++i) {
                try {
                    input.type(row.fields[i].second, row.texts[i]);
                } catch (const platform::Error &e) {
                    throw Refusal(
                        u"Řádek %1, sloupec %2: %3"_s.arg(row.line).arg(row.fields[i].first, e.message()));
                }
            }
        }
        input.post();
    });
}

} // namespace statements::exchange
