// The row sources of RowCursor: an open table's blocks in memory, or the
// file itself read in large runs.
#include "paradox/TablePrivate.h"
#include "platform/SystemError.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace paradox {

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
        m_blocks = checkedTableBlocks(m_h, m_fileSize, m_displayName);
        if (m_h.format.encrypted)
            return false;
        m_seen.assign(std::size_t(m_blocks) + 1, false);
        m_slots = fieldSlotsOf(m_h.schema);
        m_next = firstChainBlock(m_h, m_blocks);
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
                             u"Tabulku %1 nelze číst: %2"_s.arg(
                                 m_displayName, platform::SystemError::translate(m_file.errorString())));
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

} // namespace paradox
