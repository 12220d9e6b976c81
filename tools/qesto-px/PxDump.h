#pragma once

#include "paradox/Schema.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

namespace paradox {
class RowCursor;
class RowView;
class Table;
} // namespace paradox

// The two listings of the support tool, kept apart from main() so that the
// tests can compare them with reference output.
namespace pxdump {

QString typeName(int fieldType);
// "name<TAB>type<TAB>size" per field, then "key<TAB>k"; lines end with "\n".
QByteArray schemaText(const paradox::Schema &schema);

// Receives the listing piece by piece, as it is produced.
using Sink = std::function<void(QByteArrayView)>;

// RFC 4180 CSV in UTF-8: a header of field names, then one line per record.
// Each line goes through appendCell(); the record's values are read with
// the engine's own decoding, so the text matches what the program shows.
class CsvWriter
{
public:
    explicit CsvWriter(const paradox::Schema &schema);

    void appendHeader(QByteArray &out) const;
    // The record's cells, without the line end. values() then holds the
    // record as Table::record() would return it.
    void appendRecord(QByteArray &out, const paradox::RowView &row);
    const QVariantList &values() const { return m_values; }

private:
    paradox::Schema m_schema;
    QList<int> m_offsets;
    QVariantList m_values;
};

// Shortest text that reads back to the same double.
QByteArray numberText(double v);
// One cell, quoted when it holds a comma, a quote or a line break.
void appendCell(QByteArray &out, const QByteArray &text);

// The whole CSV of the rows the cursor has left, handed to sink in pieces
// of some tens of KiB: memory stays flat whatever the table's size.
void writeCsv(paradox::RowCursor &rows, const Sink &sink);
// The same collected into one array, for small tables and the tests.
QByteArray csvText(const paradox::Table &table);

} // namespace pxdump
