#pragma once

#include <QString>

#include <cstdint>

namespace platform {

// Byte-range locks on one open file, advisory and visible to every process
// and computer that locks the same file, including other handles of this
// process: on Linux they are open-file-description locks (each FileLock is
// its own owner, closing another descriptor of the file does not drop them,
// and they are passed on to NFS and SMB servers); on Windows LockFileEx.
// Ranges may lie far beyond the end of the file, which is where lock files
// put them, so that nothing stored in the file is ever covered.
class FileLock
{
public:
    enum class Kind
    {
        Shared,
        Exclusive
    };
    enum class Access
    {
        ReadWrite,
        ReadOnly
    };

    // A length that reaches to the end of any possible file.
    static constexpr std::int64_t ToInfinity = 0;

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;

    // Opens (and with create, creates) the file. Shared locks need only
    // ReadOnly access; exclusive ones need ReadWrite on Linux.
    bool open(const QString &path, Access access, bool create);
    bool isOpen() const;
    // Closing drops every lock held through this object.
    void close();
    const QString &path() const { return m_path; }

    bool tryLock(std::int64_t offset, std::int64_t length, Kind kind);
    // Waits up to timeoutMs for a conflicting lock to go away.
    bool lock(std::int64_t offset, std::int64_t length, Kind kind, int timeoutMs);
    bool unlock(std::int64_t offset, std::int64_t length);
    // Turns a lock held on exactly this range into the other kind. Linux
    // converts in place; Windows cannot, so the range is briefly unlocked
    // there. On failure the range is left unlocked on Windows and unchanged
    // on Linux, which callers treat alike by locking again.
    bool relock(std::int64_t offset, std::int64_t length, Kind kind, int timeoutMs);

    // True while the name still refers to the file held open. On Linux a lock
    // file can be deleted (and recreated by someone else) between our open and
    // our lock; a lock on an unlinked file protects nothing.
    bool isStillAt(const QString &path) const;

    // Last failure as text for messages (system wording).
    const QString &errorString() const { return m_error; }
    // True when the last failed lock call failed because someone else holds
    // a conflicting lock, false when the call itself failed.
    bool lastFailureWasConflict() const { return m_conflict; }

private:
    bool lockOnce(std::int64_t offset, std::int64_t length, Kind kind);

#ifdef _WIN32
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    QString m_path;
    QString m_error;
    bool m_conflict = false;
};

} // namespace platform
