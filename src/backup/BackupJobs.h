#pragma once

#include "backup/ZipArchive.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}

namespace backup {

class ArchivePlaces;
struct CompanyOfData;

// The restore's confirmation, naming the archive's company and date when
// its Prp.DB could be read.
QString restoreQuestion(const CompanyOfData &archived);
// The second, explicit question before another company's data replace this
// settlement's.
QString otherCompanyQuestion(const CompanyOfData &archived, const CompanyOfData &current);

// Opens the settlement's tables again after a backup or a restore. It is the
// program's one opening (settlement::openSettlement), which lies above this
// library: the program and qesto-cli hand it in. Throws platform::Error when
// the settlement does not open, with the tables closed; gives what the user
// must be told besides (tables created empty), a text a line.
using Reopening = std::function<QStringList(data::TDM1 &)>;

// How a job ended: the final message of the window and whether it is an
// information (ok) or an error; errors are shown before it in order.
struct Outcome
{
    bool ok = false;
    QString message;
    QStringList errors;
};

// Backs up the open settlement of dm into target: closes the tables
// (regenerating the indexes of "Vpz.DB" and "Mzd11.DB" first when asked),
// packs the directory and reopens the settlement either way.
Outcome backupOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                             const QString &target, bool rebuildIndexes, const Reopening &reopen,
                             const Progress &progress = {});

// Restores the open settlement of dm from archive: closes the tables and
// restores (see restoreSettlement), reopening the settlement with the
// restored files before the restore counts as done (the opening upgrades
// older tables and recomputes the statements then). When the restored data
// do not open, the replaced ones come back and are opened.
Outcome restoreOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                              const QString &archive, const Reopening &reopen, const Progress &progress = {});

// The windows' part around a job.
struct JobView
{
    // The progress bar: shown at 0, advanced, set to its end, hidden.
    std::function<void()> start;
    std::function<void()> step;
    std::function<void()> finish;
    std::function<void(bool)> busy;
    // Clears the main window's status panel 1.
    std::function<void()> clearStatus;
};

// "Zálo&hovat": checks the path, asks, remembers it and backs up; every
// message through messages. True when the data were backed up.
bool Zalohovat(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const Reopening &reopen,
               const JobView &view = {});
// "&Obnovit": the same for the restore.
bool Obnovit(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const Reopening &reopen,
             const JobView &view = {});

} // namespace backup
