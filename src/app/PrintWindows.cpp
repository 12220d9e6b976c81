#include "app/PrintWindows.h"

#include "app/AppPaths.h"
#include "app/SettlementOpening.h"
#include "app/TMainForm.h"
#include "app/Version.h"
#include "platform/FileOps.h"
#include "print/FormPagesProducer.h"
#include "print/TEmtfForm.h"
#include "print/TPrevForm.h"

#include <QPrintDialog>
#include <QPrinter>

namespace app {

Printing::Printing(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages, AppPaths &paths,
                   SettlementOpening &opening, const platform::IPrinters &printers)
    : m_main(main), m_dm(dm), m_messages(messages), m_paths(paths), m_opening(opening), m_printers(printers),
      m_preview(std::make_unique<print::TPrevForm>(messages, &main))
{
    m_preview->iniPath = [this] {
        return m_opening.iniFile().isEmpty() ? QString() : platform::FileOps::resolve(m_opening.iniFile());
    };
    main.attachStatementWindow(5, [this] { return showPrintWindow(); });
}

Printing::~Printing() = default;

int Printing::showPrintWindow()
{
    // Layouts are loaded anew for every opening of the window, so a change
    // of the font family takes effect on the next one.
    print::FormPagesProducer pages(m_dm, m_paths.TypPisma);
    print::TEmtfForm form({m_dm, m_messages, platform::FileOps::resolve(m_opening.iniFile()),
                           m_opening.printers(), m_printers, m_output, pages, *m_preview, m_paths.TypPisma,
                           Version::TaxYear, &m_main},
                          &m_main);
    form.printerSetupDialog = [&form](const QString &current) {
        QPrinter printer;
        if (!current.isEmpty())
            printer.setPrinterName(current);
        QPrintDialog dialog(&printer, &form);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        return dialog.exec() == QDialog::Accepted ? printer.printerName() : QString();
    };
    form.exec();
    return 0;
}

} // namespace app
