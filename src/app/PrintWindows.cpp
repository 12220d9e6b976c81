#include "app/PrintWindows.h"

#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "filing/Municipalities.h"
#include "platform/ErrorReason.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "print/FormPagesProducer.h"
#include "print/TEmtfForm.h"
#include "print/TPrevForm.h"
#include "settlement/AppPaths.h"
#include "settlement/SettlementOpening.h"
#include "settlement/Version.h"

#include <QAction>

#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace app {

Printing::Printing(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                   settlement::SettlementOpening &opening, const platform::IPrinters &printers)
    : m_main(main), m_dm(dm), m_messages(messages), m_opening(opening), m_printers(printers),
      m_preview(new print::TPrevForm(messages, &main))
{
    m_preview->iniPath = [this] {
        return m_opening.iniFile().isEmpty() ? QString() : platform::FileOps::resolve(m_opening.iniFile());
    };
    main.attachStatementWindow(StatementKind::Print, [this] { return showPrintWindow(); });
}

Printing::~Printing() = default;

int &Printing::typPisma()
{
    return m_main.startup().flags().TypPisma;
}

print::TPrevForm &Printing::preview()
{
    return *m_preview;
}

StatementKind Printing::showPrintWindow()
{
    // Layouts are loaded anew for every opening of the window, so a change
    // of the font family takes effect on the next one.
    print::FormPagesProducer pages(m_dm, typPisma());
    print::TEmtfForm form({m_dm, m_messages, platform::FileOps::resolve(m_opening.iniFile()),
                           m_opening.printers(), m_printers, m_output, pages, *m_preview, typPisma(),
                           settlement::Version::TaxYear, &m_main, filing::Municipalities::builtIn().lookup()},
                          &m_main);
    form.printerSetupDialog = [&form](const QString &current) {
        QPrinter printer;
        if (!current.isEmpty())
            printer.setPrinterName(current);
        QPrintDialog dialog(&printer, &form);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        return dialog.exec() == QDialog::Accepted ? printer.printerName() : QString();
    };
    // The filing as XML from beside the PDF: the main window's command.
    form.setElectronicFiling([this] {
        if (QAction *filing = m_main.action(Command::ElektronickePodani))
            filing->trigger();
    });
    // VyberTisku1: the employee list's record position stays out of the
    // status bar while the print window numbers it into sheets.
    m_dm.setVpzStatusShown(false);
    form.exec();
    m_dm.setVpzStatusShown(true);
    return StatementKind::None;
}

void Printing::setCompanyList(std::function<QList<print::CompanyListRow>()> rows)
{
    m_main.setCommandHandler(Command::SeznamFirem, [this, rows = std::move(rows)] {
        Tiskseznamufirem1Click(rows());
        return true;
    });
}

void Printing::Tiskseznamufirem1Click(const QList<print::CompanyListRow> &rows)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_main.setStatusText(0, QStringLiteral("Připravuje se náhled před tiskem ..."));
    print::PreviewRequest request;
    bool ready = false;
    QString reason;
    try {
        const auto sheets = std::make_shared<const QList<print::PreparedPage>>(print::companyListPages(
            rows, m_dm.fieldAs(QStringLiteral("DmtDpl")).asInteger(), typPisma() == 1));
        request.job.title = QStringLiteral("Seznam firem");
        request.job.sheetCount = int(sheets->size());
        request.job.paint = [sheets](QPainter &painter, const QRectF &paper, int sheet) {
            print::renderPage(painter, paper, sheets->at(sheet));
        };
        // The printer and copies set last in the print window.
        const int copies = m_dm.fieldAs(QStringLiteral("DmtKop")).asInteger();
        const bool printerCopies = m_dm.fieldAs(QStringLiteral("DmtPk")).asBoolean();
        request.print = [this, job = request.job, copies, printerCopies] {
            try {
                print::printWithCopies(m_output, m_opening.printers().currentName(), job, copies,
                                       printerCopies);
            } catch (const platform::Error &e) {
                m_messages.information(print::PrintRun::failedText(e.message()));
            }
        };
        ready = true;
    } catch (const std::exception &e) {
        reason = platform::reasonOf(e);
    }
    QGuiApplication::restoreOverrideCursor();
    if (ready)
        m_preview->showPreview(request);
    else
        m_messages.information(print::PrintRun::failedText(reason));
    m_main.setStatusText(0, QString());
}

} // namespace app
