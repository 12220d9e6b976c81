// Settlement list "Qesto 14.10 - výběr".
#pragma once

#include "registry/SettlementList.h"

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QPushButton;
class QTableView;

namespace platform {
class IMessages;
}

namespace registry {

class SettlementModel;

// The settlement list "Qesto 14.10 - výběr", through which every settlement
// is opened, created, named, protected and deleted. Created once and shown
// for every selection: exec() gives Otevrit (open list().current()) or Konec
// (end the program). Closing with the title bar button counts as Otevrit.
class TAuto1Form : public QDialog
{
    Q_OBJECT

public:
    enum Result
    {
        Konec = QDialog::Rejected,
        Otevrit = QDialog::Accepted
    };

    // Attaches the list to the data root at once (stale locks, upgrade).
    TAuto1Form(SettlementList &list, platform::IMessages &messages, IPasswordPrompt &prompt,
               const QString &mainCaption, IRegistryHooks *hooks = nullptr, QWidget *parent = nullptr);
    ~TAuto1Form() override;

    SettlementList &list() const { return m_list; }
    // What the information window (Ctrl+I) shows; filled by the program.
    void setInfoSource(std::function<InfoPaths()> source) { m_info = std::move(source); }

    QTableView *grid() const { return m_grid; }
    QPushButton *button(const QString &caption) const;
    QCheckBox *showLastBox() const { return m_showLast; }
    QList<QAction *> orderingActions() const;
    QAction *positionsAction() const { return m_positions; }
    QAction *clearOwnOrderAction() const { return m_clearOwn; }

    void done(int result) override;
    void reject() override;

    // The commands, also reachable from tests.
    void newSettlement();
    void renameSettlement();
    void deleteSettlement();
    void passwordSettlement();
    void changePositions();
    void chooseDataWork();
    void showInformation();
    void rearmConversion();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void reload();
    void applyRazeni(Razeni razeni);
    void syncOrderingMenu();
    void focusGrid();

    SettlementList &m_list;
    platform::IMessages &m_messages;
    IPasswordPrompt &m_prompt;
    IRegistryHooks *m_hooks;
    std::function<InfoPaths()> m_info;
    SettlementModel *m_model;
    QTableView *m_grid;
    QCheckBox *m_showLast;
    QList<QPushButton *> m_buttons;
    QAction *m_byOwn;
    QAction *m_byNumber;
    QAction *m_byName;
    QAction *m_positions;
    QAction *m_clearOwn;
    bool m_quitting = false;
};

} // namespace registry
