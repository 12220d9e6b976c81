#include "PxDump.h"

#include "paradox/Format.h"
#include "paradox/RowCursor.h"
#include "paradox/Table.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <charconv>

using namespace Qt::StringLiterals;
using paradox::FieldType;

namespace pxdump {

QByteArray numberText(double v)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QByteArray(buf, res.ptr - buf);
}

namespace {

QByteArray cellText(FieldType type, const QVariant &v)
{
    if (v.isNull() || !v.isValid() || paradox::isUnsupported(v))
        return {};
    switch (type) {
    case FieldType::Alpha:
        return v.toString().toUtf8();
    case FieldType::Date:
        return v.toDate().toString(u"yyyy-MM-dd"_s).toUtf8();
    case FieldType::Time:
        return v.toTime().toString(u"HH:mm:ss.zzz"_s).toUtf8();
    case FieldType::Timestamp:
        return v.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s).toUtf8();
    case FieldType::Logical:
        return v.toBool() ? "true" : "false";
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Autoinc:
        return QByteArray::number(v.toInt());
    case FieldType::Number:
    case FieldType::Currency:
        return numberText(v.toDouble());
    default:
        return {};
    }
}

// A listing's pieces: large enough that writing costs little, small enough
// to stay out of the memory figures.
constexpr qsizetype pieceSize = 64 * 1024;

} // namespace

void appendCell(QByteArray &out, const QByteArray &text)
{
    if (text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r')) {
        QByteArray quoted = text;
        quoted.replace("\"", "\"\"");
        out += '"' + quoted + '"';
    } else {
        out += text;
    }
}

QString typeName(int fieldType)
{
    switch (FieldType(fieldType)) {
    case FieldType::Alpha:
        return u"Alpha"_s;
    case FieldType::Date:
        return u"Date"_s;
    case FieldType::Short:
        return u"Short"_s;
    case FieldType::Long:
        return u"Long"_s;
    case FieldType::Currency:
        return u"Currency"_s;
    case FieldType::Number:
        return u"Number"_s;
    case FieldType::Logical:
        return u"Logical"_s;
    case FieldType::Autoinc:
        return u"Autoinc"_s;
    case FieldType::Time:
        return u"Time"_s;
    case FieldType::Timestamp:
        return u"Timestamp"_s;
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return u"Memo"_s;
    case FieldType::BCD:
        return u"BCD"_s;
    case FieldType::Bytes:
        return u"Bytes"_s;
    default:
        return u"Blob"_s;
    }
}

QByteArray schemaText(const paradox::Schema &schema)
{
    QByteArray out;
    for (const paradox::FieldDef &f : schema.fields)
        out += f.name.toUtf8() + '\t' + typeName(int(f.type)).toUtf8() + '\t' + QByteArray::number(f.size) +
               '\n';
    out += "key\t" + QByteArray::number(schema.keyFields) + '\n';
    return out;
}

CsvWriter::CsvWriter(const paradox::Schema &schema)
    : m_schema(schema), m_offsets(paradox::format::fieldOffsets(schema))
{}

void CsvWriter::appendHeader(QByteArray &out) const
{
    for (qsizetype i = 0; i < m_schema.fields.size(); ++i) {
        if (i)
            out += ',';
        appendCell(out, m_schema.fields[i].name.toUtf8());
    }
}

void CsvWriter::appendRecord(QByteArray &out, const paradox::RowView &row)
{
    paradox::format::decodeRecordInto(m_schema.fields, m_offsets, row.raw().data(), m_values);
    for (qsizetype i = 0; i < m_values.size(); ++i) {
        if (i)
            out += ',';
        appendCell(out, cellText(m_schema.fields[i].type, m_values[i]));
    }
}

void writeCsv(paradox::RowCursor &rows, const Sink &sink)
{
    CsvWriter writer(rows.schema());
    QByteArray piece;
    piece.reserve(pieceSize + 4096);
    writer.appendHeader(piece);
    piece += "\r\n";
    while (rows.next()) {
        writer.appendRecord(piece, rows.row());
        piece += "\r\n";
        if (piece.size() >= pieceSize) {
            sink(piece);
            piece.resize(0); // keeps the capacity, unlike clear()
        }
    }
    sink(piece);
}

QByteArray csvText(const paradox::Table &table)
{
    QByteArray out;
    paradox::RowCursor rows = table.rows();
    writeCsv(rows, [&out](QByteArrayView piece) { out += piece; });
    return out;
}

} // namespace pxdump
