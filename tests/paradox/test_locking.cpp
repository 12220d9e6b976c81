#include "paradox/Error.h"
#include "paradox/Table.h"
#include "paradox/TableLock.h"
#include "platform/FileLock.h"
#include "platform/StaleLocks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#ifndef LOCKHOLDER_PATH
#error "LOCKHOLDER_PATH must name the helper executable"
#endif

using namespace paradox;

namespace {

// A table held by another process through the helper program.
class Holder
{
public:
    Holder(const QString &db, OpenMode mode, const QString &netDir = {})
    {
        QStringList args{QStringLiteral("hold"), db,
                         mode == OpenMode::Exclusive ? QStringLiteral("exclusive")
                                                     : QStringLiteral("shared")};
        if (!netDir.isEmpty())
            args << netDir;
        m_process.start(QStringLiteral(LOCKHOLDER_PATH), args);
        m_process.waitForStarted();
        m_process.waitForReadyRead(10000);
        m_answer = m_process.readLine().trimmed();
    }
    ~Holder()
    {
        if (m_process.state() != QProcess::NotRunning)
            kill();
    }
    const QByteArray &answer() const { return m_answer; }
    void close()
    {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        QVERIFY(m_process.waitForFinished(10000));
    }
    // Dies without closing anything, as a crashed program would.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
    QByteArray m_answer;
};

// False when the table is in use; any other failure, or an in-use message
// that does not name the table, fails the test.
bool canOpen(const QString &db, OpenMode mode)
{
    try {
        TableLock::acquire(db, mode);
        return true;
    } catch (const TableError &e) {
        if (e.kind() != TableError::Kind::InUse || !e.message().contains(QFileInfo(db).fileName()))
            QTest::qFail(qPrintable(e.message()), __FILE__, __LINE__);
        return false;
    }
}

} // namespace

class TestLocking : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_db = m_dir.filePath(QStringLiteral("Vvdp.DB"));
        QFile f(m_db);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    void otherProcess_data()
    {
        QTest::addColumn<bool>("holderExclusive");
        QTest::addColumn<bool>("oursExclusive");
        QTest::addColumn<bool>("expectOpen");
        QTest::newRow("shared + shared") << false << false << true;
        QTest::newRow("shared + exclusive") << false << true << false;
        QTest::newRow("exclusive + shared") << true << false << false;
        QTest::newRow("exclusive + exclusive") << true << true << false;
    }
    void otherProcess()
    {
        QFETCH(bool, holderExclusive);
        QFETCH(bool, oursExclusive);
        QFETCH(bool, expectOpen);
        const OpenMode ours = oursExclusive ? OpenMode::Exclusive : OpenMode::Shared;
        {
            Holder holder(m_db, holderExclusive ? OpenMode::Exclusive : OpenMode::Shared, m_dir.path());
            QCOMPARE(holder.answer(), QByteArray("ready"));
            QCOMPARE(canOpen(m_db, ours), expectOpen);
            holder.close();
        }
        QVERIFY(canOpen(m_db, OpenMode::Exclusive));
        {
            Holder holder(m_db, holderExclusive ? OpenMode::Exclusive : OpenMode::Shared);
            QCOMPARE(holder.answer(), QByteArray("ready"));
            holder.kill();
        }
        QVERIFY(canOpen(m_db, OpenMode::Exclusive));
    }

    // Another handle of this very process counts like another user, and
    // other tables of the directory are not affected.
    void handlesInOneProcess()
    {
        auto first = TableLock::acquire(m_db, OpenMode::Shared);
        QVERIFY(!canOpen(m_db, OpenMode::Exclusive));
        auto second = TableLock::acquire(m_db, OpenMode::Shared);
        const QString other = m_dir.filePath(QStringLiteral("Vdvl.DB"));
        auto otherLock = TableLock::acquire(other, OpenMode::Exclusive);
        QVERIFY(!canOpen(other, OpenMode::Shared));
        first.reset();
        QVERIFY(!canOpen(m_db, OpenMode::Exclusive));
        second.reset();
        QVERIFY(canOpen(m_db, OpenMode::Exclusive));
        // The name's letter case does not make it another table.
        auto upper = TableLock::acquire(m_dir.filePath(QStringLiteral("VVDP.DB")), OpenMode::Shared);
        QVERIFY(!canOpen(m_db, OpenMode::Exclusive));
    }

    void staleLockFiles()
    {
        const QString users = m_dir.filePath(QStringLiteral("Pdoxusrs.lck"));
        const QString directory = m_dir.filePath(QStringLiteral("PARADOX.LCK"));
        auto touch = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly);
        };

        // Nothing to delete counts as failure, and Paradox.lck stays.
        QVERIFY(touch(directory));
        QVERIFY(!platform::removeStaleLockFiles(m_dir.path()));
        QVERIFY(QFile::exists(directory));

        {
            Holder holder(m_db, OpenMode::Shared);
            QCOMPARE(holder.answer(), QByteArray("ready"));
            QVERIFY(QFile::exists(users));
            QVERIFY(!platform::removeStaleLockFiles(m_dir.path()));
            QVERIFY(QFile::exists(users));
            QVERIFY(QFile::exists(directory));
            holder.kill();
        }
        QVERIFY(platform::removeStaleLockFiles(m_dir.path()));
        QVERIFY(!QFile::exists(users));
        QVERIFY(!QFile::exists(directory));

        // Left by another program in another letter case.
        const QString foreign = m_dir.filePath(QStringLiteral("PDOXUSRS.LCK"));
        QVERIFY(touch(foreign));
        QVERIFY(touch(directory));
        QVERIFY(platform::removeStaleLockFiles(m_dir.path()));
        QVERIFY(!QFile::exists(foreign));
        QVERIFY(!QFile::exists(directory));
    }

    // The step that makes the cleanup safe: a user that opened the lock file
    // just before it was deleted gets its lock on a file nobody else will
    // ever see, and must notice.
    void lockOnDeletedFileIsNoticed()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows refuses to delete a lock file that anyone has open");
#endif
        using platform::FileLock;
        const QString users = m_dir.filePath(QStringLiteral("Pdoxusrs.lck"));
        FileLock early;
        QVERIFY(early.open(users, FileLock::Access::ReadWrite, true));
        QVERIFY(platform::removeStaleLockFiles(m_dir.path()));
        QVERIFY(early.tryLock(0, 1, FileLock::Kind::Exclusive));
        QVERIFY(!early.isStillAt(users));

        FileLock late;
        QVERIFY(late.open(users, FileLock::Access::ReadWrite, true));
        QVERIFY(late.isStillAt(users));
        QVERIFY(late.tryLock(0, 1, FileLock::Kind::Exclusive));
        QVERIFY(!early.isStillAt(users));
    }

    // A cleanup running while others open and close the table must never let
    // two exclusive holders in at once: a lock taken on a lock file that was
    // deleted a moment before would protect nothing.
    void cleanupRacesWithOpens()
    {
        const QString log = m_dir.filePath(QStringLiteral("holders.log"));
        QList<QProcess *> workers;
        for (int i = 0; i < 2; ++i) {
            auto *p = new QProcess(this);
            p->start(QStringLiteral(LOCKHOLDER_PATH),
                     {QStringLiteral("exclusive-loop"), m_db, log, QStringLiteral("300")});
            QVERIFY(p->waitForStarted());
            workers << p;
        }
        int removed = 0;
        while (std::any_of(workers.cbegin(), workers.cend(),
                           [](QProcess *p) { return p->state() != QProcess::NotRunning; })) {
            removed += platform::removeStaleLockFiles(m_dir.path()) ? 1 : 0;
            QTest::qWait(1);
        }
        for (QProcess *p : workers) {
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QByteArray inside;
        int entries = 0;
        for (const QByteArray &line : lines) {
            if (line.startsWith('+')) {
                QVERIFY2(inside.isEmpty(), "two exclusive holders at once");
                inside = line.mid(1);
                ++entries;
            } else if (line.startsWith('-')) {
                QCOMPARE(line.mid(1), inside);
                inside.clear();
            }
        }
        QVERIFY(entries > 0);
        qInfo("%d exclusive opens, %d lock files removed meanwhile", entries, removed);
    }

    // Two processes appending to one table through the engine lose none of
    // each other's records: the write guard makes each append see the other's.
    void twoProcessesAppendToOneTable()
    {
        Schema schema;
        schema.fields = {field(QStringLiteral("Kdo"), FieldType::Short),
                         field(QStringLiteral("Cislo"), FieldType::Long)};
        QFile::remove(m_db);
        Table::create(m_db, schema);
        const int count = 150;
        QProcess a, b;
        int who = 1;
        for (QProcess *p : {&a, &b}) {
            p->start(QStringLiteral(LOCKHOLDER_PATH),
                     {QStringLiteral("table-append"), m_db, QString::number(who++), QString::number(count)});
            QVERIFY(p->waitForStarted());
        }
        for (QProcess *p : {&a, &b}) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        auto table = Table::open(m_db);
        QCOMPARE(table->recordCount(), 2 * count);
        QSet<QPair<int, int>> seen;
        for (int row = 0; row < table->recordCount(); ++row)
            seen.insert({table->value(row, 0).toInt(), table->value(row, 1).toInt()});
        QCOMPARE(seen.size(), 2 * count);
    }

    // A reader in this process waits for a writer in another handle and
    // nested guards of one handle share one lock.
    void guardsOfOneProcess()
    {
        auto a = TableLock::acquire(m_db, OpenMode::Shared);
        auto b = TableLock::acquire(m_db, OpenMode::Shared);
        b->setGuardTimeout(300);
        {
            auto write = a->lockForWrite();
            auto nestedRead = a->lockForRead();
            auto nestedWrite = a->lockForWrite();
            QVERIFY(nestedRead.isHeld());
            QElapsedTimer t;
            t.start();
            QVERIFY_THROWS_EXCEPTION(TableError, b->lockForRead());
            QVERIFY(t.elapsed() >= 250);
        }
        {
            auto read = a->lockForRead();
            auto otherRead = b->lockForRead();
            QVERIFY(otherRead.isHeld());
        }
        // A read guard upgraded to a write guard and back down keeps others
        // readers out only while writing.
        auto read = a->lockForRead();
        {
            auto write = a->lockForWrite();
            QVERIFY_THROWS_EXCEPTION(TableError, b->lockForRead());
        }
        auto otherRead = b->lockForRead();
        QVERIFY(otherRead.isHeld());
        QVERIFY_THROWS_EXCEPTION(TableError, b->lockForWrite());
    }

    void networkControlFileShared()
    {
        QTemporaryDir net;
        Holder holder(m_db, OpenMode::Shared, net.path());
        QCOMPARE(holder.answer(), QByteArray("ready"));
        QVERIFY(QFile::exists(QDir(net.path()).filePath(QStringLiteral("Pdoxusrs.net"))));
        auto ours =
            TableLock::acquire(m_dir.filePath(QStringLiteral("Prp.DB")), OpenMode::Exclusive, net.path());
        QVERIFY(ours);
    }

    void cleanup()
    {
        // Each case starts with a clean directory.
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

private:
    QTemporaryDir m_dir;
    QString m_db;
};

QTEST_GUILESS_MAIN(TestLocking)
#include "test_locking.moc"
