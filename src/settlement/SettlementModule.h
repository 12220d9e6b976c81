#pragma once

#include "backup/BackupJobs.h"
#include "data/TDM1.h"
#include "settlement/AppPaths.h"
#include "settlement/NewYear.h"
#include "settlement/SettlementOpening.h"
#include "statements/Recalc.h"

#include <QString>
#include <QStringList>

namespace settlement {

// A data module of its own, prepared as the program prepares its one at
// start-up and pointed at one settlement directory whose parent is the data
// root: for work on settlements beside the program's open one (the command
// line, the runs over a whole data root). It recomputes the statements and
// carries out a pending new-year rollover as the program does.
class SettlementModule
{
public:
    // dir and root absolute, root without a trailing separator.
    SettlementModule(const QString &dir, const QString &root);
    SettlementModule(const SettlementModule &) = delete;
    SettlementModule &operator=(const SettlementModule &) = delete;

    // Opens the settlement through the one opening (openSettlement). Throws
    // platform::Error; the tables are closed then.
    OpeningReport open();
    // What that opening has to tell the user, a line each: its notice and
    // the tables it had to create empty.
    QStringList notices(const OpeningReport &report) const;

    // The same opening, for the backup and the restore to reopen with.
    backup::Reopening reopening();

    QString dir;
    QString name; // the directory's own name ("D3")
    AppPaths paths;
    statements::StatementRecalc recalc;
    data::TDM1 dm;
    NewYearRollover rollover;

private:
    QString iniFile() const { return dir + u'/' + name + u".ini"; }
};

} // namespace settlement
