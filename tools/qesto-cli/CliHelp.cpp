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
         "  new DATOVÝ_ADRESÁŘ NÁZEV [--password HESLO]  založí zpracování jako tlačítko „Nové“ v seznamu "
         "(volné číslo a adresář, šablony, zápis do seznamu); poslední řádek výstupu je jeho adresář\n"
         "  open ADRESÁŘ  otevře tabulky jako program (starší tabulky převede) a vypíše, co se převádělo\n"
         "  recalc ADRESÁŘ  přepočítá obě vyúčtování\n"
         "  dump ADRESÁŘ TABULKA  vypíše záznamy tabulky jako CSV včetně počítaných polí\n"
         "  check ADRESÁŘ  vypíše, pro co by finanční úřad vyúčtování vrátil\n"
         "  set ADRESÁŘ TABULKA POLE=TEXT...  zapíše texty do polí jako v okně a záznam uloží (Prp údaje "
         "o firmě, Dmt parametry tisku, Vdvl, Vdvs, Vpkv, Vpkb); zaškrtávací pole berou 1/0, ano/ne, "
         "true/false\n"
         "  set ADRESÁŘ Vpz --add POLE=TEXT...  přidá místo výkonu práce\n"
         "  set ADRESÁŘ Vpz --row N POLE=TEXT...  změní N-té místo výkonu práce (v pořadí ID)\n"
         "  set ADRESÁŘ Vpz --delete N  smaže N-té místo výkonu práce\n"
         "  export ADRESÁŘ [SOUBOR.json]  vypíše celé zpracování jako JSON (bez souboru na standardní "
         "výstup)\n"
         "  import ADRESÁŘ SOUBOR.json  načte zpracování z JSON podle pravidel oken; odmítnutá hodnota "
         "nezmění nic\n"
         "  import-csv ADRESÁŘ Vdvl|Vdvs SOUBOR.csv  načte měsíční údaje vyúčtování (řádky "
         "mesic;sl1;sl2;...), vše, nebo nic\n"
         "  epo ADRESÁŘ SOUBOR.xml [--withholding]  uloží vyúčtování (nebo vyúčtování srážkou) "
         "jako XML pro elektronické podání\n"
         "  check-all DATOVÝ_ADRESÁŘ  zkontroluje všechna zpracování datového adresáře: řádek za každé "
         "(číslo, název, firma, výsledek), nálezy pod ním, nakonec souhrn\n"
         "  pdf-all DATOVÝ_ADRESÁŘ VÝSTUP  uloží tiskopisy všech zpracování do adresáře VÝSTUP, soubor "
         "pojmenovaný podle adresáře zpracování a firmy\n"
         "  epo-all DATOVÝ_ADRESÁŘ VÝSTUP [--withholding]  uloží XML pro elektronické podání všech "
         "zpracování do adresáře VÝSTUP\n"
         "  backup ADRESÁŘ ZIP  zazálohuje zpracování do archivu ZIP\n"
         "  restore ADRESÁŘ ZIP [--other-company]  obnoví zpracování z archivu ZIP; archiv jiné firmy "
         "jen s volbou --other-company\n"
         "  new-year ADRESÁŘ [1|2]  převede zpracování do nového roku (2 jen archivuje)\n"
         "  list DATOVÝ_ADRESÁŘ  vypíše seznam Qesto datového adresáře\n"
         "  import-payroll ...  přenese údaje firmy z programu Gavrel\n"
         "  pdf ADRESÁŘ SOUBOR.pdf [STRANA...]  uloží strany tiskopisů do PDF\n"
         "\n"
         "Volby:\n"
         "  -h, --help  vypíše tuto nápovědu\n"
         "  -v, --version  vypíše verzi programu\n"
         "  --password-file SOUBOR  hesla chráněných zpracování pro check-all, pdf-all a epo-all, "
         "řádky ČÍSLO=HESLO nebo ADRESÁŘ=HESLO; chráněné zpracování bez hesla se přeskočí\n\n"
         "Návratový kód 0 znamená úspěch, 1 nálezy kontroly (u příkazů *-all i zpracování, které nešlo "
         "zapsat), 2 chybu (popis je na standardním "
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
