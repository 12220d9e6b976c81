#pragma once

#include "app/Dispatch.h"
#include "platform/Printers.h"
#include "print/CompanyList.h"

#include <functional>
#include <memory>

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}
namespace print {
class TPrevForm;
}

namespace app {

struct AppPaths;
class SettlementOpening;
class TMainForm;

// The printing of the program: the preview that lives for the whole run,
// the printer output, and the print window attached as kind 5 of Dpp1 (the
// "&Tisk" command, F6, and the end of the editor chain).
class Printing
{
public:
    Printing(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages, AppPaths &paths,
             SettlementOpening &opening, const platform::IPrinters &printers);
    ~Printing();

    print::TPrevForm &preview() { return *m_preview; }

    // The menu item "Tisk &seznamu firem": the settlements as the list
    // window shows them, previewed.
    void setCompanyList(std::function<QList<print::CompanyListRow>()> rows);
    void Tiskseznamufirem1Click(const QList<print::CompanyListRow> &rows);

private:
    StatementKind showPrintWindow();

    TMainForm &m_main;
    data::TDM1 &m_dm;
    platform::IMessages &m_messages;
    AppPaths &m_paths;
    SettlementOpening &m_opening;
    const platform::IPrinters &m_printers;
    platform::QtPrintOutput m_output;
    std::unique_ptr<print::TPrevForm> m_preview;
};

} // namespace app
