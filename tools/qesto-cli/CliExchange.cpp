// qesto-cli export, import and import-csv: a whole settlement as JSON and a
// statement's monthly figures from any payroll program, through the same
// rules as the windows.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/FieldText.h"
#include "data/TableDefs.h"
#include "settlement/Version.h"
#include "statements/SettlementExchange.h"
#include "statements/SettlementImport.h"
#include "statements/TableLayouts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

using namespace Qt::StringLiterals;
namespace exchange = statements::exchange;

namespace cli {

namespace {

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

} // namespace

Result exportSettlement(const QString &dir, const QString &out)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        QJsonObject tables;
        for (data::TableId id : exchange::exchangedTables()) {
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
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        exchange::importDocument(m.dm, doc);
        m.dm.Disconnect();
        Result r;
        for (const exchange::Table &t : doc.tables)
            r.output +=
                u"%1: %2 řádků\n"_s.arg(data::findTableDef(t.name)->name()).arg(t.rows.size()).toUtf8();
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
        exchange::importMonths(m.dm, table, rows);
        m.dm.Disconnect();
        Result r;
        r.output = u"%1: %2 měsíců\n"_s.arg(statements::layoutOf(table).table).arg(rows.size()).toUtf8();
        return r;
    });
}

} // namespace cli
