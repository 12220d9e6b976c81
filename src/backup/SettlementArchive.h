#pragma once

#include "backup/ZipArchive.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace platform {
class IMessages;
}

// Backup and restore of one settlement directory at the level of its files.
// Nothing here touches the data module: the callers close the tables first
// and reopen them afterwards.
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

struct RestoreResult
{
    // The data files taken from the chosen archive; 0 when the restore failed
    // and the settlement keeps its data.
    int counter = 0;
    // Czech messages to show in this order (errors) before the final one.
    QStringList errors;
    // The safety archive had to be used and could not put the data back: it
    // is kept beside the settlement.
    bool safetyKept = false;
    // The archive of the replaced data, after a restore that moved files in.
    QString keptArchive;
};

// Replaces the settlement's data files by those in archive, as a restore
// does: a safety archive of the current files first; then the data files
// (the eleven names, nothing else) are taken into a work folder, counted (6
// to 11) and each table opened; only then are they moved in, through a
// prepared folder that a killed process finishes at the next opening
// (finishPendingRestore). Each table must open and have the settlement's
// structure, or one that the upgrade of older files (run on a scratch copy
// with the templates of templateDir; without one the tables are only opened)
// turns into it; a keyed table without its
// index gets a new one. Of the last four names of the list, those the
// archive lacks are removed (an archive of an older version); the first
// seven stay when absent. If moving in fails part-way, the safety archive
// puts the previous files back the same way. After a restore the safety
// archive stays as the archive of the replaced data (keptArchive).
RestoreResult restoreSettlement(const QString &settlementDir, const QString &dirName, const QString &archive,
                                const Progress &progress = {}, const QString &templateDir = {});

// Puts back the data a restore replaced, from its kept archive, the same
// safe way; false with the reasons added to errors when it could not.
bool undoRestore(const QString &settlementDir, const QString &keptArchive, QStringList &errors);

// Completes a restore whose files were checked and prepared but not all
// moved in when the process ended, and removes the remains of one that had
// not got so far. Returns false when a prepared restore could not be
// completed (the files stay prepared for the next attempt).
bool finishPendingRestore(const QString &settlementDir);

} // namespace backup
