// File operations on stored Windows paths and shell folders.

#include "platform/FileOps.h"
#include "platform/ProgramFiles.h"
#include "platform/ShellFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
namespace FileOps = platform::FileOps;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void storedPathsMapToTheSystem_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("native");
        QTest::addColumn<QString>("drive");
#ifdef Q_OS_WIN
        QTest::newRow("drive") << "C:\\Data\\x.ini"
                               << "C:\\Data\\x.ini"
                               << "C:\\";
        QTest::newRow("slashes") << "C:/Data/"
                                 << "C:\\Data\\"
                                 << "C:\\";
        QTest::newRow("UNC") << "\\\\srv\\share\\Qesto\\"
                             << "\\\\srv\\share\\Qesto\\"
                             << "\\\\srv\\share\\";
        QTest::newRow("relative") << "Zaloha\\a.zip"
                                  << "Zaloha\\a.zip"
                                  << "";
#else
        QTest::newRow("drive is the root") << "C:\\Data\\x.ini"
                                           << "/Data/x.ini"
                                           << "C:\\";
        QTest::newRow("bare drive") << "F:"
                                    << "/"
                                    << "F:\\";
        QTest::newRow("absolute with stored tail") << "/home/u/.local/share\\Morvatek\\Qesto 2015\\"
                                                   << "/home/u/.local/share/Morvatek/Qesto 2015/"
                                                   << "/";
        QTest::newRow("doubled separators") << "/a\\\\b//c"
                                            << "/a/b/c"
                                            << "/";
        QTest::newRow("relative") << "Zaloha\\a.zip"
                                  << "Zaloha/a.zip"
                                  << "";
        QTest::newRow("rooted without drive") << "\\Zaloha"
                                              << "/Zaloha"
                                              << "";
        QTest::newRow("UNC") << "\\\\srv\\share\\Qesto"
                             << "/srv/share/Qesto"
                             << "\\\\srv\\share\\";
#endif
    }

    void storedPathsMapToTheSystem()
    {
        QFETCH(QString, stored);
        QFETCH(QString, native);
        QFETCH(QString, drive);
        QCOMPARE(FileOps::nativePath(stored), native);
        QCOMPARE(FileOps::driveRoot(stored), drive);
        QCOMPARE(FileOps::hasDrive(stored), !drive.isEmpty());
    }

    // The folder parts of stored paths, which the payroll search and the
    // conversion walk up from; mixed separators come from hand-edited INIs.
    void folderPartsOfStoredPaths()
    {
        QCOMPARE(FileOps::directoryOf(u"C:\\Gavrel 2015\\Data.DB"_s), u"C:\\Gavrel 2015\\"_s);
        QCOMPARE(FileOps::directoryOf(u"/opt/Qesto/data/Data.DB"_s), u"/opt/Qesto/data/"_s);
        QCOMPARE(FileOps::directoryOf(u"C:\\a/b\\c.txt"_s), u"C:\\a/b\\"_s);
        QCOMPARE(FileOps::directoryOf(u"Data.DB"_s), QString());
        QCOMPARE(FileOps::directoryOf(QString()), QString());
        QCOMPARE(FileOps::parentOf(u"C:\\Program Files\\Qesto\\"_s), u"C:\\Program Files\\"_s);
        QCOMPARE(FileOps::parentOf(u"C:\\Program Files\\Qesto"_s), u"C:\\Program Files\\"_s);
        QCOMPARE(FileOps::parentOf(u"Qesto\\"_s), QString());
    }

    void namesMatchWithoutRegardToCase()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"DATA/Sub"_s));
        QVERIFY(writeFile(dir.filePath(u"DATA/Verze.INI"_s), "x"));
        QVERIFY(writeFile(dir.filePath(u"VDVL.DB"_s), "y"));

        const QString root = FileOps::withTrailingSeparator(dir.path());
        QVERIFY(FileOps::fileExists(root + u"Vdvl.DB"));
        QVERIFY(FileOps::fileExists(root + u"data\\verze.ini"));
        QVERIFY(FileOps::dirExists(root + u"Data\\sub\\"));
        QVERIFY(!FileOps::fileExists(root + u"Data\\sub"));
        QCOMPARE(QFileInfo(FileOps::findFile(dir.path(), u"vdvl.db"_s)).fileName(), u"VDVL.DB"_s);
        QCOMPARE(FileOps::findFile(dir.path(), u"Prp.DB"_s), QDir(dir.path()).filePath(u"Prp.DB"_s));
#ifndef Q_OS_WIN
        // Missing parts keep their spelling, existing ones take the disk's.
        QCOMPARE(FileOps::resolve(root + u"data\\NEW\\x.ini"), QString(dir.path() + u"/DATA/NEW/x.ini"));
#endif
    }

    void copyDeleteAndDirectories()
    {
        QTemporaryDir dir;
        const QString root = FileOps::withTrailingSeparator(dir.path());
        QVERIFY(writeFile(dir.filePath(u"a.DB"_s), "new"));
        QVERIFY(writeFile(dir.filePath(u"b.DB"_s), "old"));

        QVERIFY(!FileOps::copyFile(root + u"a.DB", root + u"b.DB", false));
        QCOMPARE(readFile(dir.filePath(u"b.DB"_s)), QByteArray("old"));
        QVERIFY(FileOps::copyFile(root + u"A.db", root + u"B.db", true));
        QCOMPARE(readFile(dir.filePath(u"b.DB"_s)), QByteArray("new"));
        QVERIFY(!FileOps::copyFile(root + u"missing.DB", root + u"c.DB", true));

        QVERIFY(!FileOps::createDir(root + u"x\\y\\"));
        QVERIFY(FileOps::forceDirectories(root + u"x\\y\\"));
        QVERIFY(FileOps::forceDirectories(root + u"x\\y"));
        QVERIFY(FileOps::createDir(root + u"x\\z"));
        QVERIFY(FileOps::copyFile(root + u"a.DB", root + u"x\\y\\a.DB", false));
        QVERIFY(!FileOps::removeDir(root + u"x\\y\\"));
        QVERIFY(!FileOps::deleteFile(root + u"x\\y"));
        QVERIFY(FileOps::deleteFile(root + u"X\\Y\\A.DB"));
        QVERIFY(FileOps::removeDir(root + u"x\\y\\"));
        QVERIFY(!FileOps::dirExists(root + u"x\\y"));

        QVERIFY(FileOps::createEmptyFile(root + u"Verze.txt"));
        QCOMPARE(QFileInfo(dir.filePath(u"Verze.txt"_s)).size(), 0);

        const QString before = QDir::currentPath();
        QVERIFY(FileOps::setCurrentDir(root + u"X\\"));
        QCOMPARE(QFileInfo(FileOps::nativePath(FileOps::currentDir())).canonicalFilePath(),
                 QFileInfo(dir.filePath(u"x"_s)).canonicalFilePath());
        QDir::setCurrent(before);
    }

    void shellFoldersFollowTheEnvironment()
    {
        qputenv("QESTO_COMMON_APPDATA", QDir::toNativeSeparators(u"/tmp/common/"_s).toLocal8Bit());
        qputenv("QESTO_PERSONAL", "");
        QCOMPARE(platform::ShellFolders::commonAppData(), QDir::toNativeSeparators(u"/tmp/common"_s));
        QCOMPARE(platform::ShellFolders::personal(), QString());
        qunsetenv("QESTO_COMMON_APPDATA");
        qunsetenv("QESTO_PERSONAL");
        const QString personal = platform::ShellFolders::personal();
        QVERIFY(!personal.endsWith(u'/') && !personal.endsWith(u'\\'));
    }

    void programFilesAreFoundBesideTheProgramOrInItsPrefix_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("expected");
        QTest::newRow("build tree") << QStringList{u"build/app/help"_s} << u"build/app"_s
                                    << u"build/app/help"_s;
        QTest::newRow("installed") << QStringList{u"usr/share/qesto/help"_s} << u"usr/bin"_s
                                   << u"usr/share/qesto/help"_s;
        QTest::newRow("beside the program first")
            << QStringList{u"usr/bin/help"_s, u"usr/share/qesto/help"_s} << u"usr/bin"_s << u"usr/bin/help"_s;
        QTest::newRow("stored path of the program")
            << QStringList{u"usr/share/qesto/help"_s} << u"usr\\bin\\"_s << u"usr/share/qesto/help"_s;
        QTest::newRow("not in the current folder") << QStringList{u"help"_s} << u"usr/bin"_s << QString();
    }
    void programFilesAreFoundBesideTheProgramOrInItsPrefix()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, programDir);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString &path : existing)
            QVERIFY(QDir(dir.path()).mkpath(path));
        QVERIFY(QDir(dir.path()).mkpath(u"usr/bin"_s));
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QString found = platform::ProgramFiles::find(u"help"_s, dir.path() + u'/' + programDir);
        QDir::setCurrent(before);
        QCOMPARE(found, expected.isEmpty() ? QString() : QDir::cleanPath(dir.filePath(expected)));
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
