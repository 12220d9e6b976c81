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
        QVERIFY2(r.output.startsWith("Data byla obnovena.\nPůvodní data jsou uložena v souboru "), r.output);
        QCOMPARE(dataFiles(f.dir), before);

        r = cli::run({u"new-year"_s, f.dir, u"2"_s});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(dataFiles(f.dir), before);
    }

    void anotherCompanysArchiveNeedsTheOption()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/novak.zip"_s;
        f.dm.Disconnect();
        QCOMPARE(cli::run({u"backup"_s, f.dir, zip}).exitCode, 0);
        f.dm.OtevritTabulky();
        f.fill(u"Jiná firma a.s."_s, 5.0);
        f.dm.Disconnect();
        const Files other = dataFiles(f.dir);

        cli::Result r = cli::run({u"restore"_s, f.dir, zip});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.contains(u"Stavby Novák s.r.o."_s) && r.error.contains(u"Jiná firma a.s."_s) &&
                     r.error.contains(u"--other-company"_s),
                 qPrintable(r.error));
        QCOMPARE(dataFiles(f.dir), other);
        QVERIFY(!QFileInfo::exists(f.dir + u"/Zaloha"_s));

        r = cli::run({u"restore"_s, f.dir, zip, u"--other-company"_s});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(dataFiles(f.dir) != other);
        // And back: the archive of the replaced data is the other company's.
        const QStringList kept = QDir(f.dir + u"/Zaloha"_s).entryList({u"Pred obnovou *.zip"_s});
        QCOMPARE(kept.size(), 1);
        r = cli::run({u"restore"_s, f.dir, f.dir + u"/Zaloha/"_s + kept.first(), u"--other-company"_s});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(dataFiles(f.dir), other);
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
