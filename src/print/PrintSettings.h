#pragma once

#include "platform/IniFile.h"
#include "platform/Printers.h"

#include <QPoint>

namespace print {

// The print window's settings in the settlement's INI file, section "Tisk":
// what F6 does, whether opening a company selects the system's default
// printer, and which printer otherwise.
struct PrintWindowSettings
{
    bool f6Prints = false;      // "Tisk": "1" print, "0" or absent preview
    bool defaultPrinter = true; // "Vychozi": absent means "1"
};

// Nacist1 without the printer: what the boxes of the window show.
PrintWindowSettings loadPrintSettings(const platform::IniFile &ini);
// Ulozit1: "Tisk", "Vychozi", and "Tiskarna" = the current printer's name
// while "Vychozi" reads 0, else empty. Throws platform::Error when the file
// cannot be written.
void savePrintSettings(platform::IniFile &ini, const PrintWindowSettings &settings,
                       const platform::PrinterState &printers);

// VyberTisk1: with "Vychozi" 0 the stored "Tiskarna" becomes the current
// printer (exact comparison, the last match) or, when it is no longer
// installed, the system default; otherwise the current printer stays.
void applyStoredPrinter(platform::PrinterState &printers, const platform::IniFile &ini,
                        const QString &systemDefault);

// After the system's printer set-up: `chosen` is the printer the dialog
// left current, `fresh` the printer list taken afterwards. A printer the
// dialog reached that the stored list does not hold is looked up by its
// name before " on "; with "Vychozi" 0 the current printer is stored.
void afterPrinterSetup(platform::PrinterState &printers, const QString &chosen, const QStringList &fresh,
                       platform::IniFile &ini);

// A printer picked in the drop-down; stored when "Vychozi" is 0.
void choosePrinter(platform::PrinterState &printers, int index, platform::IniFile &ini);

// The window's place: "Tisk3Top", "Tisk3Left", defaults by the screen width.
QPoint loadWindowPosition(const platform::IniFile &ini, int screenWidth);
void saveWindowPosition(platform::IniFile &ini, const QPoint &topLeft);

} // namespace print
