#pragma once

// The main window over a data root with one settlement, "D1", and the data
// module reporting to it as the program has them; a settlement is opened
// through the window's own opening with a scripted choice in the list.

#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "platform/FileOps.h"
#include "platform/Printers.h"
#include "settlement/AppPaths.h"
#include "settlement/SettlementOpening.h"

#include <QTemporaryDir>
#include <QWidget>

namespace apptest {

struct Selection : settlement::ISettlementSelection
{
    QString directory = QStringLiteral("D1");
    // The main window's caption while the list is shown.
    const QWidget *main = nullptr;
    QString captionWhileChoosing;
    bool choose() override
    {
        if (main)
            captionWhileChoosing = main->windowTitle();
        return true;
    }
    QString selectedDirectory() const override { return directory; }
};

class MainWindowFixture
{
public:
    MainWindowFixture()
        : root(platform::FileOps::withTrailingSeparator(dir.path())),
          printers({QStringLiteral("Laser")}, QStringLiteral("Laser")), main(paths, messages),
          opening(paths, messages, dm, printers)
    {
        if (!data::createDataRoot(root).isEmpty())
            qFatal("no data root");
        paths.FileDirPrg = paths.FileDirLocal = paths.FileDir = root;
        paths.dataDirFound = true;
        main.startup().flags().pending = false;
        dm.DM1Create(root);
        registry::test::createSettlements({paths.FileDirLocal, paths.FileDir, QStringLiteral("215")},
                                          messages, dm.openOptions(), {QStringLiteral("Firma")});
        opening.setSelection(&selection);
        main.setDataModule(&dm);
        main.setOpening(&opening);
    }
    // The program lets the window go first; here the module goes first, so
    // the window must not reach for it.
    ~MainWindowFixture()
    {
        main.setDataModule(nullptr);
        main.setOpening(nullptr);
    }

    void open(const QString &directory = QStringLiteral("D1"))
    {
        selection.directory = directory;
        main.VyberDanoveho();
    }

    QTemporaryDir dir;
    QString root;
    settlement::AppPaths paths;
    platform::ScriptedMessages messages;
    platform::FixedPrinters printers;
    Selection selection;
    app::TMainForm main;
    data::TDM1 dm{{.status = main, .caption = main, .datePicker = data::none, .recalc = data::none}};
    settlement::SettlementOpening opening;
};

} // namespace apptest
