#include "platform/FileLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// Polling keeps the wait bounded on every platform and file system; the
// blocking calls of both systems have no timeout.
bool waitStep(const QDeadlineTimer &deadline, int &sleepMs)
{
    if (deadline.hasExpired())
        return false;
    const qint64 left = deadline.remainingTime();
    QThread::msleep(static_cast<unsigned long>(qMin<qint64>(sleepMs, qMax<qint64>(left, 1))));
    sleepMs = qMin(sleepMs * 2, 50);
    return true;
}

} // namespace

FileLock::~FileLock()
{
    close();
}

FileLock::FileLock(FileLock &&other) noexcept
{
    *this = std::move(other);
}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        close();
#ifdef _WIN32
        m_handle = std::exchange(other.m_handle, nullptr);
#else
        m_fd = std::exchange(other.m_fd, -1);
#endif
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
        m_conflict = other.m_conflict;
    }
    return *this;
}

bool FileLock::lock(std::int64_t offset, std::int64_t length, Kind kind, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    int sleepMs = 1;
    for (;;) {
        if (lockOnce(offset, length, kind))
            return true;
        if (!m_conflict || !waitStep(deadline, sleepMs))
            return false;
    }
}

bool FileLock::relock(std::int64_t offset, std::int64_t length, Kind kind, int timeoutMs)
{
#ifdef _WIN32
    unlock(offset, length);
#endif
    return lock(offset, length, kind, timeoutMs);
}

bool FileLock::tryLock(std::int64_t offset, std::int64_t length, Kind kind)
{
    return lockOnce(offset, length, kind);
}

#ifdef _WIN32

namespace {

QString systemMessage(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text = n ? QString::fromWCharArray(buffer, static_cast<int>(n)).trimmed() : QString::number(code);
    LocalFree(buffer);
    return text;
}

void rangeOf(std::int64_t offset, std::int64_t length, OVERLAPPED &ov, DWORD &low, DWORD &high)
{
    ov = {};
    ov.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    const std::uint64_t len = length == FileLock::ToInfinity
                                  ? ~std::uint64_t(0) - static_cast<std::uint64_t>(offset)
                                  : static_cast<std::uint64_t>(length);
    low = static_cast<DWORD>(len & 0xFFFFFFFFu);
    high = static_cast<DWORD>(len >> 32);
}

} // namespace

bool FileLock::open(const QString &path, Access access, bool create)
{
    close();
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD desired = access == Access::ReadWrite ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    // No FILE_SHARE_DELETE: while anyone holds the lock file open, it cannot
    // be deleted, which is exactly the stale-lock rule.
    HANDLE h = CreateFileW(native.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_error = systemMessage(GetLastError());
        return false;
    }
    m_handle = h;
    m_path = path;
    return true;
}

bool FileLock::isOpen() const
{
    return m_handle != nullptr;
}

void FileLock::close()
{
    if (m_handle) {
        CloseHandle(static_cast<HANDLE>(m_handle));
        m_handle = nullptr;
    }
}

bool FileLock::lockOnce(std::int64_t offset, std::int64_t length, Kind kind)
{
    m_conflict = false;
    if (!m_handle) {
        m_error = QStringLiteral("soubor není otevřen");
        return false;
    }
    OVERLAPPED ov;
    DWORD low, high;
    rangeOf(offset, length, ov, low, high);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (kind == Kind::Exclusive)
        flags |= LOCKFILE_EXCLUSIVE_LOCK;
    if (LockFileEx(static_cast<HANDLE>(m_handle), flags, 0, low, high, &ov))
        return true;
    const DWORD code = GetLastError();
    m_conflict = code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING || code == ERROR_SHARING_VIOLATION;
    m_error = systemMessage(code);
    return false;
}

bool FileLock::unlock(std::int64_t offset, std::int64_t length)
{
    if (!m_handle)
        return false;
    OVERLAPPED ov;
    DWORD low, high;
    rangeOf(offset, length, ov, low, high);
    if (UnlockFileEx(static_cast<HANDLE>(m_handle), 0, low, high, &ov))
        return true;
    m_error = systemMessage(GetLastError());
    return false;
}

bool FileLock::isStillAt(const QString &) const
{
    // Opened without FILE_SHARE_DELETE, the file cannot go away under us.
    return m_handle != nullptr;
}

#else

namespace {

QString systemMessage(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

bool FileLock::open(const QString &path, Access access, bool create)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    const int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    auto openWith = [&](int extra) {
        int fd;
        do {
            fd = ::open(native.constData(), flags | extra, 0666);
        } while (fd < 0 && errno == EINTR);
        return fd;
    };
    int fd = -1;
    // A stale-lock cleanup in another process may delete an existing file
    // between the exclusive create and the plain open: then the create is
    // tried again rather than the open refused.
    for (int attempt = 0; attempt < 100; ++attempt) {
        fd = create ? openWith(O_CREAT | O_EXCL) : -1;
        if (fd >= 0) {
            // Every user of a shared directory must be able to lock the file
            // exclusively, which needs write access; the umask of whoever
            // happened to create it must not take that away from the others.
            ::fchmod(fd, 0666);
            break;
        }
        fd = openWith(create && errno != EEXIST ? O_CREAT : 0);
        if (fd >= 0 || !create || errno != ENOENT)
            break;
    }
    if (fd < 0) {
        m_error = systemMessage(errno);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool FileLock::isOpen() const
{
    return m_fd >= 0;
}

void FileLock::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool FileLock::lockOnce(std::int64_t offset, std::int64_t length, Kind kind)
{
    m_conflict = false;
    if (m_fd < 0) {
        m_error = QStringLiteral("soubor není otevřen");
        return false;
    }
    struct flock fl = {};
    fl.l_type = kind == Kind::Exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    int rc;
    do {
        rc = ::fcntl(m_fd, F_OFD_SETLK, &fl);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return true;
    m_conflict = errno == EAGAIN || errno == EACCES;
    m_error = systemMessage(errno);
    return false;
}

bool FileLock::unlock(std::int64_t offset, std::int64_t length)
{
    if (m_fd < 0)
        return false;
    struct flock fl = {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    if (::fcntl(m_fd, F_OFD_SETLK, &fl) == 0)
        return true;
    m_error = systemMessage(errno);
    return false;
}

bool FileLock::isStillAt(const QString &path) const
{
    if (m_fd < 0)
        return false;
    struct stat held = {};
    struct stat named = {};
    if (::fstat(m_fd, &held) != 0 || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino && held.st_nlink > 0;
}

#endif

} // namespace platform
