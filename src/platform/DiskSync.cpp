#include "platform/DiskSync.h"

#include "platform/FileOps.h"
#include "platform/SystemError.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace platform::DiskSync {
namespace {

#ifdef _WIN32
constexpr int missingCode = int(ERROR_FILE_NOT_FOUND);
#else
constexpr int missingCode = ENOENT;
#endif

bool fail(QString *reason, int code)
{
    if (reason)
        *reason = SystemError::reason(code);
    return false;
}

#ifndef _WIN32
int syncDescriptor(int fd)
{
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}
#endif

} // namespace

bool enabled()
{
    static const bool on = qEnvironmentVariableIntValue("QESTO_NO_DISK_FLUSH") != 1;
    return on;
}

bool flushFile(QFileDevice &file, QString *reason)
{
    const QString path = file.fileName();
    if (!file.isOpen()) {
        if (reason)
            *reason = u"Soubor není otevřen."_s;
        return false;
    }
    if (!file.flush()) {
        if (reason)
            *reason = SystemError::translate(file.errorString());
        return false;
    }
    if (!enabled())
        return true;
    const int fd = file.handle();
    if (fd < 0)
        return flushFile(path, reason);
#ifdef _WIN32
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE || !FlushFileBuffers(h))
        return fail(reason, int(GetLastError()));
#else
    if (const int code = syncDescriptor(fd))
        return fail(reason, code);
#endif
    return true;
}

bool flushFile(const QString &path, QString *reason)
{
    const QString native = FileOps::resolve(path);
    if (!enabled())
        return QFileInfo::exists(native) || fail(reason, missingCode);
#ifdef _WIN32
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail(reason, int(GetLastError()));
    const bool ok = FlushFileBuffers(h);
    const DWORD code = ok ? 0 : GetLastError();
    CloseHandle(h);
    return ok || fail(reason, int(code));
#else
    // Read access is enough for fsync, and keeps a read-only file flushable.
    const int fd = ::open(QFile::encodeName(native).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(reason, errno);
    const int code = syncDescriptor(fd);
    ::close(fd);
    return code == 0 || fail(reason, code);
#endif
}

bool flushDirectory(const QString &dir, QString *reason)
{
    if (!enabled())
        return true;
#ifdef _WIN32
    Q_UNUSED(dir);
    Q_UNUSED(reason);
    return true;
#else
    const QString native = FileOps::resolve(dir.isEmpty() ? u"."_s : dir);
    const int fd = ::open(QFile::encodeName(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(reason, errno);
    int code = syncDescriptor(fd);
    ::close(fd);
    // Some file systems (network shares among them) cannot flush a
    // directory at all; their entries are as safe as they will ever be.
    if (code == EINVAL || code == ENOTSUP || code == EBADF)
        code = 0;
    return code == 0 || fail(reason, code);
#endif
}

bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    const QString source = FileOps::resolve(from);
    const QString target = FileOps::resolve(to);
#ifdef _WIN32
    if (!MoveFileExW(reinterpret_cast<const wchar_t *>(source.utf16()),
                     reinterpret_cast<const wchar_t *>(target.utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(reason, int(GetLastError()));
#else
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(reason, errno);
#endif
    return true;
}

} // namespace platform::DiskSync
