#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// The text of one INI file held as its lines, read and changed the way the
// Windows private-profile functions do it: sections and keys compared without
// regard to letter case, the first of duplicate sections or keys wins, and a
// change touches only the line concerned so comments and unknown lines stay.
class IniDocument
{
public:
    // Longest value a reader gets, as with a 1024-character buffer.
    static constexpr qsizetype MaxValueLength = 1023;

    IniDocument() = default;

    // Bytes in code page 1250 with CRLF, LF or CR line ends.
    static IniDocument fromBytes(const QByteArray &bytes);
    // Code page 1250 with CRLF after every line.
    QByteArray toBytes() const;

    // The trimmed value without one pair of surrounding quotes, cut to
    // MaxValueLength; nothing when the section or key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    bool hasSection(QStringView section) const;
    QStringList keys(QStringView section) const;
    QStringList sections() const;

    // Replaces the key's line, or adds the key at the end of its section, or
    // adds the section at the end of the file. Line breaks in the value become
    // blanks since a value cannot span lines.
    void setValue(QStringView section, QStringView key, QStringView value);
    // Returns whether there was anything to remove.
    bool removeKey(QStringView section, QStringView key);
    bool removeSection(QStringView section);

    const QStringList &lines() const { return m_lines; }

private:
    // Index of the section's header line, or -1.
    qsizetype findSection(QStringView section) const;
    // First line after the section's header that belongs to the next one.
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, QStringView key) const;

    QStringList m_lines;
};

} // namespace platform
