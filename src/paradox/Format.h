#pragma once

#include "paradox/Schema.h"
#include "paradox/Table.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>

// The on-disk layout of Paradox files: headers, blocks, field encodings and
// the PX-style index. Table builds on it; the secondary indexes (.Xnn/.Ynn)
// reuse the file and index builders.
namespace paradox::format {

enum FileType : std::uint8_t
{
    KeyedTable = 0,
    PrimaryIndex = 1,
    UnkeyedTable = 2,
    SecondaryTable = 3,
    SecondaryIndex = 4,
    MaintainedSecondaryTable = 5,
};

constexpr int blockHeaderSize = 6;

// The block sizes the format knows, in KiB.
inline constexpr int blockSizesKiB[] = {1, 2, 3, 4, 16, 32};
constexpr bool isBlockSizeKiB(int kib)
{
    for (int k : blockSizesKiB) {
        if (k == kib)
            return true;
    }
    return false;
}

// Raw integer access; Paradox headers are little-endian, field values big-endian.
inline std::uint16_t le16(const char *p)
{
    return std::uint16_t(std::uint8_t(p[0]) | std::uint8_t(p[1]) << 8);
}
inline std::uint32_t le32(const char *p)
{
    return std::uint32_t(le16(p)) | std::uint32_t(le16(p + 2)) << 16;
}
inline void putLe16(char *p, std::uint32_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}
inline void putLe32(char *p, std::uint32_t v)
{
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}

// What a table header says, every size and offset already checked against
// the file it came from.
struct Header
{
    int recordSize = 0;
    int headerSize = 0;
    int fileType = UnkeyedTable;
    int blockSize = 0; // bytes
    std::uint32_t recordCount = 0;
    int usedBlocks = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
    int indexedField = 0;
    int indexRoot = 0;
    int indexLevels = 0;
    int fileVersion = 12; // byte 0x39
    std::uint8_t changeCounter = 2;
    std::uint32_t autoincrement = 0;
    int firstFreeBlock = 0;
    std::uint32_t encryptionKey = 0;
    QString tableName; // as stored, e.g. "Vpz.DB"
    Schema schema;
    TableFormat format;
};

// Level 3 .. 7 from the file version byte, and back for new files.
int levelFromVersion(int fileVersion);
int versionForLevel(int level);
bool hasExtendedHeader(int fileVersion, int fileType);
// .PX, .Ynn and .YGn: files of the format that hold no records.
bool isIndexFile(int fileType);

// Throws TableError(Damaged) with "Tabulka <displayName> je poškozená: ..." on
// any header value that does not fit the file (fileSize bytes long).
Header parseHeader(const char *data, qint64 size, qint64 fileSize, const QString &displayName);

// A fresh header for a file of this layout; blocks and counts are filled in
// by writeCounts().
QByteArray buildHeader(const Header &h);
// Rewrites the counters of an existing header in place.
void writeCounts(QByteArray &header, const Header &h);

QString damagedMessage(const QString &displayName, const QString &reason);

// Field encodings inside a record. decode() never fails: an undecodable
// field becomes UnsupportedValue. encode() throws TableError(Invalid) for a
// value that the field cannot hold.
QVariant decodeField(const FieldDef &field, const char *data);
bool isNullField(const FieldDef &field, const char *data);
// As decodeField, but reuses out's storage when it already holds a value of
// the same type (no allocation for texts read row after row).
void decodeFieldInto(const FieldDef &field, const char *data, QVariant &out);
// Every field of a record into out (resized to the field count).
void decodeRecordInto(const QList<FieldDef> &fields, const QList<int> &offsets, const char *record,
                      QVariantList &out);
void encodeField(const FieldDef &field, const QVariant &value, char *out, const QString &tableName);

// Offsets of each field inside a record.
QList<int> fieldOffsets(const Schema &schema);

// One entry of a PX-style index: the key bytes of the first record of a
// block, the block number and how many records it stands for.
struct IndexEntry
{
    QByteArray key;
    int block = 0;
    int count = 0;
};

struct IndexSpec
{
    QList<FieldDef> keyFields;
    int blockSize = 4096;
    int fileVersion = 12;
    std::uint8_t sortOrder = TableFormat::czechSortOrder;
    std::uint8_t changeCounter = 2; // copied from the table (written at 0x2C)
    int fileType = PrimaryIndex;    // or SecondaryIndex for .Ynn
    QString tableName;              // "Vpz.PX"
};

// A complete index file over the given level-1 entries (in key order). The
// root is always block 1 so that readers assuming that keep working; it
// grows extra levels when the entries do not fit one block.
QByteArray buildIndexFile(const IndexSpec &spec, const QList<IndexEntry> &entries);

// A complete table file with the records (raw, in order) packed into full
// blocks. blocksOut receives one entry per block (first key = the first
// keyBytes of its first record).
QByteArray buildTableFile(Header h, const QList<QByteArray> &records, int keyBytes,
                          QList<IndexEntry> *blocksOut);

// Reads a table file held in memory as open() would (header, chain, every
// field of every record) and returns the record count; throws TableError.
// The fuzz target's way in, without files or locks.
int readImage(const QByteArray &bytes, const QString &displayName);

} // namespace paradox::format
