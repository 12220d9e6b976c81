// The municipality list of the employee count (6,400 codes): a code and the
// beginning of a name, looked up through the list's indexes and by scanning
// every row as a list without them would.

#include "filing/Municipalities.h"
#include "filing/OfficeMatch.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const filing::Municipalities &list()
{
    return filing::Municipalities::builtIn();
}

// Codes and name beginnings spread over the list, looked up in turn.
QStringList sampleCodes()
{
    QStringList codes;
    const QList<filing::Municipality> &all = list().all();
    for (qsizetype i = 0; i < all.size(); i += all.size() / 64)
        codes.append(all[i].code);
    return codes;
}

QStringList samplePrefixes()
{
    return {u"Zdar"_s, u"Brno"_s, u"Praha"_s, u"Nov"_s, u"Lhota"_s, u"Ústí"_s, u"král"_s, u"Hor"_s};
}

void BM_CodeLookup(benchmark::State &state)
{
    const QStringList codes = sampleCodes();
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(list().byCode(codes[i++ % codes.size()]));
}
BENCHMARK(BM_CodeLookup);

void BM_CodeScan(benchmark::State &state)
{
    const QStringList codes = sampleCodes();
    qsizetype i = 0;
    for (auto _ : state) {
        const QString &code = codes[i++ % codes.size()];
        const filing::Municipality *found = nullptr;
        for (const filing::Municipality &m : list().all())
            if (m.code == code) {
                found = &m;
                break;
            }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_CodeScan);

void BM_NamePrefix(benchmark::State &state)
{
    const QStringList prefixes = samplePrefixes();
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(list().byName(prefixes[i++ % prefixes.size()], 40));
}
BENCHMARK(BM_NamePrefix);

// What a list without an index of folded names does: fold every name.
void BM_NameScan(benchmark::State &state)
{
    const QStringList prefixes = samplePrefixes();
    qsizetype i = 0;
    for (auto _ : state) {
        const QString key = filing::foldText(prefixes[i++ % prefixes.size()]);
        QList<const filing::Municipality *> found;
        for (const filing::Municipality &m : list().all())
            if (found.size() < 40 && filing::foldText(m.name).startsWith(key))
                found.append(&m);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_NameScan);

// Reading the list out of the program's resources, once per process.
void BM_ReadList(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(u":/filing/obce.csv"_s);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(filing::Municipalities::parse(file.readAll()));
    }
}
BENCHMARK(BM_ReadList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
