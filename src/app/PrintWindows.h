#pragma once

#include "app/Dispatch.h"
#include "platform/Printers.h"
#include "print/CompanyList.h"

#include <QPointer>

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

namespace settlement {
class SettlementOpening;
} // namespace settlement

namespace app {

class TMainForm;

// The printing of the program: the preview that lives for the whole run
// (a child of the main window, which owns it), the printer output, and the
// print window attached as kind 5 of Dpp1 (the "&Tisk" command, F6, and the
// end of the editor chain).
class Printing
{
public:
    Printing(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
             settlement::SettlementOpening &opening, const platform::IPrinters &printers);
    ~Printing();

    print::TPrevForm &preview();

    // The menu item "Tisk &seznamu firem": the settlements as the list
    // window shows them, previewed.
    void setCompanyList(std::function<QList<print::CompanyListRow>()> rows);
    void Tiskseznamufirem1Click(const QList<print::CompanyListRow> &rows);

private:
    StatementKind showPrintWindow();
    // Which fonts the reports use: read by the start, changed by the print
    // window, saved when the program ends.
    int &typPisma();

    TMainForm &m_main;
    data::TDM1 &m_dm;
    platform::IMessages &m_messages;
    settlement::SettlementOpening &m_opening;
    const platform::IPrinters &m_printers;
    platform::QtPrintOutput m_output;
    QPointer<print::TPrevForm> m_preview;
};

} // namespace app
