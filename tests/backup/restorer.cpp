// The child of the restore crash test: restores the settlement from two
// archives in turn until it is killed, announcing each round; with a fifth
// argument, the template folder, each archive's tables are also tried
// through the upgrade as the program's restore does.
#include "backup/SettlementArchive.h"
#include "data/TDM1.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4 && args.size() != 5)
        return 1;
    backup::RestoreOptions options;
    options.templateDir = args.size() == 5 ? args[4] : QString();
    options.files.password = data::TDM1::tablesPassword();
    for (int i = 0;; ++i) {
        const backup::RestoreResult r =
            backup::restoreSettlement(args[1], QStringLiteral("D1"), args[2 + i % 2], options);
        if (r.counter != 11) {
            std::fprintf(stderr, "%s\n", r.errors.join(QLatin1Char('\n')).toUtf8().constData());
            return 2;
        }
        std::printf("R %d\n", i);
        std::fflush(stdout);
    }
}
