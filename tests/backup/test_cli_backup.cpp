// qesto-cli backup, restore and new-year run in process: the final message
// of the window on stdout, or exit code 2 with the Czech message.

#include "BackupFixture.h"

#include "CliCommands.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace backuptest;

class TestCliBackup : public QObject
{
    Q_OBJECT

private slots:
    void backupRestoreAndNewYear()
    {
        Fixture f;
        f.dm.Disconnect();
        const Files before = dataFiles(f.dir);
        const QString zip = f.tmp.path() + u"/cli.zip"_s;

        cli::Result r = cli::run({u"backup"_s, f.dir, zip});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output, QByteArray("Data byla zazálohována.\n"));

        r = cli::run({u"new-year"_s, f.dir});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.output.startsWith("Akce nový rok byla provedena.\n"));
        QVERIFY(dataFiles(f.dir) != before);

        r = cli::run({u"restore"_s, f.dir, zip});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output, QByteArray("Data byla obnovena.\n"));
        QCOMPARE(dataFiles(f.dir), before);

        r = cli::run({u"new-year"_s, f.dir, u"2"_s});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(dataFiles(f.dir), before);
    }

    void failures()
    {
        Fixture f;
        f.dm.Disconnect();
        const QString other = f.tmp.path() + u"/other.zip"_s;
        QVERIFY(writeZip(other, {{"readme.txt", "x"}}));
        cli::Result r = cli::run({u"restore"_s, f.dir, other});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.error, u"Chyba při obnově datových souborů."_s);
        r = cli::run({u"restore"_s, f.dir, f.tmp.path() + u"/missing.zip"_s});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.error, u"Soubor missing.zip nebyl nalezen, zkontrolujte správnost cesty."_s);
        r = cli::run({u"new-year"_s, f.dir, u"3"_s});
        QCOMPARE(r.exitCode, 2);
        r = cli::run({u"backup"_s, f.tmp.path() + u"/none"_s, other});
        QCOMPARE(r.exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliBackup)
#include "test_cli_backup.moc"
