// qesto-cli export, import and import-csv: a whole settlement as JSON and a
// statement's monthly figures from any payroll program, through the same
// rules as the windows.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "data/DataFiles.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/FieldText.h"
#include "data/TableDefs.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "settlement/Version.h"
#include "statements/FormInput.h"
#include "statements/SettlementExchange.h"
#include "statements/TableLayouts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include <optional>

using namespace Qt::StringLiterals;
namespace exchange = statements::exchange;

namespace cli {

namespace {

// The tables of a settlement in the order an import fills them: the company
// data first, the places of work and the payroll sums last.
constexpr data::TableId ExchangedTables[] = {
    data::TableId::Prp,  data::TableId::Dmt, data::TableId::Vdvl, data::TableId::Vdvs,  data::TableId::Vpkv,
    data::TableId::Vpkb, data::TableId::Vpz, data::TableId::Vvdp, data::TableId::Mzd11,
};

QJsonValue jsonValue(const data::FieldInfo &info, const data::Field &field)
{
    switch (info.kind) {
    case data::FieldKind::Amount:
        return field.asFloat();
    case data::FieldKind::Logical:
        return field.asBoolean();
    case data::FieldKind::Date:
        return data::formatDate(field.asDate());
    case data::FieldKind::Int16:
    case data::FieldKind::Int32:
    case data::FieldKind::AutoInc:
        return field.asInteger();
    case data::FieldKind::Text:
        break;
    }
    return field.asString();
}

// The payroll sums are open only while the transfer writes them.
data::Dataset &openedTable(data::TDM1 &dm, const data::TableDef &def)
{
    data::Dataset &table = *dm.findTable(def.name());
    if (!table.isActive())
        dm.openTable(table);
    return table;
}

QJsonArray tableRows(data::TDM1 &dm, const data::TableDef &def)
{
    data::Dataset &table = openedTable(dm, def);
    QJsonArray rows;
    for (table.first(); !table.eof(); table.next()) {
        QJsonObject row;
        for (const data::FieldInfo &info : def.fields()) {
            const data::Field *field = table.findField(info.name);
            // The engine numbers the places of work itself.
            if (!field || field->isNull() || info.kind == data::FieldKind::AutoInc)
                continue;
            row.insert(info.name, jsonValue(info, *field));
        }
        rows.append(row);
    }
    return rows;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// A refused value of an import: where it is and why.
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

// A value for a field that no window shows (the payroll sums, a place's
// numbering): the field's own text rule.
void setField(data::Dataset &table, data::Field &field, const QString &text)
{
    if (!table.isEditing())
        table.edit();
    if (dynamic_cast<data::BooleanField *>(&field) && !text.isEmpty()) {
        const std::optional<bool> state = statements::checkBoxState(text);
        if (!state)
            throw data::DatabaseError(data::DatabaseError::Kind::InvalidValue,
                                      data::invalidBooleanMessage(text, field.fieldName()));
        field.setAsBoolean(*state);
        return;
    }
    field.setText(text);
}

void importTable(data::TDM1 &dm, const data::TableDef &def, const exchange::Table &rows)
{
    data::Dataset &table = openedTable(dm, def);
    std::optional<statements::FormInput> input;
    if (!statements::layoutOf(def.name()).pages.isEmpty())
        input.emplace(dm, def.name());
    if (def.singleRecord() && rows.rows.size() > 1)
        refuse(def.name(), 2, {}, u"tabulka má jen jeden řádek."_s);
    for (qsizetype r = 0; r < rows.rows.size(); ++r) {
        const exchange::Row &row = rows.rows[r];
        const int line = int(r) + 1;
        for (const auto &[name, text] : row) {
            const data::FieldInfo *info = def.field(name);
            if (!info)
                refuse(def.name(), line, name,
                       def.calculatedField(name) ? u"pole se vypočítává, nelze je zadat."_s
                                                 : u"tabulka takové pole nemá."_s);
            if (info->kind == data::FieldKind::AutoInc)
                refuse(def.name(), line, name, u"pole čísluje program, nelze je zadat."_s);
        }
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

QString tablePath(const QString &dir, const data::TableDef &def)
{
    return data::tableFilePath(dir, def.fileName());
}

} // namespace

Result exportSettlement(const QString &dir, const QString &out)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        QJsonObject tables;
        for (data::TableId id : ExchangedTables) {
            const data::TableDef &def = data::tableDef(id);
            tables.insert(def.name(), tableRows(m.dm, def));
        }
        m.dm.Disconnect();
        QJsonObject root;
        root.insert(u"format"_s, QLatin1String(exchange::FormatName));
        root.insert(u"formatVersion"_s, exchange::FormatVersion);
        root.insert(u"program"_s,
                    QString(settlement::Version::applicationTitle() + u' ' + settlement::Version::text()));
        root.insert(u"taxYear"_s, settlement::Version::TaxYear);
        root.insert(u"tables"_s, tables);
        const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
        Result r;
        if (out.isEmpty() || out == u"-")
            r.output = bytes;
        else if (!writeFile(out, bytes))
            return failure(u"Soubor %1 nelze zapsat."_s.arg(QDir::toNativeSeparators(out)));
        return r;
    });
}

Result importSettlement(const QString &dir, const QString &in)
{
    QFile file(in);
    if (!file.open(QIODevice::ReadOnly))
        return failure(u"Soubor %1 nelze přečíst."_s.arg(QDir::toNativeSeparators(in)));
    const auto read = exchange::readJson(file.readAll());
    if (const QString *error = std::get_if<QString>(&read))
        return failure(*error);
    const exchange::Document &doc = std::get<exchange::Document>(read);
    // Every table of the file is known before anything is touched.
    QList<std::pair<const data::TableDef *, const exchange::Table *>> given;
    for (data::TableId id : ExchangedTables) {
        const data::TableDef &def = data::tableDef(id);
        for (const exchange::Table &t : doc.tables) {
            if (t.name.compare(def.name(), Qt::CaseInsensitive) == 0)
                given.append({&def, &t});
        }
    }
    for (const exchange::Table &t : doc.tables) {
        if (std::none_of(given.cbegin(), given.cend(), [&](const auto &g) { return g.second == &t; }))
            return failure(u"Tabulka %1 není tabulkou Qesto."_s.arg(t.name));
    }

    return guarded([&] {
        const Settlement s = locate(dir);
        // Opened first as the program opens it: older files upgraded, a
        // stopped restore completed.
        Module real(s);
        real.open();
        real.dm.Disconnect();
        const paradox::OpenOptions options = real.dm.openOptions();

        // Everything is posted into a copy first: the tables of the file
        // start from the empty templates, the others are the settlement's.
        // Only when every value was taken do the tables of the file replace
        // the settlement's, each whole.
        QTemporaryDir staging(s.root + u'/' + QFileInfo(s.dir).fileName() + u".import-XXXXXX"_s);
        if (!staging.isValid())
            return failure(
                u"Pracovní adresář pro import nelze vytvořit v %1."_s.arg(QDir::toNativeSeparators(s.root)));
        const QString templates = platform::FileOps::resolve(s.root + u'/' + data::DataFiles::templateDir());
        for (data::TableId id : ExchangedTables) {
            const data::TableDef &def = data::tableDef(id);
            const bool replaced =
                std::any_of(given.cbegin(), given.cend(), [&](const auto &g) { return g.first == &def; });
            paradox::Table::copyTable(tablePath(replaced ? templates : s.dir, def),
                                      tablePath(staging.path(), def), options);
        }
        {
            Module staged({staging.path(), s.root});
            staged.open();
            try {
                for (const auto &[def, rows] : given)
                    importTable(staged.dm, *def, *rows);
            } catch (const platform::Error &e) {
                staged.dm.Disconnect();
                return failure(e.message());
            }
            staged.dm.Disconnect();
        }
        for (const auto &[def, rows] : given)
            paradox::Table::copyTable(tablePath(staging.path(), *def), tablePath(s.dir, *def), options);
        Result r;
        for (const auto &[def, rows] : given)
            r.output += u"%1: %2 řádků\n"_s.arg(def->name()).arg(rows->rows.size()).toUtf8();
        return r;
    });
}

Result importCsv(const QString &dir, const QString &table, const QString &csv)
{
    QFile file(csv);
    if (!file.open(QIODevice::ReadOnly))
        return failure(u"Soubor %1 nelze přečíst."_s.arg(QDir::toNativeSeparators(csv)));
    const auto read = exchange::readMonthlyCsv(table, file.readAll());
    if (const QString *error = std::get_if<QString>(&read))
        return failure(*error);
    const QList<exchange::MonthRow> &rows = std::get<QList<exchange::MonthRow>>(read);
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        statements::FormInput input(m.dm, table);
        // One record: a refusal leaves before the post, and disconnecting
        // drops everything typed.
        for (const exchange::MonthRow &row : rows) {
            for (qsizetype i = 0; i < row.fields.size(); ++i) {
                try {
                    input.type(row.fields[i].second, row.texts[i]);
                } catch (const platform::Error &e) {
                    m.dm.Disconnect();
                    return failure(
                        u"Řádek %1, sloupec %2: %3"_s.arg(row.line).arg(row.fields[i].first, e.message()));
                }
            }
        }
        input.post();
        m.dm.Disconnect();
        Result r;
        r.output = u"%1: %2 měsíců\n"_s.arg(input.layout().table).arg(rows.size()).toUtf8();
        return r;
    });
}

} // namespace cli
