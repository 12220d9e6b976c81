#include "settlement/SettlementOpening.h"

#include "backup/SettlementArchive.h"
#include "data/ChangeSet.h"
#include "data/DataFiles.h"
#include "data/StatusSink.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/ErrorReason.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "platform/Printers.h"
#include "platform/StaleLocks.h"
#include "settlement/BusyScope.h"
#include "settlement/Version.h"
#include "statements/Recalc.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace settlement {

namespace FileOps = platform::FileOps;

namespace {

QString rolloverSection()
{
    return u"Prevodzu"_s + Version::yearTag();
}

} // namespace

SettlementOpening::SettlementOpening(const AppPaths &paths, platform::IMessages &messages, data::TDM1 &dm,
                                     const platform::IPrinters &printers)
    : m_paths(paths), m_messages(messages), m_dm(dm), m_printerSource(printers),
      m_recalc([](data::TDM1 &d) { statements::PrepocetVY(d); })
{}

QStringList SettlementOpening::DatoveSoubory()
{
    return data::DataFiles::settlementFiles();
}

QString SettlementOpening::iniPath() const
{
    return m_dirName.isEmpty() ? QString() : data::DataFiles::settlementIni(m_dirName);
}

QString SettlementOpening::iniFile() const
{
    return m_dirName.isEmpty() ? QString() : m_paths.dataFile(iniPath());
}

int SettlementOpening::choosePrinter(const QStringList &names, const QString &defaultName, bool vychozi,
                                     const QString &tiskarna)
{
    const int fallback = int(names.indexOf(defaultName));
    if (vychozi)
        return fallback;
    const int own = int(names.lastIndexOf(tiskarna));
    return own >= 0 ? own : fallback;
}

void SettlementOpening::selectPrinter()
{
    if (m_printers.names.isEmpty())
        m_printers.names = m_printerSource.printerNames();
    m_printers.current = -1;
    const platform::IniFile ini(FileOps::resolve(iniFile()));
    m_printers.current =
        choosePrinter(m_printers.names, m_printerSource.defaultPrinterName(),
                      ini.readInteger(u"Tisk", u"Vychozi", 1) != 0, ini.readString(u"Tisk", u"Tiskarna"));
}

QString rolloverOperation()
{
    return u"Akce nový rok"_s;
}

QString OpeningReport::notice() const
{
    return rolledBack.isEmpty() ? QString() : data::rolledBackMessage(rolledBack);
}

OpeningReport openSettlement(data::TDM1 &dm, const QString &settlementDir, const QString &templateDir,
                             const QString &iniFile, IRollover *rollover,
                             const std::function<void(data::TDM1 &)> &recalc)
{
    OpeningReport report;
    const QString dir = FileOps::withoutTrailingSeparator(settlementDir);
    dm.Disconnect();
    dm.setDatabasePath(dir);
    // An empty list confirmed, or a directory removed behind our back: the
    // table opening would otherwise create files where no settlement is.
    if (dir.isEmpty() || !FileOps::dirExists(dir))
        throw platform::Error(u"Adresář %1 neexistuje."_s.arg(FileOps::nativePath(dir)));
    platform::removeStaleLockFiles(FileOps::resolve(dir + u'\\'));
    platform::removeStaleLockFiles(FileOps::resolve(templateDir));
    // A restore stopped with its process leaves its scratch files; its change
    // of the data files is rolled back by the table opening like any other.
    backup::clearRestoreLeftovers(dir);
    dm.OtevritTabulky();
    report.rolledBack = dm.rolledBackChange();
    // The rollover's reopening forgets what this opening upgraded.
    report.upgraded = dm.upgradeFlags();
    const bool upgraded = report.upgraded.any();

    platform::IniFile ini(FileOps::resolve(iniFile));
    const int mode = ini.readInteger(rolloverSection(), u"Ano", 0);
    report.pendingRollover = mode;
    // The request is erased only by a program that carries it out, so it is
    // never lost. Its removal and the rollover are one change: a stop in
    // between puts the request back with the old tables, so the rollover
    // runs exactly once.
    if (mode != 0 && (rollover || mode < 0)) {
        data::ChangeSet change(dir, rolloverOperation(), dm.openOptions());
        for (const data::TableId id : data::SettlementTables)
            change.addTable(id);
        change.addFile(QFileInfo(FileOps::resolve(iniFile)).fileName());
        change.begin();
        try {
            try {
                ini.eraseSection(rolloverSection());
            } catch (const platform::Error &) {
                throw platform::Error(u"Požadavek na akci nový rok nelze odstranit ze souboru %1."_s.arg(
                    FileOps::nativePath(iniFile)));
            }
            if (mode > 0) {
                rollover->NovyRok2(mode);
                report.rolledOver = true;
            }
            change.commit();
        } catch (const platform::Error &) {
            dm.Disconnect();
            change.rollBack();
            throw;
        }
    }
    if (upgraded && recalc) {
        recalc(dm);
        report.recomputed = true;
    }
    if (!dm.tablesOpen())
        dm.OtevritTabulky();
    if (const QString notice = report.notice(); !notice.isEmpty())
        dm.status().message(notice);
    return report;
}

backup::Reopening reopening(const QString &settlementDir, const QString &templateDir, const QString &iniFile,
                            IRollover *rollover, std::function<void(data::TDM1 &)> recalc)
{
    return [=](data::TDM1 &dm) {
        const OpeningReport report =
            openSettlement(dm, settlementDir, templateDir, iniFile, rollover, recalc);
        QStringList told;
        if (const QString notice = report.notice(); !notice.isEmpty())
            told << notice;
        if (const QString created = data::TDM1::createdEmptyText(dm.createdEmptyTables()); !created.isEmpty())
            told << created;
        return told;
    };
}

backup::Reopening SettlementOpening::reopening() const
{
    return settlement::reopening(m_paths.FileDir + m_dirName,
                                 m_paths.dataFile(data::DataFiles::templateDir()), iniFile(), m_rollover,
                                 m_recalc);
}

void SettlementOpening::openTables()
{
    // An empty list confirmed: the data root itself is no settlement, and
    // it exists, so the reason says what is missing.
    if (m_dirName.isEmpty())
        throw platform::Error(u"Není vybráno žádné Qesto."_s);
    const OpeningReport report =
        openSettlement(m_dm, m_paths.FileDir + m_dirName, m_paths.dataFile(data::DataFiles::templateDir()),
                       iniFile(), m_rollover, m_recalc);
    m_pendingRollover = report.pendingRollover;
}

SettlementOpening::Result SettlementOpening::VyberDanoveho()
{
    if (!m_selection)
        return Result::Failed;
    m_selection->clearQuit();
    if (!m_selection->choose())
        return Result::Quit;
    return open(m_selection->selectedDirectory());
}

SettlementOpening::Result SettlementOpening::open(const QString &dirName)
{
    m_dirName = dirName;
    m_pendingRollover = 0;
    selectPrinter();

    bool ok = true;
    QString reason;
    {
        BusyScope busy(m_busy);
        try {
            openTables();
        } catch (const std::exception &e) {
            ok = false;
            reason = platform::reasonOf(e);
        } catch (...) {
            ok = false;
        }
    }
    if (!ok) {
        // Half-opened tables must not look like an open settlement.
        m_dm.Disconnect();
        // The table and the engine's reason go on the next line: "which file
        // and why" is what support asks first.
        m_messages.error(platform::Error::withReason(u"Nepodařilo se otevřít všechny tabulky."_s, reason));
        return Result::Failed;
    }
    // Tables re-created empty lost what they held; the user hears of it
    // where the program reports what it has just done.
    const QString created = data::TDM1::createdEmptyText(m_dm.createdEmptyTables());
    if (!created.isEmpty())
        m_dm.status().message(created);
    if (m_opened)
        m_opened();
    return Result::Opened;
}

bool SettlementOpening::TypDp1() const
{
    return !m_dirName.isEmpty() && FileOps::dirExists(m_paths.FileDir + m_dirName) && m_dm.tablesOpen();
}

} // namespace settlement
