#pragma once

#include "platform/PathKinds.h"

#include <QString>
#include <QStringList>

namespace platform {
class IMessages;
}

namespace backup {

// The path templates of the start-up part ("%AdresarDat%", "%AdresarUziv%",
// "%Disk%"), which the program hands in from its paths object.
class IPathTemplates
{
public:
    virtual ~IPathTemplates() = default;
    // The default archive path of a location button for the file stem.
    virtual QString defaultArchive(platform::BackupPlace place, const QString &stem) const = 0;
    // The real path of a template; when it cannot be resolved, the Czech text
    // to show instead and ok false.
    virtual QString expand(const QString &templ, bool *ok) const = 0;
    // The template to store for a real path.
    virtual QString toTemplate(const QString &path) const = 0;
    // Initial folder of a file dialog or of the folder chooser.
    virtual QString initialDir(platform::DialogStart start, const QString &path) const = 0;
    // The data root in use.
    virtual QString dataRoot() const = 0;
};

// The open settlement as the backup and restore windows see it.
struct SettlementPlace
{
    QString dirName;         // "D1"
    QString settlementDir;   // data root + dirName, stored form
    QString iniFile;         // its INI file, stored form
    QString companyFileName; // the archive name from the company data
};

// What the backup window (TExdForm) and the restore window (TExd1Form) share:
// the path box with its remembered paths, the expanded full path, the
// location buttons, the custom folder, the company-name and index options,
// and the settings kept in the settlement's INI file. GUI-free; the windows
// only mirror it.
class ArchivePlaces
{
public:
    enum class Kind
    {
        Backup,
        Restore,
    };
    static constexpr int RememberedPaths = 20;

    ArchivePlaces(Kind kind, const IPathTemplates &templates, SettlementPlace place,
                  platform::IMessages &messages);

    // Reads the options and remembered paths; the path box shows the first
    // remembered path, or the data-folder default.
    void load();
    // Stores the options and the first 20 paths, unless erased meanwhile.
    void save() const;

    Kind kind() const { return m_kind; }
    const SettlementPlace &place() const { return m_place; }
    const QStringList &remembered() const { return m_paths; }
    const QString &pathText() const { return m_pathText; }
    // The path box changed (typed or picked from its list).
    void setPathText(const QString &text);
    // The expansion of the path box, or the complaint text.
    const QString &fullPath() const { return m_fullPath; }
    bool fullPathValid() const { return m_fullValid; }
    // Expands the path box again (leaving the box).
    void refresh();

    bool companyName() const { return m_companyName; }
    void setCompanyName(bool on) { m_companyName = on; }
    bool rebuildIndexes() const { return m_rebuild; }
    void setRebuildIndexes(bool on) { m_rebuild = on; }
    // The file stem: the settlement directory name or the company file name.
    QString stem() const;

    // "Adresář &dat", "Adresář &uživatele", "Výměnné &médium".
    void chooseLocation(platform::BackupPlace place);
    // "Vlastní &nastavení": true when a custom folder is stored and the path
    // now points into it; false when the folder chooser has to be shown.
    bool chooseCustom();
    // The stored custom folder (ending with "\"), empty when none.
    QString customFolder() const;
    // Where the folder chooser starts.
    QString chooserStart() const;
    // The folder chooser closed on folder: stored as the custom folder and
    // the path set into it.
    void setCustomFolder(const QString &folder);
    // "...": the folder the file dialog starts in, and the file chosen there.
    QString fileDialogDir() const;
    void setChosenFile(const QString &path);

    // The path box text to the top of the remembered paths.
    void remember();
    // "Vymazání uložených &cest" (other false) and "... - &ostatní" (true):
    // asks, erases the section, says so; true when the window is to close.
    bool erasePaths(bool other);

    // The texts that stand for a path that cannot be used.
    static bool isComplaint(const QString &text);

private:
    Kind m_kind;
    const IPathTemplates &m_templates;
    SettlementPlace m_place;
    platform::IMessages &m_messages;

    QStringList m_paths;
    QString m_pathText;
    QString m_fullPath;
    bool m_fullValid = false;
    bool m_companyName = false;
    bool m_rebuild = false;
    bool m_erased = false;
};

} // namespace backup
