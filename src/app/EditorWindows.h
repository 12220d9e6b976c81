#pragma once

#include "widgets/FormPlace.h"

#include <functional>

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}

namespace app {

class TMainForm;

// Attaches the company data editor and the statement windows to the main
// window's commands and to Dpp1. Each window is created for its showing and
// destroyed when it closes; `settlementIni` names the open settlement's INI
// file and section at that moment.
void attachEditors(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                   std::function<widgets::SettlementIni()> settlementIni);

} // namespace app
