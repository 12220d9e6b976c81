#include "backup/SettlementArchive.h"

#include "data/DataFiles.h"
#include "data/TDM1.h"
#include "data/TableDefs.h"
#include "data/Upgrade.h"
#include "paradox/Table.h"
#include "platform/AtomicFile.h"
#include "platform/DiskSync.h"
#include "platform/Error.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace backup {

namespace FileOps = platform::FileOps;

namespace {

// Below the work folder: the files being taken out of an archive, and the
// same folder once they are complete and checked ("prepared").
const QString kStaging = u"Obnova.tmp"_s;
const QString kPrepared = u"Obnova"_s;
// Inside the prepared folder: the names it carries, written before the
// folder gets its name, so that a prepared folder is always complete.
const QString kManifest = u"Obnova.lst"_s;
// A scratch copy of the staged tables on which the upgrade is tried.
const QString kCheck = u"Kontrola.tmp"_s;
const QString kBeforeRestore = u"Pred obnovou "_s;
// The last four of the eleven are removed when the archive lacks them, as
// an archive of an older version does; the first seven then stay.
constexpr int kFirstRemovable = 7;
constexpr int kMinimumFiles = 6;

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

bool renameOver(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    return !ec;
}

QString workDir(const QString &dir)
{
    return FileOps::findFile(dir, workFolderName());
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Moves the prepared files in. Safe to run again after a process ended
// half-way: what was moved is no longer in the prepared folder, and the
// removals find nothing the second time.
bool applyPrepared(const QString &dir, const QString &prepared)
{
    QFile manifest(QDir(prepared).filePath(kManifest));
    if (!manifest.open(QIODevice::ReadOnly)) {
        // Without its list the folder was never completed: nothing of it
        // has been moved.
        QDir(prepared).removeRecursively();
        return true;
    }
    const QStringList listed = QString::fromUtf8(manifest.readAll()).split(u'\n', Qt::SkipEmptyParts);
    manifest.close();

    const QStringList &names = data::DataFiles::settlementFiles();
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        // The file keeps the spelling it has on disk, so that no second file
        // differing in letter case appears beside it.
        const QString target = FileOps::findFile(dir, name);
        if (listed.contains(name)) {
            const QString source = QDir(prepared).filePath(name);
            if (QFileInfo::exists(source) && !renameOver(source, target))
                return false;
        } else if (i >= kFirstRemovable && QFileInfo::exists(target) && !QFile::remove(target)) {
            return false;
        }
    }
    // The moves are on the disk before the list that would redo them goes.
    platform::DiskSync::flushDirectory(dir);
    if (!QFile::remove(QDir(prepared).filePath(kManifest)))
        return false;
    QDir(prepared).removeRecursively();
    return true;
}

struct Staged
{
    bool ok = false;
    QStringList names;
    QStringList errors;
};

paradox::OpenOptions stagingOptions()
{
    paradox::OpenOptions options;
    options.password = data::TDM1::tablesPassword();
    // Scratch files: the prepared folder as a whole is flushed before use.
    options.flushToDisk = false;
    return options;
}

// A keyed table that comes without its index gets a new one here, instead of
// keeping the settlement's old index beside a new table.
void rebuildMissingIndexes(const QString &staging, QStringList &names)
{
    for (const data::TableId id : {data::TableId::Vpz, data::TableId::Mzd11}) {
        const data::TableDef &def = data::tableDef(id);
        if (!names.contains(def.fileName()) || names.contains(def.indexFileName()))
            continue;
        paradox::OpenOptions options = stagingOptions();
        options.mode = paradox::OpenMode::Exclusive;
        paradox::Table::open(QDir(staging).filePath(def.fileName()), options)->rebuildIndexes();
        if (QFileInfo::exists(QDir(staging).filePath(def.indexFileName())))
            names.append(def.indexFileName());
    }
}

// Whether the staged tables are the settlement's, as it will open them: the
// upgrade of older files runs on a scratch copy (with the settlement's own
// files that the restore keeps), and then every table must carry every field
// of its definition. Empty when they do; else the reason.
QString checkStructures(const QString &dir, const QString &staging, const QStringList &names,
                        const QString &templateDir)
{
    const QString check = QDir(workDir(dir)).filePath(kCheck);
    QDir(check).removeRecursively();
    struct Cleanup
    {
        QString path;
        ~Cleanup() { QDir(path).removeRecursively(); }
    } cleanup{check};
    if (!QDir().mkpath(check))
        return u"Adresář %1 nelze vytvořit."_s.arg(native(check));
    const QStringList &all = data::DataFiles::settlementFiles();
    for (int i = 0; i < all.size(); ++i) {
        const QString &name = all.at(i);
        QString source;
        if (names.contains(name))
            source = QDir(staging).filePath(name);
        else if (i < kFirstRemovable)
            source = FileOps::findFile(dir, name);
        if (!source.isEmpty() && QFileInfo::exists(source) &&
            !QFile::copy(source, QDir(check).filePath(name)))
            return u"Soubor %1 nelze zkopírovat."_s.arg(native(source));
    }
    try {
        data::upgradeSettlement(check, FileOps::resolve(templateDir), stagingOptions());
        paradox::OpenOptions options = stagingOptions();
        options.readOnly = true;
        for (const QString &name : names) {
            const data::TableDef *def = data::findTableDef(name);
            if (!def || !name.endsWith(u".DB"_s, Qt::CaseInsensitive))
                continue;
            const auto table = paradox::Table::open(QDir(check).filePath(name), options);
            for (const paradox::FieldDef &field : def->schema().fields) {
                if (table->fieldIndex(field.name) < 0)
                    return u"Tabulka %1 v archivu nemá strukturu tabulky zpracování (pole %2), data nebyla "
                           u"obnovena."_s.arg(name, field.name);
            }
        }
    } catch (const paradox::TableError &e) {
        return e.message();
    }
    return {};
}

// Takes the data files out of archive into the work folder and checks them.
Staged stage(const QString &dir, const QString &archive, const Progress &progress,
             const QString &templateDir = {})
{
    Staged staged;
    const QString staging = QDir(workDir(dir)).filePath(kStaging);
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging)) {
        staged.errors << u"Adresář %1 nelze vytvořit."_s.arg(native(staging));
        return staged;
    }
    const ExtractResult extracted =
        extractNamed(archive, data::DataFiles::settlementFiles(), staging, ExtractLimits{}, progress);
    if (extracted.status != ExtractResult::Status::Ok) {
        staged.errors << extracted.error;
        return staged;
    }
    // Fewer than six of the eleven: not a backup of a settlement.
    if (extracted.extracted.size() < kMinimumFiles)
        return staged;

    QStringList names = extracted.extracted;
    try {
        rebuildMissingIndexes(staging, names);
        paradox::OpenOptions options = stagingOptions();
        options.readOnly = true;
        for (const QString &name : names) {
            if (name.endsWith(u".DB"_s, Qt::CaseInsensitive))
                paradox::Table::open(QDir(staging).filePath(name), options)->close();
        }
    } catch (const paradox::TableError &e) {
        staged.errors << e.message();
        return staged;
    }
    // Without the templates the upgrade cannot be tried; the tables have
    // then only been opened.
    if (const QString wrong =
            templateDir.isEmpty() ? QString() : checkStructures(dir, staging, names, templateDir);
        !wrong.isEmpty()) {
        staged.errors << wrong;
        return staged;
    }
    // The files and the list of them are on the disk before the folder gets
    // its prepared name, so that a prepared folder is complete even after a
    // power cut.
    QString reason;
    for (const QString &name : names) {
        if (!platform::DiskSync::flushFile(QDir(staging).filePath(name), &reason)) {
            staged.errors << platform::Error::withReason(
                u"Soubor %1 nelze zapsat."_s.arg(native(QDir(staging).filePath(name))), reason);
            return staged;
        }
    }
    QFile manifest(QDir(staging).filePath(kManifest));
    const QByteArray listed = names.join(u'\n').toUtf8() + '\n';
    if (!manifest.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        manifest.write(listed) != listed.size() || !platform::DiskSync::flushFile(manifest, &reason) ||
        !platform::DiskSync::flushDirectory(staging, &reason)) {
        staged.errors << platform::Error::withReason(
            u"Soubor %1 nelze vytvořit."_s.arg(native(manifest.fileName())), reason);
        return staged;
    }
    staged.ok = true;
    staged.names = names;
    return staged;
}

// Gives the staged folder its prepared name and moves the files in.
bool commit(const QString &dir)
{
    const QString work = workDir(dir);
    const QString prepared = QDir(work).filePath(kPrepared);
    if (QFileInfo::exists(prepared) && !QDir(prepared).removeRecursively())
        return false;
    if (!renameOver(QDir(work).filePath(kStaging), prepared))
        return false;
    return applyPrepared(dir, prepared);
}

void removeWork(const QString &dir, bool keepSafety)
{
    const QString work = workDir(dir);
    QDir(QDir(work).filePath(kStaging)).removeRecursively();
    if (!keepSafety)
        QFile::remove(FileOps::findFile(work, u"Zaloha.zip"_s));
    // Only when empty: other files the user keeps there stay.
    QDir().rmdir(work);
}

// The safety archive becomes the archive of the replaced data; only the
// newest few of them stay. Empty when it could not be kept.
QString keepReplaced(const QString &work, const QString &safety)
{
    // Within the same second (an undo at once) the archive just restored
    // from must not be replaced.
    QString kept = QDir(work).filePath(beforeRestoreName(QDateTime::currentDateTime()));
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = kept.left(kept.lastIndexOf(u'.')).section(u" ("_s, 0, 0) + u" (%1).zip"_s.arg(n);
    if (!platform::DiskSync::replaceFile(safety, kept))
        return {};
    platform::DiskSync::flushDirectory(work);
    QDir folder(work);
    const QStringList older = folder.entryList({kBeforeRestore + u"*.zip"_s}, QDir::Files, QDir::Time);
    for (qsizetype i = keptBeforeRestore(); i < older.size(); ++i)
        QFile::remove(folder.filePath(older.at(i)));
    return kept;
}

} // namespace

QString beforeRestoreName(const QDateTime &when)
{
    return kBeforeRestore + when.toString(u"ddMMyyyy-HHmmss"_s) + u".zip"_s;
}

QString CompanyOfData::describe() const
{
    QStringList parts;
    parts << (name.isEmpty() ? u"bez názvu"_s : name);
    if (!dic.isEmpty())
        parts << u"DIČ "_s + dic;
    return parts.join(u", "_s);
}

namespace {

CompanyOfData readCompany(const QString &prpPath)
{
    CompanyOfData company;
    try {
        paradox::OpenOptions options = stagingOptions();
        options.readOnly = true;
        const auto prp = paradox::Table::open(prpPath, options);
        const auto text = [&prp](const QString &field) {
            const int at = prp->fieldIndex(field);
            return at >= 0 && prp->recordCount() > 0 ? prp->value(0, at).toString().simplified() : QString();
        };
        company.name = text(u"Ojv"_s);
        if (company.name.isEmpty())
            company.name = QString(text(u"Jmd"_s) + u' ' + text(u"Prk"_s)).simplified();
        company.dic = text(u"Dic"_s);
        company.found = true;
    } catch (const paradox::TableError &e) {
        company.error = e.message();
    }
    return company;
}

} // namespace

CompanyOfData companyInArchive(const QString &archive)
{
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        CompanyOfData none;
        none.error = u"Dočasný adresář nelze vytvořit."_s;
        return none;
    }
    const QString prpName = data::tableDef(data::TableId::Prp).fileName();
    const ExtractResult taken = extractNamed(FileOps::resolve(archive), {prpName}, scratch.path());
    if (taken.status != ExtractResult::Status::Ok || taken.extracted.isEmpty()) {
        CompanyOfData none;
        none.error = taken.error;
        return none;
    }
    CompanyOfData company = readCompany(QDir(scratch.path()).filePath(prpName));
    company.date = taken.newest;
    return company;
}

CompanyOfData companyInSettlement(const QString &settlementDir)
{
    const QString path =
        FileOps::findFile(FileOps::resolve(settlementDir), data::tableDef(data::TableId::Prp).fileName());
    return readCompany(path);
}

bool sameCompany(const CompanyOfData &a, const CompanyOfData &b)
{
    const auto plainDic = [](const QString &dic) { return dic.simplified().remove(u' ').toUpper(); };
    if (!a.dic.isEmpty() && !b.dic.isEmpty())
        return plainDic(a.dic) == plainDic(b.dic);
    return a.name.simplified().compare(b.name.simplified(), Qt::CaseInsensitive) == 0;
}

QString workFolderName()
{
    return u"Zaloha"_s;
}

QString safetyArchive(const QString &settlementDir)
{
    return FileOps::withTrailingSeparator(settlementDir) + workFolderName() + u"\\Zaloha.zip"_s;
}

bool leftOutOfArchive(const QString &relative, const QString &dirName)
{
    if (relative.compare(dirName + u".ini"_s, Qt::CaseInsensitive) == 0)
        return true;
    // The lock files only mean something to the processes that hold them,
    // and a held one may not even be readable.
    if (relative.endsWith(u".lck"_s, Qt::CaseInsensitive))
        return true;
    // What killed writers left behind.
    if (relative.contains(u".tmp-"_s, Qt::CaseInsensitive))
        return true;
    const QString work = workFolderName() + u'/';
    // The archives of data replaced by restores: each would otherwise hold
    // all the earlier ones.
    return relative.startsWith(work + kStaging + u'/', Qt::CaseInsensitive) ||
           relative.startsWith(work + kPrepared + u'/', Qt::CaseInsensitive) ||
           relative.startsWith(work + kCheck + u'/', Qt::CaseInsensitive) ||
           relative.startsWith(work + kBeforeRestore, Qt::CaseInsensitive);
}

PackResult backupSettlement(const QString &settlementDir, const QString &dirName, const QString &target,
                            const Progress &progress)
{
    const QString dir = FileOps::resolve(settlementDir);
    const QString safety = FileOps::resolve(safetyArchive(dir));
    if (QFileInfo::exists(safety)) {
        QFile::remove(safety);
        QDir().rmdir(workDir(dir));
    }
    return packDirectory(
        dir, [&dirName](const QString &relative) { return leftOutOfArchive(relative, dirName); },
        FileOps::resolve(target), Compression::Deflate, progress);
}

RestoreResult restoreSettlement(const QString &settlementDir, const QString &dirName, const QString &archive,
                                const Progress &progress, const QString &templateDir)
{
    RestoreResult result;
    const QString dir = FileOps::resolve(settlementDir);
    // An earlier restore that was stopped half-way is completed first; when
    // it cannot be, nothing else may be moved in over it.
    if (!finishPendingRestore(dir)) {
        result.errors << u"Soubory zálohy nelze přesunout do adresáře %1."_s.arg(native(dir));
        return result;
    }

    const QString work = workDir(dir);
    QDir().mkpath(work);
    const QString safety = QDir(work).filePath(u"Zaloha.zip"_s);
    QFile::remove(safety);
    // Read back in full: it is what the user restores to undo this restore.
    const PackResult packed = packDirectory(
        dir, [&dirName](const QString &relative) { return leftOutOfArchive(relative, dirName); }, safety,
        Compression::Deflate, progress, ReadBack::Full);
    if (!packed.ok) {
        result.errors << platform::Error::withReason(
            u"Záložní soubor %1 nelze vytvořit."_s.arg(native(safety)), packed.error.section(u'\n', 1));
        removeWork(dir, false);
        return result;
    }

    const Staged staged = stage(dir, FileOps::resolve(archive), progress, templateDir);
    result.errors << staged.errors;
    if (!staged.ok) {
        removeWork(dir, false);
        return result;
    }
    if (commit(dir)) {
        result.counter = int(staged.names.size());
        result.keptArchive = keepReplaced(work, safety);
        removeWork(dir, false);
        return result;
    }

    // Part of the files may be in: put the previous ones back the same way.
    result.errors << u"Soubory zálohy nelze přesunout do adresáře %1."_s.arg(native(dir));
    const Staged previous = stage(dir, safety, progress);
    if (!previous.ok || !commit(dir)) {
        result.errors << u"Záložní soubor %1 nelze otevřít."_s.arg(native(safety));
        result.safetyKept = true;
    }
    removeWork(dir, result.safetyKept);
    return result;
}

bool undoRestore(const QString &settlementDir, const QString &keptArchive, QStringList &errors)
{
    const QString dir = FileOps::resolve(settlementDir);
    QDir().mkpath(workDir(dir));
    const Staged previous = stage(dir, FileOps::resolve(keptArchive), {});
    errors << previous.errors;
    const bool ok = previous.ok && commit(dir);
    if (!ok)
        errors << u"Záložní soubor %1 nelze otevřít."_s.arg(native(FileOps::resolve(keptArchive)));
    removeWork(dir, false);
    return ok;
}

bool finishPendingRestore(const QString &settlementDir)
{
    const QString dir = FileOps::resolve(settlementDir);
    const QString work = workDir(dir);
    if (!QFileInfo(work).isDir())
        return true;
    QDir(QDir(work).filePath(kStaging)).removeRecursively();
    QDir(QDir(work).filePath(kCheck)).removeRecursively();
    const QString prepared = QDir(work).filePath(kPrepared);
    if (QFileInfo(prepared).isDir())
        return applyPrepared(dir, prepared);
    return true;
}

} // namespace backup
