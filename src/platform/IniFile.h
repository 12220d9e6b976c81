#pragma once

#include "platform/Error.h"
#include "platform/IniDocument.h"

#include <QString>
#include <QStringList>

namespace platform {

// One INI file on disk, used the way the Windows private-profile functions
// are: every call reads the file afresh and every write reads, changes and
// writes it back at once. So two programs that write the same file one after
// the other keep each other's keys, and the files stay interchangeable with
// installations on Windows (code page 1250, CRLF).
//
// A file that is missing or cannot be read reads as empty, so every read
// gives its default. Writes replace the file through a temporary file, so a
// crash never leaves half a file; a failed write throws platform::Error
// naming the file and the reason, and leaves the file as it was.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    QString readString(QStringView section, QStringView key, const QString &defaultValue = {}) const;

    // Like GetPrivateProfileInt: leading blanks, an optional sign, then
    // decimal digits or "0x"/"0X" and hexadecimal digits; whatever follows
    // the digits is ignored ("12 px" reads 12). A value without any digit or
    // beyond the range of int yields the default.
    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    // Any readable integer other than 0 is true.
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;

    bool sectionExists(QStringView section) const;
    bool valueExists(QStringView section, QStringView key) const;
    // Key names of the section in file order.
    QStringList readSection(QStringView section) const;
    QStringList readSections() const;

    // Characters outside code page 1250 are stored as '?'.
    void writeString(QStringView section, QStringView key, QStringView value);
    void writeInteger(QStringView section, QStringView key, int value);
    // "1" or "0".
    void writeBool(QStringView section, QStringView key, bool value);
    // Removing what does not exist succeeds without touching the file.
    void deleteKey(QStringView section, QStringView key);
    void eraseSection(QStringView section);

    // Parses an integer the way readInteger does; nothing when unreadable.
    static std::optional<int> parseInteger(QStringView text);

private:
    IniDocument load() const;
    // Reads for a change; fails when the file exists but cannot be read,
    // since writing then would wipe what it holds.
    IniDocument loadForWrite() const;
    void save(const IniDocument &doc) const;

    QString m_path;
};

// Runs writes that only spare the user a step next time (a window's place,
// the zoom, the last folder, the list's order): when the file cannot take
// them the program goes on without them and says nothing.
template <class Writes> void writeIfPossible(Writes &&writes)
{
    try {
        writes();
    } catch (const Error &) {
        // Nothing the user has to act on is lost.
    }
}

} // namespace platform
