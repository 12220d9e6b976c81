#pragma once

#include "paradox/FieldCodec.h"
#include "paradox/Schema.h"

#include "platform/Cp1250.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace paradox {

// Where one field sits in a record, packed for the row loop.
struct FieldSlot
{
    int offset = 0;
    int size = 0;
    FieldType type = FieldType::Alpha;
};

// One record read in place from the table's blocks, with typed accessors
// that allocate nothing: the way bulk readers (sums over a million monthly
// rows, whole-table conversions) go through a table.
//
// A NULL field reads as 0, false, an invalid date or time, or an empty text;
// ask isNull() where NULL must be told apart. An accessor asked for a field
// of another kind returns the same "empty" value (number() also takes the
// integer types), as does a field number out of range.
class RowView
{
public:
    int row() const { return m_row; }
    int fieldCount() const { return m_fieldCount; }
    // The record as stored (big-endian field encodings, code page bytes).
    QByteArrayView raw() const { return {m_data, m_recordSize}; }

    bool isNull(int field) const
    {
        if (!has(field))
            return true;
        const FieldSlot &f = m_fields[field];
        return codec::isNull(f.type, m_data + f.offset, f.size);
    }

    // Short, Long and Autoinc.
    int intValue(int field) const
    {
        if (!has(field))
            return 0;
        const FieldSlot &f = m_fields[field];
        const char *p = m_data + f.offset;
        switch (f.type) {
        case FieldType::Short:
            return p[0] == 0 && p[1] == 0 ? 0 : codec::decodeInt16(p);
        case FieldType::Long:
        case FieldType::Autoinc:
            return codec::be32(p) == 0 ? 0 : codec::decodeInt32(p);
        default:
            return 0;
        }
    }

    // Number and Currency, and the integer types converted.
    double number(int field) const
    {
        if (!has(field))
            return 0.0;
        const FieldSlot &f = m_fields[field];
        const char *p = m_data + f.offset;
        switch (f.type) {
        case FieldType::Number:
        case FieldType::Currency:
            return codec::be64(p) == 0 ? 0.0 : codec::decodeDouble(p);
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::Autoinc:
            return intValue(field);
        default:
            return 0.0;
        }
    }

    bool logical(int field) const
    {
        return has(field) && m_fields[field].type == FieldType::Logical
               && (std::uint8_t(m_data[m_fields[field].offset]) & 0x7F) != 0;
    }

    // Days since 1 January 0001 counted from 1 as the file stores them (0 for
    // NULL): cheaper than a QDate where only differences or order matter.
    qint32 dayNumber(int field) const
    {
        if (!has(field) || m_fields[field].type != FieldType::Date)
            return 0;
        const char *p = m_data + m_fields[field].offset;
        return codec::be32(p) == 0 ? 0 : codec::decodeInt32(p);
    }

    QDate date(int field) const
    {
        const qint32 day = dayNumber(field);
        return day == 0 ? QDate() : QDate::fromJulianDay(day + codec::julianDayOfDayZero);
    }

    QTime time(int field) const
    {
        if (!has(field) || m_fields[field].type != FieldType::Time)
            return {};
        const char *p = m_data + m_fields[field].offset;
        return codec::be32(p) == 0 ? QTime() : QTime::fromMSecsSinceStartOfDay(codec::decodeInt32(p));
    }

    QDateTime dateTime(int field) const;

    // An Alpha field's stored bytes (code page of the table), up to its end
    // or its first zero byte: compare or hash them without decoding.
    QByteArrayView textBytes(int field) const
    {
        if (!has(field) || m_fields[field].type != FieldType::Alpha)
            return {};
        const char *p = m_data + m_fields[field].offset;
        return {p, textLength(p, m_fields[field].size)};
    }

    // Room for the longest Alpha field.
    using TextBuffer = std::array<char16_t, 255>;

    // An Alpha field decoded into buffer; the view is valid while buffer is
    // and until its next use. The cheapest way to look at every text.
    QStringView textView(int field, TextBuffer &buffer) const
    {
        const QByteArrayView bytes = textBytes(field);
        return {buffer.data(), decode(bytes, buffer.data())};
    }

    // Decodes an Alpha field into out, reusing its buffer: no allocation once
    // out has held a text as long.
    void text(int field, QString &out) const
    {
        const QByteArrayView bytes = textBytes(field);
        if (out.size() != bytes.size())
            out.resize(bytes.size());
        decode(bytes, reinterpret_cast<char16_t *>(out.data()));
    }
    QString text(int field) const
    {
        QString out;
        text(field, out);
        return out;
    }

private:
    friend class RowCursor;

    // Up to the first zero byte, eight bytes at a time: these short fields
    // run through here millions of times, and a call to memchr or a loop
    // branching on every byte costs more than the decoding.
    static qsizetype textLength(const char *p, int size)
    {
        int n = 0;
        if constexpr (std::endian::native == std::endian::little) {
            for (; n + 8 <= size; n += 8) {
                std::uint64_t w;
                std::memcpy(&w, p + n, 8);
                const std::uint64_t zero = (w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull;
                if (zero != 0)
                    return n + std::countr_zero(zero) / 8;
            }
        }
        while (n < size && p[n] != 0)
            ++n;
        return n;
    }

    static qsizetype decode(QByteArrayView bytes, char16_t *out)
    {
        const qsizetype n = bytes.size();
        const char16_t *table = cp1250Table().data();
        for (qsizetype i = 0; i < n; ++i)
            out[i] = table[static_cast<unsigned char>(bytes[i])];
        return n;
    }

    // Code page 1250 as a table the decoding loop can index without a call.
    static const std::array<char16_t, 256> &cp1250Table()
    {
        static const std::array<char16_t, 256> table = [] {
            std::array<char16_t, 256> t{};
            for (int b = 0; b < 256; ++b)
                t[std::size_t(b)] = platform::Cp1250::toUnicode(static_cast<unsigned char>(b));
            return t;
        }();
        return table;
    }

    bool has(int field) const { return unsigned(field) < unsigned(m_fieldCount); }

    const char *m_data = nullptr;
    const FieldSlot *m_fields = nullptr;
    int m_fieldCount = 0;
    int m_recordSize = 0;
    int m_row = -1;
};

namespace detail {

// Where a cursor's blocks come from: the table's blocks in memory, or the
// file read in large sequential pieces.
class RowSource
{
public:
    virtual ~RowSource() = default;
    // The first record of the next block holding any, and how many it holds;
    // nullptr after the last one.
    virtual const char *nextBlock(int &count) = 0;
    virtual const Schema &schema() const = 0;
    virtual const std::vector<FieldSlot> &fieldSlots() const = 0;
    virtual int recordSize() const = 0;
};

} // namespace detail

// Walks the rows of a table in its order (key order for keyed tables, chain
// order otherwise), block by block:
//
//     for (RowCursor c = table.rows(); c.next();)
//         total += c.row().number(sum);
//
// Table::rows() reads the blocks the open table holds in memory: the snapshot
// it last read or wrote, so a scan sees one consistent state however long it
// takes. A change through that handle or its refresh() ends such a cursor:
// next() then throws TableError rather than read freed memory.
//
// Table::stream() reads the file itself without loading it first, under the
// table's read guard from the first row to the last (see there).
//
// A RowView is valid until the cursor moves.
class RowCursor
{
public:
    RowCursor();
    RowCursor(RowCursor &&) noexcept;
    RowCursor &operator=(RowCursor &&) noexcept;
    ~RowCursor();

    bool next()
    {
        if (m_left > 0) {
            --m_left;
            m_view.m_data += m_view.m_recordSize;
            ++m_view.m_row;
            return true;
        }
        return nextBlock();
    }

    const RowView &row() const { return m_view; }

    // The fields the rows have; an empty schema for a default cursor.
    const Schema &schema() const;
    int fieldIndex(const QString &fieldName) const; // case-insensitive; -1 when absent

private:
    friend class Table;
    RowCursor(std::unique_ptr<detail::RowSource> source, int firstRow);
    bool nextBlock();

    std::unique_ptr<detail::RowSource> m_source;
    int m_left = 0; // rows after the current one in its block
    RowView m_view;
};

} // namespace paradox
