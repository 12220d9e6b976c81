// Opening a settlement (current, and one that needs every upgrade) and
// posting the employment statement with its rounding.
#include "SettlementFixture.h"

#include "data/DatasetDefs.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

struct Module
{
    explicit Module(const QString &root, const QString &dir)
    {
        dm.DM1Create(root);
        dm.setDatabasePath(dir);
    }
    statements::StatementRecalc recalc;
    data::TDM1 dm{data::Collaborators::windowless(recalc)};
};

// Every stored amount of Vdvl gets a fraction, so the post rounds each one.
QList<data::FloatField *> vdvlAmounts(data::Dataset &vdvl)
{
    QList<data::FloatField *> amounts;
    for (int i = 0; i < vdvl.fieldCount(); ++i) {
        auto *f = dynamic_cast<data::FloatField *>(vdvl.field(i));
        if (f && !f->isCalculated())
            amounts.append(f);
    }
    return amounts;
}

void fill(const QList<data::FloatField *> &amounts, int round)
{
    double v = 10.25 + round;
    for (data::FloatField *f : amounts)
        f->setAsFloat(v += 1.5);
}

// A current settlement with its tables open, in a folder of its own.
struct OpenSettlement
{
    OpenSettlement() : dir(dm1test::makeCurrentSettlement(root.path())), m(root.path(), dir)
    {
        m.dm.OtevritTabulky(); // the first opening adds the statements' records
    }
    QTemporaryDir root;
    QString dir;
    Module m;
};

// Edit, the stored amounts typed as fractions with the totals recomputed
// after each, then post (with the rounding) or cancel.
void editVdvl(benchmark::State &state, data::Dataset &vdvl, bool post)
{
    const QList<data::FloatField *> amounts = vdvlAmounts(vdvl);
    int round = 0;
    for (auto _ : state) {
        vdvl.edit();
        fill(amounts, ++round);
        post ? vdvl.post() : vdvl.cancel();
    }
    state.counters["amounts"] = double(amounts.size());
}

void BM_OpenCurrentSettlement(benchmark::State &state)
{
    OpenSettlement s;
    for (auto _ : state) {
        s.m.dm.OtevritTabulky();
        benchmark::DoNotOptimize(s.m.dm.tablesOpen());
    }
}
BENCHMARK(BM_OpenCurrentSettlement)->Unit(benchmark::kMillisecond);

void BM_OpenOldestSettlement(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir root;
        const QString dir = dm1test::makeOldestSettlement(root.path());
        Module m(root.path(), dir);
        state.ResumeTiming();
        m.dm.OtevritTabulky();
        benchmark::DoNotOptimize(m.dm.upgradeFlags());
        state.PauseTiming();
        m.dm.Disconnect();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenOldestSettlement)->Unit(benchmark::kMillisecond);

// 142 stored amounts rounded and 186 stored fields written.
void BM_PostVdvl(benchmark::State &state)
{
    OpenSettlement s;
    editVdvl(state, s.m.dm.Vdvl(), true);
}
BENCHMARK(BM_PostVdvl)->Unit(benchmark::kMicrosecond);

// The same without the post: the difference is the rounding and the write.
void BM_EditVdvlWithoutPost(benchmark::State &state)
{
    OpenSettlement s;
    editVdvl(state, s.m.dm.Vdvl(), false);
}
BENCHMARK(BM_EditVdvlWithoutPost)->Unit(benchmark::kMicrosecond);

// Posting to a table in memory: the rounding and recalculation alone.
void BM_PostVdvlInMemory(benchmark::State &state)
{
    const data::TableDef &def = data::tableDef(data::TableId::Vdvl);
    data::MemoryStore store(def.schema());
    data::Dataset vdvl(def.name(), &store);
    data::DatasetBinding binding(vdvl, def);
    vdvl.open();
    editVdvl(state, vdvl, true);
}
BENCHMARK(BM_PostVdvlInMemory)->Unit(benchmark::kMicrosecond);

void BM_VypocetVdvl1(benchmark::State &state)
{
    OpenSettlement s;
    for (auto _ : state)
        s.m.recalc.VypocetVdvl1(s.m.dm);
}
BENCHMARK(BM_VypocetVdvl1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
