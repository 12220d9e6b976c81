#include "paradox/SecondaryIndex.h"

#include "paradox/Collation.h"
#include "paradox/Error.h"
#include "paradox/Format.h"
#include "paradox/Table.h"
#include "platform/StaleLocks.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace paradox {

namespace {

using namespace format;

// Another process may be in the middle of a change when the table's file is
// read for a build; a count that disagrees with the table is read again.
constexpr int ReadAttempts = 5;

QString indexFileName(const QString &dbPath, QChar letter, int field)
{
    const QFileInfo info(dbPath);
    return info.completeBaseName() + u'.' + letter +
           QString::number(field + 1, 16).rightJustified(2, u'0').toUpper();
}

// An index written on Windows may carry any letter case; writing a second
// file beside it would leave the old one to mislead other programs.
QString resolvePath(const QString &dbPath, QChar letter, int field)
{
    const QString dir = QFileInfo(dbPath).absolutePath();
    const QString name = indexFileName(dbPath, letter, field);
    const QString existing = platform::findFileNoCase(dir, name);
    return existing.isEmpty() ? QDir(dir).filePath(name) : existing;
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw TableError(
            TableError::Kind::Unreadable,
            u"Soubor %1 nelze otevřít: %2"_s.arg(QFileInfo(path).fileName(),
                                                 platform::SystemError::translate(file.errorString())));
    }
    return file.readAll();
}

void writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw TableError(
            TableError::Kind::Unreadable,
            u"Soubor %1 nelze zapsat: %2"_s.arg(QFileInfo(path).fileName(),
                                                platform::SystemError::translate(file.errorString())));
    }
}

struct Chain
{
    QList<QByteArray> records;
    QList<int> blocks; // physical block of each record
};

// Records in chain order. Every block number, count and offset is checked
// against the file, and a chain that loops or runs past the header's count is
// refused, so a damaged file can neither hang nor exhaust memory.
Chain readChain(const QByteArray &file, const Header &h, const QString &name)
{
    auto damaged = [&](const QString &reason) {
        return TableError(TableError::Kind::Damaged, damagedMessage(name, reason));
    };
    Chain chain;
    const int perBlock = (h.blockSize - blockHeaderSize) / h.recordSize;
    QList<bool> seen(h.fileBlocks + 1, false);
    int block = h.recordCount == 0 ? 0 : h.firstBlock;
    while (block != 0) {
        if (block < 1 || block > h.fileBlocks || seen[block])
            throw damaged(u"chybný řetěz bloků (blok %1)"_s.arg(block));
        seen[block] = true;
        const qint64 at = qint64(h.headerSize) + qint64(block - 1) * h.blockSize;
        if (at + blockHeaderSize > file.size())
            throw damaged(u"blok %1 leží za koncem souboru"_s.arg(block));
        const char *b = file.constData() + at;
        const int addSize = qint16(le16(b + 4));
        if ((addSize + h.recordSize) % h.recordSize != 0)
            throw damaged(u"chybná délka dat v bloku %1"_s.arg(block));
        const int count = addSize / h.recordSize + 1;
        if (count < 0 || count > perBlock ||
            at + blockHeaderSize + qint64(count) * h.recordSize > file.size())
            throw damaged(u"chybný počet záznamů v bloku %1"_s.arg(block));
        if (chain.records.size() + count > qsizetype(h.recordCount))
            throw damaged(u"bloky obsahují více záznamů, než uvádí hlavička"_s);
        for (int i = 0; i < count; ++i) {
            chain.records.append(QByteArray(b + blockHeaderSize + qsizetype(i) * h.recordSize, h.recordSize));
            chain.blocks.append(block);
        }
        block = le16(b);
    }
    if (chain.records.size() != qsizetype(h.recordCount))
        throw damaged(u"bloky obsahují méně záznamů, než uvádí hlavička"_s);
    return chain;
}

// Bytes whose plain order is the index order of one field's value.
QByteArray sortBytes(const FieldDef &f, const char *data)
{
    if (f.type == FieldType::Alpha)
        return czechSortKey(isNullField(f, data) ? QString() : decodeField(f, data).toString());
    // Every other stored encoding is big-endian with the sign folded in, so
    // byte order is value order, NULL first.
    return QByteArray(data, f.size);
}

// Positions of the records in index order: the indexed field, then the key.
QList<int> sortPermutation(const Schema &schema, int field, const QList<QByteArray> &records)
{
    const QList<int> offsets = fieldOffsets(schema);
    QList<QList<QByteArray>> keys;
    keys.reserve(records.size());
    for (const QByteArray &r : records) {
        QList<QByteArray> k;
        k.reserve(schema.keyFields + 1);
        k.append(sortBytes(schema.fields[field], r.constData() + offsets[field]));
        for (int i = 0; i < schema.keyFields; ++i)
            k.append(sortBytes(schema.fields[i], r.constData() + offsets[i]));
        keys.append(std::move(k));
    }
    QList<int> order(records.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    return order;
}

void checkField(const Table &table, int field)
{
    if (!table.isKeyed()) {
        throw TableError(TableError::Kind::Invalid,
                         u"Tabulka %1 nemá primární klíč, nelze k ní vytvořit index."_s.arg(
                             QFileInfo(table.filePath()).fileName()));
    }
    if (field < 0 || field >= table.schema().fields.size()) {
        throw TableError(
            TableError::Kind::Invalid,
            u"Tabulka %1 nemá pole číslo %2."_s.arg(QFileInfo(table.filePath()).fileName()).arg(field + 1));
    }
}

// What the .Xnn of a field holds: the field, the key fields, "Blk Num".
Schema indexTableSchema(const Schema &table, int field)
{
    Schema s;
    s.fields.append(table.fields[field]);
    for (int i = 0; i < table.keyFields; ++i)
        s.fields.append(table.fields[i]);
    s.fields.append(paradox::field(u"Blk Num"_s, FieldType::Short));
    s.keyFields = table.keyFields + 1;
    return s;
}

QList<int> rowsOfTable(const Table &table, int field)
{
    QList<QByteArray> records;
    const int n = table.recordCount();
    records.reserve(n);
    for (int row = 0; row < n; ++row)
        records.append(table.rawRecord(row));
    return sortPermutation(table.schema(), field, records);
}

} // namespace

QString SecondaryIndex::xPath(const QString &dbPath, int field)
{
    return resolvePath(dbPath, u'X', field);
}

QString SecondaryIndex::yPath(const QString &dbPath, int field)
{
    return resolvePath(dbPath, u'Y', field);
}

QList<int> SecondaryIndex::indexedFields(const QString &dbPath)
{
    const QFileInfo info(dbPath);
    const QString prefix = info.completeBaseName() + u".X"_s;
    QList<int> fields;
    const QStringList entries = info.absoluteDir().entryList(QDir::Files);
    for (const QString &entry : entries) {
        if (entry.size() != prefix.size() + 2 || !entry.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int number = entry.right(2).toInt(&ok, 16);
        if (ok && number >= 1 && !fields.contains(number - 1))
            fields.append(number - 1);
    }
    std::sort(fields.begin(), fields.end());
    return fields;
}

void SecondaryIndex::build(const Table &table, int field)
{
    checkField(table, field);
    const QString dbPath = table.filePath();
    const QString dbName = QFileInfo(dbPath).fileName();
    const Schema &schema = table.schema();

    // The block numbers come from the file itself; the engine's API speaks
    // of rows only.
    Header h;
    Chain chain;
    for (int attempt = 1;; ++attempt) {
        const QByteArray file = readWholeFile(dbPath);
        h = parseHeader(file.constData(), file.size(), file.size(), dbName);
        if (h.encryptionKey != 0) {
            throw TableError(TableError::Kind::Unsupported,
                             u"Tabulka %1 je chráněna heslem, index k ní nelze vytvořit."_s.arg(dbName));
        }
        if (h.schema.fields.size() != schema.fields.size() || h.schema.keyFields != schema.keyFields)
            throw TableError(TableError::Kind::Damaged,
                             damagedMessage(dbName, u"změnila se struktura tabulky"_s));
        chain = readChain(file, h, dbName);
        if (chain.records.size() == table.recordCount() || attempt == ReadAttempts)
            break;
    }

    const Schema xSchema = indexTableSchema(schema, field);
    const QList<int> offsets = fieldOffsets(schema);
    const FieldDef &blockField = xSchema.fields.last();
    const QString xFile = xPath(dbPath, field);
    const QString yFile = yPath(dbPath, field);
    const QString xName = QFileInfo(xFile).fileName();

    const int keyBytes = keySize(xSchema);
    const int recordSize = keyBytes + blockField.size;

    const QList<int> order = sortPermutation(schema, field, chain.records);
    QList<QByteArray> records;
    records.reserve(order.size());
    for (int i : order) {
        const QByteArray &r = chain.records[i];
        QByteArray x;
        x.reserve(recordSize);
        x.append(r.constData() + offsets[field], schema.fields[field].size);
        for (int k = 0; k < schema.keyFields; ++k)
            x.append(r.constData() + offsets[k], schema.fields[k].size);
        x.resize(recordSize);
        encodeField(blockField, chain.blocks[i], x.data() + keyBytes, xName);
        records.append(std::move(x));
    }

    Header xh;
    xh.recordSize = recordSize;
    xh.fileType = format::MaintainedSecondaryTable;
    xh.blockSize = h.blockSize;
    xh.indexedField = field + 1;
    xh.fileVersion = h.fileVersion;
    xh.changeCounter = h.changeCounter;
    xh.tableName = xName;
    xh.schema = xSchema;
    xh.format = table.format();
    QList<IndexEntry> blocks;
    QByteArray xBytes = buildTableFile(xh, records, keyBytes, &blocks);
    // The field-number list of an .Xnn starts with the table's number of the
    // indexed field, then counts its own fields from 2.
    if (hasExtendedHeader(xh.fileVersion, xh.fileType)) {
        const int at = 0x58 + le16(xBytes.constData() + 0x66);
        if (at + 2 <= xBytes.size())
            putLe16(xBytes.data() + at, std::uint32_t(field + 1));
    }

    IndexSpec spec;
    spec.keyFields = xSchema.fields.mid(0, xSchema.keyFields);
    spec.blockSize = h.blockSize;
    spec.fileVersion = h.fileVersion;
    spec.sortOrder = h.format.sortOrder;
    spec.changeCounter = h.changeCounter;
    spec.fileType = format::FileType::SecondaryIndex;
    spec.tableName = QFileInfo(yFile).fileName();
    const QByteArray yBytes = buildIndexFile(spec, blocks);

    writeWholeFile(xFile, xBytes);
    writeWholeFile(yFile, yBytes);
}

void SecondaryIndex::rebuildAll(const Table &table)
{
    const QList<int> fields = indexedFields(table.filePath());
    for (int field : fields)
        build(table, field);
}

void SecondaryIndex::maintain(Table &table)
{
    table.setChangeHook([](Table &changed) { rebuildAll(changed); });
}

void SecondaryIndex::remove(const QString &dbPath, int field)
{
    for (const QString &path : {xPath(dbPath, field), yPath(dbPath, field)}) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            throw TableError(TableError::Kind::Unreadable,
                             u"Soubor %1 nelze smazat."_s.arg(QFileInfo(path).fileName()));
        }
    }
}

QList<int> SecondaryIndex::readOrder(const Table &table, int field)
{
    checkField(table, field);
    const QString xFile = xPath(table.filePath(), field);
    const QString xName = QFileInfo(xFile).fileName();
    const QString dbName = QFileInfo(table.filePath()).fileName();
    const auto stale = [&](const QString &reason) {
        return TableError(TableError::Kind::Damaged,
                          u"Index %1 neodpovídá tabulce %2: %3"_s.arg(xName, dbName, reason));
    };
    if (!QFile::exists(xFile))
        throw TableError(TableError::Kind::Unreadable, u"Index %1 chybí."_s.arg(xName));

    const QByteArray file = readWholeFile(xFile);
    const Header xh = parseHeader(file.constData(), file.size(), file.size(), xName);
    const Schema &schema = table.schema();
    const Schema expected = indexTableSchema(schema, field);
    if ((xh.fileType != format::SecondaryTable && xh.fileType != format::MaintainedSecondaryTable) ||
        xh.indexedField != field + 1)
        throw stale(u"soubor není index tohoto pole"_s);
    if (xh.schema.fields.size() != expected.fields.size())
        throw stale(u"jiná pole"_s);
    for (int i = 0; i < expected.fields.size(); ++i) {
        if (xh.schema.fields[i].type != expected.fields[i].type ||
            xh.schema.fields[i].size != expected.fields[i].size)
            throw stale(u"jiná pole"_s);
    }
    const Chain chain = readChain(file, xh, xName);
    if (chain.records.size() != table.recordCount())
        throw stale(u"jiný počet záznamů"_s);

    const QList<int> xOffsets = fieldOffsets(xh.schema);
    const QList<int> offsets = fieldOffsets(schema);
    const FieldDef &indexed = schema.fields[field];
    QList<bool> seen(table.recordCount(), false);
    QList<int> rows;
    rows.reserve(chain.records.size());
    for (const QByteArray &x : chain.records) {
        QVariantList key;
        for (int k = 0; k < schema.keyFields; ++k)
            key.append(decodeField(xh.schema.fields[k + 1], x.constData() + xOffsets[k + 1]));
        const int row = table.findKey(key);
        if (row < 0 || seen[row])
            throw stale(u"záznam s tímto klíčem v tabulce není"_s);
        seen[row] = true;
        const QByteArray stored = table.rawRecord(row).mid(offsets[field], indexed.size);
        if (stored != x.left(indexed.size))
            throw stale(u"hodnota pole se změnila"_s);
        rows.append(row);
    }
    return rows;
}

QList<int> SecondaryIndex::computeOrder(const Table &table, int field)
{
    checkField(table, field);
    return rowsOfTable(table, field);
}

} // namespace paradox
