// qesto-px: shows the structure and the records of a Paradox table, for the
// tests and for support staff looking into a customer's data.
#include "PxDump.h"

#include "paradox/RowCursor.h"
#include "paradox/Table.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void writeOut(QByteArrayView bytes)
{
    std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout);
}

int usage()
{
    std::fputs("Použití: qesto-px schema|dump SOUBOR.DB [--password HESLO]\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 && !(args.size() == 4 && args[2] == u"--password"))
        return usage();
    const QString &command = args[0];
    if (command != u"schema" && command != u"dump")
        return usage();
    paradox::OpenOptions options;
    options.readOnly = true;
    if (args.size() == 4)
        options.password = args[3];
    try {
        // Streamed: a listing of a table of any size takes a few MiB.
        paradox::RowCursor rows = paradox::Table::stream(args[1], options);
        if (command == u"schema")
            writeOut(pxdump::schemaText(rows.schema()));
        else
            pxdump::writeCsv(rows, writeOut);
    } catch (const paradox::TableError &e) {
        std::fputs((e.message() + u'\n').toUtf8().constData(), stderr);
        return 2;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("Výpis se nepodařilo celý zapsat.\n", stderr);
        return 2;
    }
    return 0;
}
