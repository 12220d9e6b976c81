#include "paradox/TableLock.h"

#include "paradox/Error.h"
#include "platform/FileLock.h"
#include "platform/StaleLocks.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

namespace paradox {

using platform::FileLock;

namespace {

// Every lock lives far beyond the end of the lock file, so the file can stay
// empty (or keep whatever another engine wrote into it) and nothing that
// reads it is ever blocked. Offsets stay below 2^31 for file systems and
// servers with 32-bit lock offsets.
constexpr std::int64_t PresenceByte = 0x40000000;
constexpr std::int64_t SlotCount = std::int64_t(1) << 24;
constexpr std::int64_t OpenBase = PresenceByte + 0x1000;
constexpr std::int64_t WriteBase = OpenBase + SlotCount;

// How long an open waits for a conflicting holder before reporting the table
// as in use: the in-use test of another computer holds a table exclusively
// only for a moment, a real user holds it for minutes.
constexpr int SharedOpenWaitMs = 1000;
constexpr int ExclusiveOpenWaitMs = 250;
// A stale-lock cleanup holds the whole lock file only while it deletes it.
constexpr int PresenceWaitMs = 3000;
// One change or one re-read takes milliseconds; a holder that takes longer
// is stuck, and the user gets a message instead of a frozen window.
constexpr int GuardWaitMs = 5000;

const QString UsersFileName = QStringLiteral("Pdoxusrs.lck");
const QString NetFileName = QStringLiteral("Pdoxusrs.net");

// FNV-1a over the upper-cased name in UTF-8: stable across runs, processes,
// platforms and versions, unlike qHash. Two tables that share a slot only
// ever see a false "in use" or wait for each other's writes; a table never
// misses a real conflict with itself.
std::int64_t slotOf(const QString &tableName)
{
    std::uint32_t h = 2166136261u;
    const QByteArray bytes = tableName.toUpper().toUtf8();
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return static_cast<std::int64_t>(h % static_cast<std::uint32_t>(SlotCount));
}

QString inUseMessage(const QString &fileName)
{
    return QStringLiteral("Tabulku %1 právě používá jiný uživatel nebo program.").arg(fileName);
}

// Opens the lock file called name in dir and takes the shared presence lock
// in it. A cleanup in another process may delete the file between our open
// and our lock; the name is checked again once the lock is held, and a lock
// on a file that has gone is thrown away and the whole step repeated.
// Returns false (with the reason in error) when no lock file can be had;
// readOnlyOk tells whether a read-only file is good enough.
bool openPresence(FileLock &file, const QString &dir, const QString &name, bool readOnlyOk, QString &error)
{
    const QDeadlineTimer deadline(PresenceWaitMs);
    for (;;) {
        QString path = platform::findFileNoCase(dir, name);
        if (path.isEmpty())
            path = QDir(dir).filePath(name);
        if (!file.open(path, FileLock::Access::ReadWrite, true)) {
            error = file.errorString();
            if (!readOnlyOk || !file.open(path, FileLock::Access::ReadOnly, false))
                return false;
        }
        if (!file.lock(PresenceByte, 1, FileLock::Kind::Shared,
                       static_cast<int>(qMax<qint64>(deadline.remainingTime(), 0)))) {
            error = file.errorString();
            file.close();
            return false;
        }
        if (file.isStillAt(path))
            return true;
        file.close();
        if (deadline.hasExpired()) {
            error =
                QStringLiteral("zamykací soubor %1 byl opakovaně smazán").arg(QDir::toNativeSeparators(path));
            return false;
        }
    }
}

} // namespace

class TableLockPrivate
{
public:
    QString filePath;
    QString fileName;
    OpenMode mode = OpenMode::Shared;
    FileLock users;
    FileLock net;
    std::int64_t openByte = 0;
    std::int64_t writeByte = 0;
    bool lockable = true;
    int guardWaitMs = GuardWaitMs;
    int readers = 0;
    int writers = 0;
};

std::unique_ptr<TableLock> TableLock::acquire(const QString &dbFilePath, OpenMode mode, const QString &netDir)
{
    auto d = std::make_unique<TableLockPrivate>();
    const QFileInfo info(dbFilePath);
    d->filePath = info.absoluteFilePath();
    d->fileName = info.fileName();
    d->mode = mode;
    const std::int64_t slot = slotOf(info.completeBaseName());
    d->openByte = OpenBase + slot;
    d->writeByte = WriteBase + slot;

    // The network control file only marks the data root as used by this
    // process; a data root that cannot hold it (read-only, unreachable for a
    // moment) does not stop work in the table's own directory.
    if (!netDir.isEmpty()) {
        QString ignored;
        openPresence(d->net, netDir, NetFileName, true, ignored);
    }

    QString error;
    const bool shared = mode == OpenMode::Shared;
    if (!openPresence(d->users, info.absolutePath(), UsersFileName, shared, error)) {
        if (d->users.lastFailureWasConflict())
            throw TableError(TableError::Kind::InUse, inUseMessage(d->fileName));
        if (!shared || QFileInfo(info.absolutePath()).isWritable()) {
            throw TableError(
                TableError::Kind::Unreadable,
                QStringLiteral("Tabulku %1 nelze otevřít: nelze použít zamykací soubor v adresáři %2 (%3).")
                    .arg(d->fileName, QDir::toNativeSeparators(info.absolutePath()), error));
        }
        // A read-only directory without a lock file (a CD, a write-protected
        // share): nobody can change the table there, so reading needs no lock.
        d->lockable = false;
        return std::unique_ptr<TableLock>(new TableLock(std::move(d)));
    }

    const FileLock::Kind kind = shared ? FileLock::Kind::Shared : FileLock::Kind::Exclusive;
    if (!d->users.lock(d->openByte, 1, kind, shared ? SharedOpenWaitMs : ExclusiveOpenWaitMs)) {
        if (d->users.lastFailureWasConflict())
            throw TableError(TableError::Kind::InUse, inUseMessage(d->fileName));
        throw TableError(
            TableError::Kind::Unreadable,
            QStringLiteral("Tabulku %1 nelze zamknout: %2").arg(d->fileName, d->users.errorString()));
    }
    return std::unique_ptr<TableLock>(new TableLock(std::move(d)));
}

TableLock::TableLock(std::unique_ptr<TableLockPrivate> dd) : d(std::move(dd)) {}

// Closing the lock files drops every lock held through them.
TableLock::~TableLock() = default;

void TableLock::setGuardTimeout(int milliseconds)
{
    d->guardWaitMs = qMax(0, milliseconds);
}

OpenMode TableLock::mode() const
{
    return d->mode;
}

const QString &TableLock::filePath() const
{
    return d->filePath;
}

TableLock::Guard TableLock::lockForWrite()
{
    if (d->lockable && d->writers == 0) {
        const bool ok = d->readers > 0
                            ? d->users.relock(d->writeByte, 1, FileLock::Kind::Exclusive, d->guardWaitMs)
                            : d->users.lock(d->writeByte, 1, FileLock::Kind::Exclusive, d->guardWaitMs);
        if (!ok) {
            const bool conflict = d->users.lastFailureWasConflict();
            const QString reason = d->users.errorString();
            if (d->readers > 0)
                d->users.lock(d->writeByte, 1, FileLock::Kind::Shared, d->guardWaitMs);
            if (conflict) {
                throw TableError(
                    TableError::Kind::InUse,
                    QStringLiteral("Do tabulky %1 nelze zapsat, právě ji mění jiný uživatel nebo program.")
                        .arg(d->fileName));
            }
            throw TableError(
                TableError::Kind::Unreadable,
                QStringLiteral("Tabulku %1 nelze zamknout pro zápis: %2").arg(d->fileName, reason));
        }
    }
    ++d->writers;
    return Guard(this, true);
}

TableLock::Guard TableLock::lockForRead()
{
    // A write guard already keeps everyone else out; nested guards share the
    // one OS lock.
    if (d->lockable && d->writers == 0 && d->readers == 0) {
        if (!d->users.lock(d->writeByte, 1, FileLock::Kind::Shared, d->guardWaitMs)) {
            if (d->users.lastFailureWasConflict()) {
                throw TableError(
                    TableError::Kind::InUse,
                    QStringLiteral("Tabulku %1 nelze načíst, právě ji mění jiný uživatel nebo program.")
                        .arg(d->fileName));
            }
            throw TableError(TableError::Kind::Unreadable,
                             QStringLiteral("Tabulku %1 nelze zamknout pro čtení: %2")
                                 .arg(d->fileName, d->users.errorString()));
        }
    }
    ++d->readers;
    return Guard(this, false);
}

void TableLock::releaseGuard(bool write)
{
    int &count = write ? d->writers : d->readers;
    if (count <= 0)
        return;
    --count;
    if (!d->lockable)
        return;
    if (d->writers == 0 && d->readers == 0)
        d->users.unlock(d->writeByte, 1);
    else if (write && d->writers == 0)
        d->users.relock(d->writeByte, 1, FileLock::Kind::Shared, d->guardWaitMs);
}

TableLock::Guard::Guard(Guard &&other) noexcept
    : m_lock(std::exchange(other.m_lock, nullptr)), m_write(other.m_write)
{}

TableLock::Guard &TableLock::Guard::operator=(Guard &&other) noexcept
{
    if (this != &other) {
        release();
        m_lock = std::exchange(other.m_lock, nullptr);
        m_write = other.m_write;
    }
    return *this;
}

TableLock::Guard::~Guard()
{
    release();
}

void TableLock::Guard::release()
{
    if (m_lock)
        std::exchange(m_lock, nullptr)->releaseGuard(m_write);
}

} // namespace paradox
