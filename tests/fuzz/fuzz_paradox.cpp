// The table reader on arbitrary bytes: headers, block chains, field values
// and index headers must give TableError or a result, never a crash, a hang
// or an allocation the input asks for.
#include "paradox/Error.h"
#include "paradox/Format.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString name = QStringLiteral("Fuzz.DB");
    try {
        paradox::format::readImage(bytes, name);
    } catch (const paradox::TableError &) {
    }
    // The same bytes as an index or secondary file's header.
    try {
        paradox::format::parseHeader(bytes.constData(), bytes.size(), bytes.size(), name);
    } catch (const paradox::TableError &) {
    }
    return 0;
}
