#pragma once

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}

namespace settlement {
class AppPaths;
class SettlementOpening;
} // namespace settlement

namespace app {

class TMainForm;

// Attaches the backup window (menu item and link "Zálohování dat") and the
// restore window to the main window's commands. Each opening computes the
// company file name and creates its window for that showing.
void attachBackupWindows(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                         const settlement::AppPaths &paths, settlement::SettlementOpening &opening);

} // namespace app
