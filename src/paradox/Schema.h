#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace paradox {

// Field type codes as stored in the table header.
enum class FieldType : std::uint8_t
{
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FmtMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    Autoinc = 0x16,
    BCD = 0x17,
    Bytes = 0x18,
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Alpha;
    // Bytes in the record. For Alpha and Bytes the declared length; for the
    // fixed-size types it follows from the type (fixedSize()).
    int size = 0;

    friend bool operator==(const FieldDef &, const FieldDef &) = default;
};

struct Schema
{
    QList<FieldDef> fields;
    // The primary key is always the first keyFields fields; 0 = unkeyed table.
    int keyFields = 0;

    friend bool operator==(const Schema &, const Schema &) = default;
};

// Bytes of a record that the primary key (the first keyFields fields) takes.
inline int keySize(const Schema &schema)
{
    int bytes = 0;
    for (int i = 0; i < schema.keyFields && i < schema.fields.size(); ++i)
        bytes += schema.fields[i].size;
    return bytes;
}

// Size in bytes a field of this type takes in a record; 0 for the variable
// size types (Alpha, Bytes, the memo/blob kinds), whose size is declared.
constexpr int fixedSize(FieldType type)
{
    switch (type) {
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::Autoinc:
        return 4;
    case FieldType::Short:
        return 2;
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Timestamp:
        return 8;
    case FieldType::Logical:
        return 1;
    case FieldType::BCD:
        return 17;
    default:
        return 0;
    }
}

inline FieldDef alpha(const QString &name, int size)
{
    return {name, FieldType::Alpha, size};
}
inline FieldDef field(const QString &name, FieldType type)
{
    return {name, type, fixedSize(type)};
}

} // namespace paradox
