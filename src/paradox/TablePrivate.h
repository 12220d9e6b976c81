#pragma once

// The inside of paradox::Table, shared by the files that implement it
// (Table, TableBlocks, TableCommit, TableRows, TableFiles). Not for use
// outside the engine.
#include "paradox/Collation.h"
#include "paradox/FileLayer.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/Table.h"

#include "platform/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace paradox {

using format::blockHeaderSize;
using format::le16;
using format::putLe16;

// Bytes of the header compared to tell whether another handle changed the
// table: counts, chain ends, change counter, autoincrement and update time.
inline constexpr int stampSize = 0x78;

QString displayNameOf(const QString &path);

[[noreturn]] void throwIo(const QString &displayName, const QFile &file);

QString companionPath(const QString &dbPath, const QString &suffix);

QString existingCompanion(const QString &dbPath, const QString &suffix);

// The change counter wraps within its byte; 0 is skipped so that a changed
// table never shows the value of a fresh header.
inline std::uint8_t nextCounter(std::uint8_t c)
{
    return c == 0xFF ? 1 : std::uint8_t(c + 1);
}

inline bool writableType(FieldType t)
{
    switch (t) {
    case FieldType::Alpha:
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Number:
    case FieldType::Currency:
    case FieldType::Logical:
    case FieldType::Autoinc:
    case FieldType::Time:
    case FieldType::Timestamp:
        return true;
    default:
        return false;
    }
}

// Records in a block of the chain, checked against the layout and the file:
// a count that does not fit the block or runs past the end of the file is
// damage. blockStart is the block's offset in the file.
int checkedBlockCount(const format::Header &h, const char *block, int n, qint64 blockStart, qint64 fileEnd,
                      const QString &displayName);

// The blocks a table file of this header holds (a final one may be cut
// short). Refuses an index file opened as a table and a file with more
// blocks than the format can number.
qint64 checkedTableBlocks(const format::Header &h, qint64 fileSize, const QString &displayName);
// Where the chain starts. An empty table may name a block it does not use.
int firstChainBlock(const format::Header &h, qint64 blocks);

// The next block of the chain, refused when outside the file or seen before.
void checkChainLink(int n, qint64 blocks, std::vector<bool> &seen, const QString &displayName);

std::vector<FieldSlot> fieldSlotsOf(const Schema &schema);

class TablePrivate
{
public:
    QString path;
    QString displayName;
    OpenOptions options;
    std::unique_ptr<TableLock> lock;
    std::function<void(Table &)> hook;

    format::Header h;
    QByteArray image; // the whole .DB as on disk, blocks padded to full size
    std::vector<int> chain;
    std::vector<int> cum; // cum[k] = rows before chain[k]; cum.back() = total
    QList<int> offsets;
    std::vector<FieldSlot> fieldSlots; // offsets, sizes and types for RowView
    int keyBytes = 0;
    int perBlock = 0;
    bool protectedView = false;
    bool czechOrder = false;
    // A keyed table whose records are not in key order (written by a tool
    // that ignores it): readable, searched row by row, changed only after
    // rebuildIndexes() has put it in order.
    bool outOfOrder = false;
    quint64 generation = 0;
    mutable std::size_t lastBlockHit = 0;

    // What the disk held when last read or written.
    qint64 diskSize = 0;
    QByteArray diskStamp;
    int diskBlocks = 0;

    // The change being prepared: original bytes of every block touched.
    std::map<int, QByteArray> before;
    std::set<int> dirty;

    // --- block access -----------------------------------------------------
    char *block(int n) { return image.data() + h.headerSize + qsizetype(n - 1) * h.blockSize; }
    const char *block(int n) const
    {
        return image.constData() + h.headerSize + qsizetype(n - 1) * h.blockSize;
    }
    int maxBlock() const { return int((image.size() - h.headerSize) / h.blockSize); }
    int count(int n) const { return qint16(le16(block(n) + 4)) / h.recordSize + 1; }
    int next(int n) const { return le16(block(n)); }
    void setCount(int n, int c)
    {
        putLe16(block(n) + 4, std::uint32_t(std::uint16_t(qint16((c - 1) * h.recordSize))));
    }
    void setNext(int n, int v) { putLe16(block(n), std::uint32_t(v)); }
    void setPrev(int n, int v) { putLe16(block(n) + 2, std::uint32_t(v)); }

    int total() const { return cum.empty() ? 0 : cum.back(); }

    std::size_t blockIndexOf(int row) const
    {
        if (lastBlockHit + 1 < cum.size() && cum[lastBlockHit] <= row && row < cum[lastBlockHit + 1])
            return lastBlockHit;
        const auto it = std::upper_bound(cum.begin(), cum.end(), row);
        lastBlockHit = std::size_t(it - cum.begin()) - 1;
        return lastBlockHit;
    }

    const char *rowPtr(int row) const
    {
        const std::size_t k = blockIndexOf(row);
        return block(chain[k]) + blockHeaderSize + qsizetype(row - cum[k]) * h.recordSize;
    }

    void checkRow(int row) const
    {
        if (row < 0 || row >= total())
            throw TableError(
                TableError::Kind::Invalid,
                QStringLiteral("Tabulka %1 nemá záznam číslo %2.").arg(displayName).arg(row + 1));
    }

    void recount()
    {
        cum.assign(chain.size() + 1, 0);
        for (std::size_t k = 0; k < chain.size(); ++k)
            cum[k + 1] = cum[k] + count(chain[k]);
        lastBlockHit = 0;
    }

    void touch(int n)
    {
        if (n <= diskBlocks && !before.count(n))
            before.emplace(n, QByteArray(block(n), h.blockSize));
        dirty.insert(n);
    }

    int allocBlock();

    void releaseBlock(std::size_t k);

    void linkAfter(std::size_t k, int m);

    // --- keys ---------------------------------------------------------------
    int compareKeys(const char *a, const char *b, int fields) const
    {
        for (int i = 0; i < fields; ++i) {
            const FieldDef &f = h.schema.fields[i];
            const char *fa = a + offsets[i];
            const char *fb = b + offsets[i];
            if (f.type == FieldType::Alpha && czechOrder) {
                const QString sa = platform::Cp1250::decode(fa, qsizetype(qstrnlen(fa, size_t(f.size))));
                const QString sb = platform::Cp1250::decode(fb, qsizetype(qstrnlen(fb, size_t(f.size))));
                if (const int c = compareCzech(sa, sb))
                    return c;
            }
            if (const int c = std::memcmp(fa, fb, size_t(f.size)))
                return c;
        }
        return 0;
    }

    int lowerBound(const char *key, int fields) const
    {
        int lo = 0;
        int hi = total();
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (compareKeys(rowPtr(mid), key, fields) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    QByteArray encodeKey(const QVariantList &key) const
    {
        QByteArray out(h.recordSize, '\0');
        for (int i = 0; i < key.size() && i < h.schema.keyFields; ++i)
            format::encodeField(h.schema.fields[i], key[i], out.data() + offsets[i], displayName);
        return out;
    }

    // --- reading ------------------------------------------------------------
    void load();
    void loadImage(QByteArray bytes);
    void recoverIfNeeded();
    bool changedOnDisk() const;
    QByteArray readStamp(qint64 *size) const;

    // --- writing ------------------------------------------------------------
    TableLock::Guard writeGuard();
    TableLock::Guard readGuard();
    void beginWrite();
    void commit();
    void abandon();
    void writeIndex(const QString &pxPath) const;
    // With OpenOptions::flushToDisk, force a written file or the entries of
    // the table's folder onto the disk; a failure throws like a failed write.
    void flushFile(const QString &file) const;
    void flushFolder() const;
    QList<format::IndexEntry> indexEntries() const;
    void rewrite(const Schema &schema, const QList<QByteArray> &records);

    QByteArray buildRecord(const QVariantList &values, const char *base);
    int placeRecord(const QByteArray &raw, int unkeyedRow);
    void insertAt(int row, const char *raw);
    void removeAt(int row);
    int resolveRow(int row, const QByteArray &expected) const;
    int keyedRowFor(const char *raw, int ignoreRow) const;

    const FileLayer &files() const { return options.files ? *options.files : FileLayer::disk(); }
    // Asks the file layer before one of the table's files is written or
    // removed; throws TableError(Unreadable) when it refuses.
    void beforeWrite(const QString &file) const;

    mutable QString pxPathCache;
    const QString &pxPath() const
    {
        if (pxPathCache.isEmpty())
            pxPathCache = existingCompanion(path, QStringLiteral("PX"));
        return pxPathCache;
    }
};

} // namespace paradox
