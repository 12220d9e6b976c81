#pragma once

#include <QList>
#include <QString>

namespace paradox {

class Table;

// The maintained secondary index of one field of a keyed table, in the layout
// the Borland engine uses: a table file .Xnn holding, for every record, the
// indexed field, the primary key and the number of the table block the
// record lives in, sorted by the indexed field and then the key; and a
// PX-style index .Ynn over the blocks of the .Xnn. nn is the field's number
// (from 1) in two hexadecimal digits: Data.X02 indexes the second field.
//
// Texts sort in Czech order (compareCzech); every other type by value.
//
// The files are derived data: build() replaces both whole (each appears
// complete or not at all), and readOrder() refuses files that are damaged or
// out of step with the table, after which the caller rebuilds them.
class SecondaryIndex
{
public:
    // field is the 0-based position in the table's schema.
    static QString xPath(const QString &dbPath, int field);
    static QString yPath(const QString &dbPath, int field);
    // Fields of the table that have an .Xnn on disk, ascending.
    static QList<int> indexedFields(const QString &dbPath);

    // Writes .Xnn and .Ynn for the field from the table's current records.
    // Throws TableError (Invalid for an unkeyed table or a field that does
    // not exist, Unreadable when the files cannot be written).
    static void build(const Table &table, int field);
    // Rebuilds every index the table has on disk; the step after each change.
    static void rebuildAll(const Table &table);
    // Makes the handle rebuild its indexes after every change it writes,
    // while its write lock still keeps other writers out.
    static void maintain(Table &table);
    static void remove(const QString &dbPath, int field);

    // Row numbers of the table in the order of the index as stored in the
    // .Xnn. Throws TableError(Damaged) when the file is damaged or does not
    // match the table's records.
    static QList<int> readOrder(const Table &table, int field);
    // The same order computed from the records alone.
    static QList<int> computeOrder(const Table &table, int field);
};

} // namespace paradox
