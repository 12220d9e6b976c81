// Backup window "Zálohování dat" and restore window "Obnovení dat".
#pragma once

#include "backup/ArchivePlaces.h"
#include "backup/BackupJobs.h"
#include "widgets/FormPlace.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace data {
class TDM1;
}

namespace backup {

// What the backup and restore windows need from the program around them.
struct ArchiveWindowContext
{
    data::TDM1 *dm = nullptr;
    platform::IMessages *messages = nullptr;
    // The program's opening of the settlement, after the job.
    Reopening reopen;
    widgets::SettlementIni ini;
    // Hourglass on the main window, and its status panel 1 cleared.
    std::function<void(bool)> busy;
    std::function<void()> clearStatus;
    // Shown after a restore: the main window's caption from the company data.
    std::function<void()> restored;
};

// The common frame of "Zálohování dat" (TExdForm) and "Obnovení dat"
// (TExd1Form): the path box, the full path, the location buttons, the
// options, the action and the progress bar, over an ArchivePlaces.
class ArchiveWindow : public QDialog
{
    Q_OBJECT

public:
    ArchiveWindow(ArchivePlaces::Kind kind, const IPathTemplates &templates, SettlementPlace place,
                  ArchiveWindowContext context, QWidget *parent = nullptr);
    ~ArchiveWindow() override;

    ArchivePlaces &places() { return m_places; }
    QComboBox *pathBox() const { return m_pathBox; }
    QLineEdit *fullPathBox() const { return m_fullPath; }
    QCheckBox *companyNameBox() const { return m_companyName; }
    QCheckBox *rebuildBox() const { return m_rebuild; }
    QPushButton *actionButton() const { return m_action; }
    QPushButton *locationButton(int kind) const; // 1..4, 4 the custom folder
    QProgressBar *progressBar() const { return m_progress; }
    QMenu *customMenu() const { return m_customMenu; }
    // Every value the progress bar took during the last job.
    const QList<int> &progressTrace() const { return m_trace; }

    // The folder chooser and the file dialog, replaceable for tests: the
    // chosen folder or file, empty when cancelled.
    std::function<QString(const QString &start)> chooseFolder;
    std::function<QString(const QString &dir)> chooseFile;

    // "Zálo&hovat" or "&Obnovit".
    bool runAction();

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPlaces();
    void pathLeft();
    void location(platform::BackupPlace place);
    void custom(bool always);
    void browse();
    void erase(bool other);
    JobView jobView();

    ArchivePlaces m_places;
    ArchiveWindowContext m_context;
    widgets::FormPlace m_place;
    QComboBox *m_pathBox = nullptr;
    QLineEdit *m_fullPath = nullptr;
    QList<QPushButton *> m_locations;
    QCheckBox *m_companyName = nullptr;
    QCheckBox *m_rebuild = nullptr;
    QPushButton *m_action = nullptr;
    QPushButton *m_close = nullptr;
    QProgressBar *m_progress = nullptr;
    QMenu *m_customMenu = nullptr;
    QList<int> m_trace;
    bool m_closing = false;
};

// "Zálohování dat": the open settlement into a ZIP archive.
class TExdForm : public ArchiveWindow
{
    Q_OBJECT

public:
    TExdForm(const IPathTemplates &templates, SettlementPlace place, ArchiveWindowContext context,
             QWidget *parent = nullptr)
        : ArchiveWindow(ArchivePlaces::Kind::Backup, templates, std::move(place), std::move(context), parent)
    {}
};

// "Obnovení dat": the open settlement's data files back from an archive.
class TExd1Form : public ArchiveWindow
{
    Q_OBJECT

public:
    TExd1Form(const IPathTemplates &templates, SettlementPlace place, ArchiveWindowContext context,
              QWidget *parent = nullptr)
        : ArchiveWindow(ArchivePlaces::Kind::Restore, templates, std::move(place), std::move(context), parent)
    {}
};

} // namespace backup
