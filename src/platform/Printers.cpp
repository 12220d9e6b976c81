#include "platform/Printers.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

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

bool QtPrintOutput::print(const QString &printerName, int copies, const PrintJob &job)
{
    m_error.clear();
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    printer.setDocName(job.title);
    printer.setCopyCount(std::max(copies, 1));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer)) {
        m_error = u"Tiskárnu „%1“ se nepodařilo otevřít."_s.arg(printerName.isEmpty() ? printer.printerName()
                                                                                      : printerName);
        return false;
    }
    paintSheets(painter, printer, job);
    if (!painter.end()) {
        m_error = u"Tisk na tiskárnu „%1“ se nezdařil."_s.arg(printer.printerName());
        return false;
    }
    return true;
}

bool QtPrintOutput::writePdf(const QString &path, const PrintJob &job)
{
    m_error.clear();
    // Written beside the target and renamed at the end, so a failure never
    // leaves half a file where an older one was.
    QSaveFile file(path);
    const QString failed = u"Soubor „%1“ se nepodařilo zapsat."_s.arg(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = failed + u' ' + file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(job.title);
        writer.setCreator(u"Qesto"_s);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&writer)) {
            m_error = failed;
            file.cancelWriting();
            return false;
        }
        paintSheets(painter, writer, job);
        painter.end();
    }
    if (!file.commit()) {
        m_error = failed + u' ' + file.errorString();
        return false;
    }
    return true;
}

} // namespace platform
