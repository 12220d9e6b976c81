#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstring>

// An independent check of a keyed table's .PX against the blocks of its .DB,
// written from the format description rather than from the engine's code:
// walks the table's chain and the index tree from its root and compares.
// Returns an empty string when they agree, else what is wrong.
namespace indexcheck {

inline int u16(const QByteArray &b, qsizetype at)
{
    return quint8(b[at]) | quint8(b[at + 1]) << 8;
}

inline int shortValue(const QByteArray &b, qsizetype at)
{
    return qint16(quint16((quint8(b[at]) << 8 | quint8(b[at + 1])) ^ 0x8000));
}

struct Entry
{
    QByteArray key;
    int block;
    int count;
};

inline QString check(const QString &dbPath, const QString &pxPath, bool compareCounters = true)
{
    QFile dbFile(dbPath);
    QFile pxFile(pxPath);
    if (!dbFile.open(QIODevice::ReadOnly) || !pxFile.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot open the files");
    const QByteArray db = dbFile.readAll();
    const QByteArray px = pxFile.readAll();
    const int recordSize = u16(db, 0);
    const int headerSize = u16(db, 2);
    const int blockSize = quint8(db[5]) * 1024;
    const int keyFields = u16(db, 0x23);
    // Key size from the field descriptors of a level 7 header.
    int keySize = 0;
    for (int i = 0; i < keyFields; ++i)
        keySize += quint8(db[0x78 + 2 * i + 1]);
    QList<Entry> blocks;
    int total = 0;
    for (int n = u16(db, 0x0E), guard = 0; n != 0 && guard < 70000;
         n = u16(db, headerSize + qsizetype(n - 1) * blockSize), ++guard) {
        const qsizetype at = headerSize + qsizetype(n - 1) * blockSize;
        const int count = qint16(u16(db, at + 4)) / recordSize + 1;
        blocks.append({db.mid(at + 6, keySize), n, count});
        total += count;
    }
    if (quint32(u16(db, 6) | u16(db, 8) << 16) != quint32(total))
        return QStringLiteral("record count %1 in the header, %2 in the chain").arg(u16(db, 6)).arg(total);
    if (px.size() < 0x58 || px[4] != 1)
        return QStringLiteral("not an index file");
    if (compareCounters && px[0x2C] != db[0x2D])
        return QStringLiteral("change counter %1 in the index, %2 in the table")
            .arg(int(quint8(px[0x2C])))
            .arg(int(quint8(db[0x2D])));
    if (u16(px, 0) != keySize + 6)
        return QStringLiteral("index record size");
    const int pxHeader = u16(px, 2);
    const int pxBlock = quint8(px[5]) * 1024;
    const int levels = quint8(px[0x20]);
    if (blocks.isEmpty())
        return levels == 0 ? QString() : QStringLiteral("levels in an empty index");
    const int entrySize = keySize + 6;
    // Collect the lowest level by descending from the root.
    QList<Entry> level{{QByteArray(), u16(px, 0x1E), total}};
    for (int l = levels; l >= 1; --l) {
        QList<Entry> below;
        for (const Entry &parent : level) {
            const qsizetype at = pxHeader + qsizetype(parent.block - 1) * pxBlock;
            if (at + 6 > px.size())
                return QStringLiteral("index block %1 outside the file").arg(parent.block);
            const int count = qint16(u16(px, at + 4)) / entrySize + 1;
            // The last block may be cut short after its entries.
            if (count < 1 || count > (pxBlock - 6) / entrySize ||
                at + 6 + qsizetype(count) * entrySize > px.size())
                return QStringLiteral("index block %1 has a bad entry count").arg(parent.block);
            int sum = 0;
            for (int i = 0; i < count; ++i) {
                const qsizetype e = at + 6 + qsizetype(i) * entrySize;
                Entry child{px.mid(e, keySize), shortValue(px, e + keySize), shortValue(px, e + keySize + 2)};
                if (i == 0 && !parent.key.isEmpty() && child.key != parent.key)
                    return QStringLiteral("index block %1 starts with another key than its parent says")
                        .arg(parent.block);
                sum += child.count;
                below.append(child);
            }
            if (l < levels || total <= 32767) {
                if (sum != parent.count)
                    return QStringLiteral("counts below index block %1 add up to %2, not %3")
                        .arg(parent.block)
                        .arg(sum)
                        .arg(parent.count);
            }
        }
        level = below;
    }
    if (level.size() != blocks.size())
        return QStringLiteral("%1 index entries for %2 blocks").arg(level.size()).arg(blocks.size());
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        if (level[i].block != blocks[i].block || level[i].count != blocks[i].count ||
            level[i].key != blocks[i].key)
            return QStringLiteral("index entry %1 does not match table block %2").arg(i).arg(blocks[i].block);
    }
    return {};
}

} // namespace indexcheck
