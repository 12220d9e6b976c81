// Peak memory of qesto-px dump, measured as a whole process by /usr/bin/time
// (its maximum resident set), on a payroll-like table of 100,000 rows and on
// one of 1,000,000 (90-byte records, 90 MB): a listing that streams takes the
// same few MiB for both. The tables are written into a temporary folder by
// the benchmark itself (the larger one takes some seconds).
#include "PayrollTable.h"
#include "paradox/Table.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#ifndef QESTO_PX_PATH
#error "QESTO_PX_PATH must name the qesto-px program"
#endif

using namespace Qt::StringLiterals;
using namespace paradox;

namespace {

constexpr char timeProgram[] = "/usr/bin/time";

// The table of `rows` rows, written once per run.
QString tableOf(int rows)
{
    static QTemporaryDir dir;
    static std::map<int, QString> made;
    if (const auto it = made.find(rows); it != made.end())
        return it->second;
    const QString path = dir.filePath(u"Mzd%1.DB"_s.arg(rows));
    auto table = Table::create(path, payrolltest::rowsSchema());
    const QString names[] = {u"Novák"_s, u"Dvořáková"_s, u"Šťastný"_s, u"Černý"_s};
    constexpr int batch = 50'000;
    QList<QVariantList> records;
    records.reserve(batch);
    for (int r = 0; r < rows; ++r) {
        records.append({QVariant(), r % 12 + 1, u"8001011234"_s, u"Jiří"_s, names[r % 4], r * 3, r % 500,
                        u"01"_s, r % 2 == 0, QDate(2015, 1, 1).addDays(r % 365), r * 1.5, r * 0.25,
                        r % 7 == 0 ? QVariant() : QVariant(117.0), double(r % 1000)});
        if (records.size() == batch || r + 1 == rows) {
            table->appendRecords(records);
            records.clear();
        }
    }
    table->close();
    made[rows] = path;
    return path;
}

// The program measured: this build's qesto-px, or the one QESTO_BENCH_PX
// names (another build of it, to compare on the same tables).
QString program()
{
    const QString other = qEnvironmentVariable("QESTO_BENCH_PX");
    return other.isEmpty() ? QStringLiteral(QESTO_PX_PATH) : other;
}

// Runs qesto-px under /usr/bin/time; the peak resident set in KiB, or -1.
qint64 peakKiB(const QStringList &args, QString &error)
{
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.start(QString::fromLatin1(timeProgram), QStringList{u"-f"_s, u"%M"_s, program()} + args);
    if (!tool.waitForFinished(600'000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        error = QString::fromUtf8(tool.readAllStandardError()).trimmed();
        return -1;
    }
    const QList<QByteArray> lines = tool.readAllStandardError().trimmed().split('\n');
    bool ok = false;
    const qint64 kib = lines.last().trimmed().toLongLong(&ok);
    if (!ok)
        error = u"/usr/bin/time printed no figure"_s;
    return ok ? kib : -1;
}

void measure(benchmark::State &state, const QString &command)
{
    if (!QFileInfo(QString::fromLatin1(timeProgram)).isExecutable()) {
        state.SkipWithError("/usr/bin/time is missing");
        return;
    }
    const QString path = tableOf(int(state.range(0)));
    qint64 peak = 0;
    for (auto _ : state) {
        QString error;
        const qint64 kib = peakKiB({command, path}, error);
        if (kib < 0) {
            const std::string text = error.toStdString();
            state.SkipWithError(text.c_str());
            return;
        }
        peak = std::max(peak, kib);
    }
    state.counters["peak_MiB"] = double(peak) / 1024.0;
    state.counters["table_MB"] = double(QFileInfo(path).size()) / 1e6;
}

// The listing of every row.
void BM_DumpPeak(benchmark::State &state)
{
    measure(state, u"dump"_s);
}

// The same program showing only the table's structure: what starting the
// process and opening the file take, without the rows.
void BM_SchemaPeak(benchmark::State &state)
{
    measure(state, u"schema"_s);
}

} // namespace

BENCHMARK(BM_SchemaPeak)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DumpPeak)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
