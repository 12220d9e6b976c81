// Opening an editor window: creating it over an open settlement and showing
// its first page, until the first paint is done, then destroying it. The
// peer is a plain dialog with as many plain line edits in a layout, made and
// shown the same way, so the ratio says what the bound boxes, the pages and
// the key handling cost on top of what any Qt window of that size costs.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "ScriptedMessages.h"
#include "SettlementFixture.h"
#include "company/TEprpForm.h"
#include "data/Dataset.h"
#include "data/TDM1.h"
#include "statements/FormPages.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"
#include "statements/TEpkvForm.h"
#include "statements/TEpzForm.h"
#include "widgets/Editz.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Settlement
{
    Settlement()
    {
        root = dir.path() + u"/"_s;
        dm1test::makeCurrentSettlement(root);
        dm.DM1Create(root);
        dm.setDatabasePath(root + u"D1"_s);
        dm.OtevritTabulky();
        // A company with a hundred places of work.
        for (int i = 1; i <= 100; ++i) {
            dm.Vpz().append();
            dm.field(u"VpzN3"_s)->setAsString(u"Provozovna %1"_s.arg(i));
            dm.field(u"VpzC4"_s)->setAsFloat(i);
            dm.Vpz().post();
        }
        dm.Vpz().first();
    }

    QTemporaryDir dir;
    QString root;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    platform::ScriptedMessages messages;
};

Settlement &settlement()
{
    static Settlement s;
    return s;
}

// Creates, shows until painted, destroys; the time until painted.
template <class Make> double openOnce(Make make)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QWidget> window = make();
    window->show();
    QApplication::processEvents();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    window->hide();
    window.reset();
    QApplication::processEvents();
    return seconds;
}

template <class Make> void measure(benchmark::State &state, Make make)
{
    for (auto _ : state)
        state.SetIterationTime(openOnce(make));
}

void BM_OpenCompanyEditor(benchmark::State &state)
{
    Settlement &s = settlement();
    int boxes = 0;
    measure(state, [&] {
        auto form = std::make_unique<company::TEprpForm>(s.dm, s.messages, widgets::SettlementIni{});
        boxes = int(form->findChildren<widgets::TDBEditz *>().size() +
                    form->findChildren<widgets::TDBCheckBoxz *>().size());
        return form;
    });
    state.counters["boxes"] = boxes;
}
BENCHMARK(BM_OpenCompanyEditor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_OpenEmployeeCount(benchmark::State &state)
{
    Settlement &s = settlement();
    measure(state, [&] {
        return std::make_unique<statements::TEpzForm>(s.dm, s.messages, widgets::SettlementIni{});
    });
}
BENCHMARK(BM_OpenEmployeeCount)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// The statement with the most boxes: four pages, months by columns.
template <class Form> void openStatement(benchmark::State &state)
{
    Settlement &s = settlement();
    int boxes = 0;
    measure(state, [&] {
        auto form = std::make_unique<Form>(s.dm, s.messages, widgets::SettlementIni{});
        boxes = int(form->pages()->boxes().size());
        return form;
    });
    state.counters["boxes"] = boxes;
}

void BM_OpenEmploymentStatement(benchmark::State &state)
{
    openStatement<statements::TEdvl1Form>(state);
}
BENCHMARK(BM_OpenEmploymentStatement)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_OpenWithholdingStatement(benchmark::State &state)
{
    openStatement<statements::TEdvpaForm>(state);
}
BENCHMARK(BM_OpenWithholdingStatement)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_OpenCorrections(benchmark::State &state)
{
    openStatement<statements::TEpkvForm>(state);
}
BENCHMARK(BM_OpenCorrections)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_OpenBonusCorrections(benchmark::State &state)
{
    openStatement<statements::TEpkvbForm>(state);
}
BENCHMARK(BM_OpenBonusCorrections)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// The peer: a dialog with n plain line edits.
void BM_OpenPlainDialog(benchmark::State &state)
{
    const int n = int(state.range(0));
    measure(state, [n] {
        auto dialog = std::make_unique<QDialog>();
        auto *layout = new QVBoxLayout(dialog.get());
        for (int i = 0; i < n; ++i)
            layout->addWidget(new QLineEdit(dialog.get()));
        return dialog;
    });
}
BENCHMARK(BM_OpenPlainDialog)
    ->Arg(70)
    ->Arg(151)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
