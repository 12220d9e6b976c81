#include "CliCommands.h"
#include "settlement/Version.h"

using namespace Qt::StringLiterals;

namespace cli {

// The manual page is made from this text when the program is built, so the
// two say the same; the layout (a "Použití:" line, headings ending in ":",
// options and commands indented by two spaces) is what that conversion reads.
Result help()
{
    Result r;
    r.output =
        (usage() + u"\n\n"_s +
         u"Práce se zpracováními programu Qesto bez oken: dávkové přepočty, kontroly, zálohy, "
         "elektronické podání a tisk do PDF, a výpisy tabulek pro podporu. ADRESÁŘ je adresář "
         "zpracování (například D1) v datovém adresáři; šablony tabulek se berou z adresáře Data "
         "datového adresáře.\n\n"
         "Příkazy:\n"
         "  open ADRESÁŘ  otevře tabulky jako program (starší tabulky převede) a vypíše, co se převádělo\n"
         "  recalc ADRESÁŘ  přepočítá obě vyúčtování\n"
         "  dump ADRESÁŘ TABULKA  vypíše záznamy tabulky jako CSV včetně počítaných polí\n"
         "  check ADRESÁŘ  vypíše, pro co by finanční úřad vyúčtování vrátil\n"
         "  set ADRESÁŘ TABULKA POLE=TEXT...  zapíše texty do polí jako v okně a záznam uloží\n"
         "  epo ADRESÁŘ SOUBOR.xml [--withholding]  uloží vyúčtování (nebo vyúčtování srážkou) "
         "jako XML pro elektronické podání\n"
         "  backup ADRESÁŘ ZIP  zazálohuje zpracování do archivu ZIP\n"
         "  restore ADRESÁŘ ZIP  obnoví zpracování z archivu ZIP\n"
         "  new-year ADRESÁŘ [1|2]  převede zpracování do nového roku (2 jen archivuje)\n"
         "  list DATOVÝ_ADRESÁŘ  vypíše seznam Qesto datového adresáře\n"
         "  import-payroll ...  přenese údaje firmy z programu Gavrel\n"
         "  pdf ADRESÁŘ SOUBOR.pdf [STRANA...]  uloží strany tiskopisů do PDF\n"
         "\n"
         "Volby:\n"
         "  -h, --help  vypíše tuto nápovědu\n"
         "  -v, --version  vypíše verzi programu\n\n"
         "Návratový kód 0 znamená úspěch, 1 nálezy kontroly, 2 chybu (popis je na standardním "
         "chybovém výstupu)."_s)
            .toUtf8() +
        '\n';
    return r;
}

Result version()
{
    Result r;
    r.output = (u"qesto-cli "_s + settlement::Version::text()).toUtf8() + '\n';
    return r;
}

} // namespace cli
