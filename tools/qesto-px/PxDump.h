#pragma once

#include <QByteArray>
#include <QString>

namespace paradox {
class Table;
}

// The two listings of the support tool, kept apart from main() so that the
// tests can compare them with reference output.
namespace pxdump {

QString typeName(int fieldType);
// "name<TAB>type<TAB>size" per field, then "key<TAB>k"; lines end with "\n".
QByteArray schemaText(const paradox::Table &table);
// RFC 4180 CSV in UTF-8: a header of field names, then one line per record.
QByteArray csvText(const paradox::Table &table);

} // namespace pxdump
