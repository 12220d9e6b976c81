#include "platform/StaleLocks.h"

#include "platform/FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

QString findFileNoCase(const QString &dir, const QString &name)
{
    const QDir d(dir);
    // The exact name first: cheap, and the only answer on Windows.
    if (QFileInfo::exists(d.filePath(name)))
        return d.filePath(name);
    const QStringList entries = d.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return d.filePath(entry);
    }
    return {};
}

bool removeStaleLockFiles(const QString &dir)
{
    const QString users = findFileNoCase(dir, QStringLiteral("Pdoxusrs.lck"));
    if (users.isEmpty())
        return false;

#ifdef _WIN32
    // Every user opens the file without delete sharing, so the deletion
    // itself fails while anyone has it open.
    if (!QFile::remove(users))
        return false;
#else
    // Deleting an open file succeeds here; an exclusive lock over the whole
    // file first proves that nobody holds any lock in it. Keeping the lock
    // across the unlink makes a user that opened the file a moment earlier
    // wait, then notice that the name has gone and start again.
    FileLock probe;
    if (!probe.open(users, FileLock::Access::ReadWrite, false))
        return false;
    if (!probe.tryLock(0, FileLock::ToInfinity, FileLock::Kind::Exclusive))
        return false;
    if (!probe.isStillAt(users) || !QFile::remove(users))
        return false;
    probe.close();
#endif

    const QString directory = findFileNoCase(dir, QStringLiteral("Paradox.lck"));
    if (!directory.isEmpty())
        QFile::remove(directory);
    return true;
}

} // namespace platform
