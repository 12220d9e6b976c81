#pragma once

#include "backup/ZipArchive.h"
#include "paradox/Table.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {
class IMessages;
}

// Backup and restore of one settlement directory at the level of its files.
// Nothing here opens the settlement: the callers close the tables first and
// hand in the opening.
namespace backup {

// "Zaloha": the settlement's own folder for the safety archive and the
// restore's work.
QString workFolderName();
// "Zaloha\Zaloha.zip" below the settlement directory, as a stored path.
QString safetyArchive(const QString &settlementDir);

// What the backup and the rollover leave out: the settlement's INI file, the
// table engine's lock files, and the restore's work folders.
bool leftOutOfArchive(const QString &relative, const QString &dirName);

// Packs the settlement into target (see packDirectory). A safety archive a
// restore left behind is removed first, with its folder when that is empty.
PackResult backupSettlement(const QString &settlementDir, const QString &dirName, const QString &target,
                            const Progress &progress = {});

// Whose data a settlement's files hold: read from Prp.DB of an archive before
// anything is touched, or of the settlement directory itself.
struct CompanyOfData
{
    bool found = false; // a Prp.DB was there and could be read
    QString name;       // Ojv, else the person's first name and surname
    QString dic;
    // For an archive: when its data files were last changed.
    QDateTime date;
    QString error; // Czech, when !found

    // "Firma s.r.o., DIČ CZ12345678" (the parts that are known).
    QString describe() const;
};

CompanyOfData companyInArchive(const QString &archive);
CompanyOfData companyInSettlement(const QString &settlementDir);
// The same DIČ when both have one, else the same name; data that name no
// company at all count as the same.
bool sameCompany(const CompanyOfData &a, const CompanyOfData &b);

// "Pred obnovou DDMMYYYY-HHMMSS.zip": the archive of the data a restore
// replaced, kept in the settlement's "Zaloha" folder (the newest
// keptBeforeRestore() of them) so that the restore can be undone.
QString beforeRestoreName(const QDateTime &when);
constexpr int keptBeforeRestore()
{
    return 5;
}

// The name under which a restore's replacement of the data files is
// recorded as a change of the settlement ("Obnovení dat").
QString restoreOperation();

struct RestoreOptions
{
    Progress progress;
    // The templates the upgrade of older files is tried with on a scratch
    // copy; without them the archive's tables are only opened.
    QString templateDir;
    // The file layer, password and control directory every change of the
    // settlement's files goes through.
    paradox::OpenOptions files;
    // Opens the settlement with the restored files in place, before the
    // change counts as done. It throws platform::Error, having let go of
    // the files, when the settlement does not open: the old files are then
    // put back.
    std::function<void()> open;
};

struct RestoreResult
{
    // The data files taken from the chosen archive; 0 when the restore failed
    // and the settlement keeps its data.
    int counter = 0;
    // Czech messages to show in this order (errors) before the final one.
    QStringList errors;
    // The restored files were in place but the settlement did not open with
    // them; the replaced files are back.
    bool rolledBack = false;
    // The archive of the replaced data, after a restore that moved files in.
    QString keptArchive;
};

// Replaces the settlement's data files by those in archive, as a restore
// does: an archive of the current files first (kept in "Zaloha" under
// beforeRestoreName); then the data files (the eleven names, nothing else)
// are taken into a work folder, counted (6 to 11) and each table opened.
// Each table must open and have the settlement's structure, or one that the
// upgrade of older files (run on a scratch copy) turns into it; a keyed
// table without its index gets a new one. Only then are they moved in, as
// one data::ChangeSet with the settlement's INI file: a stop at any moment
// leaves the old files or, once options.open has succeeded and the change is
// committed, the restored ones; the next opening rolls an unfinished one
// back. Of the last four names of the list, those the archive lacks are
// removed (an archive of an older version); the first seven stay when
// absent.
RestoreResult restoreSettlement(const QString &settlementDir, const QString &dirName, const QString &archive,
                                const RestoreOptions &options = {});

// Removes what a restore stopped by the end of its process left in the
// work folder besides the archives of replaced data.
void clearRestoreLeftovers(const QString &settlementDir);

} // namespace backup
