#include "backup/BackupJobs.h"

#include "backup/ArchivePlaces.h"
#include "backup/SettlementArchive.h"
#include "data/DataError.h"
#include "data/DataFiles.h"
#include "data/TDM1.h"
#include "data/TableDefs.h"
#include "paradox/Table.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace backup {

namespace FileOps = platform::FileOps;

namespace {

// The two keyed tables whose indexes a backup can regenerate.
void rebuildIndexes(const data::TDM1 &dm)
{
    paradox::OpenOptions options = dm.openOptions();
    options.mode = paradox::OpenMode::Exclusive;
    for (const data::TableId id : {data::TableId::Vpz, data::TableId::Mzd11}) {
        try {
            paradox::Table::open(dm.tablePath(id), options)->rebuildIndexes();
        } catch (const paradox::TableError &) {
            // As before: a table that cannot be had exclusively keeps its
            // index, and the backup goes on.
        }
    }
}

// Opens the tables again; a failure is reported, the job's result stands.
void reopen(data::TDM1 &dm, Outcome &outcome)
{
    try {
        dm.OtevritTabulky();
    } catch (const platform::Error &e) {
        outcome.errors << e.message();
    }
}

void call(const std::function<void()> &f)
{
    if (f)
        f();
}

class ViewScope
{
public:
    explicit ViewScope(const JobView &view) : m_view(view)
    {
        if (m_view.busy)
            m_view.busy(true);
        call(m_view.start);
    }
    ~ViewScope()
    {
        call(m_view.finish);
        if (m_view.busy)
            m_view.busy(false);
        call(m_view.clearStatus);
    }
    ViewScope(const ViewScope &) = delete;
    ViewScope &operator=(const ViewScope &) = delete;

private:
    const JobView &m_view;
};

void show(platform::IMessages &messages, const Outcome &outcome)
{
    for (const QString &error : outcome.errors)
        messages.error(error);
    if (outcome.ok)
        messages.information(outcome.message);
    else
        messages.error(outcome.message);
}

} // namespace

Outcome backupOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                             const QString &target, bool rebuild, const Progress &progress)
{
    Outcome outcome;
    if (rebuild) {
        dm.Disconnect();
        rebuildIndexes(dm);
    }
    dm.Disconnect();
    const QString folder = QFileInfo(FileOps::resolve(target)).absolutePath();
    const bool folderReady =
        FileOps::dirExists(folder) || FileOps::createDir(folder) || FileOps::forceDirectories(folder);
    PackResult packed;
    if (folderReady)
        packed = backupSettlement(settlementDir, dirName, target, progress);
    reopen(dm, outcome);
    // Fewer than the eleven data files is no backup of the settlement.
    outcome.ok = packed.ok && packed.entries >= int(data::DataFiles::settlementFiles().size()) &&
                 FileOps::fileExists(target);
    outcome.message = outcome.ok ? u"Data byla zazálohována."_s : u"Soubor %1 nelze vytvořit."_s.arg(target);
    return outcome;
}

Outcome restoreOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                              const QString &archive, const Progress &progress,
                              const std::function<void(data::TDM1 &)> &recalc)
{
    Outcome outcome;
    dm.Disconnect();
    const RestoreResult restored = restoreSettlement(settlementDir, dirName, archive, progress);
    outcome.errors = restored.errors;
    FileOps::setCurrentDir(QFileInfo(FileOps::resolve(settlementDir)).absolutePath());
    reopen(dm, outcome);
    if (dm.tablesOpen() && dm.upgradeFlags().any()) {
        try {
            if (recalc)
                recalc(dm);
            else
                statements::PrepocetVY(dm);
        } catch (const platform::Error &e) {
            outcome.errors << e.message();
        }
    }
    outcome.ok = restored.counter >= 1;
    outcome.message = outcome.ok ? u"Data byla obnovena."_s : u"Chyba při obnově datových souborů."_s;
    return outcome;
}

bool Zalohovat(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const JobView &view)
{
    places.refresh();
    if (!places.fullPathValid()) {
        messages.information(u"Nastavte správně cestu."_s);
        return false;
    }
    if (!messages.confirm(u"Opravdu chcete zazálohovat data ?"_s))
        return false;
    Outcome outcome;
    {
        ViewScope scope(view);
        places.remember();
        outcome = backupOpenSettlement(dm, places.place().settlementDir, places.place().dirName,
                                       places.fullPath(), places.rebuildIndexes(), view.step);
    }
    show(messages, outcome);
    return outcome.ok;
}

bool Obnovit(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const JobView &view,
             const std::function<void(data::TDM1 &)> &recalc)
{
    places.refresh();
    if (!places.fullPathValid()) {
        messages.information(u"Nastavte správně cestu."_s);
        return false;
    }
    if (!messages.confirm(u"Opravdu chcete obnovit data ?"_s))
        return false;
    if (!FileOps::fileExists(places.fullPath())) {
        messages.information(u"Soubor %1 nebyl nalezen, zkontrolujte správnost cesty."_s.arg(
            QFileInfo(FileOps::nativePath(places.fullPath())).fileName()));
        return false;
    }
    Outcome outcome;
    {
        ViewScope scope(view);
        places.remember();
        outcome = restoreOpenSettlement(dm, places.place().settlementDir, places.place().dirName,
                                        places.fullPath(), view.step, recalc);
    }
    show(messages, outcome);
    return outcome.ok;
}

} // namespace backup
