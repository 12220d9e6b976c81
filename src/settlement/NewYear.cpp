#include "settlement/NewYear.h"

#include "backup/SettlementArchive.h"
#include "data/ChangeSet.h"
#include "data/DataError.h"
#include "data/DataFiles.h"
#include "data/DateRules.h"
#include "data/Field.h"
#include "data/StatusSink.h"
#include "data/TDM1.h"
#include "paradox/Table.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "settlement/BusyScope.h"

using namespace Qt::Literals::StringLiterals;

namespace settlement {

namespace FileOps = platform::FileOps;

namespace {

// The tables a new year starts empty.
const QList<data::TableId> &emptiedTables()
{
    static const QList<data::TableId> ids{data::TableId::Vdvl, data::TableId::Vpkv, data::TableId::Vvdp,
                                          data::TableId::Vdvs, data::TableId::Vpkb};
    return ids;
}

data::DatabaseError failure(const QString &text)
{
    return data::DatabaseError(data::DatabaseError::Kind::Engine, text);
}

} // namespace

NewYearRollover::NewYearRollover(const AppPaths &paths, data::TDM1 &dm, std::function<QString()> dirName)
    : m_paths(paths), m_dm(dm), m_dirName(std::move(dirName)),
      m_now([] { return QDateTime::currentDateTime(); })
{}

QString NewYearRollover::archiveName(const QString &Tiv, const QString &Jmd, const QString &Prk,
                                     const QString &Ojv, const QString &Rok, const QDateTime &now)
{
    const bool person = !Tiv.isEmpty() || !Jmd.isEmpty() || !Prk.isEmpty();
    QString name;
    if (person && Ojv.isEmpty())
        name = QString(Tiv + u' ' + Jmd + u' ' + Prk).trimmed();
    else if (!person && !Ojv.isEmpty())
        name = Ojv.trimmed();
    else
        name = now.toString(u"ddMMyyyy-hhmmss"_s);
    name = Rok + u' ' + name;
    for (const QChar c : u"\\/:*?\"<>|")
        name.remove(c);
    return name.trimmed();
}

QString NewYearRollover::archivePath(const QString &archiveDir, const QString &name, const QString &dirName)
{
    const QString first = archiveDir + name + u".zip"_s;
    if (!FileOps::fileExists(first))
        return first;
    // An older archive of this second name is replaced, but only once the
    // new one is complete.
    return archiveDir + name + u" - "_s + dirName + u".zip"_s;
}

QString NewYearRollover::nextYear(const QString &rok)
{
    bool ok = false;
    const int year = rok.trimmed().toInt(&ok);
    return ok ? QString::number(year + 1) : rok;
}

void NewYearRollover::NovyRok2(int mode)
{
    BusyScope busy(m_busy);
    const QString dirName = m_dirName();
    const QString settlementDir = m_paths.FileDir + dirName;

    const auto text = [this](const QString &field) {
        return m_dm.fieldAs<data::Field>(u"Prp"_s + field).asString();
    };
    data::Dataset &prp = m_dm.Prp();
    if (!prp.isActive())
        m_dm.openTable(prp);
    const QString name =
        archiveName(text(u"Tiv"_s), text(u"Jmd"_s), text(u"Prk"_s), text(u"Ojv"_s), text(u"Rok"_s), m_now());

    m_dm.Disconnect();
    const QString archiveDir = m_paths.FileDir + data::DataFiles::backupDir() + u"Archiv\\"_s;
    const QString archiveFolder = FileOps::withoutTrailingSeparator(archiveDir);
    if (!FileOps::dirExists(archiveFolder) && !FileOps::createDir(archiveFolder))
        FileOps::forceDirectories(archiveFolder);

    const QString target = archivePath(archiveDir, name, dirName);
    const backup::PackResult packed = backup::packDirectory(
        FileOps::resolve(settlementDir),
        [&dirName](const QString &relative) { return backup::leftOutOfArchive(relative, dirName); },
        FileOps::resolve(target), backup::Compression::Deflate);
    if (!packed.ok) {
        // Nothing has changed yet: the settlement stays as it was.
        m_dm.OtevritTabulky();
        throw failure(
            u"Archiv %1 nelze vytvořit, akce nový rok nebyla provedena."_s.arg(FileOps::nativePath(target)));
    }
    m_lastArchive = target;

    // The emptied statements and the company data's new year are one
    // change: a failure or a stop anywhere leaves the old year whole (the
    // archive stays; it holds the same).
    data::ChangeSet change(settlementDir, rolloverOperation(), m_dm.openOptions());
    for (const data::TableId id : emptiedTables())
        change.addTable(id);
    change.addTable(data::TableId::Prp);
    try {
        if (mode == 1) {
            change.begin();
            for (const data::TableId id : emptiedTables()) {
                const QString file = data::tableDef(id).fileName();
                try {
                    paradox::Table::copyTable(data::tableFilePath(m_dm.templateDir(), file),
                                              data::tableFilePath(settlementDir, file), m_dm.openOptions());
                } catch (const paradox::TableError &e) {
                    throw failure(e.message());
                }
            }
        }
        m_dm.OtevritTabulky();
        if (mode == 1)
            shiftCompanyData();
        for (data::Dataset *table : m_dm.tables()) {
            if (table->isActive())
                table->refresh();
        }
        m_dm.Disconnect();
        change.commit();
        m_dm.OtevritTabulky();
    } catch (const platform::Error &) {
        m_dm.Disconnect();
        try {
            change.rollBack();
            // Inside a larger change the tables wait for its roll-back.
            if (!change.isJoined())
                m_dm.OtevritTabulky();
        } catch (const platform::Error &) {
            // Reported by the error that goes on; the next opening finishes
            // what could not be put back.
        }
        throw;
    }

    m_dm.status().clear();
    m_dm.status().message(u"Akce nový rok byla provedena."_s);
}

void NewYearRollover::shiftCompanyData()
{
    data::Dataset &prp = m_dm.Prp();
    prp.edit();
    for (const QString &name : {u"Dz"_s, u"Dk"_s, u"Dv"_s, u"Dvs"_s}) {
        data::Field &f = m_dm.fieldAs<data::Field>(u"Prp"_s + name);
        if (!f.isNull())
            f.setAsDate(data::DatumM1(f.asDate(), 12));
    }
    data::Field &rok = m_dm.fieldAs<data::Field>(u"PrpRok"_s);
    rok.setAsString(nextYear(rok.asString()));
    for (int m = 1; m <= 12; ++m)
        m_dm.fieldAs<data::Field>(u"PrpZ"_s + QString::number(m)).setAsInteger(0);
    for (const QString &name : {u"Dpdr1"_s, u"Dpdr2"_s})
        m_dm.fieldAs<data::Field>(u"Prp"_s + name).setAsBoolean(true);
    for (const QString &name : {u"Dpdo1"_s, u"Dpdo2"_s, u"Dpdd1"_s, u"Dpdd2"_s})
        m_dm.fieldAs<data::Field>(u"Prp"_s + name).setAsBoolean(false);
    for (const QString &name : {u"Dopd"_s, u"Dops"_s})
        m_dm.fieldAs<data::Field>(u"Prp"_s + name).clear();
    prp.post();
}

bool NovyRok1Click(IRollover &rollover, platform::IMessages &messages)
{
    const QString question = u"Opravdu provést akci nový rok ?"_s;
    if (!messages.confirm(question) || !messages.confirm(question))
        return false;
    rollover.NovyRok2(1);
    return true;
}

} // namespace settlement
