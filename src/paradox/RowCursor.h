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

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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
namespace detail {

// Code page 1250 as a table the decoding loop indexes without a call.
inline const std::array<char16_t, 256> cp1250Table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[std::size_t(b)] = platform::Cp1250::toUnicode(static_cast<unsigned char>(b));
    return t;
}();

// The high bit of every zero byte of w, and possibly of bytes above the
// first zero: only the lowest one counts.
inline std::uint64_t zeroBytes(std::uint64_t w)
{
    return (w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull;
}

// Up to eight bytes held in w (first byte lowest) decoded into out[0..7];
// returns how many come before the first zero byte (8 when none). ASCII
// widens as it is; only the bytes above it go through the table.
inline int decodeWord(std::uint64_t w, char16_t *out)
{
    const std::uint64_t zero = zeroBytes(w);
    const int len = zero ? std::countr_zero(zero) / 8 : 8;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i wide = _mm_unpacklo_epi8(_mm_cvtsi64_si128(qint64(w)), _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), wide);
#else
    for (int j = 0; j < 8; ++j)
        out[j] = char16_t(std::uint8_t(w >> (j * 8)));
#endif
    // All eight through the table, rather than only the bytes above 0x7F:
    // a loop whose length follows the text costs a mispredicted branch per
    // word, which is more than the lookups.
    if (w & 0x8080808080808080ull) {
        for (int j = 0; j < 8; ++j)
            out[j] = cp1250Table[std::uint8_t(w >> (j * 8))];
    }
    return len;
}

// Code page 1250 up to the first zero byte of a field of size bytes,
// into out (room for size + 8 units). A field is read as whole words,
// the last one overlapping the one before, so no byte is read outside it.
inline qsizetype decodeText(const char *p, int size, char16_t *out)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (size >= 8) {
            int i = 0;
            std::uint64_t w;
            for (; i + 8 <= size; i += 8) {
                std::memcpy(&w, p + i, 8);
                if (const int len = decodeWord(w, out + i); len < 8)
                    return i + len;
            }
            if (i == size)
                return i;
            // The last bytes, shifted down; the bytes shifted in are zero
            // and end the text.
            std::memcpy(&w, p + size - 8, 8);
            return i + decodeWord(w >> ((i + 8 - size) * 8), out + i);
        }
        if (size >= 4) {
            std::uint32_t a;
            std::uint32_t b;
            std::memcpy(&a, p, 4);
            std::memcpy(&b, p + size - 4, 4);
            // Overlapping bytes are the same in both halves.
            return decodeWord(a | std::uint64_t(b) << ((size - 4) * 8), out);
        }
    }
    int i = 0;
    for (; i < size && p[i] != 0; ++i)
        out[i] = cp1250Table[static_cast<unsigned char>(p[i])];
    return i;
}

} // namespace detail

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
        case FieldType::Currency: {
            // Computed either way, so that NULLs here and there cost no branch.
            const double value = codec::decodeDouble(p);
            return codec::be64(p) == 0 ? 0.0 : value;
        }
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
        return has(field) && m_fields[field].type == FieldType::Logical &&
               (std::uint8_t(m_data[m_fields[field].offset]) & 0x7F) != 0;
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

    // Room for the longest Alpha field (255) and the eight units decoding
    // may write past a text's end.
    using TextBuffer = std::array<char16_t, 264>;

    // An Alpha field decoded into buffer; the view is valid while buffer is
    // and until its next use. The cheapest way to look at every text.
    QStringView textView(int field, TextBuffer &buffer) const
    {
        if (!has(field) || m_fields[field].type != FieldType::Alpha)
            return {};
        const FieldSlot &f = m_fields[field];
        return {buffer.data(), detail::decodeText(m_data + f.offset, f.size, buffer.data())};
    }

    // Decodes an Alpha field into out, reusing its buffer: no allocation once
    // out has held a text as long.
    void text(int field, QString &out) const
    {
        TextBuffer buffer;
        const QStringView view = textView(field, buffer);
        if (out.size() != view.size())
            out.resize(view.size());
        std::memcpy(out.data(), view.data(), size_t(view.size()) * sizeof(char16_t));
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
                if (const std::uint64_t zero = detail::zeroBytes(w))
                    return n + std::countr_zero(zero) / 8;
            }
        }
        while (n < size && p[n] != 0)
            ++n;
        return n;
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
// next() then throws TableError rather than read freed memory. Such a cursor
// must not outlive its table.
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
