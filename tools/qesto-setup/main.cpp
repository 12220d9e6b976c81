// qesto-setup: creates a complete, empty data root, the installer's part of
// putting the program on a computer.

#include "data/Templates.h"
#include "platform/FileOps.h"
#include "platform/ShellFolders.h"
#include "settlement/AppPaths.h"
#include "settlement/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// The data directory the program looks in when no Data.ini names another.
QString defaultDataRoot()
{
    const QString common = platform::ShellFolders::commonAppData();
    if (common.isEmpty())
        return QString();
    return common + settlement::AppPaths::defaultSubdirectory();
}

int fail(const QString &message)
{
    QTextStream(stderr) << message << Qt::endl;
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"qesto-setup"_s);
    QCoreApplication::setApplicationVersion(settlement::Version::text());

    // The help is written here, not by the parser: the parser's headings and
    // its own options' texts would come out in English, and the manual page
    // is made from this text.
    const QString description =
        u"Vytvoří prázdný datový adresář programu Qesto: seznam Qesto (Data.DB s indexy), tabulku hesel "
        "(Uziv.DB), Qesto.ini a adresář šablon Data\\ se všemi prázdnými tabulkami a Verze.ini (1410).\n\n"
        "Bez ADRESÁŘE se použije výchozí datový adresář, ve kterém program hledá data, když vedle něj "
        "není Data.ini:\n  %1\n(proměnná prostředí QESTO_COMMON_APPDATA nahrazuje společný adresář "
        "aplikačních dat). Program tam data najde sám, nic dalšího není třeba nastavovat. Jiný adresář "
        "programu oznámí Data.ini v adresáři programu s řádky [Data] a Qesto=<adresář>."_s.arg(
            QDir::toNativeSeparators(platform::FileOps::nativePath(defaultDataRoot())));
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, u"Vypíše tuto nápovědu."_s);
    const QCommandLineOption version(QStringList{u"v"_s, u"version"_s}, u"Vypíše verzi programu."_s);
    const QCommandLineOption ifMissing(
        u"if-missing"_s, u"Nic nedělá, pokud už adresář data obsahuje (Data.DB); jinak je vytvoří."_s);
    const QCommandLineOption templates(
        u"templates"_s,
        u"V existujícím datovém adresáři jen znovu zapíše šablony v Data\\ a Verze.ini; seznam, hesla a "
        "Qesto zůstanou beze změny."_s);
    const QCommandLineOption local(
        u"local"_s, u"Zapíše do Qesto.ini Net=0: první spuštění programu se neptá na způsob práce s daty "
                    "(okno Výběr práce s daty) a pracuje s místními daty."_s);
    for (const QCommandLineOption &option : {ifMissing, templates, local, help, version})
        parser.addOption(option);
    // Every option is a switch, so the parser refuses only unknown ones.
    if (!parser.parse(QCoreApplication::arguments())) {
        QStringList unknown;
        for (const QString &name : parser.unknownOptionNames())
            unknown << (name.size() == 1 ? u"-"_s : u"--"_s) + name;
        return fail(u"Neznámá volba %1 (nápovědu vypíše --help)."_s.arg(unknown.join(u", "_s)));
    }
    if (parser.isSet(help)) {
        QTextStream out(stdout);
        out << u"Použití: qesto-setup [volby] [ADRESÁŘ]\n\n"_s << description << u"\n\nVolby:\n"_s;
        for (const QCommandLineOption &option : {ifMissing, templates, local, help, version}) {
            QStringList names;
            for (const QString &name : option.names())
                names << (name.size() == 1 ? u"-"_s : u"--"_s) + name;
            out << u"  "_s << names.join(u", "_s) << u"  "_s << option.description() << u'\n';
        }
        out << u"\nArgumenty:\n  ADRESÁŘ  Datový adresář, který se má vytvořit.\n\n"
               "Návratový kód 0 znamená úspěch, 2 chybu (popis je na standardním chybovém výstupu).\n"_s;
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << u"qesto-setup "_s << settlement::Version::text() << Qt::endl;
        return 0;
    }

    const QStringList args = parser.positionalArguments();
    if (args.size() > 1)
        return fail(u"Zadejte nejvýše jeden adresář."_s);
    const QString root = args.isEmpty() ? defaultDataRoot() : args.first();
    if (root.isEmpty())
        return fail(u"Výchozí datový adresář nelze zjistit; zadejte adresář."_s);
    const QString shown = QDir::toNativeSeparators(platform::FileOps::nativePath(root));

    if (parser.isSet(templates)) {
        if (!data::isDataRoot(root))
            return fail(u"V adresáři %1 nejsou data programu Qesto."_s.arg(shown));
        if (const QString error = data::refreshTemplates(root); !error.isEmpty())
            return fail(error);
        QTextStream(stdout) << u"Šablony v adresáři %1 byly obnoveny."_s.arg(shown) << Qt::endl;
        return 0;
    }
    if (parser.isSet(ifMissing) && data::isDataRoot(root))
        return 0;
    // Without --local the first start asks how to work with the data.
    const data::DataWork work = parser.isSet(local) ? data::DataWork::Local : data::DataWork::Ask;
    if (const QString error = data::createDataRoot(root, work); !error.isEmpty())
        return fail(error);
    QTextStream(stdout) << u"Datový adresář %1 byl vytvořen."_s.arg(shown) << Qt::endl;
    return 0;
}
