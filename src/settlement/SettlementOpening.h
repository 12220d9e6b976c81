#pragma once

#include "backup/BackupJobs.h"
#include "data/Upgrade.h"
#include "platform/Printers.h"
#include "settlement/AppPaths.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
} // namespace platform

namespace settlement {

// The settlement list window as the opening sees it.
class ISettlementSelection
{
public:
    virtual ~ISettlementSelection() = default;
    // Forgets a quit request left from the last showing.
    virtual void clearQuit() {}
    // Shows the list modally; false when the user ended the program there
    // ("&Konec").
    virtual bool choose() = 0;
    // The directory name ("D1") of the chosen entry; empty for an empty list.
    virtual QString selectedDirectory() const = 0;
};

// The new-year rollover on the open settlement: mode 1 the full rollover,
// mode 2 only the archive.
class IRollover
{
public:
    virtual ~IRollover() = default;
    virtual void NovyRok2(int mode) = 0;
};

// The printers the main window keeps for the print window.
using PrinterState = platform::PrinterState;

// What an opening did beyond opening the tables.
struct OpeningReport
{
    // The rollover mode found pending in the settlement's INI file (0 for
    // none), and whether it was carried out.
    int pendingRollover = 0;
    bool rolledOver = false;
    bool recomputed = false;
    // What the table opening upgraded (before a rollover reopened them).
    data::UpgradeFlags upgraded;
    // The operation whose unfinished change was undone; empty for none.
    QString rolledBack;
    // What the user is told (status bar, or stderr of the command line);
    // empty when there is nothing to tell.
    QString notice() const;
};

// The one opening of a settlement, which the program, every command of
// qesto-cli, the restore and the rollover use: a restore stopped half-way
// is completed, stale lock files go from the settlement and the template
// directories, the tables are opened (an unfinished change of several tables
// rolled back, older files upgraded), a pending new-year rollover is carried
// out once, and both statements are recomputed when an upgrade asked for it,
// also when a rollover ran after it. Without a rollover a pending request
// stays in the INI file for a program that can carry it out. dm's database
// path is set to settlementDir; the paths are stored paths. Throws
// platform::Error; the tables are closed then.
OpeningReport openSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &templateDir,
                             const QString &iniFile, IRollover *rollover,
                             const std::function<void(data::TDM1 &)> &recalc);

// openSettlement as the backup and the restore reopen the settlement with it:
// it gives the lines the user is told (an undone change, tables created
// empty).
backup::Reopening reopening(const QString &settlementDir, const QString &templateDir, const QString &iniFile,
                            IRollover *rollover, std::function<void(data::TDM1 &)> recalc);

// The name under which a rollover's change is recorded.
QString rolloverOperation();

// Opening a settlement (VyberDanoveho) and the state of the open one: its
// directory, its INI file and the printer chosen for it.
class SettlementOpening
{
public:
    enum class Result
    {
        Opened,
        Failed, // the message was shown; the selection is kept
        Quit,   // "&Konec" in the list: the program ends
    };

    SettlementOpening(const AppPaths &paths, platform::IMessages &messages, data::TDM1 &dm,
                      const platform::IPrinters &printers);

    void setSelection(ISettlementSelection *selection) { m_selection = selection; }
    // Without a rollover a pending request stays in the settlement's INI file
    // until a program that can carry it out opens the settlement.
    void setRollover(IRollover *rollover) { m_rollover = rollover; }
    // Hourglass on and off around the table work.
    void setBusy(std::function<void(bool)> busy) { m_busy = std::move(busy); }
    // Recomputes both statements and reopens the tables; by default
    // statements::PrepocetVY.
    void setRecalc(std::function<void(data::TDM1 &)> recalc) { m_recalc = std::move(recalc); }
    // Told after a settlement has been opened, for the windows that keep
    // settings per settlement.
    void setOpened(std::function<void()> opened) { m_opened = std::move(opened); }

    // The opening of the chosen settlement, for the backup and the restore.
    backup::Reopening reopening() const;

    // Lets the user pick a settlement and opens it.
    Result VyberDanoveho();
    // The steps after the choice, for the given directory name.
    Result open(const QString &dirName);

    // Whether the commands that need an open settlement may be used: a
    // directory is chosen, exists, and its tables are open.
    bool TypDp1() const;

    const QString &directoryName() const { return m_dirName; }
    // Relative to FileDir: "D1\D1.ini"; empty while none is chosen.
    QString iniPath() const;
    // The INI file of the open settlement as a stored path.
    QString iniFile() const;
    const PrinterState &printers() const { return m_printers; }
    PrinterState &printers() { return m_printers; }
    // The rollover mode the last opening found pending (0 for none).
    int pendingRollover() const { return m_pendingRollover; }

    // The eleven files of a settlement, in the order they are always walked.
    static QStringList DatoveSoubory();
    static int fileCount() { return 11; }

    // The printer an opening selects: the system default, replaced by the
    // settlement's own one when [Tisk] "Vychozi" is 0 and "Tiskarna" names
    // an installed printer (exact comparison, the last match).
    static int choosePrinter(const QStringList &names, const QString &defaultName, bool vychozi,
                             const QString &tiskarna);

private:
    void selectPrinter();
    void openTables();

    const AppPaths &m_paths;
    platform::IMessages &m_messages;
    data::TDM1 &m_dm;
    const platform::IPrinters &m_printerSource;
    ISettlementSelection *m_selection = nullptr;
    IRollover *m_rollover = nullptr;
    std::function<void(bool)> m_busy;
    std::function<void(data::TDM1 &)> m_recalc;
    std::function<void()> m_opened;

    QString m_dirName;
    PrinterState m_printers;
    int m_pendingRollover = 0;
};

} // namespace settlement
