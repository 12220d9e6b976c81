// Reading a table from the disk, writing a change through the journal and
// rolling back a change a killed process left unfinished.
#include "paradox/TablePrivate.h"

#include "platform/DiskSync.h"
#include "platform/SystemError.h"

#include <QDateTime>
#include <QSaveFile>

#include <cstring>

using namespace Qt::StringLiterals;

namespace paradox {

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

void TablePrivate::beforeWrite(const QString &file) const
{
    QString reason;
    if (!files().beforeWrite(file, reason))
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze zapsat: %2"_s.arg(displayName, reason));
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
                throw TableError(TableError::Kind::Unreadable,
                                 u"Nedokončenou změnu tabulky %1 nelze vrátit: %2"_s.arg(
                                     displayName, platform::SystemError::translate(file.errorString())));
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
            // The journal is the only record of the old bytes until they
            // are on the disk again.
            flushFile(path);
            if (h.schema.keyFields > 0)
                flushFile(pxPath());
        }
    }
    QFile::remove(jpath);
    flushFolder();
}

void TablePrivate::load()
{
    loadImage(files().readAll(path, displayName));
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
    beforeWrite(jpath);
    journal::write(jpath, j, displayName);
    // In SQLite's order: the journal (and its name in the folder) is on the
    // disk before the first byte of the table changes, and the table is on
    // the disk before the journal goes, so a power cut at any moment leaves
    // the old table or the new one.
    flushFile(jpath);
    flushFolder();

    beforeWrite(path);
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
    flushFile(path);
    std::memcpy(image.data(), header.constData(), size_t(header.size()));
    if (h.schema.keyFields > 0) {
        beforeWrite(pxPath());
        writeIndex(pxPath());
        flushFile(pxPath());
    }
    beforeWrite(jpath);
    QFile::remove(jpath);
    flushFolder();

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
    for (int kib : format::blockSizesKiB) {
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
    const QByteArray bytes = format::buildTableFile(nh, records, keySize(schema), nullptr);

    journal::Journal j; // index-only: the table itself is replaced by a rename
    j.originalSize = -1;
    j.oldStamp = diskStamp;
    j.newStamp = bytes.left(stampSize);
    const QString jpath = journal::pathFor(path);
    beforeWrite(jpath);
    journal::write(jpath, j, displayName);
    flushFile(jpath);
    flushFolder();
    beforeWrite(path);
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze zapsat: %2"_s.arg(
                             displayName, platform::SystemError::translate(file.errorString())));
    const quint64 gen = generation;
    loadImage(bytes);
    generation = gen + 1;
    beforeWrite(pxPath());
    if (h.schema.keyFields > 0)
        writeIndex(pxPath());
    else if (const QString px = pxPath(); QFile::exists(px))
        QFile::remove(px);
    // The new file's name and its index before the journal's removal.
    if (h.schema.keyFields > 0)
        flushFile(pxPath());
    flushFolder();
    beforeWrite(jpath);
    QFile::remove(jpath);
    flushFolder();
}

void TablePrivate::flushFile(const QString &file) const
{
    if (!options.flushToDisk)
        return;
    QString reason;
    if (!platform::DiskSync::flushFile(file, &reason))
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze zapsat: %2"_s.arg(displayName, reason));
}

void TablePrivate::flushFolder() const
{
    if (!options.flushToDisk)
        return;
    QString reason;
    if (!platform::DiskSync::flushDirectory(QFileInfo(path).absolutePath(), &reason))
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze zapsat: %2"_s.arg(displayName, reason));
}

} // namespace paradox
