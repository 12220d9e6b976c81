// qesto-px: shows the structure and the records of a Paradox table, for the
// tests and for support staff looking into a customer's data.
#include "PxDump.h"

#include "paradox/RowCursor.h"
#include "paradox/Table.h"
#include "settlement/Version.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void writeOut(QByteArrayView bytes)
{
    std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout);
}

const char Usage[] = "Použití: qesto-px schema|dump SOUBOR.DB [--password HESLO]\n";

int usage()
{
    std::fputs(Usage, stderr);
    return 1;
}

// The manual page is made from this text when the program is built.
int help()
{
    std::fputs(Usage, stdout);
    std::fputs("\n"
               "Ukáže strukturu a záznamy tabulky Paradox (soubor .DB) tak, jak je čte program Qesto; "
               "pro testy a pro podporu, která zkoumá data zákazníka. Tabulka se jen čte.\n"
               "\n"
               "Příkazy:\n"
               "  schema  pole tabulky, na každém řádku název, typ a délka oddělené tabulátorem, nakonec "
               "počet polí primárního klíče\n"
               "  dump  záznamy jako CSV v UTF-8 (RFC 4180), v prvním řádku názvy polí; tabulka libovolné "
               "velikosti se vypisuje postupně\n"
               "\n"
               "Volby:\n"
               "  --password HESLO  heslo chráněné tabulky\n"
               "  -h, --help  vypíše tuto nápovědu\n"
               "  -v, --version  vypíše verzi programu\n"
               "\n"
               "Návratový kód 0 znamená úspěch, 1 chybné parametry, 2 chybu při čtení tabulky nebo zápisu "
               "výpisu.\n",
               stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h"))
        return help();
    if (args.size() == 1 && (args[0] == u"--version" || args[0] == u"-v")) {
        writeOut((u"qesto-px "_s + settlement::Version::text() + u'\n').toUtf8());
        return 0;
    }
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
