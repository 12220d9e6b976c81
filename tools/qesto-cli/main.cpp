// qesto-cli: opens, recomputes and lists settlements without the windows,
// for batch work and for support staff.
#include "CliCommands.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const cli::Result result = cli::run(QCoreApplication::arguments().mid(1));
    std::fwrite(result.output.constData(), 1, size_t(result.output.size()), stdout);
    if (!result.error.isEmpty())
        std::fputs((result.error + u'\n').toUtf8().constData(), stderr);
    return result.exitCode;
}
