// INI parsing and changing on arbitrary bytes: no crash, a stable round trip,
// and every written value reads back as the private-profile rules say.

#include "platform/Cp1250.h"
#include "platform/IniDocument.h"
#include "platform/IniFile.h"

#include "FuzzCheck.h"

#include <cstdint>
#include <cstdlib>

using platform::IniDocument;

namespace {

bool usableName(const QString &name, QStringView forbidden)
{
    if (name.trimmed().isEmpty())
        return false;
    for (const QChar c : name) {
        if (c == u'\r' || c == u'\n' || forbidden.contains(c))
            return false;
    }
    return true;
}

QString trimBlanks(QString s)
{
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove(0, 1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    return s;
}

} // namespace

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc = IniDocument::fromBytes(bytes);
    check(IniDocument::fromBytes(doc.toBytes()).lines() == doc.lines());

    for (const QString &section : doc.sections()) {
        for (const QString &key : doc.keys(section)) {
            const auto value = doc.value(section, key);
            check(value.has_value() && value->size() <= IniDocument::MaxValueLength);
            platform::IniFile::parseInteger(*value);
        }
    }

    // The first three lines name a section, a key and a value to write.
    const QStringList lines = doc.lines();
    if (lines.size() < 3)
        return 0;
    const QString section = lines[0];
    const QString key = lines[1];
    const QString value = lines[2];
    if (!usableName(section, u"[]") || !usableName(key, u"=;["))
        return 0;
    doc.setValue(section, key, value);
    const IniDocument reread = IniDocument::fromBytes(doc.toBytes());
    QString expected = trimBlanks(value);
    if (expected.size() >= 2 && (expected.front() == u'"' || expected.front() == u'\'') &&
        expected.back() == expected.front())
        expected = expected.mid(1, expected.size() - 2);
    expected = expected.left(IniDocument::MaxValueLength);
    check(reread.value(section, key) == expected);
    return 0;
}
