#pragma once

#include <QString>

// File operations on paths in the form the program stores them: "\" as the
// separator (as written by installations on Windows), "/" accepted too, and
// an optional drive ("C:", "\\server\share"). On Linux a drive letter stands
// for the root "/", and a path that begins with "/" counts as having a drive.
// Each operation maps its path with resolve() first, so data copied from
// Windows, whose file names differ only in letter case, are still found.
namespace platform::FileOps {

bool isSeparator(QChar c) noexcept;
// A single file or directory name as read from another program's list:
// not empty, not "." or "..", without a separator or drive colon. Anything
// else could lead outside the directory it is joined to.
bool isPlainName(const QString &name);
// Appends "\" unless the path is empty or already ends with a separator.
QString withTrailingSeparator(const QString &path);
QString withoutTrailingSeparator(const QString &path);
// The directory part of a stored path with its separator; empty when the
// path names no directory.
QString directoryOf(const QString &path);
// The directory that contains dir, with its separator; empty when dir is a
// root or has no parent part.
QString parentOf(const QString &dir);

// The drive with its separator ("C:\", "\\server\share\", on Linux "/" for
// an absolute path), or empty when the path has none.
QString driveRoot(const QString &path);
bool hasDrive(const QString &path);

// The path as the operating system wants it: on Linux every "\" becomes
// "/", a drive letter becomes the root; on Windows "/" becomes "\".
QString nativePath(const QString &path);

// nativePath() with each part that exists spelled as on disk, so that
// "Data\VERZE.INI" finds "data/Verze.ini" on a case-sensitive file system.
// Parts that do not exist are kept as given.
QString resolve(const QString &path);

// The existing file or directory of that name in dir regardless of letter
// case, else dir joined with name.
QString findFile(const QString &dir, const QString &name);

bool fileExists(const QString &path);
bool dirExists(const QString &path);

// Copies a file. Without overwrite an existing target makes it fail.
bool copyFile(const QString &source, const QString &target, bool overwrite);
bool deleteFile(const QString &path);
// Creates an empty file, truncating an existing one.
bool createEmptyFile(const QString &path);

// One level; the parent must exist.
bool createDir(const QString &path);
// The whole path; succeeds when the directory exists afterwards.
bool forceDirectories(const QString &path);
// Only an empty directory is removed.
bool removeDir(const QString &path);

QString currentDir();
bool setCurrentDir(const QString &path);

} // namespace platform::FileOps
