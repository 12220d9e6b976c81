// Files written whole or not at all, and the reasons given when they are not.

#include "platform/AtomicFile.h"
#include "platform/DiskSync.h"
#include "platform/Error.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

using namespace Qt::Literals::StringLiterals;
using platform::AtomicFile;
namespace SystemError = platform::SystemError;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writePlain(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestDurableFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The flushes themselves are under test here.
        qunsetenv("QESTO_NO_DISK_FLUSH");
        QVERIFY(platform::DiskSync::enabled());
    }

    void writtenFileReplacesTheOldOneWhole_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << "%PDF-1.4\n"_ba;
        QTest::newRow("longer over shorter") << "abc"_ba << QByteArray(200000, 'x');
        QTest::newRow("shorter over longer") << QByteArray(70000, 'y') << "z"_ba;
        QTest::newRow("empty over something") << "old"_ba << QByteArray();
    }
    void writtenFileReplacesTheOldOneWhole()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString target = dir.filePath(u"Vypis.pdf"_s);
        if (!before.isEmpty())
            writePlain(target, before);

        AtomicFile file(target);
        QVERIFY2(file.open(), qPrintable(file.errorString()));
        QVERIFY(file.temporaryPath().startsWith(target + u".tmp-"_s));
        QVERIFY(file.write(after.left(10)));
        QCOMPARE(file.device()->write(after.mid(10)), after.size() - qMin<qsizetype>(after.size(), 10));
        // Nothing of the new content shows before the commit.
        QCOMPARE(readFile(target), before);
        QVERIFY2(file.commit(), qPrintable(file.errorString()));
        QCOMPARE(readFile(target), after);
        QCOMPARE(entries(dir.path()), QStringList{u"Vypis.pdf"_s});
    }

    void unfinishedOrRefusedWriteLeavesNothing_data()
    {
        QTest::addColumn<QString>("case_");
        QTest::newRow("discarded") << u"discard"_s;
        QTest::newRow("destroyed without commit") << u"destroy"_s;
        QTest::newRow("read-only target") << u"readonly"_s;
        QTest::newRow("folder missing") << u"nofolder"_s;
        QTest::newRow("a folder of that name") << u"folder"_s;
    }
    void unfinishedOrRefusedWriteLeavesNothing()
    {
        QFETCH(QString, case_);
        QTemporaryDir dir;
        QString target = dir.filePath(u"Vykaz.xml"_s);
        writePlain(target, "old"_ba);
        QString expectedReason;
        if (case_ == u"readonly") {
            QFile::setPermissions(target, QFile::ReadOwner);
            if (QFileInfo(target).isWritable())
                QSKIP("Running with rights that write read-only files.");
            expectedReason = u"jen pro čtení"_s;
        } else if (case_ == u"nofolder") {
            target = dir.filePath(u"Chybi/Vykaz.xml"_s);
            expectedReason = u"neexistuje"_s;
        } else if (case_ == u"folder") {
            target = dir.filePath(u"Slozka"_s);
            QVERIFY(QDir(dir.path()).mkdir(u"Slozka"_s));
            expectedReason = u"složka"_s;
        }

        {
            AtomicFile file(target);
            const bool opened = file.open();
            if (!expectedReason.isEmpty()) {
                QVERIFY(!opened);
                QVERIFY2(file.errorString().contains(expectedReason), qPrintable(file.errorString()));
                QVERIFY(file.errorString().contains(u"nelze zapsat"_s));
                QVERIFY(!file.commit());
            } else {
                QVERIFY(opened);
                QVERIFY(file.write("new"_ba));
                if (case_ == u"discard")
                    file.discard();
            }
        }
        QFile::setPermissions(dir.filePath(u"Vykaz.xml"_s), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(readFile(dir.filePath(u"Vykaz.xml"_s)), "old"_ba);
        QCOMPARE(entries(dir.path()), QStringList{u"Vykaz.xml"_s});
    }

    void writeFileThrowsTheCzechReason()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(u"Chybi/Qesto.ini"_s);
        try {
            AtomicFile::writeFile(target, "x"_ba);
            QFAIL("A file in a missing folder was reported as written.");
        } catch (const platform::Error &e) {
            QVERIFY2(e.message().contains(u"Qesto.ini"_s), qPrintable(e.message()));
            QVERIFY2(e.message().contains(u"neexistuje"_s), qPrintable(e.message()));
        }
        QString error;
        QVERIFY(AtomicFile::writeFile(dir.filePath(u"Qesto.ini"_s), "[a]\r\n"_ba, &error));
        QVERIFY(error.isEmpty());
    }

    void leftoversOfKilledWritersGoOnlyForTheirOwnFile()
    {
        QTemporaryDir dir;
        const QStringList names{u"D1.zip"_s,           u"D1.zip.tmp-1a2b3c4d"_s, u"D1.zip.tmp-"_s,
                                u"D12.zip.tmp-0001"_s, u"D1.zipx.tmp-0001"_s,    u"Prp.DB"_s};
        for (const QString &name : names)
            writePlain(dir.filePath(name), "x"_ba);
        QCOMPARE(AtomicFile::removeLeftovers(dir.filePath(u"D1.zip"_s)), 1);
        QStringList left = names;
        left.removeOne(u"D1.zip.tmp-1a2b3c4d"_s);
        left.sort();
        QCOMPARE(entries(dir.path()), left);
    }

    void systemReasonsReadCzech_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("czech");
        QTest::newRow("full disk") << int(ENOSPC) << u"Na disku není dost místa."_s;
        QTest::newRow("no permission") << int(EACCES) << u"Chybí oprávnění k souboru nebo složce."_s;
        QTest::newRow("read-only") << int(EROFS) << u"Disk nebo složka je jen pro čtení."_s;
        QTest::newRow("in use") << int(EBUSY) << u"Soubor právě používá jiný program."_s;
        QTest::newRow("missing") << int(ENOENT) << u"Soubor nebo složka neexistuje."_s;
    }
    void systemReasonsReadCzech()
    {
        QFETCH(int, code);
        QFETCH(QString, czech);
#ifdef Q_OS_WIN
        QSKIP("The system's codes differ from the C library's there.");
#endif
        QCOMPARE(SystemError::reason(code), czech);
        // The same cause reaches the user through Qt's English wording.
        QCOMPARE(SystemError::translate(QString::fromLocal8Bit(std::strerror(code))), czech);
    }

    void reasonsQtGivesAreTranslated()
    {
        QTemporaryDir dir;
        QFile missing(dir.filePath(u"Chybi/Prp.DB"_s));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QCOMPARE(SystemError::translate(missing.errorString()), u"Soubor nebo složka neexistuje."_s);
        QCOMPARE(SystemError::translate(u"Unknown error"_s), u"Systém neuvedl důvod chyby."_s);
        // A failed copy: Qt's English around the system's words.
        QCOMPARE(SystemError::translate(u"Cannot create /tmp/a: b/Vpkb.DB for output: %1"_s.arg(
                     QString::fromLocal8Bit(std::strerror(ENOSPC)))),
                 u"Na disku není dost místa."_s);
        QCOMPARE(SystemError::translate(u"Cannot remove source file: Unknown error"_s),
                 u"Systém neuvedl důvod chyby."_s);
        QCOMPARE(SystemError::translate(u"Tabulka je poškozená."_s), u"Tabulka je poškozená."_s);
        QVERIFY(SystemError::isDiskFull(ENOSPC));
        QVERIFY(!SystemError::isDiskFull(ENOENT));
    }

    void flushingAndReplacing()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(u"a.tmp"_s);
        const QString b = dir.filePath(u"b"_s);
        writePlain(a, "new"_ba);
        writePlain(b, "old"_ba);
        QString reason;
        QVERIFY2(platform::DiskSync::flushFile(a, &reason), qPrintable(reason));
        QVERIFY2(platform::DiskSync::flushDirectory(dir.path(), &reason), qPrintable(reason));
        QVERIFY2(platform::DiskSync::replaceFile(a, b, &reason), qPrintable(reason));
        QCOMPARE(readFile(b), "new"_ba);
        QVERIFY(!QFile::exists(a));
        QVERIFY(!platform::DiskSync::flushFile(a, &reason));
        QCOMPARE(reason, u"Soubor nebo složka neexistuje."_s);
        QVERIFY(!platform::DiskSync::replaceFile(a, b, &reason));
        QCOMPARE(readFile(b), "new"_ba);
    }
};

QTEST_GUILESS_MAIN(TestDurableFiles)
#include "test_durable_files.moc"
