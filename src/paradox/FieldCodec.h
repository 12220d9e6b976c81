#pragma once

#include "paradox/Schema.h"

#include <QtEndian>

#include <bit>
#include <cstdint>

// How field values are stored inside a record. Kept inline in one place
// because both the QVariant decoding and the typed row reader run it for every
// field of every row.
namespace paradox::codec {

constexpr qint64 julianDayOfDayZero = 1721425; // day 1 = 1 January 0001
constexpr qint64 msPerDay = 86'400'000;

inline std::uint32_t be32(const char *p)
{
    return qFromBigEndian<quint32>(p);
}

inline std::uint64_t be64(const char *p)
{
    return qFromBigEndian<quint64>(p);
}

inline bool allZero(const char *p, int n)
{
    switch (n) {
    case 1:
        return p[0] == 0;
    case 2:
        return p[0] == 0 && p[1] == 0;
    case 4:
        return be32(p) == 0;
    case 8:
        return be64(p) == 0;
    default:
        for (int i = 0; i < n; ++i) {
            if (p[i] != 0)
                return false;
        }
        return true;
    }
}

// NULL is a zero first byte in Alpha fields and all zero bytes in the
// fixed-size types; the kinds the engine does not decode have no NULL.
inline bool isNull(FieldType type, const char *p, int size)
{
    switch (type) {
    case FieldType::Alpha:
        return p[0] == 0;
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Logical:
    case FieldType::Time:
    case FieldType::Timestamp:
    case FieldType::Autoinc:
        return allZero(p, size);
    default:
        return false;
    }
}

// The integer types store two's complement with the top bit flipped, so that
// plain byte order sorts them; all zero bytes are NULL.
inline qint32 decodeInt32(const char *p)
{
    return qint32(be32(p) ^ 0x80000000u);
}

inline qint16 decodeInt16(const char *p)
{
    return qint16(std::uint16_t((std::uint8_t(p[0]) << 8 | std::uint8_t(p[1])) ^ 0x8000u));
}

// Doubles are stored with the sign bit flipped for positive numbers and every
// bit flipped for negative ones, again so that byte order sorts them.
inline double decodeDouble(const char *p)
{
    const std::uint64_t bits = be64(p);
    // Without a branch: the sign of the stored values is unpredictable.
    const std::uint64_t flip = 0x8000000000000000ull | (std::uint64_t(0) - (~bits >> 63));
    return std::bit_cast<double>(bits ^ flip);
}

} // namespace paradox::codec
