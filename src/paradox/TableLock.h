#pragma once

#include <QString>

#include <memory>

namespace paradox {

enum class OpenMode
{
    Shared,
    Exclusive
};

class TableLockPrivate;

// An open of one table, visible to every other handle, process and computer
// that works with the same directory. A shared open tolerates other shared
// opens; an exclusive open tolerates none. Writes and re-reads are bracketed
// by short-lived guards so that a reader never sees half of a change.
class TableLock
{
public:
    // Throws TableError(TableError::Kind::InUse, Czech message naming the table) when another handle,
    // process or computer holds a conflicting open.
    static std::unique_ptr<TableLock> acquire(const QString &dbFilePath, OpenMode mode,
                                              const QString &netDir = {});
    ~TableLock();

    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;

    // Held for the duration of one write (exclusive) or one re-read (shared).
    // Move-only; releases on destruction.
    class Guard
    {
    public:
        Guard() = default;
        Guard(Guard &&other) noexcept;
        Guard &operator=(Guard &&other) noexcept;
        ~Guard();
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;

        bool isHeld() const { return m_lock != nullptr; }
        void release();

    private:
        friend class TableLock;
        Guard(TableLock *lock, bool write) : m_lock(lock), m_write(write) {}
        TableLock *m_lock = nullptr;
        bool m_write = false;
    };

    // Both wait a bounded time for the other side and throw TableError(InUse)
    // when it does not let go.
    Guard lockForWrite(); // exclusive across processes while one change is written
    Guard lockForRead();  // shared, while the table's blocks are re-read

    // How long lockForWrite/lockForRead wait for other holders (default 5 s).
    void setGuardTimeout(int milliseconds);

    OpenMode mode() const;
    const QString &filePath() const;

private:
    explicit TableLock(std::unique_ptr<TableLockPrivate> d);
    void releaseGuard(bool write);

    std::unique_ptr<TableLockPrivate> d;
};

} // namespace paradox
