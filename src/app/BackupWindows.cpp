#include "app/BackupWindows.h"

#include "app/TMainForm.h"
#include "backup/TExdForm.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"
#include "settlement/BackupPaths.h"
#include "settlement/SettlementOpening.h"

namespace app {

namespace {

template <class Window>
bool showArchiveWindow(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                       const settlement::AppPaths &paths, settlement::SettlementOpening &opening)
{
    const settlement::AppPathTemplates templates(paths);
    backup::SettlementPlace place;
    place.dirName = opening.directoryName();
    place.settlementDir = paths.FileDir + place.dirName;
    place.iniFile = opening.iniFile();
    place.companyFileName = main.archiveBaseName();

    backup::ArchiveWindowContext context;
    context.dm = &dm;
    context.messages = &messages;
    context.reopen = opening.reopening();
    context.ini =
        widgets::SettlementIni{platform::FileOps::resolve(opening.iniFile()), opening.directoryName()};
    context.busy = [&main](bool busy) { main.setBusy(busy); };
    context.clearStatus = [&main] { main.setStatusText(1, QString()); };
    context.restored = [&dm] { dm.NazevDp1(); };

    Window window(templates, place, context, &main);
    window.exec();
    main.TypDp1();
    return true;
}

} // namespace

void attachBackupWindows(TMainForm &main, data::TDM1 &dm, platform::IMessages &messages,
                         const settlement::AppPaths &paths, settlement::SettlementOpening &opening)
{
    main.setCommandHandler(Command::Zalohovani, [&main, &dm, &messages, &paths, &opening] {
        return showArchiveWindow<backup::TExdForm>(main, dm, messages, paths, opening);
    });
    main.setCommandHandler(Command::Obnoveni, [&main, &dm, &messages, &paths, &opening] {
        return showArchiveWindow<backup::TExd1Form>(main, dm, messages, paths, opening);
    });
}

} // namespace app
