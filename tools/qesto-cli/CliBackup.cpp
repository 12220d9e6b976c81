// qesto-cli backup, restore and new-year: what the backup and restore
// windows and the new-year command do, on a settlement directory.
#include "CliCommands.h"
#include "CliSettlement.h"

#include "backup/BackupJobs.h"
#include "backup/SettlementArchive.h"
#include "data/DataError.h"
#include "data/TDM1.h"
#include "paradox/Error.h"
#include "platform/FileOps.h"
#include "settlement/AppPaths.h"
#include "settlement/NewYear.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// The settlement opened as the program opens it (an unfinished change rolled
// back, the tables open, the statements recomputed when older files were
// upgraded), and reopened the same way after a backup or a restore.
struct OpenSettlement
{
    explicit OpenSettlement(const QString &dir) : place(locate(dir)), module(place) { module.open(); }
    ~OpenSettlement() { dm.Disconnect(); }
    OpenSettlement(const OpenSettlement &) = delete;
    OpenSettlement &operator=(const OpenSettlement &) = delete;

    Settlement place;
    Module module;
    data::TDM1 &dm = module.dm;
    const QString &settlementDir = place.dir;
    const QString &root = place.root;
    const QString dirName = QFileInfo(place.dir).fileName();
};

Result fromOutcome(const backup::Outcome &outcome)
{
    Result r;
    for (const QString &error : outcome.errors)
        r.output += (error + u'\n').toUtf8();
    if (outcome.ok) {
        r.output += (outcome.message + u'\n').toUtf8();
    } else {
        r.exitCode = 2;
        r.error = outcome.message;
    }
    return r;
}

QString absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

Result backupSettlement(const QString &dir, const QString &zip)
{
    return guarded([&] {
        OpenSettlement s(dir);
        return fromOutcome(backup::backupOpenSettlement(s.dm, s.settlementDir, s.dirName, absolute(zip),
                                                        false, s.module.reopening()));
    });
}

Result restoreSettlement(const QString &dir, const QString &zip, bool otherCompany)
{
    return guarded([&] {
        const QString archive = absolute(zip);
        if (!QFileInfo(archive).isFile())
            return failure(u"Soubor %1 nebyl nalezen, zkontrolujte správnost cesty."_s.arg(
                QFileInfo(archive).fileName()));
        // Nobody is asked here: another company's data replace these only
        // when the command says so.
        const backup::CompanyOfData archived = backup::companyInArchive(archive);
        const backup::CompanyOfData current = backup::companyInSettlement(locate(dir).dir);
        if (!otherCompany && archived.found && current.found && !backup::sameCompany(archived, current))
            return failure(
                u"Archiv %1 obsahuje data jiné firmy (%2), než je firma zpracování (%3). Data nebyla "
                u"obnovena; obnovu dat jiné firmy potvrďte volbou --other-company."_s.arg(
                    QDir::toNativeSeparators(archive), archived.describe(), current.describe()));
        OpenSettlement s(dir);
        return fromOutcome(
            backup::restoreOpenSettlement(s.dm, s.settlementDir, s.dirName, archive, s.module.reopening()));
    });
}

Result newYear(const QString &dir, int mode)
{
    if (mode != 1 && mode != 2)
        return failure(u"Režim akce nový rok je 1 (celá akce) nebo 2 (jen archiv)."_s);
    return guarded([&] {
        OpenSettlement s(dir);
        settlement::AppPaths paths;
        paths.FileDir = platform::FileOps::withTrailingSeparator(s.root);
        paths.FileDirLocal = paths.FileDir;
        settlement::NewYearRollover rollover(paths, s.dm, [&s] { return s.dirName; });
        rollover.NovyRok2(mode);
        Result r;
        r.output = (u"Akce nový rok byla provedena.\n"_s +
                    platform::FileOps::nativePath(rollover.lastArchive()) + u'\n')
                       .toUtf8();
        return r;
    });
}

} // namespace cli
