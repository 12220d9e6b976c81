#pragma once

#include "platform/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;
class QRectF;

namespace platform {

// The printers installed on this computer. The opening of a settlement and
// the print window choose among them; tests hand in a fixed list.
class IPrinters
{
public:
    virtual ~IPrinters() = default;
    // Names in the order the system lists them.
    virtual QStringList printerNames() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString defaultPrinterName() const = 0;
};

// The printers the main window keeps for the print window: the list of
// names (filled once) and the current one.
struct PrinterState
{
    QStringList names;
    int current = -1; // index into names, -1 for the system default

    QString currentName() const
    {
        return current >= 0 && current < names.size() ? names.at(current) : QString();
    }
};

// The system's printers through Qt's print support.
class QtPrinters : public IPrinters
{
public:
    QStringList printerNames() const override;
    QString defaultPrinterName() const override;
};

// A fixed list, for tests and tools.
class FixedPrinters : public IPrinters
{
public:
    FixedPrinters(QStringList names, QString defaultName)
        : m_names(std::move(names)), m_default(std::move(defaultName))
    {}
    QStringList printerNames() const override { return m_names; }
    QString defaultPrinterName() const override { return m_default; }

private:
    QStringList m_names;
    QString m_default;
};

// Sheets to print: drawn on demand into the whole paper rectangle (A4
// portrait), so the printer, a PDF file and the preview share one drawing.
struct PrintJob
{
    QString title; // names the job in the printer's queue
    int sheetCount = 0;
    std::function<void(QPainter &painter, const QRectF &paper, int sheet)> paint;
};

// Where print jobs go. A job that is not taken throws platform::Error with
// the Czech reason.
class IPrintOutput
{
public:
    virtual ~IPrintOutput() = default;
    // One job on the named printer (empty: the system default); `copies` is
    // what the printer is asked to make of each sheet.
    virtual void print(const QString &printerName, int copies, const PrintJob &job) = 0;
    // The sheets as one PDF file; an existing file is replaced.
    virtual void writePdf(const QString &path, const PrintJob &job) = 0;
};

// Keeps every job instead of printing it: for tests and for running without
// a printer.
class RecordingPrintOutput : public IPrintOutput
{
public:
    struct Job
    {
        QString printer; // empty for the system default; the path for a PDF file
        int copies = 1;
        QString title;
        int sheetCount = 0;
        bool pdf = false;
        bool operator==(const Job &) const = default;
    };

    void print(const QString &printerName, int copies, const PrintJob &job) override
    {
        m_jobs.append({printerName, copies, job.title, job.sheetCount, false});
        failIfSet();
    }
    void writePdf(const QString &path, const PrintJob &job) override
    {
        m_jobs.append({path, 1, job.title, job.sheetCount, true});
        failIfSet();
    }

    const QList<Job> &jobs() const { return m_jobs; }
    void clear() { m_jobs.clear(); }
    // Every later job fails, as a printer that went offline.
    void setFailing(bool fail) { m_fail = fail; }

private:
    void failIfSet() const
    {
        if (m_fail)
            throw Error(QStringLiteral("Tiskárna není připravena."));
    }

    QList<Job> m_jobs;
    bool m_fail = false;
};

// Qt's print support: QPrinter for printers, QPdfWriter for files.
class QtPrintOutput : public IPrintOutput
{
public:
    void print(const QString &printerName, int copies, const PrintJob &job) override;
    void writePdf(const QString &path, const PrintJob &job) override;
};

} // namespace platform
