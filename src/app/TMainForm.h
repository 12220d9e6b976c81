// Main window: menus, speed buttons, status bar and every command.
#pragma once

#include "app/Commands.h"
#include "app/Dispatch.h"
#include "app/Startup.h"
#include "data/StatusSink.h"
#include "data/TableRules.h"
#include "settlement/SettlementOpening.h"

#include <QHash>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QStatusBar>

#include <array>
#include <functional>

class QLabel;
class QMenu;
class QToolButton;

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}

namespace app {

class TUseHTMLHelp;

// The main window's status bar: four panels side by side. Panel 0 carries
// hints and messages, 1 the record position, 2 "EDIT", 3 nothing.
class StatusPanels : public QStatusBar
{
    Q_OBJECT

public:
    static constexpr int PanelCount = 4;
    enum Panel
    {
        MessagePanel = 0,
        PositionPanel = 1,
        EditPanel = 2,
    };

    // How the record position reads: "3/12", "0/0", "Nový záznam".
    static QString positionText(const data::RecordPosition &position);

    explicit StatusPanels(QWidget *parent = nullptr);

    void setText(int panel, const QString &text);
    QString text(int panel) const;
    int panelWidth(int panel) const;

    // Panel 0 takes what the others leave, but never less than 324 pixels.
    static int firstPanelWidth(int barWidth) { return barWidth <= 450 ? 324 : barWidth - 126; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutPanels();

    std::array<QLabel *, PanelCount> m_panels{};
};

// The frame of the program: menus, speed buttons, the backup link and the
// status bar; the start-up and closing of the program; every command.
// Commands whose windows live in other parts of the program are attached
// with setCommandHandler (statement windows through dispatch()); until
// then they stay disabled.
class TMainForm : public QMainWindow,
                  public data::IStatusSink,
                  public data::ICaptionSink,
                  public IStartupHooks
{
    Q_OBJECT

public:
    TMainForm(settlement::AppPaths &paths, platform::IMessages &messages, QWidget *parent = nullptr);
    ~TMainForm() override;

    // ---- objects created after the window (the data module, the opening)
    void setDataModule(data::TDM1 *dm);
    void setOpening(settlement::SettlementOpening *opening) { m_opening = opening; }
    void setHelp(TUseHTMLHelp *help) { m_help = help; }
    // The settlement list's part of completing the start: disconnecting and
    // attaching the list, upgrading its files, the data work choice and the
    // conversion check.
    void setListHooks(IStartupHooks *hooks) { m_listHooks = hooks; }
    Startup &startup() { return m_startup; }
    const Startup &startup() const { return m_startup; }

    // ---- life cycle
    // Version check and placement; gives the placement to show with.
    WindowPlacement FormCreate(QSize screen);
    void FormShow();
    // The first activation completes the start; later ones do nothing.
    void FormActivate();
    void FormDestroy();
    // Shows the window as placed; the first activation follows from the
    // event loop.
    void showPlaced(const WindowPlacement &placement);
    WindowPlacement currentPlacement() const;
    // Why the program ended: false when the start failed for want of data.
    bool startedNormally() const { return m_startedNormally; }

    // ---- commands
    QAction *action(Command command) const { return m_actions.value(command); }
    QMenu *menu(const QString &name) const;
    QToolButton *speedButton(Command command) const;
    QLabel *linkLabel() const { return m_link; }
    // A command's window: returns true when it ended with OK (used by the
    // payroll transfer, which then opens the employment statement).
    using CommandHandler = std::function<bool()>;
    void setCommandHandler(Command command, CommandHandler handler);
    StatementDispatch &dispatch() { return m_dispatch; }
    void attachStatementWindow(StatementKind kind, StatementDispatch::ShowWindow show);
    void Dpp1(StatementKind kind);
    // Enables or disables the commands that need an open settlement.
    void TypDp1();
    bool settlementCommandsEnabled() const { return m_settlementOpen; }
    // Lets the user choose a settlement and opens it; closes the window
    // when the user ends the program in the list.
    bool VyberDanoveho();
    // Opens the settlement of that directory ("D3") as a choice in the list
    // would, once the list's tests (in use, password) have passed; false
    // when it could not be opened (the user was told why).
    bool openSettlement(const QString &dirName);

    // The archive base name of the open settlement from its company data.
    QString archiveBaseName() const;

    // Opens a document, file or web address with its default application.
    static bool ExecuteFile(const QString &target);

    // ---- status bar and caption
    StatusPanels *statusPanels() const { return m_status; }
    void setStatusText(int panel, const QString &text);
    void message(const QString &text) override;
    void editingChanged(bool editing) override;
    void positionChanged(const data::RecordPosition &position) override;
    QString baseCaption() const override;
    void setCaption(const QString &caption) override;

    // ---- start-up hooks
    void disconnectDatabases() override;
    void attachDataRoot(const QString &fileDir) override;
    void removeStaleLockFiles(const QString &dir) override;
    void upgradeListFiles(const QString &fileDir) override;
    void chooseDataWork(settlement::AppPaths &paths) override;
    void setBusy(bool busy) override;
    void previousVersionCheck() override;
    bool openSettlementSelection() override;

signals:
    // The first activation has done its work (the settlement list was
    // shown and closed, or the start failed).
    void startupFinished();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildSpeedBar();
    void buildBody();
    void run(Command command);
    bool commandAvailable(Command command) const;
    void UdajeOFirme1Click();
    void Tisk1Click();
    void Gavrel1Click();
    void requestHelp(int context);
    void afterOpening(settlement::SettlementOpening::Result result);
    void updateEnabled();

    settlement::AppPaths &m_paths;
    platform::IMessages &m_messages;
    Startup m_startup;
    // Either may go first at the end of a run: the window stops listening to
    // the data module when it goes, and forgets a data module that went.
    QPointer<data::TDM1> m_dm;
    settlement::SettlementOpening *m_opening = nullptr;
    TUseHTMLHelp *m_help = nullptr;
    IStartupHooks *m_listHooks = nullptr;

    QMap<Command, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QMap<Command, QToolButton *> m_speedButtons;
    QMap<Command, CommandHandler> m_handlers;
    QLabel *m_link = nullptr;
    StatusPanels *m_status = nullptr;
    StatementDispatch m_dispatch;

    bool m_settlementOpen = false;
    bool m_activationQueued = false;
    bool m_startedNormally = true;
    bool m_closing = false;
    int m_busyDepth = 0;
};

} // namespace app
