#include "platform/FileOps.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform::FileOps {
namespace {

#ifdef Q_OS_WIN
constexpr bool Windows = true;
#else
constexpr bool Windows = false;
#endif

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Length of the drive prefix without its separator: "C:" 2, "\\srv\share"
// its length, 0 when there is none.
qsizetype driveLength(const QString &path)
{
    if (path.size() >= 2 && isLetter(path[0]) && path[1] == u':')
        return 2;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        qsizetype i = 2;
        int parts = 0;
        while (i < path.size() && parts < 2) {
            const qsizetype start = i;
            while (i < path.size() && !isSeparator(path[i]))
                ++i;
            if (i == start)
                return 0;
            ++parts;
            if (parts < 2 && i < path.size())
                ++i;
        }
        return parts == 2 ? i : 0;
    }
    return 0;
}

QString joinNative(const QString &dir, const QString &name)
{
    if (dir.isEmpty())
        return name;
    if (dir.endsWith(QDir::separator()))
        return dir + name;
    return dir + QDir::separator() + name;
}

} // namespace

bool isSeparator(QChar c) noexcept
{
    return c == u'\\' || c == u'/';
}

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        if (isSeparator(c) || c == u':' || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString withTrailingSeparator(const QString &path)
{
    if (path.isEmpty() || isSeparator(path.back()))
        return path;
    return path + u'\\';
}

QString withoutTrailingSeparator(const QString &path)
{
    QString out = path;
    while (out.size() > 1 && isSeparator(out.back()))
        out.chop(1);
    return out;
}

QString directoryOf(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isSeparator(path.at(i)))
            return path.left(i + 1);
    }
    return {};
}

QString parentOf(const QString &dir)
{
    return directoryOf(withoutTrailingSeparator(dir));
}

QString driveRoot(const QString &path)
{
    const qsizetype n = driveLength(path);
    if (n > 0)
        return path.left(n) + u'\\';
    if (!Windows && path.startsWith(u'/'))
        return QStringLiteral("/");
    return {};
}

bool hasDrive(const QString &path)
{
    return !driveRoot(path).isEmpty();
}

QString nativePath(const QString &path)
{
    if (Windows)
        return QDir::toNativeSeparators(path);
    QString rest = path;
    const bool drive = path.size() >= 2 && isLetter(path[0]) && path[1] == u':';
    if (drive) {
        rest = path.mid(2);
        if (rest.isEmpty() || !isSeparator(rest.front()))
            rest.prepend(u'/');
    }
    rest.replace(u'\\', u'/');
    // "a\\b" written by careless concatenation is the same path as "a\b".
    QString out;
    out.reserve(rest.size());
    for (const QChar c : rest) {
        if (c == u'/' && out.endsWith(u'/'))
            continue;
        out.append(c);
    }
    return out;
}

QString findFile(const QString &dir, const QString &name)
{
    const QString nativeDir = nativePath(dir);
    const QDir d(nativeDir.isEmpty() ? QStringLiteral(".") : nativeDir);
    const QString joined = joinNative(nativeDir, name);
    if (Windows || QFileInfo::exists(joined))
        return joined;
    const QStringList entries =
        d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return nativeDir.isEmpty() ? entry : d.filePath(entry);
    }
    return joined;
}

QString resolve(const QString &path)
{
    const QString native = nativePath(path);
    if (Windows || native.isEmpty() || QFileInfo::exists(native))
        return native;
    const bool absolute = native.startsWith(u'/');
    const bool trailing = native.size() > 1 && native.endsWith(u'/');
    const QStringList parts = native.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    bool missing = false;
    for (const QString &part : parts) {
        QString next;
        if (!missing && part != u"." && part != u"..")
            next = findFile(current, part);
        else
            next = joinNative(current, part);
        if (!missing && !QFileInfo::exists(next))
            missing = true;
        current = next;
    }
    if (trailing && !current.endsWith(u'/'))
        current += u'/';
    return current;
}

bool fileExists(const QString &path)
{
    const QFileInfo info(resolve(path));
    return info.exists() && !info.isDir();
}

bool dirExists(const QString &path)
{
    return QFileInfo(resolve(path)).isDir();
}

bool copyFile(const QString &source, const QString &target, bool overwrite)
{
    // Through a temporary file beside the target: a full disk or a failed
    // read never leaves a cut copy where a whole file was.
    const QString to = resolve(target);
    if (!overwrite && QFileInfo::exists(to))
        return false;
    QFile in(resolve(source));
    if (!in.open(QIODevice::ReadOnly))
        return false;
    AtomicFile out(to);
    if (!out.open())
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if ((chunk.isEmpty() && in.error() != QFileDevice::NoError) || !out.write(chunk))
            return false;
    }
    return in.error() == QFileDevice::NoError && out.commit();
}

bool deleteFile(const QString &path)
{
    const QString native = resolve(path);
    return !QFileInfo(native).isDir() && QFile::remove(native);
}

bool createEmptyFile(const QString &path)
{
    QFile file(resolve(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool createDir(const QString &path)
{
    const QString native = withoutTrailingSeparator(resolve(path));
    return QDir().mkdir(native);
}

bool forceDirectories(const QString &path)
{
    const QString native = resolve(path);
    return !native.isEmpty() && QDir().mkpath(native);
}

bool removeDir(const QString &path)
{
    return QDir().rmdir(withoutTrailingSeparator(resolve(path)));
}

QString currentDir()
{
    return withTrailingSeparator(QDir::toNativeSeparators(QDir::currentPath()));
}

bool setCurrentDir(const QString &path)
{
    return QDir::setCurrent(resolve(path));
}

} // namespace platform::FileOps
