#include "platform/Printers.h"

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

using namespace Qt::StringLiterals;

namespace platform {

QStringList QtPrinters::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinters::defaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName();
}

namespace {

void paintSheets(QPainter &painter, QPagedPaintDevice &device, const PrintJob &job)
{
    const QRectF paper(0, 0, device.width(), device.height());
    for (int sheet = 0; sheet < job.sheetCount; ++sheet) {
        if (sheet > 0)
            device.newPage();
        if (job.paint)
            job.paint(painter, paper, sheet);
    }
}

} // namespace

void QtPrintOutput::print(const QString &printerName, int copies, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    printer.setDocName(job.title);
    printer.setCopyCount(std::max(copies, 1));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer))
        throw Error(u"Tiskárnu „%1“ se nepodařilo otevřít."_s.arg(
            printerName.isEmpty() ? printer.printerName() : printerName));
    paintSheets(painter, printer, job);
    if (!painter.end())
        throw Error(u"Tisk na tiskárnu „%1“ se nezdařil."_s.arg(printer.printerName()));
}

void QtPrintOutput::writePdf(const QString &path, const PrintJob &job)
{
    // Written beside the target and renamed at the end, so a failure (a full
    // disk among them) never leaves a cut file or half a file where an older
    // one was.
    AtomicFile file(path);
    if (!file.open())
        throw Error(file.errorString());
    bool painted = false;
    {
        QPdfWriter writer(file.device());
        writer.setTitle(job.title);
        writer.setCreator(u"Qesto"_s);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (painter.begin(&writer)) {
            paintSheets(painter, writer, job);
            painted = painter.end();
        }
    }
    if (!painted) {
        file.discard();
        throw Error(u"Soubor %1 nelze zapsat."_s.arg(FileOps::nativePath(path)));
    }
    if (!file.commit())
        throw Error(file.errorString());
}

} // namespace platform
