#include "app/EditorWindows.h"

#include "app/TMainForm.h"
#include "company/TEprpForm.h"
#include "filing/Municipalities.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"
#include "statements/TEpkvForm.h"
#include "statements/TEpzForm.h"

namespace app {

namespace {

// A statement window shown modally; the kind it asked to go on to.
template <class Form>
StatementDispatch::ShowWindow showing(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                                      const std::function<widgets::SettlementIni()> &ini)
{
    return [&main, &dm, &messages, ini] {
        Form form(dm, messages, ini(), &main);
        form.exec();
        return form.nextKind();
    };
}

} // namespace

void attachEditors(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                   std::function<widgets::SettlementIni()> settlementIni)
{
    main.setCommandHandler(Command::UdajeOFirme, [&main, &dm, &messages, settlementIni] {
        company::TEprpForm form(dm, messages, settlementIni(), &main);
        form.exec();
        return true;
    });
    main.attachStatementWindow(statements::TEdvl1Form::Kind,
                               showing<statements::TEdvl1Form>(main, dm, messages, settlementIni));
    main.attachStatementWindow(StatementKind::EmployeeCount, [&main, &dm, &messages, settlementIni] {
        statements::TEpzForm form(dm, messages, settlementIni(), &main);
        form.setMunicipalities(filing::Municipalities::builtIn().lookup());
        form.exec();
        return form.nextKind();
    });
    main.attachStatementWindow(statements::TEpkvForm::Kind,
                               showing<statements::TEpkvForm>(main, dm, messages, settlementIni));
    main.attachStatementWindow(statements::TEpkvbForm::Kind,
                               showing<statements::TEpkvbForm>(main, dm, messages, settlementIni));
    main.attachStatementWindow(statements::TEdvpaForm::Kind,
                               showing<statements::TEdvpaForm>(main, dm, messages, settlementIni));
}

} // namespace app
