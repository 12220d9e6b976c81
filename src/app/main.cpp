#include "app/GuardedApplication.h"
#include "app/Program.h"
#include "data/Templates.h"
#include "platform/ShellFolders.h"
#include "settlement/AppPaths.h"
#include "settlement/Version.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// The manual page is made from this text when the program is built.
const char Help[] =
    "Použití: qesto [--create-data-root]\n"
    "\n"
    "Roční vyúčtování daně zaměstnavatele za rok 2015: vyúčtování daně z příjmů ze závislé činnosti, "
    "vyúčtování daně vybírané srážkou, počet zaměstnanců a přílohy oprav. Program pracuje s datovým "
    "adresářem, který jmenuje Data.ini v adresáři programu, jinak s výchozím datovým adresářem "
    "(Morvatek/Qesto 2015 ve společném adresáři aplikačních dat); vytvoří jej qesto-setup.\n"
    "\n"
    "Volby:\n"
    "  --create-data-root  když datový adresář neexistuje a Data.ini žádný nejmenuje, vytvoří před "
    "spuštěním prázdný výchozí datový adresář (tak program spouští položka v nabídce)\n"
    "  -h, --help  vypíše tuto nápovědu\n"
    "  -v, --version  vypíše verzi programu\n"
    "\n"
    "Proměnné prostředí:\n"
    "  QESTO_COMMON_APPDATA  nahrazuje společný adresář aplikačních dat\n"
    "  QESTO_PERSONAL  nahrazuje adresář dokumentů uživatele\n"
    "  QESTO_MESSAGES_LOG  soubor, do kterého se místo oken zapisují hlášení (pro skripty)\n"
    "  QESTO_MESSAGES_SCRIPT  soubor s odpověďmi na dotazy, jedna na řádek (Ano, Ne, Storno)\n"
    "  QESTO_WINDOWS_LOG  soubor, do kterého se zapisuje titulek každého zobrazeného okna\n";

bool isOption(const char *arg, const char *shortName, const char *longName)
{
    return std::strcmp(arg, shortName) == 0 || std::strcmp(arg, longName) == 0;
}

// What an installation on Windows prepares for every user: a package
// installs for all users at once and cannot, so the menu entry asks for it.
// A failure is left to the start, which reports the missing data root.
void createDefaultDataRoot()
{
    const settlement::AppPaths paths = settlement::AppPaths::resolve(
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()),
        platform::ShellFolders::commonAppData(), platform::ShellFolders::personal());
    if (paths.dataDirFound || !paths.DataIniDir.isEmpty() || paths.CommonAppData.isEmpty())
        return;
    // As after an installation, the first start asks whether the data are
    // local or shared over the network.
    data::createDataRoot(paths.CommonAppData + settlement::AppPaths::defaultSubdirectory(),
                         data::DataWork::Ask);
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before there is any window, so they work without a display.
    if (argc == 2 && isOption(argv[1], "-h", "--help")) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (argc == 2 && isOption(argv[1], "-v", "--version")) {
        std::fputs((u"qesto "_s + settlement::Version::text() + u'\n').toUtf8().constData(), stdout);
        return 0;
    }
    app::GuardedApplication application(argc, argv);
    if (QCoreApplication::arguments().contains(u"--create-data-root"_s))
        createDefaultDataRoot();
    app::Program program;
    return program.run();
}
