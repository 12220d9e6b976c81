#include "paradox/Table.h"

#include "paradox/Collation.h"
#include "paradox/EncryptedReader.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"

#include "platform/Cp1250.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

namespace paradox {

using format::blockHeaderSize;
using format::le16;
using format::putLe16;

namespace {

// Bytes of the header compared to tell whether another handle changed the
// table: counts, chain ends, change counter, autoincrement and update time.
constexpr int stampSize = 0x78;

QString displayNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

[[noreturn]] void throwIo(const QString &displayName, const QFile &file)
{
    throw TableError(TableError::Kind::Unreadable,
                     u"Tabulku %1 nelze zapsat: %2"_s.arg(displayName, file.errorString()));
}

QString companionPath(const QString &dbPath, const QString &suffix)
{
    const QFileInfo info(dbPath);
    // Keep the letter case of the table's own extension ("Vpz.DB" → "Vpz.PX").
    const bool lower = info.suffix() == info.suffix().toLower() && !info.suffix().isEmpty();
    return info.dir().filePath(info.completeBaseName() + u'.' + (lower ? suffix.toLower() : suffix));
}

QString existingCompanion(const QString &dbPath, const QString &suffix)
{
    const QFileInfo info(dbPath);
    const QDir dir = info.dir();
    const QStringList names = dir.entryList({info.completeBaseName() + u'.' + suffix}, QDir::Files);
    for (const QString &n : names) {
        if (n.compare(info.completeBaseName() + u'.' + suffix, Qt::CaseInsensitive) == 0)
            return dir.filePath(n);
    }
    return companionPath(dbPath, suffix);
}

// The change counter wraps within its byte; 0 is skipped so that a changed
// table never shows the value of a fresh header.
std::uint8_t nextCounter(std::uint8_t c)
{
    return c == 0xFF ? 1 : std::uint8_t(c + 1);
}

bool writableType(FieldType t)
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
                      const QString &displayName)
{
    const int add = qint16(le16(block + 4));
    const int perBlock = (h.blockSize - blockHeaderSize) / h.recordSize;
    if (add % h.recordSize != 0 || add < -h.recordSize || add / h.recordSize + 1 > perBlock)
        throw TableError(
            TableError::Kind::Damaged,
            format::damagedMessage(displayName, u"blok %1 udává neplatný počet záznamů"_s.arg(n)));
    const int c = add / h.recordSize + 1;
    if (blockStart + blockHeaderSize + qint64(c) * h.recordSize > fileEnd)
        throw TableError(TableError::Kind::Damaged,
                         format::damagedMessage(displayName, u"blok %1 je za koncem souboru"_s.arg(n)));
    return c;
}

// The next block of the chain, refused when outside the file or seen before.
void checkChainLink(int n, qint64 blocks, std::vector<bool> &seen, const QString &displayName)
{
    if (n < 0 || n > blocks)
        throw TableError(
            TableError::Kind::Damaged,
            format::damagedMessage(displayName, u"řetěz odkazuje na blok %1 mimo soubor"_s.arg(n)));
    if (seen[std::size_t(n)])
        throw TableError(TableError::Kind::Damaged,
                         format::damagedMessage(displayName, u"řetěz bloků se zacyklil v bloku %1"_s.arg(n)));
    seen[std::size_t(n)] = true;
}

std::vector<FieldSlot> fieldSlotsOf(const Schema &schema)
{
    std::vector<FieldSlot> out;
    out.reserve(std::size_t(schema.fields.size()));
    int at = 0;
    for (const FieldDef &f : schema.fields) {
        out.push_back({at, f.size, f.type});
        at += f.size;
    }
    return out;
}

} // namespace

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
            throw TableError(TableError::Kind::Invalid,
                             u"Tabulka %1 nemá záznam číslo %2."_s.arg(displayName).arg(row + 1));
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

    int allocBlock()
    {
        int n = h.firstFreeBlock;
        const bool usable =
            n >= 1 && n <= maxBlock() && std::find(chain.begin(), chain.end(), n) == chain.end();
        if (usable) {
            touch(n);
            h.firstFreeBlock = next(n);
            if (h.firstFreeBlock > maxBlock())
                h.firstFreeBlock = 0;
        } else {
            h.firstFreeBlock = 0;
            if (maxBlock() >= 0xFFFF)
                throw TableError(TableError::Kind::Invalid,
                                 u"Tabulka %1 je plná (dosáhla největšího počtu bloků)."_s.arg(displayName));
            n = maxBlock() + 1;
            // Grow in steps so that a long run of appends does not copy the
            // whole image for every new block.
            if (image.capacity() < image.size() + h.blockSize)
                image.reserve(image.size() + std::max<qsizetype>(image.size() / 2, h.blockSize));
            image.resize(image.size() + h.blockSize, '\0');
            dirty.insert(n);
        }
        std::memset(block(n), 0, size_t(h.blockSize));
        setCount(n, 0);
        h.usedBlocks += 1;
        h.fileBlocks = std::max(h.fileBlocks, n);
        return n;
    }

    void releaseBlock(std::size_t k)
    {
        const int n = chain[k];
        const int p = k > 0 ? chain[k - 1] : 0;
        const int nx = k + 1 < chain.size() ? chain[k + 1] : 0;
        if (p) {
            touch(p);
            setNext(p, nx);
        }
        if (nx) {
            touch(nx);
            setPrev(nx, p);
        }
        touch(n);
        setNext(n, h.firstFreeBlock);
        setPrev(n, 0);
        setCount(n, 0);
        h.firstFreeBlock = n;
        h.usedBlocks = std::max(0, h.usedBlocks - 1);
        chain.erase(chain.begin() + qsizetype(k));
    }

    void linkAfter(std::size_t k, int m)
    {
        const int n = chain[k];
        const int nx = next(n);
        touch(n);
        setNext(n, m);
        setPrev(m, n);
        setNext(m, nx);
        if (nx) {
            touch(nx);
            setPrev(nx, m);
        }
        chain.insert(chain.begin() + qsizetype(k) + 1, m);
    }

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
    QList<format::IndexEntry> indexEntries() const;
    void rewrite(const Schema &schema, const QList<QByteArray> &records);

    QByteArray buildRecord(const QVariantList &values, const char *base);
    int placeRecord(const QByteArray &raw, int unkeyedRow);
    void insertAt(int row, const char *raw);
    void removeAt(int row);
    int resolveRow(int row, const QByteArray &expected) const;
    int keyedRowFor(const char *raw, int ignoreRow) const;

    const FileLayer &files() const { return options.files ? *options.files : FileLayer::disk(); }

    mutable QString pxPathCache;
    const QString &pxPath() const
    {
        if (pxPathCache.isEmpty())
            pxPathCache = existingCompanion(path, u"PX"_s);
        return pxPathCache;
    }
};

// ---------------------------------------------------------------------------

QByteArray TablePrivate::readStamp(qint64 *size) const
{
    QFile file(path);
    QString error;
    if (!files().openForReading(file, error))
        return {};
    *size = file.size();
    return file.read(stampSize);
}

bool TablePrivate::changedOnDisk() const
{
    if (QFile::exists(journal::pathFor(path)))
        return true;
    qint64 size = 0;
    const QByteArray stamp = readStamp(&size);
    return size != diskSize || stamp != diskStamp;
}

void TablePrivate::recoverIfNeeded()
{
    const QString jpath = journal::pathFor(path);
    if (!QFile::exists(jpath))
        return;
    // A journal that cannot be read for a moment is kept: removing it would
    // leave a half-written change in the table for good.
    QFile journalFile(jpath);
    QString error;
    if (!files().openForReading(journalFile, error))
        throw TableError(TableError::Kind::Unreadable,
                         u"Nedokončenou změnu tabulky %1 nelze vrátit: %2"_s.arg(displayName, error));
    const QByteArray journalBytes = journalFile.readAll();
    journalFile.close();
    const std::optional<journal::Journal> j = journal::parse(journalBytes);
    if (j) {
        qint64 size = 0;
        const QByteArray stamp = readStamp(&size);
        const bool applies = stamp == j->oldStamp || stamp == j->newStamp;
        if (applies && j->originalSize >= 0) {
            QFile file(path);
            if (!file.open(QIODevice::ReadWrite))
                throw TableError(
                    TableError::Kind::Unreadable,
                    u"Nedokončenou změnu tabulky %1 nelze vrátit: %2"_s.arg(displayName, file.errorString()));
            for (const journal::Range &r : j->ranges) {
                if (!file.seek(r.offset) || file.write(r.bytes) != r.bytes.size())
                    throwIo(displayName, file);
            }
            if (!file.resize(j->originalSize))
                throwIo(displayName, file);
        }
        if (applies) {
            // The index is derived from the table: rebuild it from whatever
            // the table now holds.
            loadImage(files().readAll(path, displayName));
            if (h.schema.keyFields > 0)
                writeIndex(pxPath());
        }
    }
    QFile::remove(jpath);
}

void TablePrivate::load()
{
    loadImage(files().readAll(path, displayName));
}

void TablePrivate::loadImage(QByteArray bytes)
{
    const qint64 fileSize = bytes.size();
    format::Header hh = format::parseHeader(bytes.constData(), bytes.size(), fileSize, displayName);
    if (hh.fileType == format::PrimaryIndex || hh.fileType == format::SecondaryIndex || hh.fileType == 7)
        throw TableError(TableError::Kind::Unsupported,
                         u"Soubor %1 není tabulka, ale index."_s.arg(displayName));
    auto damaged = [&](const QString &reason) {
        return TableError(TableError::Kind::Damaged, format::damagedMessage(displayName, reason));
    };

    diskSize = fileSize;
    diskStamp = bytes.left(stampSize);
    before.clear();
    dirty.clear();
    protectedView = false;

    if (hh.format.encrypted) {
        const QList<QByteArray> records =
            readProtectedRecords(path, options.password, hh.recordSize, displayName);
        format::Header plain = hh;
        plain.format.encrypted = false;
        plain.encryptionKey = 0;
        int kb = 0;
        for (int i = 0; i < hh.schema.keyFields; ++i)
            kb += hh.schema.fields[i].size;
        bytes = format::buildTableFile(plain, records, kb, nullptr);
        hh = format::parseHeader(bytes.constData(), bytes.size(), bytes.size(), displayName);
        hh.format.encrypted = true;
        protectedView = true;
    }

    h = hh;
    image = std::move(bytes);
    const qint64 blockArea = image.size() - h.headerSize;
    const qint64 blocks = (blockArea + h.blockSize - 1) / h.blockSize;
    if (blocks > 0xFFFF)
        throw damaged(u"soubor má víc bloků, než formát dovoluje"_s);
    // A final block may be cut short; reading it must not run past the end.
    image.resize(h.headerSize + blocks * h.blockSize, '\0');
    const qint64 realEnd = protectedView ? image.size() : fileSize;

    offsets = format::fieldOffsets(h.schema);
    fieldSlots = fieldSlotsOf(h.schema);
    keyBytes = 0;
    for (int i = 0; i < h.schema.keyFields; ++i)
        keyBytes += h.schema.fields[i].size;
    perBlock = (h.blockSize - blockHeaderSize) / h.recordSize;
    czechOrder = h.format.sortOrder != 0;

    chain.clear();
    std::vector<bool> seen(std::size_t(blocks) + 1, false);
    int n = h.firstBlock;
    if (h.recordCount == 0 && h.usedBlocks == 0)
        n = n > 0 && n <= blocks ? n : 0;
    int prev = 0;
    while (n != 0) {
        checkChainLink(n, blocks, seen, displayName);
        const char *b = block(n);
        checkedBlockCount(h, b, n, h.headerSize + qint64(n - 1) * h.blockSize, realEnd, displayName);
        chain.push_back(n);
        // Keep the back links right for the blocks this handle may rewrite.
        if (le16(b + 2) != prev)
            setPrev(n, prev);
        prev = n;
        n = le16(b);
    }
    h.fileBlocks = int(blocks);
    diskBlocks = int(blocks);
    if (h.firstFreeBlock > blocks || (h.firstFreeBlock > 0 && seen[std::size_t(h.firstFreeBlock)]))
        h.firstFreeBlock = 0;
    h.usedBlocks = int(chain.size());
    recount();
    outOfOrder = false;
    for (int r = 1; r < total() && h.schema.keyFields > 0; ++r) {
        if (compareKeys(rowPtr(r - 1), rowPtr(r), h.schema.keyFields) >= 0) {
            outOfOrder = true;
            break;
        }
    }
    ++generation;
}

TableLock::Guard TablePrivate::writeGuard()
{
    if (!lock)
        throw TableError(TableError::Kind::Invalid, u"Tabulka %1 je zavřená."_s.arg(displayName));
    if (options.readOnly)
        throw TableError(TableError::Kind::Invalid,
                         u"Tabulka %1 je otevřena jen pro čtení."_s.arg(displayName));
    return lock->lockForWrite();
}

TableLock::Guard TablePrivate::readGuard()
{
    if (!lock)
        throw TableError(TableError::Kind::Invalid, u"Tabulka %1 je zavřená."_s.arg(displayName));
    return lock->lockForRead();
}

void TablePrivate::beginWrite()
{
    if (outOfOrder)
        throw TableError(
            TableError::Kind::Damaged,
            format::damagedMessage(displayName, u"záznamy nejsou seřazené podle klíče, obnovte indexy"_s));
    if (protectedView) {
        // A protected table is first rewritten unprotected, then changed.
        QList<QByteArray> records;
        records.reserve(total());
        for (int r = 0; r < total(); ++r)
            records.append(QByteArray(rowPtr(r), h.recordSize));
        rewrite(h.schema, records);
    }
    before.clear();
    dirty.clear();
}

QList<format::IndexEntry> TablePrivate::indexEntries() const
{
    QList<format::IndexEntry> entries;
    entries.reserve(qsizetype(chain.size()));
    for (std::size_t k = 0; k < chain.size(); ++k) {
        const char *first = block(chain[k]) + blockHeaderSize;
        entries.append({QByteArray(first, keyBytes), chain[k], count(chain[k])});
    }
    return entries;
}

void TablePrivate::writeIndex(const QString &px) const
{
    format::IndexSpec spec;
    spec.keyFields = h.schema.fields.mid(0, h.schema.keyFields);
    spec.blockSize = h.blockSize;
    spec.fileVersion = h.fileVersion;
    spec.sortOrder = h.format.sortOrder;
    spec.changeCounter = h.changeCounter;
    spec.tableName = QFileInfo(px).fileName();
    const QByteArray bytes = format::buildIndexFile(spec, indexEntries());
    // Overwritten in place rather than truncated first: some file systems
    // force a truncated file to the disk when it is closed, which would make
    // every post wait for the disk.
    QFile file(px);
    if (!file.open(QIODevice::ReadWrite) || file.write(bytes) != bytes.size() ||
        (file.size() > bytes.size() && !file.resize(bytes.size())))
        throwIo(QFileInfo(px).fileName(), file);
}

void TablePrivate::commit()
{
    h.recordCount = std::uint32_t(total());
    h.firstBlock = chain.empty() ? 0 : chain.front();
    h.lastBlock = chain.empty() ? 0 : chain.back();
    h.changeCounter = nextCounter(h.changeCounter);
    h.fileBlocks = maxBlock();

    QByteArray header(image.constData(), h.headerSize);
    format::writeCounts(header, h);
    if (format::hasExtendedHeader(h.fileVersion, h.fileType))
        format::putLe32(header.data() + 0x60, std::uint32_t(QDateTime::currentSecsSinceEpoch()));

    journal::Journal j;
    j.originalSize = diskSize;
    j.oldStamp = diskStamp;
    j.newStamp = header.left(stampSize);
    j.ranges.append({0, QByteArray(image.constData(), h.headerSize)});
    for (const auto &[n, bytes] : before)
        j.ranges.append({h.headerSize + qint64(n - 1) * h.blockSize, bytes});
    // The journal keeps the pre-change header, which the image still holds.
    const QString jpath = journal::pathFor(path);
    journal::write(jpath, j, displayName);

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throwIo(displayName, file);
    for (int n : dirty) {
        if (!file.seek(h.headerSize + qint64(n - 1) * h.blockSize) ||
            file.write(block(n), h.blockSize) != h.blockSize)
            throwIo(displayName, file);
    }
    // The header goes last: until it is written the table still reads as before.
    if (!file.seek(0) || file.write(header) != header.size() || !file.flush())
        throwIo(displayName, file);
    const qint64 newSize = file.size();
    file.close();
    std::memcpy(image.data(), header.constData(), size_t(header.size()));
    if (h.schema.keyFields > 0)
        writeIndex(pxPath());
    QFile::remove(jpath);

    diskSize = newSize;
    diskStamp = header.left(stampSize);
    diskBlocks = maxBlock();
    before.clear();
    dirty.clear();
    ++generation;
}

void TablePrivate::abandon()
{
    // A failed change leaves memory ahead of the disk: start over from the
    // disk (rolling back a partial write through the journal).
    before.clear();
    dirty.clear();
    try {
        recoverIfNeeded();
        load();
    } catch (const TableError &) {
    }
}

void TablePrivate::rewrite(const Schema &schema, const QList<QByteArray> &records)
{
    format::Header nh = h;
    nh.schema = schema;
    nh.recordSize = 0;
    for (const FieldDef &f : schema.fields)
        nh.recordSize += f.size;
    nh.format.encrypted = false;
    nh.encryptionKey = 0;
    nh.headerSize = 0;
    nh.changeCounter = nextCounter(h.changeCounter);
    nh.tableName = QFileInfo(path).fileName();
    // Grow the blocks when the records no longer fit (or would need more
    // blocks than a file can number).
    static constexpr int sizes[] = {1, 2, 3, 4, 16, 32};
    for (int kib : sizes) {
        if (kib * 1024 < nh.blockSize)
            continue;
        const int per = (kib * 1024 - blockHeaderSize) / nh.recordSize;
        if (per >= 1 && (records.size() + per - 1) / per <= 0xFFFF) {
            nh.blockSize = kib * 1024;
            break;
        }
    }
    // Larger blocks came with level 7. Headers of level 3 files are not
    // written anew at all: their layout is confirmed only for reading.
    if ((nh.blockSize > 4096 && nh.fileVersion < 12) || nh.fileVersion < 5)
        nh.fileVersion = 12;
    nh.format.level = format::levelFromVersion(nh.fileVersion);
    nh.format.blockSizeKiB = nh.blockSize / 1024;
    int kb = 0;
    for (int i = 0; i < schema.keyFields; ++i)
        kb += schema.fields[i].size;
    const QByteArray bytes = format::buildTableFile(nh, records, kb, nullptr);

    journal::Journal j; // index-only: the table itself is replaced by a rename
    j.originalSize = -1;
    j.oldStamp = diskStamp;
    j.newStamp = bytes.left(stampSize);
    const QString jpath = journal::pathFor(path);
    journal::write(jpath, j, displayName);
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze zapsat: %2"_s.arg(displayName, file.errorString()));
    const quint64 gen = generation;
    loadImage(bytes);
    generation = gen + 1;
    if (h.schema.keyFields > 0)
        writeIndex(pxPath());
    else if (const QString px = pxPath(); QFile::exists(px))
        QFile::remove(px);
    QFile::remove(jpath);
}

QByteArray TablePrivate::buildRecord(const QVariantList &values, const char *base)
{
    if (values.size() > h.schema.fields.size())
        throw TableError(TableError::Kind::Invalid,
                         u"Záznam má víc hodnot, než má tabulka %1 polí."_s.arg(displayName));
    QByteArray raw = base ? QByteArray(base, h.recordSize) : QByteArray(h.recordSize, '\0');
    for (int i = 0; i < h.schema.fields.size(); ++i) {
        const FieldDef &f = h.schema.fields[i];
        if (base && i >= values.size())
            break; // an update leaves the fields it does not name as they are
        const QVariant v = i < values.size() ? values[i] : QVariant();
        char *out = raw.data() + offsets[i];
        if (f.type == FieldType::Autoinc) {
            if (v.isNull() || !v.isValid()) {
                if (!base) {
                    h.autoincrement += 1;
                    format::encodeField(f, int(h.autoincrement), out, displayName);
                }
                continue;
            }
            const qlonglong given = v.toLongLong();
            if (given > qlonglong(h.autoincrement) && given <= 0x7FFFFFFF)
                h.autoincrement = std::uint32_t(given);
        }
        if (!writableType(f.type) && !isUnsupported(v) && !v.isNull())
            throw TableError(
                TableError::Kind::Unsupported,
                u"Pole %1 tabulky %2 je typu, který nelze zapisovat."_s.arg(f.name, displayName));
        if (writableType(f.type))
            format::encodeField(f, v, out, displayName);
    }
    return raw;
}

int TablePrivate::keyedRowFor(const char *raw, int ignoreRow) const
{
    const int row = lowerBound(raw, h.schema.keyFields);
    for (int r = row; r < total() && compareKeys(rowPtr(r), raw, h.schema.keyFields) == 0; ++r) {
        if (r != ignoreRow)
            throw TableError(
                TableError::Kind::KeyViolation,
                u"Porušení klíče: záznam se stejným klíčem už v tabulce %1 je."_s.arg(displayName));
    }
    return row;
}

void TablePrivate::insertAt(int row, const char *raw)
{
    if (chain.empty()) {
        const int n = allocBlock();
        setNext(n, 0);
        setPrev(n, 0);
        chain.push_back(n);
        recount();
    }
    std::size_t k = row >= total() ? chain.size() - 1 : blockIndexOf(row);
    // At a block boundary the previous block may still have room.
    if (k > 0 && row == cum[k] && count(chain[k - 1]) < perBlock && count(chain[k]) >= perBlock)
        --k;
    int n = chain[k];
    int pos = row - cum[k];
    int c = count(n);
    if (c >= perBlock) {
        const int m = allocBlock();
        linkAfter(k, m);
        if (k + 1 == chain.size() - 1 && pos == c) {
            // Appending past a full last block: a new block, as the original engine does.
            n = m;
            pos = 0;
            c = 0;
        } else {
            touch(n);
            const int keep = c / 2;
            std::memcpy(block(m) + blockHeaderSize,
                        block(n) + blockHeaderSize + qsizetype(keep) * h.recordSize,
                        size_t(c - keep) * size_t(h.recordSize));
            setCount(m, c - keep);
            setCount(n, keep);
            if (pos > keep) {
                n = m;
                pos -= keep;
                c -= keep;
            } else {
                c = keep;
            }
        }
    }
    touch(n);
    char *at = block(n) + blockHeaderSize + qsizetype(pos) * h.recordSize;
    std::memmove(at + h.recordSize, at, size_t(c - pos) * size_t(h.recordSize));
    std::memcpy(at, raw, size_t(h.recordSize));
    setCount(n, c + 1);
    if (chain.size() + 1 == cum.size()) {
        // Same blocks as before: only the counts after this block move.
        for (std::size_t j = k + 1; j < cum.size(); ++j)
            ++cum[j];
    } else {
        recount();
    }
}

void TablePrivate::removeAt(int row)
{
    const std::size_t k = blockIndexOf(row);
    const int n = chain[k];
    const int pos = row - cum[k];
    const int c = count(n);
    touch(n);
    char *at = block(n) + blockHeaderSize + qsizetype(pos) * h.recordSize;
    std::memmove(at, at + h.recordSize, size_t(c - pos - 1) * size_t(h.recordSize));
    std::memset(block(n) + blockHeaderSize + qsizetype(c - 1) * h.recordSize, 0, size_t(h.recordSize));
    setCount(n, c - 1);
    if (c - 1 == 0)
        releaseBlock(k);
    recount();
}

int TablePrivate::resolveRow(int row, const QByteArray &expected) const
{
    // Another handle changed the table since the caller read the row: find
    // the same record again, or refuse rather than change the wrong one.
    auto matches = [&](int r) {
        return r >= 0 && r < total() &&
               std::memcmp(rowPtr(r), expected.constData(), size_t(h.recordSize)) == 0;
    };
    if (h.schema.keyFields > 0) {
        const int r = lowerBound(expected.constData(), h.schema.keyFields);
        if (matches(r))
            return r;
    } else {
        for (int d = 0; d < total(); ++d) {
            if (matches(row + d))
                return row + d;
            if (matches(row - d))
                return row - d;
            if (row + d >= total() && row - d < 0)
                break;
        }
    }
    throw TableError(
        TableError::Kind::Invalid,
        u"Záznam tabulky %1 byl mezitím změněn nebo smazán jiným uživatelem."_s.arg(displayName));
}

int format::readImage(const QByteArray &bytes, const QString &displayName)
{
    TablePrivate d;
    d.displayName = displayName;
    d.loadImage(bytes);
    for (int r = 0; r < d.total(); ++r) {
        const char *p = d.rowPtr(r);
        for (int i = 0; i < d.h.schema.fields.size(); ++i)
            format::decodeField(d.h.schema.fields[i], p + d.offsets[i]);
    }
    return d.total();
}

// ---------------------------------------------------------------------------

Table::Table(std::unique_ptr<TablePrivate> d) : d(std::move(d)) {}

Table::~Table() = default;

std::unique_ptr<Table> Table::open(const QString &dbPath, const OpenOptions &options)
{
    auto p = std::make_unique<TablePrivate>();
    p->path = dbPath;
    p->displayName = displayNameOf(dbPath);
    p->options = options;
    if (!QFile::exists(dbPath))
        throw TableError(TableError::Kind::Unreadable, u"Tabulka %1 neexistuje."_s.arg(p->displayName));
    p->lock = TableLock::acquire(dbPath, options.mode, options.netDir);
    if (QFile::exists(journal::pathFor(dbPath))) {
        TableLock::Guard g = p->lock->lockForWrite();
        p->recoverIfNeeded();
    }
    {
        TableLock::Guard g = p->readGuard();
        p->load();
    }
    return std::unique_ptr<Table>(new Table(std::move(p)));
}

std::unique_ptr<Table> Table::create(const QString &dbPath, const Schema &schema, const TableFormat &fmt,
                                     const OpenOptions &options)
{
    const QString name = displayNameOf(dbPath);
    auto invalid = [&](const QString &why) {
        return TableError(TableError::Kind::Invalid, u"Tabulku %1 nelze vytvořit: %2"_s.arg(name, why));
    };
    if (QFile::exists(dbPath))
        throw invalid(u"soubor už existuje"_s);
    if (schema.fields.isEmpty() || schema.fields.size() > 255)
        throw invalid(u"tabulka musí mít 1 až 255 polí"_s);
    if (schema.keyFields < 0 || schema.keyFields > 16 || schema.keyFields > schema.fields.size())
        throw invalid(u"neplatný počet polí klíče"_s);
    format::Header h;
    h.schema = schema;
    QSet<QString> names;
    for (FieldDef &f : h.schema.fields) {
        if (!writableType(f.type))
            throw invalid(u"pole %1 má typ, který nelze vytvořit"_s.arg(f.name));
        if (f.type != FieldType::Alpha)
            f.size = fixedSize(f.type);
        if (f.size < 1 || f.size > 255)
            throw invalid(u"pole %1 má neplatnou délku"_s.arg(f.name));
        if (f.name.isEmpty() || f.name.size() > 25 || names.contains(f.name.toUpper()))
            throw invalid(u"neplatné nebo opakované jméno pole „%1“"_s.arg(f.name));
        names.insert(f.name.toUpper());
        h.recordSize += f.size;
    }
    h.fileType = schema.keyFields > 0 ? format::KeyedTable : format::UnkeyedTable;
    h.format = fmt;
    h.format.encrypted = false;
    h.fileVersion = format::versionForLevel(std::max(fmt.level, 5));
    h.format.level = format::levelFromVersion(h.fileVersion);
    static constexpr int sizes[] = {1, 2, 3, 4, 16, 32};
    if (std::find(std::begin(sizes), std::end(sizes), fmt.blockSizeKiB) == std::end(sizes))
        throw invalid(u"neplatná velikost bloku"_s);
    h.blockSize = fmt.blockSizeKiB * 1024;
    while (h.blockSize - blockHeaderSize < h.recordSize) {
        h.blockSize = h.blockSize < 4096        ? h.blockSize + 1024
                      : h.blockSize * 4 > 32768 ? 32768
                                                : h.blockSize * 4;
        if (h.blockSize == 32768 && h.blockSize - blockHeaderSize < h.recordSize)
            throw invalid(u"záznam je delší než největší blok"_s);
    }
    if (h.blockSize > 4096)
        h.fileVersion = 12;
    h.format.blockSizeKiB = h.blockSize / 1024;
    h.headerSize = 0x800;
    h.changeCounter = 2;
    h.tableName = name;
    const QByteArray bytes = format::buildTableFile(h, {}, 0, nullptr);

    // Index files of an earlier table of that name describe another table.
    removeTable(dbPath);
    QSaveFile file(dbPath);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze vytvořit: %2"_s.arg(name, file.errorString()));
    if (schema.keyFields > 0) {
        format::IndexSpec spec;
        spec.keyFields = h.schema.fields.mid(0, schema.keyFields);
        spec.blockSize = h.blockSize;
        spec.fileVersion = h.fileVersion;
        spec.sortOrder = h.format.sortOrder;
        spec.changeCounter = h.changeCounter;
        const QString px = companionPath(dbPath, u"PX"_s);
        spec.tableName = QFileInfo(px).fileName();
        const QByteArray index = format::buildIndexFile(spec, {});
        QFile pxFile(px);
        if (!pxFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || pxFile.write(index) != index.size())
            throwIo(QFileInfo(px).fileName(), pxFile);
    }
    return open(dbPath, options);
}

void Table::close()
{
    d->lock.reset();
}

const QString &Table::filePath() const
{
    return d->path;
}
QString Table::name() const
{
    return QFileInfo(d->path).completeBaseName();
}
const Schema &Table::schema() const
{
    return d->h.schema;
}
const TableFormat &Table::format() const
{
    return d->h.format;
}
bool Table::isKeyed() const
{
    return d->h.schema.keyFields > 0;
}
OpenMode Table::mode() const
{
    return d->options.mode;
}
bool Table::isReadOnly() const
{
    return d->options.readOnly;
}
int Table::recordCount() const
{
    return d->total();
}
quint64 Table::generation() const
{
    return d->generation;
}
void Table::setChangeHook(std::function<void(Table &)> hook)
{
    d->hook = std::move(hook);
}

int Table::fieldIndex(const QString &fieldName) const
{
    for (int i = 0; i < d->h.schema.fields.size(); ++i) {
        if (d->h.schema.fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariantList Table::record(int row) const
{
    d->checkRow(row);
    const char *p = d->rowPtr(row);
    const qsizetype n = d->h.schema.fields.size();
    QVariantList out(n);
    QVariant *v = out.data();
    for (qsizetype i = 0; i < n; ++i)
        v[i] = format::decodeField(d->h.schema.fields[i], p + d->offsets[i]);
    return out;
}

void Table::readRecord(int row, QVariantList &out) const
{
    d->checkRow(row);
    format::decodeRecordInto(d->h.schema.fields, d->offsets, d->rowPtr(row), out);
}

QVariant Table::value(int row, int field) const
{
    d->checkRow(row);
    if (field < 0 || field >= d->h.schema.fields.size())
        return {};
    return format::decodeField(d->h.schema.fields[field], d->rowPtr(row) + d->offsets[field]);
}

bool Table::isNull(int row, int field) const
{
    d->checkRow(row);
    if (field < 0 || field >= d->h.schema.fields.size())
        return true;
    return format::isNullField(d->h.schema.fields[field], d->rowPtr(row) + d->offsets[field]);
}

QByteArray Table::rawRecord(int row) const
{
    d->checkRow(row);
    return QByteArray(d->rowPtr(row), d->h.recordSize);
}

namespace {

// A cursor's blocks from an open table's memory.
class MemoryRows final : public detail::RowSource
{
public:
    MemoryRows(const TablePrivate *d, int from, std::unique_ptr<Table> owned = {})
        : m_owned(std::move(owned)), m_d(d), m_generation(d->generation)
    {
        if (from < d->total()) {
            m_block = d->blockIndexOf(from);
            m_skip = from - d->cum[m_block];
        } else {
            m_block = d->chain.size();
        }
    }

    const char *nextBlock(int &count) override
    {
        if (m_d->generation != m_generation)
            throw TableError(
                TableError::Kind::Invalid,
                u"Tabulka %1 se během čtení změnila; čtení je třeba začít znovu."_s.arg(m_d->displayName));
        while (m_block < m_d->chain.size()) {
            const std::size_t k = m_block++;
            const int c = m_d->cum[k + 1] - m_d->cum[k] - m_skip;
            const int skip = std::exchange(m_skip, 0);
            if (c > 0) {
                count = c;
                return m_d->block(m_d->chain[k]) + blockHeaderSize + qsizetype(skip) * m_d->h.recordSize;
            }
        }
        return nullptr;
    }

    const Schema &schema() const override { return m_d->h.schema; }
    const std::vector<FieldSlot> &fieldSlots() const override { return m_d->fieldSlots; }
    int recordSize() const override { return m_d->h.recordSize; }

private:
    std::unique_ptr<Table> m_owned; // when the cursor had to open the table itself
    const TablePrivate *m_d;
    quint64 m_generation;
    std::size_t m_block = 0;
    int m_skip = 0;
};

// A cursor's blocks read from the file in runs of consecutive blocks (the
// chain of a table written in order is mostly consecutive), checked as
// loading checks them, under the table's read guard until the last one.
class FileRows final : public detail::RowSource
{
public:
    FileRows(const QString &path, const OpenOptions &options)
        : m_path(path), m_displayName(displayNameOf(path)), m_files(options.files)
    {
        if (!QFile::exists(path))
            throw TableError(TableError::Kind::Unreadable, u"Tabulka %1 neexistuje."_s.arg(m_displayName));
        m_lock = TableLock::acquire(path, options.mode, options.netDir);
        m_guard = m_lock->lockForRead();
    }

    // False when the table must be read through open() instead: a change
    // left unfinished (recovery needs the write lock) or a protected table.
    bool start()
    {
        if (QFile::exists(journal::pathFor(m_path)))
            return false;
        m_file.setFileName(m_path);
        QString error;
        if (!(m_files ? *m_files : FileLayer::disk()).openForReading(m_file, error))
            throw TableError(TableError::Kind::Unreadable,
                             u"Tabulku %1 nelze otevřít: %2"_s.arg(m_displayName, error));
        m_fileSize = m_file.size();
        QByteArray head = m_file.read(0x800);
        if (head.size() >= 4) {
            const qint64 wanted = std::min<qint64>(le16(head.constData() + 2), m_fileSize);
            if (wanted > head.size())
                head += m_file.read(wanted - head.size());
        }
        m_h = format::parseHeader(head.constData(), head.size(), m_fileSize, m_displayName);
        if (m_h.fileType == format::PrimaryIndex || m_h.fileType == format::SecondaryIndex ||
            m_h.fileType == 7)
            throw TableError(TableError::Kind::Unsupported,
                             u"Soubor %1 není tabulka, ale index."_s.arg(m_displayName));
        if (m_h.format.encrypted)
            return false;
        m_blocks = (m_fileSize - m_h.headerSize + m_h.blockSize - 1) / m_h.blockSize;
        if (m_blocks > 0xFFFF)
            throw TableError(
                TableError::Kind::Damaged,
                format::damagedMessage(m_displayName, u"soubor má víc bloků, než formát dovoluje"_s));
        m_seen.assign(std::size_t(m_blocks) + 1, false);
        m_slots = fieldSlotsOf(m_h.schema);
        m_next = m_h.firstBlock;
        if (m_h.recordCount == 0 && m_h.usedBlocks == 0)
            m_next = m_next > 0 && m_next <= m_blocks ? m_next : 0;
        // A quarter of a mebibyte per read: large enough that the calls cost
        // nothing, small enough that the decoding finds it in the cache.
        m_runBlocks = std::max(1, (1 << 18) / m_h.blockSize);
        m_buffer.resize(std::size_t(m_runBlocks) * std::size_t(m_h.blockSize));
        return true;
    }

    const char *nextBlock(int &count) override
    {
        while (m_next != 0) {
            const int n = m_next;
            checkChainLink(n, m_blocks, m_seen, m_displayName);
            if (n < m_first || n >= m_first + m_loaded)
                load(n);
            const char *b = m_buffer.data() + qsizetype(n - m_first) * m_h.blockSize;
            const int c = checkedBlockCount(m_h, b, n, m_h.headerSize + qint64(n - 1) * m_h.blockSize,
                                            m_fileSize, m_displayName);
            m_next = le16(b);
            if (c > 0) {
                count = c;
                return b + blockHeaderSize;
            }
        }
        // Past the last row: let writers and exclusive opens in again.
        m_guard.release();
        m_lock.reset();
        m_file.close();
        return nullptr;
    }

    const Schema &schema() const override { return m_h.schema; }
    const std::vector<FieldSlot> &fieldSlots() const override { return m_slots; }
    int recordSize() const override { return m_h.recordSize; }

private:
    void load(int n)
    {
        const int count = int(std::min<qint64>(m_runBlocks, m_blocks - n + 1));
        const qint64 bytes = qint64(count) * m_h.blockSize;
        const qint64 got = m_file.seek(m_h.headerSize + qint64(n - 1) * m_h.blockSize)
                               ? m_file.read(m_buffer.data(), bytes)
                               : -1;
        if (got < 0)
            throw TableError(TableError::Kind::Unreadable,
                             u"Tabulku %1 nelze číst: %2"_s.arg(m_displayName, m_file.errorString()));
        // A final block cut short reads as zeros; its records are checked
        // against the real end of the file.
        std::memset(m_buffer.data() + got, 0, size_t(bytes - got));
        m_first = n;
        m_loaded = count;
    }

    QString m_path;
    QString m_displayName;
    std::shared_ptr<const FileLayer> m_files;
    std::unique_ptr<TableLock> m_lock;
    TableLock::Guard m_guard; // declared after m_lock: released before it
    QFile m_file;
    qint64 m_fileSize = 0;
    format::Header m_h;
    std::vector<FieldSlot> m_slots;
    qint64 m_blocks = 0;
    std::vector<bool> m_seen;
    int m_next = 0;
    int m_runBlocks = 1;
    std::vector<char> m_buffer;
    int m_first = 0;  // block number of the buffer's first block
    int m_loaded = 0; // blocks in the buffer
};

} // namespace

RowCursor Table::rows(int from) const
{
    return RowCursor(std::make_unique<MemoryRows>(d.get(), std::clamp(from, 0, d->total())),
                     std::clamp(from, 0, d->total()));
}

RowCursor Table::stream(const QString &dbPath, const OpenOptions &options)
{
    auto file = std::make_unique<FileRows>(dbPath, options);
    if (file->start())
        return RowCursor(std::move(file), 0);
    file.reset(); // lets open() take the locks it needs
    std::unique_ptr<Table> table = open(dbPath, options);
    const TablePrivate *d = table->d.get();
    return RowCursor(std::make_unique<MemoryRows>(d, 0, std::move(table)), 0);
}

RowCursor::RowCursor() = default;
RowCursor::RowCursor(RowCursor &&) noexcept = default;
RowCursor &RowCursor::operator=(RowCursor &&) noexcept = default;
RowCursor::~RowCursor() = default;

RowCursor::RowCursor(std::unique_ptr<detail::RowSource> source, int firstRow) : m_source(std::move(source))
{
    m_view.m_fields = m_source->fieldSlots().data();
    m_view.m_fieldCount = int(m_source->fieldSlots().size());
    m_view.m_recordSize = m_source->recordSize();
    m_view.m_row = firstRow - 1;
}

bool RowCursor::nextBlock()
{
    if (!m_source)
        return false;
    int count = 0;
    const char *first = m_source->nextBlock(count);
    if (!first)
        return false;
    m_view.m_data = first;
    m_left = count - 1;
    ++m_view.m_row;
    return true;
}

const Schema &RowCursor::schema() const
{
    static const Schema none;
    return m_source ? m_source->schema() : none;
}

int RowCursor::fieldIndex(const QString &fieldName) const
{
    const QList<FieldDef> &fields = schema().fields;
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QDateTime RowView::dateTime(int field) const
{
    if (!has(field) || m_fields[field].type != FieldType::Timestamp)
        return {};
    const FieldDef def{QString(), FieldType::Timestamp, m_fields[field].size};
    return format::decodeField(def, m_data + m_fields[field].offset).toDateTime();
}

int Table::findKey(const QVariantList &key) const
{
    if (!isKeyed() || key.isEmpty())
        return -1;
    const int fields = int(std::min<qsizetype>(key.size(), d->h.schema.keyFields));
    const QByteArray k = d->encodeKey(key);
    if (d->outOfOrder) {
        for (int r = 0; r < d->total(); ++r) {
            if (d->compareKeys(d->rowPtr(r), k.constData(), fields) == 0)
                return r;
        }
        return -1;
    }
    const int row = d->lowerBound(k.constData(), fields);
    if (row < d->total() && d->compareKeys(d->rowPtr(row), k.constData(), fields) == 0)
        return row;
    return -1;
}

int Table::lowerBound(const QVariantList &key) const
{
    if (!isKeyed() || key.isEmpty())
        return 0;
    const int fields = int(std::min<qsizetype>(key.size(), d->h.schema.keyFields));
    const QByteArray k = d->encodeKey(key);
    return d->lowerBound(k.constData(), fields);
}

namespace {

// Runs one change: exclusive across processes, on the table's current disk
// state, committed through the journal, rolled back in memory on failure.
template <typename Fn> auto change(TablePrivate &d, Table &table, Fn &&fn)
{
    TableLock::Guard guard = d.writeGuard();
    if (d.changedOnDisk()) {
        d.recoverIfNeeded();
        d.load();
    }
    d.beginWrite();
    try {
        if constexpr (std::is_void_v<decltype(fn())>) {
            fn();
            d.commit();
            if (d.hook)
                d.hook(table);
        } else {
            auto result = fn();
            d.commit();
            if (d.hook)
                d.hook(table);
            return result;
        }
    } catch (...) {
        d.abandon();
        throw;
    }
}

} // namespace

int TablePrivate::placeRecord(const QByteArray &raw, int unkeyedRow)
{
    const int row = h.schema.keyFields > 0 ? keyedRowFor(raw.constData(), -1) : unkeyedRow;
    insertAt(row, raw.constData());
    return row;
}

int Table::append(const QVariantList &values)
{
    return change(*d, *this, [&] { return d->placeRecord(d->buildRecord(values, nullptr), d->total()); });
}

void Table::appendRecords(const QList<QVariantList> &records)
{
    if (records.isEmpty())
        return;
    change(*d, *this, [&] {
        for (const QVariantList &values : records)
            d->placeRecord(d->buildRecord(values, nullptr), d->total());
    });
}

int Table::insert(int row, const QVariantList &values)
{
    return change(*d, *this, [&] {
        return d->placeRecord(d->buildRecord(values, nullptr), std::clamp(row, 0, d->total()));
    });
}

int Table::update(int row, const QVariantList &values)
{
    d->checkRow(row);
    const QByteArray old = rawRecord(row);
    return change(*d, *this, [&] {
        const int at = d->resolveRow(row, old);
        const QByteArray raw = d->buildRecord(values, d->rowPtr(at));
        if (std::memcmp(raw.constData(), d->rowPtr(at), size_t(d->keyBytes)) == 0) {
            const std::size_t k = d->blockIndexOf(at);
            d->touch(d->chain[k]);
            std::memcpy(d->block(d->chain[k]) + blockHeaderSize + qsizetype(at - d->cum[k]) * d->h.recordSize,
                        raw.constData(), size_t(d->h.recordSize));
            return at;
        }
        d->keyedRowFor(raw.constData(), at);
        d->removeAt(at);
        return d->placeRecord(raw, 0);
    });
}

void Table::remove(int row)
{
    d->checkRow(row);
    const QByteArray old = rawRecord(row);
    change(*d, *this, [&] { d->removeAt(d->resolveRow(row, old)); });
}

void Table::empty()
{
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    d->rewrite(d->h.schema, {});
    if (d->hook)
        d->hook(*this);
}

int Table::deleteWhereNull(int field)
{
    if (field < 0 || field >= d->h.schema.fields.size())
        throw TableError(TableError::Kind::Invalid, u"Tabulka %1 takové pole nemá."_s.arg(d->displayName));
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    QList<QByteArray> keep;
    const FieldDef &f = d->h.schema.fields[field];
    for (int r = 0; r < d->total(); ++r) {
        const char *p = d->rowPtr(r);
        if (!format::isNullField(f, p + d->offsets[field]))
            keep.append(QByteArray(p, d->h.recordSize));
    }
    const int removed = d->total() - int(keep.size());
    if (removed > 0 || d->protectedView) {
        d->rewrite(d->h.schema, keep);
        if (d->hook)
            d->hook(*this);
    }
    return removed;
}

void Table::addFields(const QList<FieldDef> &fields)
{
    if (fields.isEmpty())
        return;
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    Schema schema = d->h.schema;
    for (FieldDef f : fields) {
        if (!writableType(f.type))
            throw TableError(
                TableError::Kind::Unsupported,
                u"Pole %1 nelze do tabulky %2 přidat: typ není podporován."_s.arg(f.name, d->displayName));
        if (f.type != FieldType::Alpha)
            f.size = fixedSize(f.type);
        if (f.size < 1 || f.size > 255 || f.name.isEmpty() || f.name.size() > 25)
            throw TableError(TableError::Kind::Invalid,
                             u"Pole %1 nelze do tabulky %2 přidat: neplatná délka nebo jméno."_s.arg(
                                 f.name, d->displayName));
        for (const FieldDef &e : schema.fields) {
            if (e.name.compare(f.name, Qt::CaseInsensitive) == 0)
                throw TableError(TableError::Kind::Invalid,
                                 u"Pole %1 v tabulce %2 už je."_s.arg(f.name, d->displayName));
        }
        schema.fields.append(f);
    }
    if (schema.fields.size() > 255)
        throw TableError(TableError::Kind::Invalid,
                         u"Tabulka %1 by měla víc než 255 polí."_s.arg(d->displayName));
    int addBytes = 0;
    for (const FieldDef &f : fields)
        addBytes += f.type == FieldType::Alpha ? f.size : fixedSize(f.type);
    QList<QByteArray> records;
    records.reserve(d->total());
    for (int r = 0; r < d->total(); ++r) {
        QByteArray raw(d->rowPtr(r), d->h.recordSize);
        raw.append(addBytes, '\0');
        records.append(raw);
    }
    d->rewrite(schema, records);
    if (d->hook)
        d->hook(*this);
}

void Table::rebuildIndexes()
{
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    if (d->outOfOrder) {
        // Put the records in key order first; the index follows from them.
        std::vector<int> rows(std::size_t(d->total()));
        std::iota(rows.begin(), rows.end(), 0);
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return d->compareKeys(d->rowPtr(a), d->rowPtr(b), d->h.schema.keyFields) < 0;
        });
        QList<QByteArray> records;
        records.reserve(d->total());
        for (int r : rows)
            records.append(QByteArray(d->rowPtr(r), d->h.recordSize));
        d->rewrite(d->h.schema, records);
    } else if (isKeyed()) {
        d->writeIndex(d->pxPath());
    }
    if (d->hook)
        d->hook(*this);
}

bool Table::changedOnDisk() const
{
    return d->changedOnDisk();
}

bool Table::refresh()
{
    if (!d->changedOnDisk())
        return false;
    if (QFile::exists(journal::pathFor(d->path))) {
        TableLock::Guard guard = d->lock ? d->lock->lockForWrite() : TableLock::Guard();
        d->recoverIfNeeded();
    }
    TableLock::Guard guard = d->readGuard();
    d->load();
    return true;
}

namespace {

// What a copy leaves beside the target while it runs: the new files under
// temporary names, and the target's old files once they have given way.
const QString copySuffix = u".copy"_s;
const QString oldSuffix = u".old"_s;

// The table's files that exist; with orphans also index files whose .DB is gone.
QStringList tableFilesOf(const QString &dbPath, bool orphans)
{
    const QFileInfo info(dbPath);
    const QString base = info.completeBaseName();
    const QDir dir = info.dir();
    QStringList main;
    QStringList secondary;
    QString db;
    const QStringList all = dir.entryList({base + u".*"_s}, QDir::Files, QDir::Name);
    for (const QString &n : all) {
        const QFileInfo f(n);
        if (f.completeBaseName().compare(base, Qt::CaseInsensitive) != 0)
            continue;
        const QString ext = f.suffix().toUpper();
        if (ext == u"DB")
            db = dir.filePath(n);
        else if (ext == u"PX" || ext == u"MB" || ext == u"VAL")
            main.append(dir.filePath(n));
        else if (ext.size() == 3 && (ext[0] == u'X' || ext[0] == u'Y')) {
            bool hex = false;
            ext.mid(1).toInt(&hex, 16);
            if (hex || ext[1] == u'G')
                secondary.append(dir.filePath(n));
        }
    }
    if (db.isEmpty())
        return orphans ? main + secondary : QStringList();
    return QStringList{db} + main + secondary;
}

} // namespace

QStringList Table::tableFiles(const QString &dbPath)
{
    return tableFilesOf(dbPath, false);
}

void Table::copyTable(const QString &sourceDbPath, const QString &targetDbPath, const OpenOptions &options)
{
    const QString name = displayNameOf(sourceDbPath);
    if (QFileInfo(sourceDbPath)
            .absoluteFilePath()
            .compare(QFileInfo(targetDbPath).absoluteFilePath(), Qt::CaseInsensitive) == 0)
        return;
    if (!QFile::exists(sourceDbPath))
        throw TableError(TableError::Kind::Unreadable, u"Tabulka %1 neexistuje."_s.arg(name));
    const FileLayer &layer = options.files ? *options.files : FileLayer::disk();
    const QFileInfo target(targetDbPath);
    const QString targetDir = QDir::toNativeSeparators(target.absolutePath());
    QString reason;
    QString ignored;
    auto failure = [&](const QString &why) {
        return TableError(TableError::Kind::Unreadable,
                          u"Tabulku %1 nelze zkopírovat do %2: %3"_s.arg(name, targetDir, why));
    };

    // The source is copied as one state: no change lands while its files are
    // copied, and a change a killed process left unfinished is rolled back
    // first, as opening the table would.
    std::unique_ptr<TableLock> lock = TableLock::acquire(sourceDbPath, OpenMode::Shared, options.netDir);
    TableLock::Guard guard = lock->lockForRead();
    if (QFile::exists(journal::pathFor(sourceDbPath))) {
        guard.release();
        guard = lock->lockForWrite();
        TablePrivate source;
        source.path = sourceDbPath;
        source.displayName = name;
        source.options = options;
        source.recoverIfNeeded();
    }

    // Every file of the source under a temporary name beside the target.
    QStringList copies;
    QStringList finals;
    auto removeCopies = [&] {
        for (const QString &c : std::as_const(copies)) {
            if (QFile::exists(c))
                layer.remove(c, ignored);
        }
    };
    for (const QString &file : tableFiles(sourceDbPath)) {
        const QString final =
            target.dir().filePath(target.completeBaseName() + u'.' + QFileInfo(file).suffix());
        const QString copy = final + copySuffix;
        if ((QFile::exists(copy) && !layer.remove(copy, reason)) || !layer.copy(file, copy, reason)) {
            removeCopies();
            throw failure(reason);
        }
        copies.append(copy);
        finals.append(final);
    }
    guard.release();
    lock.reset();

    // The target's files give way under temporary names, from which they
    // come back when a later step fails.
    QStringList olds = tableFilesOf(targetDbPath, true);
    if (const QString j = journal::pathFor(targetDbPath); QFile::exists(j))
        olds.append(j);
    QStringList aside;
    auto undo = [&] {
        removeCopies();
        bool whole = true;
        for (qsizetype i = aside.size() - 1; i >= 0; --i) {
            if ((QFile::exists(olds[i]) && !layer.remove(olds[i], ignored)) ||
                !layer.rename(aside[i], olds[i], ignored))
                whole = false;
        }
        if (whole)
            return failure(reason);
        return failure(reason +
                       u"\nPůvodní soubory tabulky zůstaly v adresáři %1 pod jmény s příponou %2."_s.arg(
                           targetDir, oldSuffix));
    };
    for (const QString &old : std::as_const(olds)) {
        const QString moved = old + oldSuffix;
        if ((QFile::exists(moved) && !layer.remove(moved, reason)) || !layer.rename(old, moved, reason))
            throw undo();
        aside.append(moved);
    }

    // The copies take the target's names.
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (!layer.rename(copies[i], finals[i], reason)) {
            for (qsizetype k = 0; k < i; ++k)
                layer.remove(finals[k], ignored);
            throw undo();
        }
    }

    // The old files go last: the copy is complete, and one that cannot be
    // removed is only clutter that the next copy clears.
    for (const QString &moved : std::as_const(aside))
        layer.remove(moved, ignored);
}

void Table::removeTable(const QString &dbPath)
{
    for (const QString &f : tableFilesOf(dbPath, true)) {
        if (!QFile::remove(f))
            throw TableError(TableError::Kind::Unreadable,
                             u"Soubor %1 nelze smazat."_s.arg(QFileInfo(f).fileName()));
    }
    QFile::remove(journal::pathFor(dbPath));
}

} // namespace paradox
