#include "backup/SettlementArchive.h"

#include "data/ChangeSet.h"
#include "data/DataFiles.h"
#include "data/TDM1.h"
#include "data/TableDefs.h"
#include "data/Upgrade.h"
#include "paradox/Table.h"
#include "platform/Error.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace backup {

namespace FileOps = platform::FileOps;

namespace {

// Below the work folder: the files being taken out of an archive.
const QString kStaging = u"Obnova.tmp"_s;
// A scratch copy of the staged tables on which the upgrade is tried.
const QString kCheck = u"Kontrola.tmp"_s;
const QString kBeforeRestore = u"Pred obnovou "_s;
// The last four of the eleven are removed when the archive lacks them, as
// an archive of an older version does; the first seven then stay.
constexpr int kFirstRemovable = 7;
constexpr int kMinimumFiles = 6;

QString workDir(const QString &dir)
{
    return FileOps::findFile(dir, workFolderName());
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
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
    staged.ok = true;
    staged.names = names;
    return staged;
}

// Moves the staged files in, inside the restore's change: every step may
// fail or end the process, the change puts the old files back.
void moveIn(const QString &dir, const QString &staging, const QStringList &staged,
            const paradox::FileLayer &layer)
{
    const QStringList &names = data::DataFiles::settlementFiles();
    QString reason;
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        // The file keeps the spelling it has on disk, so that no second file
        // differing in letter case appears beside it.
        const QString target = FileOps::findFile(dir, name);
        const bool taken = staged.contains(name);
        if ((taken || i >= kFirstRemovable) && QFileInfo::exists(target) && !layer.remove(target, reason))
            throw platform::Error(
                platform::Error::withReason(u"Soubor %1 nelze smazat."_s.arg(native(target)), reason));
        if (taken && !layer.rename(QDir(staging).filePath(name), target, reason))
            throw platform::Error(
                platform::Error::withReason(u"Soubor %1 nelze obnovit."_s.arg(native(target)), reason));
    }
}

void removeWork(const QString &dir)
{
    const QString work = workDir(dir);
    QDir(QDir(work).filePath(kStaging)).removeRecursively();
    // Only when empty: other files the user keeps there stay.
    QDir().rmdir(work);
}

// A free name for the archive of the data a restore replaces: within the
// same second (an undo at once) the archive just restored from must not be
// replaced.
QString replacedArchiveName(const QString &work)
{
    QString kept = QDir(work).filePath(beforeRestoreName(QDateTime::currentDateTime()));
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = kept.left(kept.lastIndexOf(u'.')).section(u" ("_s, 0, 0) + u" (%1).zip"_s.arg(n);
    return kept;
}

// Only the newest few archives of replaced data stay.
void pruneReplaced(const QString &work)
{
    QDir folder(work);
    const QStringList older = folder.entryList({kBeforeRestore + u"*.zip"_s}, QDir::Files, QDir::Time);
    for (qsizetype i = keptBeforeRestore(); i < older.size(); ++i)
        QFile::remove(folder.filePath(older.at(i)));
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

QString restoreOperation()
{
    return u"Obnovení dat"_s;
}

RestoreResult restoreSettlement(const QString &settlementDir, const QString &dirName, const QString &archive,
                                const RestoreOptions &options)
{
    RestoreResult result;
    const QString dir = FileOps::resolve(settlementDir);
    clearRestoreLeftovers(dir);

    const QString work = workDir(dir);
    QDir().mkpath(work);
    // Read back in full: it is what the user restores to undo this restore.
    // It is written under its final name before anything changes, so that
    // whatever stops the restore, the data it found are in an archive.
    const QString replaced = replacedArchiveName(work);
    const PackResult packed = packDirectory(
        dir, [&dirName](const QString &relative) { return leftOutOfArchive(relative, dirName); }, replaced,
        Compression::Deflate, options.progress, ReadBack::Full);
    const auto giveUp = [&] {
        QFile::remove(replaced);
        removeWork(dir);
        return result;
    };
    if (!packed.ok) {
        result.errors << platform::Error::withReason(
            u"Záložní soubor %1 nelze vytvořit."_s.arg(native(replaced)), packed.error.section(u'\n', 1));
        return giveUp();
    }

    const Staged staged = stage(dir, FileOps::resolve(archive), options.progress, options.templateDir);
    result.errors << staged.errors;
    if (!staged.ok)
        return giveUp();

    data::ChangeSet change(dir, restoreOperation(), options.files);
    for (const data::TableId id : data::SettlementTables)
        change.addTable(id);
    for (const QString &name : data::DataFiles::settlementFiles())
        change.addFile(name);
    // The opening may carry out a rollover the settlement's INI file asks
    // for; its change then joins this one.
    change.addFile(dirName + u".ini"_s);
    try {
        change.begin();
        moveIn(dir, QDir(work).filePath(kStaging), staged.names,
               options.files.files ? *options.files.files : paradox::FileLayer::disk());
    } catch (const platform::Error &e) {
        result.errors << e.message() << u"Soubory zálohy nelze přesunout do adresáře %1."_s.arg(native(dir));
        try {
            change.rollBack();
        } catch (const platform::Error &r) {
            result.errors << r.message();
        }
        return giveUp();
    }
    // A restore counts only when the settlement opens afterwards.
    try {
        if (options.open)
            options.open();
        change.commit();
    } catch (const platform::Error &e) {
        result.errors << e.message();
        try {
            change.rollBack();
            result.rolledBack = true;
        } catch (const platform::Error &r) {
            result.errors << r.message();
        }
        return giveUp();
    }
    result.counter = int(staged.names.size());
    result.keptArchive = replaced;
    pruneReplaced(work);
    removeWork(dir);
    return result;
}

void clearRestoreLeftovers(const QString &settlementDir)
{
    const QString work = workDir(FileOps::resolve(settlementDir));
    if (!QFileInfo(work).isDir())
        return;
    QDir(QDir(work).filePath(kStaging)).removeRecursively();
    QDir(QDir(work).filePath(kCheck)).removeRecursively();
}

} // namespace backup
