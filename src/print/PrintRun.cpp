#include "print/PrintRun.h"

#include "platform/ErrorReason.h"

#include <exception>
#include <memory>

using namespace Qt::StringLiterals;

namespace print {

namespace {

// Hourglass for a scope, also when the production throws.
class BusyScope
{
public:
    explicit BusyScope(const std::function<void(bool)> &busy) : m_busy(busy)
    {
        if (m_busy)
            m_busy(true);
    }
    ~BusyScope() { release(); }
    void release()
    {
        if (m_busy && m_on)
            m_busy(false);
        m_on = false;
    }

private:
    const std::function<void(bool)> &m_busy;
    bool m_on = true;
};

} // namespace

PrintRun::PrintRun(IPageProducer &pages, IPreview &preview, platform::IPrintOutput &output,
                   platform::IMessages &messages)
    : m_pages(pages), m_preview(preview), m_output(output), m_messages(messages)
{}

PrintParameters PrintRun::currentParameters() const
{
    PrintParameters p = parameters ? parameters() : PrintParameters{};
    p.copies = std::clamp(p.copies, 1, 999);
    return p;
}

void PrintRun::setStatus(const QString &text)
{
    if (status)
        status(text);
}

void PrintRun::VyberTypuNahledVY(int selected)
{
    if (!isPageNode(selected))
        return;
    const PageGroup *group = pageGroup(selected);
    if (beforeProduce)
        beforeProduce();
    if (!currentParameters().browse || !group->browsable) {
        m_browse = {};
        PickReport(1, selected);
        return;
    }
    m_browse = {true, selected, 0, 0, group->header, group->first, group->last};
    while (m_browse.browsing && m_browse.current >= group->first && m_browse.current <= group->last) {
        const int shown = m_browse.current;
        m_browse.previous = shown - 1;
        m_browse.next = shown + 1;
        PickReport(1, shown);
        // A preview that closed without choosing another page ends browsing.
        if (m_browse.current == shown)
            break;
    }
    m_browse = {};
}

void PrintRun::VyberTypuTiskVY(int selected)
{
    if (!isPageNode(selected))
        return;
    if (beforeProduce)
        beforeProduce();
    const QList<int> pages = pageSet(selected, currentParameters().pageSet);
    if (pages.isEmpty() || !passChecks(selected, u"Přesto tisknout?"_s))
        return;
    for (int page : pages)
        PickReport(2, page);
}

bool PrintRun::passChecks(int selected, const QString &question)
{
    if (!checks)
        return true;
    const QList<statements::FilingIssue> issues = checks({pageGroup(selected)->part});
    if (issues.isEmpty())
        return true;
    return m_messages.confirm(u"Finanční úřad by mohl vyúčtování vrátit:\n\n"_s +
                              statements::filingIssuesText(issues) + u'\n' + question);
}

void printWithCopies(platform::IPrintOutput &output, const QString &printer, const platform::PrintJob &job,
                     int copies, bool printerCopies)
{
    copies = std::clamp(copies, 1, 999);
    // A printer that cannot make copies itself gets each copy as a job.
    const int jobs = printerCopies ? 1 : copies;
    for (int i = 0; i < jobs; ++i)
        output.print(printer, printerCopies ? copies : 1, job);
}

void PrintRun::Tisk2(const platform::PrintJob &job, const PrintParameters &params)
{
    const QString printer = printerName ? printerName() : QString();
    printWithCopies(m_output, printer, job, params.copies, params.printerCopies);
}

void PrintRun::PickReport(int mode, int page)
{
    if (!isPageNode(page))
        return;
    const bool printing = mode == 2;
    try {
        if (beforeProduce)
            beforeProduce();
        const PrintParameters params = currentParameters();
        if (printing)
            m_browse.browsing = false;
        setStatus(printing ? u"Odesílám data do tiskárny ..."_s : u"Připravuje se náhled před tiskem ..."_s);
        BusyScope hourglass(busy);
        const platform::PrintJob job = m_pages.produce(page);
        if (printing) {
            Tisk2(job, params);
        } else {
            hourglass.release();
            PreviewRequest request;
            request.job = job;
            request.statusLine = page == MultiSheetPage ? u"Budou vytištěny všechny stránky."_s
                                                        : u"Bude vytištěna zobrazená stránka."_s;
            request.browse = m_browse.browsing ? &m_browse : nullptr;
            request.print = [this, job, params] {
                try {
                    Tisk2(job, params);
                } catch (const platform::Error &e) {
                    m_messages.information(failedText(e.message()));
                }
            };
            m_preview.showPreview(request);
        }
    } catch (const std::exception &e) {
        setStatus({});
        m_messages.information(failedText(platform::reasonOf(e)));
        return;
    }
    setStatus({});
}

bool PrintRun::writePdf(int selected, const QString &path)
{
    if (!isPageNode(selected) || path.isEmpty())
        return false;
    if (beforeProduce)
        beforeProduce();
    const QList<int> pages = pageSet(selected, currentParameters().pageSet);
    if (pages.isEmpty() || !passChecks(selected, u"Přesto uložit do PDF?"_s))
        return false;

    auto jobs = std::make_shared<QList<platform::PrintJob>>();
    platform::PrintJob all;
    all.title = pageGroup(selected)->title;
    {
        BusyScope hourglass(busy);
        setStatus(u"Ukládám do souboru PDF ..."_s);
        try {
            for (int page : pages) {
                jobs->append(m_pages.produce(page));
                all.sheetCount += jobs->back().sheetCount;
            }
        } catch (const std::exception &e) {
            hourglass.release();
            setStatus({});
            m_messages.information(failedText(platform::reasonOf(e)));
            return false;
        }
        all.paint = [jobs](QPainter &painter, const QRectF &paper, int sheet) {
            for (const platform::PrintJob &job : *jobs) {
                if (sheet < job.sheetCount) {
                    job.paint(painter, paper, sheet);
                    return;
                }
                sheet -= job.sheetCount;
            }
        };
        QString failure;
        try {
            m_output.writePdf(path, all);
        } catch (const platform::Error &e) {
            failure = e.message();
        }
        hourglass.release();
        setStatus({});
        if (!failure.isEmpty()) {
            m_messages.error(u"Soubor PDF se nepodařilo uložit.\n"_s + failure);
            return false;
        }
    }
    return true;
}

} // namespace print
