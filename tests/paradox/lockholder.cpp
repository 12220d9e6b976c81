// A second process for the locking tests: holds tables the way another user
// of the program would, so the tests can see what a different process sees.
//
//   lockholder hold <file.DB> shared|exclusive [netdir]
//       opens the table, prints "ready" (or "inuse"), waits for a line on
//       stdin or for its death
//   lockholder table-append <file.DB> <who> <count>
//       appends count records (who, i) to the table through the engine
//   lockholder exclusive-loop <file.DB> <log> <count>
//       count times tries an exclusive open and, while it holds it, writes
//       "+pid" and "-pid" lines to log

#include "paradox/Error.h"
#include "paradox/Table.h"
#include "paradox/TableLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <cstdio>

using namespace paradox;

namespace {

bool appendLine(const QString &log, const QByteArray &line)
{
    QFile f(log);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    return f.write(line + '\n') == line.size() + 1;
}

int hold(const QStringList &args)
{
    const OpenMode mode =
        args.value(3) == QLatin1String("exclusive") ? OpenMode::Exclusive : OpenMode::Shared;
    std::unique_ptr<TableLock> lock;
    try {
        lock = TableLock::acquire(args.at(2), mode, args.value(4));
    } catch (const TableError &e) {
        std::printf("%s\n", e.kind() == TableError::Kind::InUse ? "inuse" : "error");
        std::fflush(stdout);
        return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[16];
    std::fgets(buffer, sizeof buffer, stdin);
    return 0;
}

int tableAppend(const QStringList &args)
{
    auto table = Table::open(args.at(2));
    const int who = args.at(3).toInt();
    const int count = args.at(4).toInt();
    for (int i = 1; i <= count; ++i)
        table->append({who, i});
    return 0;
}

int exclusiveLoop(const QStringList &args)
{
    const QString log = args.at(3);
    const int count = args.at(4).toInt();
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    for (int i = 0; i < count; ++i) {
        try {
            auto lock = TableLock::acquire(args.at(2), OpenMode::Exclusive);
            appendLine(log, '+' + pid);
            QThread::usleep(300);
            appendLine(log, '-' + pid);
        } catch (const TableError &e) {
            if (e.kind() != TableError::Kind::InUse) {
                std::fprintf(stderr, "%s\n", e.what());
                return 5;
            }
        }
        // Gives a cleanup in another process the chance to find the lock
        // file unused and delete it between two opens.
        QThread::usleep(200 + 100 * (i % 7));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    try {
        if (args.at(1) == QLatin1String("hold"))
            return hold(args);
        if (args.size() >= 5 && args.at(1) == QLatin1String("table-append"))
            return tableAppend(args);
        if (args.size() >= 5 && args.at(1) == QLatin1String("exclusive-loop"))
            return exclusiveLoop(args);
    } catch (const TableError &e) {
        QTextStream(stderr) << e.message() << '\n';
        return 6;
    }
    return 2;
}
