// Start-up to the settlement list: the program's own start (splash, main
// window, data module, settlement list and the other start-up windows, the
// first activation with the list file upgrade and stale lock cleanup) on a
// data root as the set-up tool makes it, measured until the settlement list is
// on the screen, or until the first activation is done when no list window
// is attached. Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise.

#include "app/Program.h"
#include "app/TMainForm.h"
#include "data/Templates.h"
#include "platform/FileOps.h"
#include "settlement/AppPaths.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long one start takes, in milliseconds.
double startOnce()
{
    QElapsedTimer clock;
    clock.start();
    double elapsed = -1;
    QEventLoop loop;

    app::Program program;
    // The list is modal: a timer sees it once the start has shown it,
    // stops the clock and ends the program as "&Konec" would.
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (elapsed < 0)
                elapsed = double(clock.nsecsElapsed()) / 1e6;
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(QDialog::Rejected); // "&Konec"; Escape does nothing there
            else
                modal->close();
        }
    });
    poll.start();
    program.start();
    QObject::connect(program.mainWindow(), &app::TMainForm::startupFinished, &loop, [&] {
        if (elapsed < 0)
            elapsed = double(clock.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    poll.stop();
    program.mainWindow()->close();
    return elapsed;
}

void BM_StartupToSettlementList(benchmark::State &state)
{
    for (auto _ : state) {
        const double ms = startOnce();
        if (ms < 0) {
            state.SkipWithError("the start did not reach the settlement list");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
    }
}
BENCHMARK(BM_StartupToSettlementList)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A data root of its own in the default place, so the program finds it
    // as it would on a user's computer; message boxes go to a file.
    QTemporaryDir common;
    qputenv("QESTO_COMMON_APPDATA", QFile::encodeName(common.path()));
    qputenv("QESTO_MESSAGES_LOG", QFile::encodeName(common.filePath(u"messages.log"_s)));
    QApplication application(argc, argv);
    const QString root =
        platform::FileOps::withTrailingSeparator(common.path()) + settlement::AppPaths::defaultSubdirectory();
    if (const QString error = data::createDataRoot(root); !error.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
