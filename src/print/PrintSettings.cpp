#include "print/PrintSettings.h"

using namespace Qt::StringLiterals;

namespace print {

namespace {

constexpr QStringView Section = u"Tisk";

bool storesOwnPrinter(const platform::IniFile &ini)
{
    return ini.readInteger(Section, u"Vychozi", 1) == 0;
}

void storeCurrent(platform::IniFile &ini, const platform::PrinterState &printers)
{
    if (storesOwnPrinter(ini))
        platform::writeIfPossible([&] { ini.writeString(Section, u"Tiskarna", printers.currentName()); });
}

} // namespace

PrintWindowSettings loadPrintSettings(const platform::IniFile &ini)
{
    PrintWindowSettings s;
    s.f6Prints = ini.readInteger(Section, u"Tisk", 0) == 1;
    s.defaultPrinter = ini.readInteger(Section, u"Vychozi", 1) != 0;
    return s;
}

void savePrintSettings(platform::IniFile &ini, const PrintWindowSettings &settings,
                       const platform::PrinterState &printers)
{
    ini.writeString(Section, u"Tisk", settings.f6Prints ? u"1" : u"0");
    ini.writeString(Section, u"Vychozi", settings.defaultPrinter ? u"1" : u"0");
    const QString own = storesOwnPrinter(ini) ? printers.currentName() : QString();
    ini.writeString(Section, u"Tiskarna", own);
}

void applyStoredPrinter(platform::PrinterState &printers, const platform::IniFile &ini,
                        const QString &systemDefault)
{
    if (!storesOwnPrinter(ini))
        return;
    const int own = int(printers.names.lastIndexOf(ini.readString(Section, u"Tiskarna")));
    printers.current = own >= 0 ? own : int(printers.names.indexOf(systemDefault));
}

void afterPrinterSetup(platform::PrinterState &printers, const QString &chosen, const QStringList &fresh,
                       platform::IniFile &ini)
{
    const int stored = int(printers.names.size());
    const int index = int(fresh.indexOf(chosen));
    if (index >= 0 && index < stored && printers.names.at(index) == chosen) {
        printers.current = index;
    } else if (fresh.size() > stored && index >= stored) {
        // A network printer the dialog lists as "name on server".
        const QString name = chosen.section(u" on "_s, 0, 0);
        const int match = int(printers.names.lastIndexOf(name));
        if (match >= 0)
            printers.current = match;
    } else if (const int match = int(printers.names.lastIndexOf(chosen)); match >= 0) {
        printers.current = match;
    }
    storeCurrent(ini, printers);
}

void choosePrinter(platform::PrinterState &printers, int index, platform::IniFile &ini)
{
    if (index < 0 || index >= printers.names.size())
        return;
    printers.current = index;
    storeCurrent(ini, printers);
}

QPoint loadWindowPosition(const platform::IniFile &ini, int screenWidth)
{
    const bool small = screenWidth <= 640;
    return {ini.readInteger(Section, u"Tisk3Left", small ? 28 : 108),
            ini.readInteger(Section, u"Tisk3Top", small ? 0 : 65)};
}

void saveWindowPosition(platform::IniFile &ini, const QPoint &topLeft)
{
    platform::writeIfPossible([&] {
        ini.writeInteger(Section, u"Tisk3Top", topLeft.y());
        ini.writeInteger(Section, u"Tisk3Left", topLeft.x());
    });
}

} // namespace print
