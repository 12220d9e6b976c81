#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

#include <climits>

using namespace Qt::Literals::StringLiterals;

namespace platform {
namespace {

// No settings file comes near this; a larger one is something else and is
// not read into memory.
constexpr qint64 MaxFileSize = 8 * 1024 * 1024;

enum class LoadResult
{
    Ok,
    Missing,
    Failed
};

LoadResult readFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return LoadResult::Failed;
    bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize || file.error() != QFileDevice::NoError)
        return LoadResult::Failed;
    return LoadResult::Ok;
}

int digitValue(QChar c, int base)
{
    int v = -1;
    if (c >= u'0' && c <= u'9')
        v = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c.unicode() - u'A' + 10;
    return v < base ? v : -1;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

IniDocument IniFile::load() const
{
    QByteArray bytes;
    if (readFile(m_path, bytes) != LoadResult::Ok)
        return {};
    return IniDocument::fromBytes(bytes);
}

IniDocument IniFile::loadForWrite() const
{
    QByteArray bytes;
    switch (readFile(m_path, bytes)) {
    case LoadResult::Ok:
        return IniDocument::fromBytes(bytes);
    case LoadResult::Missing:
        return {};
    case LoadResult::Failed:
        break;
    }
    throw Error(u"Soubor %1 nelze přečíst."_s.arg(m_path));
}

void IniFile::save(const IniDocument &doc) const
{
    // Replacing a write-protected file through a temporary copy would
    // succeed here; Windows refuses to write it, and so do we.
    AtomicFile file(m_path);
    // A writable file in a directory that is not (a shared folder set up
    // that way) is written in place, as Windows would.
    file.setDirectWriteFallback(true);
    if (!file.open() || !file.write(doc.toBytes()) || !file.commit())
        throw Error(Error::withReason(u"Do souboru %1 nelze zapisovat."_s.arg(m_path), file.reason()));
}

QString IniFile::readString(QStringView section, QStringView key, const QString &defaultValue) const
{
    return load().value(section, key).value_or(defaultValue);
}

std::optional<int> IniFile::parseInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        digitValue(text[i + 2], 16) >= 0) {
        base = 16;
        i += 2;
    }
    const qint64 limit = base == 16 ? qint64(0xFFFFFFFF) : qint64(0x80000000);
    qint64 value = 0;
    const qsizetype first = i;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0)
            break;
        value = value * base + d;
        if (value > limit)
            return std::nullopt;
    }
    if (i == first)
        return std::nullopt;
    if (negative)
        value = -value;
    // Hexadecimal values fill all 32 bits, as "0xFFFFFFFF" is -1 on Windows.
    if (base == 16 && !negative && value > qint64(0x7FFFFFFF) && value <= qint64(0xFFFFFFFF))
        value -= qint64(0x100000000);
    if (value < qint64(INT_MIN) || value > qint64(INT_MAX))
        return std::nullopt;
    return int(value);
}

int IniFile::readInteger(QStringView section, QStringView key, int defaultValue) const
{
    const auto text = load().value(section, key);
    if (!text)
        return defaultValue;
    return parseInteger(*text).value_or(defaultValue);
}

bool IniFile::readBool(QStringView section, QStringView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::sectionExists(QStringView section) const
{
    return load().hasSection(section);
}

bool IniFile::valueExists(QStringView section, QStringView key) const
{
    return load().value(section, key).has_value();
}

QStringList IniFile::readSection(QStringView section) const
{
    return load().keys(section);
}

QStringList IniFile::readSections() const
{
    return load().sections();
}

void IniFile::writeString(QStringView section, QStringView key, QStringView value)
{
    IniDocument doc = loadForWrite();
    doc.setValue(section, key, value);
    save(doc);
}

void IniFile::writeInteger(QStringView section, QStringView key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(QStringView section, QStringView key, bool value)
{
    writeString(section, key, value ? u"1" : u"0");
}

void IniFile::deleteKey(QStringView section, QStringView key)
{
    IniDocument doc = loadForWrite();
    if (doc.removeKey(section, key))
        save(doc);
}

void IniFile::eraseSection(QStringView section)
{
    IniDocument doc = loadForWrite();
    if (doc.removeSection(section))
        save(doc);
}

} // namespace platform
