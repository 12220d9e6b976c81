// The chain of blocks: walked and checked when a table is read, kept linked
// as records come and go.
#include "paradox/EncryptedReader.h"
#include "paradox/TablePrivate.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace paradox {

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

qint64 checkedTableBlocks(const format::Header &h, qint64 fileSize, const QString &displayName)
{
    if (format::isIndexFile(h.fileType))
        throw TableError(TableError::Kind::Unsupported,
                         u"Soubor %1 není tabulka, ale index."_s.arg(displayName));
    const qint64 blocks = (fileSize - h.headerSize + h.blockSize - 1) / h.blockSize;
    if (blocks > 0xFFFF)
        throw TableError(TableError::Kind::Damaged,
                         format::damagedMessage(displayName, u"soubor má víc bloků, než formát dovoluje"_s));
    return blocks;
}

int firstChainBlock(const format::Header &h, qint64 blocks)
{
    const int n = h.firstBlock;
    if (h.recordCount == 0 && h.usedBlocks == 0)
        return n > 0 && n <= blocks ? n : 0;
    return n;
}

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

int TablePrivate::allocBlock()
{
    int n = h.firstFreeBlock;
    const bool usable = n >= 1 && n <= maxBlock() && std::find(chain.begin(), chain.end(), n) == chain.end();
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

void TablePrivate::releaseBlock(std::size_t k)
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

void TablePrivate::linkAfter(std::size_t k, int m)
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

void TablePrivate::loadImage(QByteArray bytes)
{
    const qint64 fileSize = bytes.size();
    const format::Header hh = format::parseHeader(bytes.constData(), bytes.size(), fileSize, displayName);
    const qint64 blocks = checkedTableBlocks(hh, fileSize, displayName);

    diskSize = fileSize;
    diskStamp = bytes.left(stampSize);
    before.clear();
    dirty.clear();
    protectedView = false;

    h = hh;
    image = std::move(bytes);
    // A final block may be cut short; reading it must not run past the end.
    image.resize(h.headerSize + blocks * h.blockSize, '\0');
    if (h.format.encrypted) {
        // Unscrambled in memory, the blocks are walked and checked as any
        // table's; the first change rewrites the table unprotected.
        decryptBlocks(image, h.headerSize, h.blockSize, h.encryptionKey);
        protectedView = true;
    }

    offsets = format::fieldOffsets(h.schema);
    fieldSlots = fieldSlotsOf(h.schema);
    keyBytes = keySize(h.schema);
    perBlock = (h.blockSize - blockHeaderSize) / h.recordSize;
    czechOrder = h.format.sortOrder != 0;

    chain.clear();
    std::vector<bool> seen(std::size_t(blocks) + 1, false);
    int n = firstChainBlock(h, blocks);
    int prev = 0;
    while (n != 0) {
        checkChainLink(n, blocks, seen, displayName);
        const char *b = block(n);
        checkedBlockCount(h, b, n, h.headerSize + qint64(n - 1) * h.blockSize, fileSize, displayName);
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

} // namespace paradox
