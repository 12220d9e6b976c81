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
// packs the directory and reopens the tables either way.
Outcome backupOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                             const QString &target, bool rebuildIndexes, const Progress &progress = {});

// Restores the open settlement of dm from archive: closes the tables,
// restores (see restoreSettlement), reopens them and, when the reopening
// upgraded older tables, recomputes both statements. recalc defaults to
// PrepocetVY.
Outcome restoreOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                              const QString &archive, const Progress &progress = {},
                              const std::function<void(data::TDM1 &)> &recalc = {});

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
bool Zalohovat(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages,
               const JobView &view = {});
// "&Obnovit": the same for the restore.
bool Obnovit(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const JobView &view = {},
             const std::function<void(data::TDM1 &)> &recalc = {});

} // namespace backup
