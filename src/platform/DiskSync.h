#pragma once

#include <QString>

class QFileDevice;

// Forcing written data out of the system's cache onto the disk, so that a
// change counted as done survives a power cut, and replacing one file by
// another in a single step. Every function returns false with the Czech
// reason in *reason when it fails (the caller names the file, which it knows
// best: a temporary file is not what the user asked for); reason may be null.
namespace platform::DiskSync {

// False when the environment variable QESTO_NO_DISK_FLUSH is set to 1: the
// flushes then succeed at once. For test runs and throwaway data only; a
// power cut can then lose or damage what was written.
bool enabled();

// The data (and size) of an open file. Qt's own buffer is written first.
bool flushFile(QFileDevice &file, QString *reason = nullptr);
// The same for a file by its path; a missing file fails.
bool flushFile(const QString &path, QString *reason = nullptr);
// The directory's entries: a file just created, renamed or removed in it is
// not safe from a power cut before its directory is flushed too. Windows
// keeps directory entries in its own journal; there it succeeds at once.
bool flushDirectory(const QString &dir, QString *reason = nullptr);
// Gives from the name to, replacing a file already there in one step, so
// that a reader finds the old file or the new one and never neither.
bool replaceFile(const QString &from, const QString &to, QString *reason = nullptr);

} // namespace platform::DiskSync
