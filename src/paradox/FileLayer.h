#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace paradox {

// The file operations through which the engine reads a table's files and
// copies, renames and removes them. The default works on the disk; a table
// opened with another layer in its OpenOptions goes through that one, which
// is how the tests make a read or one step of a copy fail the way a network
// drive's hiccup or a permission changed for a moment would.
//
// Writing a table's blocks, its index and its journal goes straight to the
// disk: those writes are guarded by the journal, not by this layer, which is
// only told of each of them first (beforeWrite).
class FileLayer
{
public:
    FileLayer() = default;
    virtual ~FileLayer() = default;
    FileLayer(const FileLayer &) = delete;
    FileLayer &operator=(const FileLayer &) = delete;

    // Opens file (its name already set) for reading. False with the
    // system's reason in error when it cannot be opened.
    virtual bool openForReading(QFile &file, QString &error) const;
    // Each returns false with the system's reason in error when it failed.
    // copy() and rename() refuse an existing target.
    virtual bool copy(const QString &from, const QString &to, QString &error) const;
    virtual bool rename(const QString &from, const QString &to, QString &error) const;
    virtual bool remove(const QString &path, QString &error) const;
    // Told before the engine writes or removes one of a table's own files
    // (its journal, the .DB, its index). False stops the change there with
    // the reason in error, as a failed write would; the disk never refuses.
    virtual bool beforeWrite(const QString &path, QString &error) const;

    // The whole file through openForReading(). Throws TableError(Unreadable)
    // "Tabulku <displayName> nelze otevřít: <reason>".
    QByteArray readAll(const QString &path, const QString &displayName) const;

    // The disk itself.
    static const FileLayer &disk();
};

} // namespace paradox
