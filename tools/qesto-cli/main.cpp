// qesto-cli: opens, recomputes and lists settlements without the windows,
// for batch work and for support staff.
#include "CliCommands.h"
#include "platform/Terminal.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> app;
    // Drawing pages needs the font database of a GUI application; it runs
    // without a display.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (cli::needsGui(args)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    if (!app)
        app = std::make_unique<QCoreApplication>(argc, argv);
    // Progress only for a person watching; a script's stderr keeps only
    // the messages.
    cli::Progress progress;
    if (platform::isTerminal(stderr))
        progress = [](const QString &text) {
            std::fputs("\r\033[K", stderr);
            std::fputs(text.toUtf8().constData(), stderr);
            std::fflush(stderr);
        };
    const cli::Result result = cli::run(
        QCoreApplication::arguments().mid(1),
        [](QByteArrayView piece) {
            std::fwrite(piece.data(), 1, size_t(piece.size()), stdout);
            std::fflush(stdout);
        },
        progress);
    if (progress)
        std::fputs("\r\033[K", stderr);
    std::fwrite(result.output.constData(), 1, size_t(result.output.size()), stdout);
    if (!result.error.isEmpty())
        std::fputs((result.error + u'\n').toUtf8().constData(), stderr);
    return result.exitCode;
}
