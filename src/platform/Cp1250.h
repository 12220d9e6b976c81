#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace platform {

// Windows code page 1250 (Central European), the encoding of every text the
// program stores: INI files, table fields, exported files.
//
// The five bytes the code page leaves undefined (0x81, 0x83, 0x88, 0x90,
// 0x98) decode to the C1 control characters of the same value, as Windows'
// own MultiByteToWideChar does, so that any byte string survives a round trip
// through QString unchanged.
namespace Cp1250 {

// Code point of one byte.
char16_t toUnicode(unsigned char byte) noexcept;

// Byte of one UTF-16 unit, or -1 when the code page has no such character.
int fromUnicode(char16_t unit) noexcept;

QString decode(const char *data, qsizetype size);
QString decode(const QByteArray &bytes);

// Decodes into an existing string, reusing its buffer; the table engine calls
// this for every text field it reads.
void decodeInto(const char *data, qsizetype size, QString &out);

// Characters the code page lacks become '?'; ok (when given) tells whether
// there was any.
QByteArray encode(QStringView text, bool *ok = nullptr);

// Whether every character of text has a byte in the code page.
bool canEncode(QStringView text) noexcept;

// The first character of text that the code page lacks, or an empty view.
QStringView firstUnencodable(QStringView text) noexcept;

} // namespace Cp1250
} // namespace platform
