#pragma once

// Every row of every table of a settlement directory, read with the engine
// without changing anything: what "the same settlement" means in the tests
// of operations that change several tables.

#include "data/TDM1.h"
#include "data/TableDefs.h"
#include "paradox/Table.h"

#include <QDir>
#include <QMap>
#include <QStringList>

namespace testsupport {

using SettlementRows = QMap<QString, QList<QVariantList>>;

// Tables whose file is missing map to an empty list under "<name> chybí".
inline SettlementRows settlementRows(const QString &dir)
{
    SettlementRows rows;
    paradox::OpenOptions options;
    options.readOnly = true;
    options.password = data::TDM1::tablesPassword();
    for (const data::TableId id : data::SettlementTables) {
        const QString name = data::tableDef(id).fileName();
        const QString path = data::tableFilePath(dir, name);
        if (!QFileInfo::exists(path)) {
            rows.insert(name + QStringLiteral(" chybí"), {});
            continue;
        }
        auto table = paradox::Table::open(path, options);
        QList<QVariantList> records;
        for (int r = 0; r < table->recordCount(); ++r)
            records.append(table->record(r));
        rows.insert(name, records);
    }
    return rows;
}

// Where two states differ, for a failure message.
inline QString rowsDifference(const SettlementRows &a, const SettlementRows &b)
{
    QStringList tables;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (b.value(it.key()) != it.value() || !b.contains(it.key()))
            tables << it.key();
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key()))
            tables << it.key();
    }
    return tables.join(u", ");
}

} // namespace testsupport
