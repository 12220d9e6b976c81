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

// Opens the settlement again; a failure is reported, the job's result
// stands.
void reopenAfter(data::TDM1 &dm, const Reopening &reopen, Outcome &outcome)
{
    try {
        outcome.errors << reopen(dm);
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

QString restoreQuestion(const CompanyOfData &archived)
{
    QString text = u"Opravdu chcete obnovit data ?"_s;
    if (archived.found) {
        text += u"\n\nArchiv obsahuje data firmy %1"_s.arg(archived.describe());
        if (archived.date.isValid())
            text += u" ze dne %1"_s.arg(archived.date.toString(u"d.M.yyyy H:mm"_s));
        text += u'.';
    }
    return text;
}

QString otherCompanyQuestion(const CompanyOfData &archived, const CompanyOfData &current)
{
    return u"Archiv obsahuje data jiné firmy (%1), než je firma tohoto zpracování (%2).\n"
           u"Opravdu chcete data firmy %3 nahradit daty firmy %4 ?"_s.arg(
               archived.describe(), current.describe(), current.name, archived.name);
}

Outcome backupOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                             const QString &target, bool rebuild, const Reopening &reopen,
                             const Progress &progress)
{
    Q_ASSERT(reopen);
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
    reopenAfter(dm, reopen, outcome);
    // Fewer than the eleven data files is no backup of the settlement.
    outcome.ok = packed.ok && packed.entries >= int(data::DataFiles::settlementFiles().size()) &&
                 FileOps::fileExists(target);
    outcome.message = outcome.ok ? u"Data byla zazálohována."_s : u"Soubor %1 nelze vytvořit."_s.arg(target);
    if (!outcome.ok && packed.ok) {
        // Written, but without all the data files: say which are missing.
        QStringList missing;
        const QString dir = FileOps::resolve(settlementDir);
        for (const QString &name : data::DataFiles::settlementFiles()) {
            if (!QFileInfo::exists(FileOps::findFile(dir, name)))
                missing << name;
        }
        if (!missing.isEmpty())
            outcome.message = platform::Error::withReason(
                outcome.message,
                u"V adresáři %1 chybí: %2."_s.arg(FileOps::nativePath(dir), missing.join(u", "_s)));
    } else if (!outcome.ok) {
        outcome.message = platform::Error::withReason(outcome.message, packed.error.section(u'\n', 1));
    }
    return outcome;
}

Outcome restoreOpenSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &dirName,
                              const QString &archive, const Reopening &reopen, const Progress &progress)
{
    Q_ASSERT(reopen);
    Outcome outcome;
    dm.Disconnect();
    FileOps::setCurrentDir(QFileInfo(FileOps::resolve(settlementDir)).absolutePath());
    RestoreOptions options;
    options.progress = progress;
    options.templateDir = dm.templateDir();
    options.files = dm.openOptions();
    QStringList told;
    options.open = [&] {
        try {
            told = reopen(dm);
        } catch (const platform::Error &) {
            dm.Disconnect();
            throw;
        }
    };
    const RestoreResult restored = restoreSettlement(settlementDir, dirName, archive, options);
    outcome.errors = restored.errors;
    if (restored.counter < 1) {
        if (restored.rolledBack)
            outcome.errors << u"Obnovená data nelze otevřít, původní data byla vrácena."_s;
        reopenAfter(dm, reopen, outcome);
        outcome.message = u"Chyba při obnově datových souborů."_s;
        return outcome;
    }
    outcome.errors << told;
    outcome.ok = true;
    outcome.message = u"Data byla obnovena."_s;
    if (!restored.keptArchive.isEmpty())
        outcome.message +=
            u"\nPůvodní data jsou uložena v souboru %1."_s.arg(FileOps::nativePath(restored.keptArchive));
    return outcome;
}

bool Zalohovat(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const Reopening &reopen,
               const JobView &view)
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
                                       places.fullPath(), places.rebuildIndexes(), reopen, view.step);
    }
    show(messages, outcome);
    return outcome.ok;
}

bool Obnovit(ArchivePlaces &places, data::TDM1 &dm, platform::IMessages &messages, const Reopening &reopen,
             const JobView &view)
{
    places.refresh();
    if (!places.fullPathValid()) {
        messages.information(u"Nastavte správně cestu."_s);
        return false;
    }
    // The archive must be there before the question can say whose data it
    // holds.
    if (!FileOps::fileExists(places.fullPath())) {
        messages.information(u"Soubor %1 nebyl nalezen, zkontrolujte správnost cesty."_s.arg(
            QFileInfo(FileOps::nativePath(places.fullPath())).fileName()));
        return false;
    }
    const CompanyOfData archived = companyInArchive(places.fullPath());
    if (!messages.confirm(restoreQuestion(archived)))
        return false;
    const CompanyOfData current = companyInSettlement(places.place().settlementDir);
    if (archived.found && current.found && !sameCompany(archived, current) &&
        !messages.confirm(otherCompanyQuestion(archived, current)))
        return false;
    Outcome outcome;
    {
        ViewScope scope(view);
        places.remember();
        outcome = restoreOpenSettlement(dm, places.place().settlementDir, places.place().dirName,
                                        places.fullPath(), reopen, view.step);
    }
    show(messages, outcome);
    return outcome.ok;
}

} // namespace backup
