// A process killed at any moment of a restore leaves the settlement with
// the old or the restored data files, never a mix, and the settlement
// opens.

#include "BackupFixture.h"

#include "backup/BackupJobs.h"
#include "backup/SettlementArchive.h"
#include "data/ChangeSet.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace backuptest;

class TestRestoreCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileRestoring()
    {
        Fixture f;
        const QString a = f.tmp.path() + u"/a.zip"_s;
        const QString b = f.tmp.path() + u"/b.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, a, false, f.reopening()).ok);
        f.dm.Disconnect();
        const Files filesA = dataFiles(f.dir);
        f.dm.OtevritTabulky();
        f.fill(u"Druhá firma"_s, 2.0);
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, b, false, f.reopening()).ok);
        f.dm.Disconnect();
        const Files filesB = dataFiles(f.dir);
        QVERIFY(filesA != filesB);

        int begun = 0;
        const int rounds = 12;
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.start(QStringLiteral(RESTORER_PATH), {f.dir, a, b, f.root + u"/Data"_s});
            QVERIFY(child.waitForStarted());
            QTest::qWait(int(QRandomGenerator::global()->bounded(20, 400)));
            child.kill();
            child.waitForFinished();
            QVERIFY2(child.exitStatus() == QProcess::CrashExit, child.readAllStandardError().constData());
            if (QFileInfo::exists(f.dir + u"/Zmena/Zmena.lst"_s))
                ++begun;

            // As the opening does before it reads a table.
            backup::clearRestoreLeftovers(f.dir);
            paradox::OpenOptions options;
            options.password = data::TDM1::tablesPassword();
            data::ChangeSet::finishPending(f.dir, options);
            QVERIFY(!QFileInfo::exists(f.dir + u"/Zaloha/Kontrola.tmp"_s));
            QVERIFY(!QFileInfo::exists(f.dir + u"/Zaloha/Obnova.tmp"_s));
            const Files now = dataFiles(f.dir);
            QVERIFY2(now == filesA || now == filesB, qPrintable(u"round %1"_s.arg(round)));
            f.dm.OtevritTabulky();
            QVERIFY(f.dm.tablesOpen());
            f.dm.Disconnect();
        }
        qInfo("%d kills, %d of them with the files being moved in", rounds, begun);
    }
};

QTEST_GUILESS_MAIN(TestRestoreCrash)
#include "test_restore_crash.moc"
