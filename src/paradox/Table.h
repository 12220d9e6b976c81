#pragma once

#include "paradox/Error.h"
#include "paradox/FileLayer.h"
#include "paradox/RowCursor.h"
#include "paradox/Schema.h"
#include "paradox/TableLock.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>

namespace paradox {

// Stands in for the value of a field the engine does not decode (memo and
// blob kinds, BCD, Bytes). The rest of the record reads normally; such a
// field is carried through updates unchanged.
struct UnsupportedValue
{
    FieldType type = FieldType::Blob;
    friend bool operator==(const UnsupportedValue &, const UnsupportedValue &) = default;
};

inline bool isUnsupported(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<UnsupportedValue>();
}

// How a table file is laid out, beyond its fields. Reading fills it from the
// header; creating takes it as the wish for the new file.
struct TableFormat
{
    int level = 7; // file version: 3, 4 (3.5), 5 (4.x), 6 (5.x), 7 (7.x)
    int codePage = 1250;
    int blockSizeKiB = 4; // 1, 2, 3, 4, 16 or 32
    std::uint8_t sortOrder = czechSortOrder;
    QString sortOrderName = czechSortOrderName;
    bool encrypted = false; // read-only view through pxlib until the first change

    // What new Czech tables are written with (see docs/paradox-engine.md).
    static constexpr std::uint8_t czechSortOrder = 0xDC;
    static inline const QString czechSortOrderName = QStringLiteral("anczech");
};

struct OpenOptions
{
    OpenMode mode = OpenMode::Shared;
    QString netDir; // network control directory handed to TableLock
    // A protected table is read with the key its header stores, so the
    // password is not needed; callers pass the one they know all the same.
    QString password;
    bool readOnly = false;
    // Through which the table's files are read, copied and removed; the disk
    // when null.
    std::shared_ptr<const FileLayer> files;
    // Whether a change waits until the disk holds it: the journal before the
    // table is touched, the table before the journal goes. Without it a
    // change survives a killed process but not a power cut; only scratch
    // tables that nobody keeps go without (and the benchmark that prices it).
    bool flushToDisk = true;
};

class TablePrivate;

// One open Paradox table (.DB with its .PX when keyed).
//
// Rows are numbered 0..recordCount()-1 in key order for keyed tables and in
// chain order otherwise. A record is a QVariantList with one entry per field:
// a null QVariant() is NULL; Alpha → QString, Date → QDate, Time → QTime,
// Timestamp → QDateTime, Short/Long/Autoinc → int, Number/Currency → double,
// Logical → bool, anything else → UnsupportedValue.
//
// Every change is in the files before the call returns and survives a process
// killed at any moment (old or new content, never a mix; see
// docs/paradox-engine.md). Every failure throws TableError with a Czech
// message naming the file.
class Table
{
public:
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    static std::unique_ptr<Table> open(const QString &dbPath, const OpenOptions &options = {});
    // Fails when the file exists. Keyed when schema.keyFields > 0 (writes an empty .PX too).
    static std::unique_ptr<Table> create(const QString &dbPath, const Schema &schema,
                                         const TableFormat &format = {}, const OpenOptions &options = {});
    void close();

    const QString &filePath() const;
    QString name() const; // "Vdvl" for .../Vdvl.DB
    const Schema &schema() const;
    const TableFormat &format() const;
    int fieldIndex(const QString &fieldName) const; // case-insensitive; -1 when absent
    bool isKeyed() const;
    OpenMode mode() const;
    bool isReadOnly() const;

    int recordCount() const;
    QVariantList record(int row) const;
    // The same as record(), filling out and reusing its storage: the way to
    // scan many rows without an allocation per field.
    void readRecord(int row, QVariantList &out) const;
    QVariant value(int row, int field) const;
    bool isNull(int row, int field) const;
    // The record as stored (big-endian field encodings, code page bytes).
    QByteArray rawRecord(int row) const;

    // Typed reading without an allocation per row (see RowCursor): from row
    // `from` to the end. rows() is the loop form, scan() calls fn for every
    // row and stops early when fn returns false.
    RowCursor rows(int from = 0) const;
    // The rows of a table file read straight from the disk in large
    // sequential pieces, without loading the table first: for reading a
    // whole large table once (transfers, conversions). Opens the table as
    // open() does and holds its read guard until the cursor has passed the
    // last row or is destroyed, so no change can land halfway through; keep
    // the work per row short, as writers wait meanwhile. A damaged block
    // throws TableError when the cursor reaches it. Protected tables and
    // tables with an unfinished change are opened and read as by open().
    static RowCursor stream(const QString &dbPath, const OpenOptions &options = {});
    template <typename Fn> void scan(Fn &&fn) const
    {
        for (RowCursor c = rows(); c.next();) {
            if constexpr (std::is_same_v<std::invoke_result_t<Fn &, const RowView &>, bool>) {
                if (!fn(c.row()))
                    return;
            } else {
                fn(c.row());
            }
        }
    }

    // Exact match of the first key.size() key fields (a prefix of the key is
    // allowed); -1 when absent or the table is unkeyed.
    int findKey(const QVariantList &key) const;
    // First row whose key is not less than key (recordCount() when none).
    int lowerBound(const QVariantList &key) const;

    // Each returns the row where the record ended up. An Autoinc field left
    // NULL gets the next number (an update keeps the old one). Keyed tables
    // place the record by its key and refuse a duplicate key
    // (TableError::Kind::KeyViolation). Fields missing at the end of values are
    // NULL in a new record and unchanged by an update.
    int append(const QVariantList &values);
    // Many records in one change (one journal, one index rewrite).
    void appendRecords(const QList<QVariantList> &records);
    int insert(int row, const QVariantList &values); // unkeyed: before row; keyed: as append
    int update(int row, const QVariantList &values);
    void remove(int row);

    void empty();                   // removes every record, keeps structure and indexes
    int deleteWhereNull(int field); // returns the number of rows removed
    // Adds fields at the end; existing records keep their values, new fields
    // are NULL. Writes a new file and replaces the old one when complete.
    void addFields(const QList<FieldDef> &fields);
    void rebuildIndexes();

    // Another handle, process or computer may have changed the files: picks
    // their state up. Returns true when anything changed since the last read.
    bool refresh();
    bool changedOnDisk() const;
    // Rises with every change this handle wrote or picked up; lets the data
    // layer tell whether its cached row numbers are still valid.
    quint64 generation() const;

    // Called after every change this handle wrote, while the write is still
    // exclusive, so that files kept in step with the table (secondary
    // indexes) can be rewritten.
    void setChangeHook(std::function<void(Table &)> hook);

    // The files that make up a table: the .DB, its .PX, secondary .Xnn/.Ynn
    // (existing ones only), in this order.
    static QStringList tableFiles(const QString &dbPath);
    // Copies all of a table's files, replacing the target's (the target's
    // stale index files are removed). The source is copied under its read
    // guard, after a change left unfinished in it has been rolled back. The
    // copies are made under temporary names beside the target; only then do
    // the target's files move aside, the copies take their names and the old
    // files are removed. A failure at any step puts the old files back, so the
    // target is either the old table whole or the new one. Throws TableError
    // (InUse while the source is being changed for longer than the guard
    // waits, Unreadable when a step fails).
    static void copyTable(const QString &sourceDbPath, const QString &targetDbPath,
                          const OpenOptions &options = {});
    // Puts back the files of a table whose copy was stopped (a killed
    // process, a power cut) after they had moved aside and before the new
    // .DB took their place: the .DB is missing and "<name>.DB.old" is there.
    // Leftover copies are removed. A copy that is still running is waited
    // for (it holds the table's write guard through its swap). Opening the
    // table and copying over it do this first. Returns whether the .DB is
    // there afterwards because of it.
    static bool restoreInterruptedCopy(const QString &dbPath, const QString &netDir = {});
    static void removeTable(const QString &dbPath);

private:
    explicit Table(std::unique_ptr<TablePrivate> d);
    std::unique_ptr<TablePrivate> d;
};

} // namespace paradox
