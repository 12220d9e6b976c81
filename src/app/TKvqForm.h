// "Kontrola všech Qesto": every settlement of the data root at a glance.
#pragma once

#include "settlement/RootBatch.h"

#include <QDialog>
#include <QHash>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace platform {
class IMessages;
}
namespace registry {
class IPasswordPrompt;
class SettlementList;
} // namespace registry

namespace app {

// What the window works with; the program fills it in.
struct CheckAllContext
{
    registry::SettlementList &list; // attached; no settlement of ours is open
    platform::IMessages &messages;
    registry::IPasswordPrompt &prompt;
    QString folder; // where the choice of the output folder starts
    bool centralEuropeanFonts = false;
};

// "Kontrola všech Qesto": every settlement of the data root with the result
// of the checks before filing, the findings of the selected one below, and
// the PDF and filing XML of them all into a folder (settlement::RootBatch).
// A run shows its progress and stops after the current settlement when
// cancelled. Double-click, Enter or "&Otevřít" closes the window with the
// selected settlement to open (chosenNumber()).
class TKvqForm : public QDialog
{
    Q_OBJECT

public:
    explicit TKvqForm(CheckAllContext context, QWidget *parent = nullptr);
    ~TKvqForm() override;

    // The settlement to open after an accepted close; 0 for none.
    int chosenNumber() const { return m_chosen; }
    // The output folder is asked with this (the start folder in, the chosen
    // one out, empty for none); a folder dialog by default.
    void setFolderChooser(std::function<QString(const QString &)> chooser)
    {
        m_chooseFolder = std::move(chooser);
    }

    QTableWidget *grid() const { return m_grid; }
    QListWidget *findingsList() const { return m_findings; }
    QProgressBar *progressBar() const { return m_progress; }
    QLabel *statusLabel() const { return m_status; }
    QCheckBox *withholdingBox() const { return m_withholding; }
    QPushButton *button(const QString &caption) const;
    bool isRunning() const { return m_running; }

    // The window's commands, as its buttons run them.
    void checkAll(bool askPasswords);
    void writeAll(settlement::BatchKind kind);
    void cancelRun() { m_cancelled = true; }
    void openSelected();

    void reject() override;

signals:
    // A run is about to take the settlement of that index (from 0) of count.
    void progressed(int index, int count);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum Column
    {
        ColCislo,
        ColNazev,
        ColFirma,
        ColKontrola,
        ColSoubor,
        ColumnCount
    };

    void fillGrid();
    int rowOf(int cislo) const;
    int selectedNumber() const;
    void showOutcome(const settlement::BatchOutcome &outcome, settlement::BatchKind kind);
    void showFindings();
    settlement::BatchSummary run(const settlement::BatchOptions &options, bool askPasswords);
    std::optional<QString> passwordFor(const registry::Settlement &entry, bool ask);
    void updateButtons();

    CheckAllContext m_ctx;
    std::function<QString(const QString &)> m_chooseFolder;
    QTableWidget *m_grid = nullptr;
    QListWidget *m_findings = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QCheckBox *m_withholding = nullptr;
    QList<QPushButton *> m_buttons;
    QPushButton *m_cancel = nullptr;

    // The last outcome of each settlement (by number): of the check, and of
    // the last PDF or XML run.
    QHash<int, settlement::BatchOutcome> m_checks;
    QHash<int, settlement::BatchOutcome> m_files;
    QHash<int, QString> m_passwords; // typed in this window and accepted
    bool m_checkedOnce = false;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_closeAfterRun = false;
    int m_chosen = 0;
};

} // namespace app
