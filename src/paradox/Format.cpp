#include "paradox/Format.h"

#include "paradox/FieldCodec.h"
#include "paradox/RowCursor.h"

#include "platform/Cp1250.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace paradox::format {

namespace {

using codec::allZero;
using codec::be32;
using codec::be64;
using codec::decodeDouble;
using codec::decodeInt16;
using codec::decodeInt32;
using codec::julianDayOfDayZero;
using codec::msPerDay;

int tableNameLength(int fileVersion)
{
    return fileVersion >= 12 ? 261 : 79;
}

void putBe32(char *p, std::uint32_t v)
{
    p[0] = char(v >> 24);
    p[1] = char((v >> 16) & 0xFF);
    p[2] = char((v >> 8) & 0xFF);
    p[3] = char(v & 0xFF);
}

void putBe64(char *p, std::uint64_t v)
{
    putBe32(p, std::uint32_t(v >> 32));
    putBe32(p + 4, std::uint32_t(v & 0xFFFFFFFFu));
}

void encodeDouble(double v, char *out)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    if (v >= 0)
        bits |= 0x8000000000000000ull;
    else
        bits = ~bits;
    putBe64(out, bits);
}

int storedSize(FieldType type, int declared)
{
    const int fixed = fixedSize(type);
    return fixed ? fixed : declared;
}

bool knownType(std::uint8_t code)
{
    switch (FieldType(code)) {
    case FieldType::Alpha:
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Logical:
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
    case FieldType::Time:
    case FieldType::Timestamp:
    case FieldType::Autoinc:
    case FieldType::BCD:
    case FieldType::Bytes:
        return true;
    }
    return false;
}

[[noreturn]] void outOfRange(const FieldDef &field, const QVariant &value, const QString &tableName)
{
    throw TableError(TableError::Kind::Invalid, u"Hodnotu „%1“ nelze uložit do pole %2 tabulky %3."_s.arg(
                                                    value.toString(), field.name, tableName));
}

} // namespace

bool isIndexFile(int fileType)
{
    return fileType == PrimaryIndex || fileType == SecondaryIndex || fileType == 7;
}

QString damagedMessage(const QString &displayName, const QString &reason)
{
    return u"Tabulka %1 je poškozená: %2"_s.arg(displayName, reason);
}

int levelFromVersion(int v)
{
    if (v <= 3)
        return 3;
    if (v == 4)
        return 4;
    if (v <= 9)
        return 5;
    if (v <= 11)
        return 6;
    return 7;
}

int versionForLevel(int level)
{
    switch (level) {
    case 3:
        return 3;
    case 4:
        return 4;
    case 5:
        return 9;
    case 6:
        return 11;
    default:
        return 12;
    }
}

bool hasExtendedHeader(int fileVersion, int fileType)
{
    return fileVersion >= 5 && !isIndexFile(fileType);
}

Header parseHeader(const char *data, qint64 size, qint64 fileSize, const QString &name)
{
    auto damaged = [&](const QString &reason) {
        return TableError(TableError::Kind::Damaged, damagedMessage(name, reason));
    };
    if (size < 0x58 || fileSize < 0x58)
        throw damaged(u"hlavička je příliš krátká"_s);
    Header h;
    h.recordSize = le16(data);
    h.headerSize = le16(data + 2);
    h.fileType = std::uint8_t(data[4]);
    const int kib = std::uint8_t(data[5]);
    if (h.fileType > 8)
        throw damaged(u"neznámý druh souboru %1"_s.arg(h.fileType));
    if (!isBlockSizeKiB(kib))
        throw damaged(u"neplatná velikost bloku %1 KiB"_s.arg(kib));
    h.blockSize = kib * 1024;
    h.format.blockSizeKiB = kib;
    if (h.headerSize < 0x58 || h.headerSize > fileSize || h.headerSize > size)
        throw damaged(u"neplatná velikost hlavičky %1"_s.arg(h.headerSize));
    if (h.recordSize < 1 || h.recordSize > h.blockSize - blockHeaderSize)
        throw damaged(u"neplatná délka záznamu %1"_s.arg(h.recordSize));
    h.recordCount = le32(data + 0x06);
    h.usedBlocks = le16(data + 0x0A);
    h.fileBlocks = le16(data + 0x0C);
    h.firstBlock = le16(data + 0x0E);
    h.lastBlock = le16(data + 0x10);
    h.indexedField = std::uint8_t(data[0x15]);
    h.indexRoot = le16(data + 0x1E);
    h.indexLevels = std::uint8_t(data[0x20]);
    const int fieldCount = le16(data + 0x21);
    const int keyFields = le16(data + 0x23);
    h.fileVersion = std::uint8_t(data[0x39]);
    if (h.fileVersion < 3 || h.fileVersion > 12)
        throw damaged(u"neznámá verze souboru %1"_s.arg(h.fileVersion));
    h.format.level = levelFromVersion(h.fileVersion);
    h.format.sortOrder = std::uint8_t(data[0x29]);
    h.format.sortOrderName.clear();
    h.changeCounter = std::uint8_t(data[isIndexFile(h.fileType) ? 0x2C : 0x2D]);
    h.autoincrement = le32(data + 0x49);
    h.firstFreeBlock = le16(data + 0x4D);
    if (fieldCount < 1 || fieldCount > 255)
        throw damaged(u"neplatný počet polí %1"_s.arg(fieldCount));
    if (keyFields > fieldCount || keyFields > 16)
        throw damaged(u"neplatný počet polí klíče %1"_s.arg(keyFields));
    const bool extended = hasExtendedHeader(h.fileVersion, h.fileType);
    if (extended && h.headerSize < 0x78)
        throw damaged(u"neplatná velikost hlavičky %1"_s.arg(h.headerSize));
    if (extended) {
        h.encryptionKey = le32(data + 0x5C);
        h.format.codePage = le16(data + 0x6A);
    } else {
        h.encryptionKey = h.fileVersion < 5 && !isIndexFile(h.fileType) ? le32(data + 0x25) : 0;
        h.format.codePage = 437;
    }
    h.format.encrypted = h.encryptionKey != 0;

    const char *end = data + h.headerSize;
    const char *p = data + (extended ? 0x78 : 0x58);
    auto need = [&](qint64 bytes) {
        if (bytes > end - p)
            throw damaged(u"hlavička nestačí na popis polí"_s);
    };
    need(2 * qint64(fieldCount));
    int sum = 0;
    h.schema.fields.reserve(fieldCount);
    for (int i = 0; i < fieldCount; ++i) {
        const std::uint8_t code = std::uint8_t(p[2 * i]);
        const int declared = std::uint8_t(p[2 * i + 1]);
        FieldDef f;
        f.type = knownType(code) ? FieldType(code) : FieldType::Bytes;
        f.size = storedSize(f.type, declared);
        if (f.type == FieldType::BCD)
            f.size = 17;
        if (f.size < 1)
            throw damaged(u"pole %1 má nulovou délku"_s.arg(i + 1));
        sum += f.size;
        h.schema.fields.append(f);
    }
    // Index entries carry the child block, a count and a spare Short after the key.
    if (isIndexFile(h.fileType))
        sum += 6;
    if (sum != h.recordSize)
        throw damaged(u"délka záznamu %1 neodpovídá polím (%2)"_s.arg(h.recordSize).arg(sum));
    p += 2 * fieldCount;
    need(4);
    p += 4;
    if (!isIndexFile(h.fileType)) {
        need(4 * qint64(fieldCount));
        p += 4 * fieldCount;
    }
    const int nameLen = tableNameLength(h.fileVersion);
    need(nameLen);
    h.tableName = platform::Cp1250::decode(p, qsizetype(qstrnlen(p, size_t(nameLen))));
    p += nameLen;
    if (isIndexFile(h.fileType)) {
        for (int i = 0; i < fieldCount; ++i)
            h.schema.fields[i].name = u"Klíč %1"_s.arg(i + 1);
    } else {
        for (int i = 0; i < fieldCount; ++i) {
            const char *nul = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)));
            if (!nul)
                throw damaged(u"chybí jméno pole %1"_s.arg(i + 1));
            h.schema.fields[i].name = platform::Cp1250::decode(p, nul - p);
            p = nul + 1;
        }
        // Field numbers, then the sort order name (level 4 and later).
        if (end - p >= 2 * qint64(fieldCount)) {
            p += 2 * fieldCount;
            const char *nul = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)));
            if (nul)
                h.format.sortOrderName = QString::fromLatin1(p, nul - p);
        }
    }
    h.schema.keyFields = h.fileType == KeyedTable ? keyFields : 0;
    return h;
}

QByteArray buildHeader(const Header &h)
{
    const bool index = isIndexFile(h.fileType);
    const bool extended = hasExtendedHeader(h.fileVersion, h.fileType);
    const int fields = int(h.schema.fields.size());
    QByteArray tail;
    for (const FieldDef &f : h.schema.fields) {
        tail.append(char(f.type));
        tail.append(char(f.type == FieldType::Alpha || f.type == FieldType::Bytes ? f.size
                         : f.type == FieldType::BCD                               ? 0
                                                                                  : f.size));
    }
    tail.append(4, '\0');
    if (!index)
        tail.append(4 * fields, '\0');
    QByteArray tableName = platform::Cp1250::encode(h.tableName).left(tableNameLength(h.fileVersion) - 1);
    const int nameLen = tableNameLength(h.fileVersion);
    tableName.resize(nameLen, '\0');
    tail.append(tableName);
    int namesLength = 0;
    int fieldNumbersAt = 0;
    if (!index) {
        for (const FieldDef &f : h.schema.fields) {
            const QByteArray n = platform::Cp1250::encode(f.name);
            tail.append(n);
            tail.append('\0');
            namesLength += int(n.size()) + 1;
        }
        fieldNumbersAt = (extended ? 0x78 : 0x58) + int(tail.size());
        for (int i = 1; i <= fields; ++i) {
            char two[2];
            putLe16(two, std::uint32_t(i));
            tail.append(two, 2);
        }
        tail.append(h.format.sortOrderName.toLatin1());
        tail.append('\0');
    }
    const int start = extended ? 0x78 : 0x58;
    const int realSize = start + int(tail.size());
    int headerSize = h.headerSize;
    if (headerSize < realSize)
        headerSize = (realSize + 0x7FF) / 0x800 * 0x800;
    QByteArray out(headerSize, '\0');
    char *d = out.data();
    putLe16(d, std::uint32_t(h.recordSize));
    putLe16(d + 2, std::uint32_t(headerSize));
    d[4] = char(h.fileType);
    d[5] = char(h.blockSize / 1024);
    d[0x15] = char(h.indexedField);
    putLe16(d + 0x21, std::uint32_t(fields));
    putLe16(d + 0x23, std::uint32_t(index ? 0 : h.schema.keyFields));
    if (!index && h.fileVersion >= 5)
        putLe32(d + 0x25, 0xFF00FF00u);
    d[0x29] = char(h.format.sortOrder);
    if (!index) {
        d[0x2E] = 1;
        d[0x3E] = 0x1F;
        d[0x3F] = 0x0F;
        if (h.fileVersion >= 5)
            d[0x56] = 0x20;
    }
    d[0x39] = char(h.fileVersion);
    putLe16(d + 0x51, std::uint32_t(realSize));
    if (extended) {
        putLe16(d + 0x58, 0x0100u | std::uint32_t(h.fileVersion));
        putLe16(d + 0x5A, 0x0100u | std::uint32_t(h.fileVersion));
        putLe16(d + 0x64, std::uint32_t(fields + 1));
        putLe16(d + 0x66, std::uint32_t(fieldNumbersAt - 0x58));
        putLe16(d + 0x6A, std::uint32_t(h.format.codePage));
        d[0x6C] = 1;
        d[0x6D] = 1;
        // As the original engine's files have it: the whole table name field
        // counts, not just the name in it.
        putLe16(d + 0x6E, std::uint32_t(0x18 + 8 * fields + 4 + nameLen + namesLength + 8));
    }
    std::memcpy(d + start, tail.constData(), size_t(tail.size()));
    writeCounts(out, h);
    return out;
}

void writeCounts(QByteArray &header, const Header &h)
{
    char *d = header.data();
    const bool index = isIndexFile(h.fileType);
    putLe32(d + 0x06, h.recordCount);
    putLe16(d + 0x0A, std::uint32_t(h.usedBlocks));
    putLe16(d + 0x0C, std::uint32_t(h.fileBlocks));
    putLe16(d + 0x0E, std::uint32_t(h.firstBlock));
    putLe16(d + 0x10, std::uint32_t(h.lastBlock));
    putLe16(d + 0x1E, std::uint32_t(h.indexRoot));
    d[0x20] = char(h.indexLevels);
    d[index ? 0x2C : 0x2D] = char(h.changeCounter);
    putLe16(d + 0x3A, std::uint32_t(h.fileBlocks));
    putLe32(d + 0x49, h.autoincrement);
    putLe16(d + 0x4D, std::uint32_t(h.firstFreeBlock));
}

QList<int> fieldOffsets(const Schema &schema)
{
    QList<int> offsets;
    offsets.reserve(schema.fields.size());
    int at = 0;
    for (const FieldDef &f : schema.fields) {
        offsets.append(at);
        at += f.size;
    }
    return offsets;
}

bool isNullField(const FieldDef &field, const char *data)
{
    return codec::isNull(field.type, data, field.size);
}

QVariant decodeField(const FieldDef &field, const char *data)
{
    if (isNullField(field, data))
        return {};
    switch (field.type) {
    case FieldType::Alpha: {
        RowView::TextBuffer buffer;
        return QString(reinterpret_cast<const QChar *>(buffer.data()),
                       detail::decodeText(data, field.size, buffer.data()));
    }
    case FieldType::Date:
        return QDate::fromJulianDay(decodeInt32(data) + julianDayOfDayZero);
    case FieldType::Short:
        return int(decodeInt16(data));
    case FieldType::Long:
    case FieldType::Autoinc:
        return int(decodeInt32(data));
    case FieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(int(decodeInt32(data)));
    case FieldType::Currency:
    case FieldType::Number:
        return decodeDouble(data);
    case FieldType::Timestamp: {
        const double ms = decodeDouble(data);
        if (!std::isfinite(ms) || std::fabs(ms) > 1e15)
            return QVariant::fromValue(UnsupportedValue{field.type});
        const auto total = qint64(ms);
        const qint64 days = total / msPerDay;
        const auto inDay = int(total % msPerDay);
        return QDateTime(QDate::fromJulianDay(days + julianDayOfDayZero),
                         QTime::fromMSecsSinceStartOfDay(inDay));
    }
    case FieldType::Logical:
        return (std::uint8_t(data[0]) & 0x7F) != 0;
    default:
        return QVariant::fromValue(UnsupportedValue{field.type});
    }
}

namespace {

template <typename T> void assignInPlace(QVariant &out, T value)
{
    // constData() of a detached value is ours to write; data() would check
    // for sharing a second time, which costs more than the decoding.
    if (out.metaType() == QMetaType::fromType<T>() && out.isDetached())
        *static_cast<T *>(const_cast<void *>(out.constData())) = value;
    else
        out = QVariant::fromValue(value);
}

} // namespace

void decodeFieldInto(const FieldDef &field, const char *data, QVariant &out)
{
    if (codec::isNull(field.type, data, field.size)) {
        if (out.isValid())
            out = QVariant();
        return;
    }
    switch (field.type) {
    case FieldType::Alpha:
        if (out.metaType() == QMetaType::fromType<QString>() && out.isDetached()) {
            RowView::TextBuffer buffer;
            const qsizetype n = detail::decodeText(data, field.size, buffer.data());
            auto &text = *static_cast<QString *>(const_cast<void *>(out.constData()));
            if (text.size() != n)
                text.resize(n);
            // Rows read one after another often repeat a text (a name, a
            // code): only what differs is written. A plain loop, as a call to
            // memcmp costs more than these few characters.
            auto *to = reinterpret_cast<char16_t *>(text.data());
            qsizetype i = 0;
            while (i < n && to[i] == buffer[std::size_t(i)])
                ++i;
            for (; i < n; ++i)
                to[i] = buffer[std::size_t(i)];
            return;
        }
        break;
    case FieldType::Short:
        assignInPlace(out, int(decodeInt16(data)));
        return;
    case FieldType::Long:
    case FieldType::Autoinc:
        assignInPlace(out, int(decodeInt32(data)));
        return;
    case FieldType::Currency:
    case FieldType::Number:
        assignInPlace(out, decodeDouble(data));
        return;
    case FieldType::Logical:
        assignInPlace(out, (std::uint8_t(data[0]) & 0x7F) != 0);
        return;
    case FieldType::Date:
        assignInPlace(out, QDate::fromJulianDay(decodeInt32(data) + julianDayOfDayZero));
        return;
    default:
        break;
    }
    out = decodeField(field, data);
}

void decodeRecordInto(const QList<FieldDef> &fields, const QList<int> &offsets, const char *record,
                      QVariantList &out)
{
    const qsizetype n = fields.size();
    if (out.size() != n)
        out.resize(n);
    QVariant *v = out.data();
    for (qsizetype i = 0; i < n; ++i)
        decodeFieldInto(fields[i], record + offsets[i], v[i]);
}

void encodeField(const FieldDef &field, const QVariant &value, char *out, const QString &tableName)
{
    if (isUnsupported(value))
        return; // left as it was: the engine cannot produce such values
    std::memset(out, 0, size_t(field.size));
    if (value.isNull() || !value.isValid())
        return;
    bool ok = true;
    switch (field.type) {
    case FieldType::Alpha: {
        const QString text = value.toString();
        const QByteArray bytes = platform::Cp1250::encode(text);
        if (bytes.size() > field.size)
            outOfRange(field, value, tableName);
        std::memcpy(out, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case FieldType::Date: {
        const QDate date = value.toDate();
        if (!date.isValid() || date.toJulianDay() - julianDayOfDayZero < 1)
            outOfRange(field, value, tableName);
        putBe32(out, std::uint32_t(qint32(date.toJulianDay() - julianDayOfDayZero)) ^ 0x80000000u);
        return;
    }
    case FieldType::Short: {
        const qlonglong v = value.toLongLong(&ok);
        if (!ok || v < -32767 || v > 32767)
            outOfRange(field, value, tableName);
        const auto bits = std::uint16_t(std::uint16_t(qint16(v)) ^ 0x8000u);
        out[0] = char(bits >> 8);
        out[1] = char(bits & 0xFF);
        return;
    }
    case FieldType::Long:
    case FieldType::Autoinc: {
        const qlonglong v = value.toLongLong(&ok);
        if (!ok || v < -2147483647LL || v > 2147483647LL)
            outOfRange(field, value, tableName);
        putBe32(out, std::uint32_t(qint32(v)) ^ 0x80000000u);
        return;
    }
    case FieldType::Time: {
        const QTime t = value.toTime();
        if (!t.isValid())
            outOfRange(field, value, tableName);
        putBe32(out, std::uint32_t(qint32(t.msecsSinceStartOfDay())) ^ 0x80000000u);
        return;
    }
    case FieldType::Currency:
    case FieldType::Number: {
        const double v = value.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            outOfRange(field, value, tableName);
        encodeDouble(v, out);
        return;
    }
    case FieldType::Timestamp: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            outOfRange(field, value, tableName);
        const qint64 days = dt.date().toJulianDay() - julianDayOfDayZero;
        encodeDouble(double(days) * double(msPerDay) + dt.time().msecsSinceStartOfDay(), out);
        return;
    }
    case FieldType::Logical:
        out[0] = char(value.toBool() ? 0x81 : 0x80);
        return;
    default:
        throw TableError(TableError::Kind::Unsupported,
                         u"Pole %1 tabulky %2 je typu, který nelze zapisovat."_s.arg(field.name, tableName));
    }
}

QByteArray buildIndexFile(const IndexSpec &spec, const QList<IndexEntry> &entries)
{
    int keySize = 0;
    for (const FieldDef &f : spec.keyFields)
        keySize += f.size;
    Header h;
    h.fileType = spec.fileType;
    h.recordSize = keySize + 6;
    h.blockSize = spec.blockSize;
    h.fileVersion = spec.fileVersion;
    h.format.sortOrder = spec.sortOrder;
    h.changeCounter = spec.changeCounter;
    h.tableName = spec.tableName;
    h.schema.fields = spec.keyFields;
    h.headerSize = 0x800;
    h.indexRoot = 1;
    const int perBlock = std::max(1, (spec.blockSize - blockHeaderSize) / h.recordSize);

    // Partition bottom-up: levels[0] are the entries over table blocks.
    QList<QList<IndexEntry>> levels;
    if (!entries.isEmpty())
        levels.append(entries);
    QList<QList<int>> chunkSizes; // per level, entries in each of its blocks
    while (!levels.isEmpty()) {
        const QList<IndexEntry> &level = levels.last();
        QList<int> sizes;
        const int blocks = int((level.size() + perBlock - 1) / perBlock);
        // Spread evenly so that no block is left nearly empty.
        for (int b = 0; b < blocks; ++b)
            sizes.append(int(level.size() * (b + 1) / blocks - level.size() * b / blocks));
        chunkSizes.append(sizes);
        if (blocks == 1)
            break;
        QList<IndexEntry> upper;
        int at = 0;
        for (int s : sizes) {
            IndexEntry e;
            e.key = level[at].key;
            for (int i = at; i < at + s; ++i)
                e.count += level[i].count;
            upper.append(e);
            at += s;
        }
        levels.append(upper);
    }

    // Number top-down so that the root is block 1.
    QList<int> firstNumber(levels.size());
    int next = 1;
    for (qsizetype l = levels.size() - 1; l >= 0; --l) {
        firstNumber[l] = next;
        next += int(chunkSizes[l].size());
    }
    const int totalBlocks = next - 1;
    QByteArray body(qsizetype(totalBlocks) * spec.blockSize, '\0');
    std::uint32_t totalEntries = 0;
    for (qsizetype l = 0; l < levels.size(); ++l) {
        const QList<IndexEntry> &level = levels[l];
        int at = 0;
        for (qsizetype b = 0; b < chunkSizes[l].size(); ++b) {
            const int number = firstNumber[l] + int(b);
            char *blk = body.data() + qsizetype(number - 1) * spec.blockSize;
            const int count = chunkSizes[l][b];
            // All index blocks form one chain from the root down, level by
            // level: readers that walk an index like a table (pxlib) then see
            // every entry; the tree itself is found through the child numbers.
            putLe16(blk, number < totalBlocks ? std::uint32_t(number + 1) : 0);
            putLe16(blk + 2, std::uint32_t(number - 1));
            putLe16(blk + 4, std::uint32_t(qint16((count - 1) * h.recordSize)));
            char *rec = blk + blockHeaderSize;
            int childNumber = l > 0 ? firstNumber[l - 1] : 0;
            for (int i = at; i < at + count; ++i, rec += h.recordSize) {
                const IndexEntry &e = level[i];
                std::memcpy(rec, e.key.constData(), size_t(std::min<qsizetype>(keySize, e.key.size())));
                const int child = l == 0 ? e.block : childNumber + (i - 0);
                const auto putShort = [](char *p, int v) {
                    const auto bits = std::uint16_t(std::uint16_t(qint16(std::clamp(v, 0, 32767))) ^ 0x8000u);
                    p[0] = char(bits >> 8);
                    p[1] = char(bits & 0xFF);
                };
                putShort(rec + keySize, child);
                putShort(rec + keySize + 2, e.count);
                putShort(rec + keySize + 4, 0);
            }
            at += count;
            totalEntries += std::uint32_t(count);
        }
    }
    h.recordCount = totalEntries;
    h.usedBlocks = totalBlocks;
    h.fileBlocks = totalBlocks;
    h.firstBlock = totalBlocks ? 1 : 0;
    h.lastBlock = totalBlocks;
    h.indexLevels = int(levels.size());
    QByteArray out = buildHeader(h);
    out.append(body);
    return out;
}

QByteArray buildTableFile(Header h, const QList<QByteArray> &records, int keyBytes,
                          QList<IndexEntry> *blocksOut)
{
    const int perBlock = (h.blockSize - blockHeaderSize) / h.recordSize;
    const int blocks = int((records.size() + perBlock - 1) / perBlock);
    if (blocks > 0xFFFF)
        throw TableError(TableError::Kind::Invalid,
                         u"Tabulka %1 by přesáhla největší možný počet bloků."_s.arg(h.tableName));
    h.recordCount = std::uint32_t(records.size());
    h.usedBlocks = blocks;
    h.fileBlocks = blocks;
    h.firstBlock = blocks ? 1 : 0;
    h.lastBlock = blocks;
    h.firstFreeBlock = 0;
    QByteArray out = buildHeader(h);
    const qsizetype headerSize = out.size();
    out.resize(headerSize + qsizetype(blocks) * h.blockSize, '\0');
    for (int b = 0; b < blocks; ++b) {
        char *blk = out.data() + headerSize + qsizetype(b) * h.blockSize;
        const int first = b * perBlock;
        const int count = std::min<int>(perBlock, int(records.size()) - first);
        putLe16(blk, b + 1 < blocks ? std::uint32_t(b + 2) : 0);
        putLe16(blk + 2, std::uint32_t(b));
        putLe16(blk + 4, std::uint32_t(qint16((count - 1) * h.recordSize)));
        for (int i = 0; i < count; ++i)
            std::memcpy(blk + blockHeaderSize + i * h.recordSize, records[first + i].constData(),
                        size_t(h.recordSize));
        if (blocksOut)
            blocksOut->append({records[first].left(keyBytes), b + 1, count});
    }
    return out;
}

} // namespace paradox::format
