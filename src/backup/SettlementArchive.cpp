#include "backup/SettlementArchive.h"

#include "data/DataFiles.h"
#include "data/TDM1.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Takes the data files out of archive into the work folder and checks them.
Staged stage(const QString &dir, const QString &archive, const Progress &progress)
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

    paradox::OpenOptions options;
    options.readOnly = true;
    options.password = data::TDM1::tablesPassword();
    for (const QString &name : extracted.extracted) {
        if (!name.endsWith(u".DB"_s, Qt::CaseInsensitive))
            continue;
        try {
            paradox::Table::open(QDir(staging).filePath(name), options)->close();
        } catch (const paradox::TableError &e) {
            staged.errors << e.message();
            return staged;
        }
    }
    // Complete before the folder gets its prepared name; like the table
    // files it is not forced to the disk.
    QFile manifest(QDir(staging).filePath(kManifest));
    const QByteArray listed = extracted.extracted.join(u'\n').toUtf8() + '\n';
    if (!manifest.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        manifest.write(listed) != listed.size() || !manifest.flush()) {
        staged.errors << u"Soubor %1 nelze vytvořit."_s.arg(native(manifest.fileName()));
        return staged;
    }
    staged.ok = true;
    staged.names = extracted.extracted;
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

} // namespace

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
    const QString work = workFolderName() + u'/';
    return relative.startsWith(work + kStaging + u'/', Qt::CaseInsensitive) ||
           relative.startsWith(work + kPrepared + u'/', Qt::CaseInsensitive);
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
                                const Progress &progress)
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
    const PackResult packed = packDirectory(
        dir, [&dirName](const QString &relative) { return leftOutOfArchive(relative, dirName); }, safety,
        Compression::Store, progress, ReadBack::Directory);
    if (!packed.ok) {
        result.errors << u"Záložní soubor %1 nelze vytvořit."_s.arg(native(safety));
        removeWork(dir, false);
        return result;
    }

    const Staged staged = stage(dir, FileOps::resolve(archive), progress);
    result.errors << staged.errors;
    if (!staged.ok) {
        removeWork(dir, false);
        return result;
    }
    if (commit(dir)) {
        result.counter = int(staged.names.size());
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

bool finishPendingRestore(const QString &settlementDir)
{
    const QString dir = FileOps::resolve(settlementDir);
    const QString work = workDir(dir);
    if (!QFileInfo(work).isDir())
        return true;
    QDir(QDir(work).filePath(kStaging)).removeRecursively();
    const QString prepared = QDir(work).filePath(kPrepared);
    if (QFileInfo(prepared).isDir())
        return applyPrepared(dir, prepared);
    return true;
}

} // namespace backup
