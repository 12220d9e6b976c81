#include "platform/Printers.h"

#include <QPrinterInfo>

namespace platform {

QStringList QtPrinters::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinters::defaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName();
}

} // namespace platform
