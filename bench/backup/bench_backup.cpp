// Backup and restore of a settlement against zip -r -q and unzip -q of the
// same folder, measured in the same run. The peers are other processes, so
// every benchmark counts wall time.

#include "backup/SettlementArchive.h"
#include "data/DataFiles.h"
#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/Table.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// A settlement with a long list of places of work (the one table that grows
// with the company), so that the archive is a few megabytes.
struct Settlement
{
    Settlement()
    {
        dir = tmp.path() + QStringLiteral("/D1");
        QDir().mkpath(dir);
        data::createSettlementTemplates(dir);
        auto vpz = paradox::Table::open(data::tableFilePath(dir, QStringLiteral("Vpz.DB")));
        QList<QVariantList> rows;
        const QStringList towns{QStringLiteral("Brno"), QStringLiteral("Praha 4"), QStringLiteral("Olomouc"),
                                QStringLiteral("České Budějovice"), QStringLiteral("Ústí nad Labem")};
        for (int i = 0; i < 40000; ++i) {
            rows.append({QVariant(), QStringLiteral("Provozovna %1").arg(i), double(i % 97),
                         QStringLiteral("Ulice %1/%2").arg(i % 311).arg(i % 17),
                         QStringLiteral("%1").arg(60000 + i % 3000), towns.at(i % towns.size()), QVariant(),
                         i % 18 + 1, i / 18 + 1});
        }
        vpz->appendRecords(rows);
        vpz->close();
        QFile ini(dir + QStringLiteral("/D1.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Tisk]\r\nVychozi=1\r\n");
        archive = tmp.path() + QStringLiteral("/D1.zip");
        backup::backupSettlement(dir, QStringLiteral("D1"), archive);
    }
    QTemporaryDir tmp;
    QString dir;
    QString archive;
};

Settlement &settlement()
{
    static Settlement s;
    return s;
}

bool run(const QString &program, const QStringList &args, const QString &workDir)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void BM_Backup_Ours(benchmark::State &state)
{
    Settlement &s = settlement();
    const QString target = s.tmp.path() + QStringLiteral("/ours.zip");
    for (auto _ : state) {
        if (!backup::backupSettlement(s.dir, QStringLiteral("D1"), target).ok)
            state.SkipWithError("backup failed");
    }
    state.counters["bytes"] = double(QFileInfo(target).size());
}

void BM_Backup_Zip(benchmark::State &state)
{
    const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));
    if (zip.isEmpty()) {
        state.SkipWithError("zip is not installed");
        return;
    }
    Settlement &s = settlement();
    const QString target = s.tmp.path() + QStringLiteral("/peer.zip");
    for (auto _ : state) {
        // zip adds to an existing archive; each round starts without one.
        QFile::remove(target);
        if (!run(zip, {QStringLiteral("-r"), QStringLiteral("-q"), target, QStringLiteral(".")}, s.dir))
            state.SkipWithError("zip failed");
    }
    state.counters["bytes"] = double(QFileInfo(target).size());
}

void BM_Restore_Ours(benchmark::State &state)
{
    Settlement &s = settlement();
    for (auto _ : state) {
        if (backup::restoreSettlement(s.dir, QStringLiteral("D1"), s.archive).counter != 11)
            state.SkipWithError("restore failed");
    }
}

void BM_Restore_Unzip(benchmark::State &state)
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty()) {
        state.SkipWithError("unzip is not installed");
        return;
    }
    Settlement &s = settlement();
    for (auto _ : state) {
        if (!run(unzip, {QStringLiteral("-q"), QStringLiteral("-o"), s.archive, QStringLiteral("-d"), s.dir},
                 s.dir))
            state.SkipWithError("unzip failed");
    }
}

} // namespace

BENCHMARK(BM_Backup_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Backup_Zip)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Restore_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Restore_Unzip)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

BENCHMARK_MAIN();
