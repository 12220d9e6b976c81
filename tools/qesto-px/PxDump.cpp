#include "PxDump.h"

#include "paradox/Table.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <charconv>

using namespace Qt::StringLiterals;
using paradox::FieldType;

namespace pxdump {

namespace {

// Shortest text that reads back to the same double.
QByteArray numberText(double v)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QByteArray(buf, res.ptr - buf);
}

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

} // namespace

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

QByteArray schemaText(const paradox::Table &table)
{
    QByteArray out;
    for (const paradox::FieldDef &f : table.schema().fields)
        out += f.name.toUtf8() + '\t' + typeName(int(f.type)).toUtf8() + '\t' + QByteArray::number(f.size) +
               '\n';
    out += "key\t" + QByteArray::number(table.schema().keyFields) + '\n';
    return out;
}

QByteArray csvText(const paradox::Table &table)
{
    const auto &fields = table.schema().fields;
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        appendCell(out, fields[i].name.toUtf8());
    }
    out += "\r\n";
    for (int r = 0; r < table.recordCount(); ++r) {
        for (int i = 0; i < int(fields.size()); ++i) {
            if (i)
                out += ',';
            appendCell(out, cellText(fields[i].type, table.value(r, i)));
        }
        out += "\r\n";
    }
    return out;
}

} // namespace pxdump
