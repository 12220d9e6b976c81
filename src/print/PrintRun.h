#pragma once

#include "platform/Error.h"
#include "platform/Messages.h"
#include "platform/Printers.h"
#include "print/PageTree.h"
#include "statements/FilingChecks.h"

#include <QString>

#include <functional>

namespace print {

// The print parameters of Dmt as they stand when a page is produced.
struct PrintParameters
{
    int copies = 1;                    // Kop
    bool printerCopies = false;        // Pk: the printer makes the copies in one job
    bool browse = true;                // Prh1
    QString pageSet = PageSetSelected; // Trh1
};

// The half of a page production that fills the layout: the sheets of one
// page of the open settlement. Throws (std::exception) when the page cannot
// be made.
class IPageProducer
{
public:
    virtual ~IPageProducer() = default;
    virtual platform::PrintJob produce(int page) = 0;
};

// What the preview is given for one page.
struct PreviewRequest
{
    platform::PrintJob job;
    QString statusLine;
    // While paging through a statement: the shared state whose current page
    // the navigation commands set before the preview closes; else nullptr.
    BrowseState *browse = nullptr;
    // Printing from the preview, with the copies of Kop and Pk.
    std::function<void()> print;
};

class IPreview
{
public:
    virtual ~IPreview() = default;
    // Shows the page modally; returns when the preview closes.
    virtual void showPreview(const PreviewRequest &request) = 0;
};

// Tisk2: one job whose copies the printer makes (Pk), or one job per copy.
// Throws platform::Error as soon as a job is refused.
void printWithCopies(platform::IPrintOutput &output, const QString &printer, const platform::PrintJob &job,
                     int copies, bool printerCopies);

// What the print window's buttons do, without the window: previewing the
// selected page (paging through its statement when Prh1 says so), printing
// the page set of Trh1 with the copies of Kop and Pk, and writing the set to
// a PDF file; before printing or writing, the checks before filing are shown
// as a warning the user may pass.
class PrintRun
{
public:
    PrintRun(IPageProducer &pages, IPreview &preview, platform::IPrintOutput &output,
             platform::IMessages &messages);

    // Dmt as it stands; called after beforeProduce.
    std::function<PrintParameters()> parameters;
    // The printer the jobs go to; empty for the system default.
    std::function<QString()> printerName;
    // Runs before each page: saves the window's settings and posts what the
    // user typed into Dmt and Prp.
    std::function<void()> beforeProduce;
    // Panel 0 of the main status bar.
    std::function<void(const QString &)> status;
    // Hourglass on and off.
    std::function<void(bool)> busy;
    // The findings of the checks before filing for the given parts; none
    // when not set.
    std::function<QList<statements::FilingIssue>(const QList<statements::FilingPart> &)> checks;

    // "&Náhled", double-click or F6 with "Náhled".
    void VyberTypuNahledVY(int selected);
    // "&Tisk" or F6 with "Tisk": every page of the Trh1 set, ascending.
    void VyberTypuTiskVY(int selected);
    // The "PDF" button: the Trh1 set of the selected node into one file.
    // False when nothing was written (declined, failed, nothing to write).
    bool writePdf(int selected, const QString &path);

    // One page: mode 1 preview, 2 print. A failure is reported with "Tisk se
    // nepodařilo vytvořit." and ends only this page.
    void PickReport(int mode, int page);

    const BrowseState &browseState() const { return m_browse; }

    // Texts of the message boxes.
    static QString failedText() { return QStringLiteral("Tisk se nepodařilo vytvořit."); }
    // The same with the reason of the part that failed (a table, a layout)
    // on the next line.
    static QString failedText(const QString &reason)
    {
        return platform::Error::withReason(failedText(), reason);
    }

private:
    PrintParameters currentParameters() const;
    bool passChecks(int selected, const QString &question);
    void Tisk2(const platform::PrintJob &job, const PrintParameters &params);
    void setStatus(const QString &text);

    IPageProducer &m_pages;
    IPreview &m_preview;
    platform::IPrintOutput &m_output;
    platform::IMessages &m_messages;
    BrowseState m_browse;
};

} // namespace print
