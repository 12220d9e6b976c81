// The child of the crash test: posts to a table in a loop until it is
// killed, announcing each value before it posts it.
#include "paradox/Table.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 1;
    try {
        auto table = paradox::Table::open(args[1]);
        const QString pad = u"Příliš žluťoučký kůň úpěl ďábelské ódy. "_s.repeated(2).left(100);
        for (int i = args[2].toInt();; ++i) {
            std::printf("B %d\n", i);
            std::fflush(stdout);
            table->update(table->findKey({1}), {1, i, pad.left(i % 100)});
            table->append({100000 + i, i, pad});
            // Earlier ones, including any a killed predecessor left.
            for (int r = table->lowerBound({100000});
                 r < table->recordCount() && table->value(r, 0).toInt() < 100000 + i;)
                table->remove(r);
        }
    } catch (const paradox::TableError &e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 2;
    }
}
