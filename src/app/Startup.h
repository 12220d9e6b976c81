#pragma once

#include "settlement/AppPaths.h"

#include <QSize>
#include <QString>

namespace platform {
class IMessages;
}

namespace app {

// Size, position and state of the main window, independent of any widget.
struct WindowPlacement
{
    // A minimised window is saved as a maximised one, as is any state but
    // the normal one.
    enum class State
    {
        Normal,
        Maximized,
        Minimized
    };

    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    State state = State::Normal;

    bool operator==(const WindowPlacement &) const = default;
};

// What the start learns and decides beside the directories; it changes
// while the program starts, the paths do not.
struct StartupFlags
{
    // The first activation of the main window has not yet completed the start.
    bool pending = true;
    int localDataVersion = 0;   // Data\Verze.ini of the local data root
    int networkDataVersion = 0; // the same of the network data root
    // Which fonts the reports use (Qesto.ini), saved back at the end.
    int TypPisma = 0;
};

// The parts of completing the start that belong to the table engine and to
// the windows. The main window implements them; tests record the calls.
class IStartupHooks
{
public:
    virtual ~IStartupHooks() = default;

    // Before the network data root is attached.
    virtual void disconnectDatabases() {}
    // Points the session's network control directory and the settlement list
    // database at the data root.
    virtual void attachDataRoot(const QString & /*fileDir*/) {}
    virtual void removeStaleLockFiles(const QString & /*dir*/) {}
    virtual void upgradeListFiles(const QString & /*fileDir*/) {}
    // The window "Výběr práce s daty", shown while no choice between local
    // and network data is stored; it may change paths.FileDir.
    virtual void chooseDataWork(settlement::AppPaths & /*paths*/) {}
    // Hourglass cursor while the templates are copied.
    virtual void setBusy(bool /*busy*/) {}
    virtual void previousVersionCheck() {}
    // False when the user chose to end the program there.
    virtual bool openSettlementSelection() { return true; }
};

// The main window's start-up and closing logic without the window.
class Startup
{
public:
    enum class Activation
    {
        AlreadyDone,     // not the first activation: nothing to do
        NoDataDirectory, // the error was shown; close the main window
        Quit,            // the user ended the program in the selection
        Ready,
    };

    Startup(settlement::AppPaths &paths, platform::IMessages &messages, IStartupHooks &hooks);

    // Reads Data\Verze.ini of a data root; 0 when absent or unreadable.
    static int readDataVersion(const QString &dataRoot);

    StartupFlags &flags() { return m_flags; }
    const StartupFlags &flags() const { return m_flags; }
    // The warning for a data directory of another version, or empty.
    static QString versionMessage(int dataVersion);

    static WindowPlacement initialWindowSize(QSize screen);
    // The placement stored in the local Qesto.ini applied to current.
    static WindowPlacement restorePlacement(const QString &settingsIni, QSize screen,
                                            const WindowPlacement &current);

    // The main window's creation after the data root was resolved: makes the
    // root the current directory, checks the version and gives the
    // placement to show the window with.
    WindowPlacement formCreate(QSize screen);

    // The first activation of the main window; later calls do nothing.
    Activation formActivate();

    // Saves the placement and TypPisma; on failure leaves "Verze.txt" and
    // shows the error. Returns whether saving succeeded.
    bool formClose(const WindowPlacement &placement);

    // Copies the local templates to the network data root when its version is
    // older and warns when it is newer. Returns false when copying failed.
    bool refreshNetworkTemplates();

private:
    void switchToNetworkRoot();

    settlement::AppPaths &m_paths;
    platform::IMessages &m_messages;
    IStartupHooks &m_hooks;
    StartupFlags m_flags;
};

} // namespace app
