#pragma once

#include "backup/ZipArchive.h"

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
};

// Replaces the settlement's data files by those in archive, as a restore
// does: a safety archive of the current files first; then the data files
// (the eleven names, nothing else) are taken into a work folder, counted (6
// to 11) and each table opened; only then are they moved in, through a
// prepared folder that a killed process finishes at the next opening
// (finishPendingRestore). Of the last four names of the list, those the
// archive lacks are removed (an archive of an older version); the first
// seven stay when absent. If moving in fails part-way, the safety archive
// puts the previous files back the same way.
RestoreResult restoreSettlement(const QString &settlementDir, const QString &dirName, const QString &archive,
                                const Progress &progress = {});

// Completes a restore whose files were checked and prepared but not all
// moved in when the process ended, and removes the remains of one that had
// not got so far. Returns false when a prepared restore could not be
// completed (the files stay prepared for the next attempt).
bool finishPendingRestore(const QString &settlementDir);

} // namespace backup
