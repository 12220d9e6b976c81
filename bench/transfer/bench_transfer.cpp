// The payroll transfer of a year of 10,000 employees (120,000 monthly rows)
// into an open settlement, and the summing alone, against reading the
// payroll table's bytes once.
#include "PayrollTable.h"
#include "SettlementFixture.h"

#include "data/TDM1.h"
#include "paradox/Table.h"
#include "statements/Recalc.h"
#include "transfer/PayrollTransfer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;
using namespace paradox;

namespace {

constexpr int Employees = 10000;
constexpr int Rows = Employees * 12;

// A payroll data root with one company "F1" whose "Mzd1.DB" holds a year.
struct Payroll
{
    Payroll()
    {
        const QString dir = tmp.filePath(u"F1"_s);
        QDir().mkpath(dir);
        Table::create(tmp.filePath(u"Data.DB"_s), payrolltest::listSchema())
            ->append({1, u"Firma"_s, u"F1"_s});
        rows = dir + u"/Mzd1.DB"_s;
        auto table = Table::create(rows, payrolltest::rowsSchema());
        QList<QVariantList> batch;
        for (int e = 0; e < Employees; ++e) {
            for (int m = 1; m <= 12; ++m) {
                const bool withholding = e % 10 == 0;
                batch.append({QVariant(), 1, u"7001011234"_s, u"Jan"_s, u"Novák"_s, 1500 + e % 700, m, u"A"_s,
                              withholding, QDate(2015, m, 28), 25000.5 + e, 0.0, double(e % 3) * 117,
                              withholding ? 0.0 : 1500.4 + e % 700});
            }
            if (batch.size() >= 12000) {
                table->appendRecords(batch);
                batch.clear();
            }
        }
        table->appendRecords(batch);
    }
    QTemporaryDir tmp;
    QString rows;
};

Payroll &payroll()
{
    static Payroll p;
    return p;
}

struct OpenSettlement
{
    OpenSettlement() : dir(dm1test::makeCurrentSettlement(root.path()))
    {
        dm.DM1Create(root.path());
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
    }
    QTemporaryDir root;
    QString dir;
    statements::StatementRecalc recalc;
    data::TDM1 dm{data::Collaborators::windowless(recalc)};
};

void BM_Transfer(benchmark::State &state)
{
    const Payroll &p = payroll();
    OpenSettlement s;
    const transfer::PayrollData data(p.tmp.filePath(u"Data.DB"_s), s.dm.openOptions());
    const transfer::PayrollCompany company{1, u"Firma"_s, u"F1"_s};
    for (auto _ : state)
        transfer::transferCompany(s.dm, s.recalc, data, company);
    state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_TransferSums(benchmark::State &state)
{
    const Payroll &p = payroll();
    OpenOptions options;
    options.readOnly = true;
    for (auto _ : state) {
        const transfer::PayrollSums sums = transfer::PayrollSums::read(p.rows, options);
        if (sums.months().size() != 12)
            state.SkipWithError("wrong number of months");
        benchmark::DoNotOptimize(sums.months().constData());
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_ReadBytes(benchmark::State &state)
{
    const Payroll &p = payroll();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        QFile file(p.rows);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the table");
            return;
        }
        quint64 sum = 0;
        for (qint64 got; (got = file.read(buffer.data(), qint64(buffer.size()))) > 0;) {
            // Touch every byte so the reading is not all there is to it.
            for (qint64 i = 0; i + 8 <= got; i += 8) {
                quint64 w;
                std::memcpy(&w, buffer.data() + i, 8);
                sum ^= w;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

} // namespace

BENCHMARK(BM_Transfer)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TransferSums)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReadBytes)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
