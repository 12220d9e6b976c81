// The child of the restore crash test: restores the settlement from two
// archives in turn until it is killed, announcing each round.
#include "backup/SettlementArchive.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 1;
    for (int i = 0;; ++i) {
        const backup::RestoreResult r =
            backup::restoreSettlement(args[1], QStringLiteral("D1"), args[2 + i % 2]);
        if (r.counter != 11) {
            std::fprintf(stderr, "%s\n", r.errors.join(QLatin1Char('\n')).toUtf8().constData());
            return 2;
        }
        std::printf("R %d\n", i);
        std::fflush(stdout);
    }
}
