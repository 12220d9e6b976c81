#include "backup/ZipArchive.h"

#include "platform/AtomicFile.h"
#include "platform/DiskSync.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/SystemError.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>
#include <QUuid>

#include <zip.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace backup {

namespace {

struct ZipCloser
{
    void operator()(zip_t *z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser
{
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileCloser>;

QByteArray localPath(const QString &path)
{
    return QFile::encodeName(path);
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Every entry read back in full, so that libzip checks its CRC: a file that
// the disk or the system cut short is caught here, before the archive
// replaces anything.
bool readsBack(const QString &path, int expectedEntries, ReadBack readBack)
{
    int error = 0;
    ZipPtr zip(zip_open(localPath(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip || zip_get_num_entries(zip.get(), 0) != expectedEntries)
        return false;
    if (readBack == ReadBack::Directory)
        return true;
    std::unique_ptr<char[]> buffer(new char[1 << 16]);
    for (zip_int64_t i = 0; i < expectedEntries; ++i) {
        ZipFilePtr file(zip_fopen_index(zip.get(), zip_uint64_t(i), 0));
        if (!file)
            return false;
        zip_int64_t n = 0;
        while ((n = zip_fread(file.get(), buffer.get(), 1 << 16)) > 0) {
        }
        if (n < 0)
            return false;
    }
    return true;
}

// The system's reason behind a failure libzip reports, in Czech; empty when
// libzip's own check failed rather than the system.
QString systemReason(zip_error_t *error)
{
    if (!error || zip_error_system_type(error) != ZIP_ET_SYS)
        return {};
    return platform::SystemError::reason(zip_error_code_system(error));
}

// Temporary archives of killed runs: those of this target at once (a second
// run writing the same archive at the same moment would fail anyway), those
// of other archives in the folder once nobody can still be writing them.
void removeLeftovers(const QString &targetPath)
{
    platform::AtomicFile::removeLeftovers(targetPath);
    const QFileInfo target(targetPath);
    const QDir dir = target.absoluteDir();
    const QDateTime settled = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QFileInfoList stale = dir.entryInfoList({u"*.zip.tmp-*"_s}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &info : stale) {
        if (info.lastModified().toUTC() < settled)
            QFile::remove(info.absoluteFilePath());
    }
}

void progressCallback(zip_t *, double, void *state)
{
    const auto *progress = static_cast<const Progress *>(state);
    if (*progress)
        (*progress)();
}

} // namespace

PackResult packDirectory(const QString &baseDir, const std::function<bool(const QString &)> &skip,
                         const QString &target, Compression compression, const Progress &progress,
                         ReadBack readBack)
{
    PackResult result;
    const QString targetPath = QFileInfo(target).absoluteFilePath();
    const QString cannotCreate = u"Soubor %1 nelze vytvořit."_s.arg(native(targetPath));
    result.error = cannotCreate;

    const QDir base(baseDir);
    QStringList files;
    QDirIterator it(baseDir, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile())
            continue;
        const QString absolute = info.absoluteFilePath();
        // The archive being written may lie inside the folder it packs.
        if (absolute.startsWith(targetPath))
            continue;
        const QString relative = base.relativeFilePath(absolute);
        if (relative.startsWith(u"../") || (skip && skip(relative)))
            continue;
        files.append(relative);
    }
    files.sort(Qt::CaseInsensitive);
    removeLeftovers(targetPath);

    const QString temp = targetPath + u".tmp-"_s + QUuid::createUuid().toString(QUuid::Id128).left(8);
    int error = 0;
    ZipPtr zip(zip_open(localPath(temp).constData(), ZIP_CREATE | ZIP_EXCL, &error));
    if (!zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        result.error = platform::Error::withReason(cannotCreate, systemReason(&ze));
        zip_error_fini(&ze);
        return result;
    }
    const auto cleanup = [&temp] { QFile::remove(temp); };

    for (const QString &relative : files) {
        zip_source_t *source =
            zip_source_file(zip.get(), localPath(base.filePath(relative)).constData(), 0, -1);
        if (!source) {
            result.error = u"Soubor %1 nelze přečíst."_s.arg(native(base.filePath(relative)));
            zip.reset();
            cleanup();
            return result;
        }
        const zip_int64_t index = zip_file_add(zip.get(), relative.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            zip.reset();
            cleanup();
            return result;
        }
        if (compression == Compression::Store)
            zip_set_file_compression(zip.get(), zip_uint64_t(index), ZIP_CM_STORE, 0);
        else
            // libzip's default is the slowest level; 6 is zlib's and zip's.
            zip_set_file_compression(zip.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 6);
    }
    if (progress)
        zip_register_progress_callback_with_state(zip.get(), 0.05, progressCallback, nullptr,
                                                  const_cast<Progress *>(&progress));
    // An archive without entries is not written by libzip at all; there is
    // nothing to back up then either.
    if (files.isEmpty() || zip_close(zip.get()) != 0) {
        if (!files.isEmpty()) {
            // The files are read only now: one that went or cannot be read
            // is the cause, not the archive.
            QString reason = systemReason(zip_get_error(zip.get()));
            for (const QString &relative : files) {
                QFile source(base.filePath(relative));
                if (!source.open(QIODevice::ReadOnly)) {
                    reason = u"Soubor %1 nelze přečíst: %2"_s.arg(
                        native(source.fileName()), platform::SystemError::translate(source.errorString()));
                    break;
                }
            }
            result.error = platform::Error::withReason(cannotCreate, reason);
        }
        zip.reset();
        cleanup();
        return result;
    }
    (void)zip.release(); // closed above

    if (!readsBack(temp, int(files.size()), readBack)) {
        cleanup();
        return result;
    }
    // On the disk before it takes the target's name, and the name with it:
    // an archive reported as written survives a power cut.
    QString reason;
    if (!platform::DiskSync::flushFile(temp, &reason) ||
        !platform::DiskSync::replaceFile(temp, targetPath, &reason)) {
        result.error = platform::Error::withReason(cannotCreate, reason);
        cleanup();
        return result;
    }
    platform::DiskSync::flushDirectory(QFileInfo(targetPath).absolutePath());
    result.ok = true;
    result.entries = int(files.size());
    result.error.clear();
    return result;
}

namespace {

ExtractResult refused(const QString &text)
{
    ExtractResult r;
    r.status = ExtractResult::Status::Refused;
    r.error = text;
    return r;
}

ExtractResult extractFrom(zip_t *zip, const QString &shownName, const QStringList &names,
                          const QString &destDir, const ExtractLimits &limits, const Progress &progress)
{
    ExtractResult result;
    const QString cannotOpen = u"Soubor %1 nelze otevřít."_s.arg(shownName);
    result.error = cannotOpen;

    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count < 0)
        return result;

    // First the whole directory: which entries we take, and whether the
    // archive as a whole can be trusted with them.
    QHash<QString, zip_uint64_t> chosen; // canonical name → entry
    qint64 declared = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            return result;
        const QString entryName = QString::fromUtf8(st.name);
        QString canonical;
        for (const QString &name : names) {
            if (entryName.compare(name, Qt::CaseInsensitive) == 0) {
                canonical = name;
                break;
            }
        }
        if (canonical.isEmpty())
            continue;
        if (chosen.contains(canonical))
            return refused(u"Archiv %1 obsahuje soubor %2 vícekrát."_s.arg(shownName, canonical));
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return refused(u"Soubor %1 v archivu %2 je zašifrovaný."_s.arg(canonical, shownName));
        if ((st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method != ZIP_CM_STORE &&
            st.comp_method != ZIP_CM_DEFLATE)
            return refused(u"Soubor %1 v archivu %2 je zkomprimován nepodporovanou metodou."_s.arg(
                canonical, shownName));
        if (!(st.valid & ZIP_STAT_SIZE) || st.size > zip_uint64_t(limits.maxEntrySize))
            return refused(
                u"Soubor %1 v archivu %2 je větší, než může být datový soubor."_s.arg(canonical, shownName));
        declared += qint64(st.size);
        chosen.insert(canonical, zip_uint64_t(i));
    }
    const QStorageInfo storage(destDir);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && declared > storage.bytesAvailable())
        return refused(u"Na disku není dost místa pro obnovu dat z archivu %1."_s.arg(shownName));

    std::unique_ptr<char[]> buffer(new char[1 << 16]);
    const QDir dest(destDir);
    for (const QString &name : names) {
        const auto found = chosen.constFind(name);
        if (found == chosen.cend())
            continue;
        zip_stat_t st;
        zip_stat_init(&st);
        zip_stat_index(zip, found.value(), 0, &st);
        if (st.valid & ZIP_STAT_MTIME) {
            const QDateTime changed = QDateTime::fromSecsSinceEpoch(qint64(st.mtime));
            if (!result.newest.isValid() || changed > result.newest)
                result.newest = changed;
        }
        ZipFilePtr in(zip_fopen_index(zip, found.value(), 0));
        if (!in)
            return result;
        // NewOnly: a name already in the folder is a fault of the caller,
        // never a reason to write through whatever sits there.
        QFile out(dest.filePath(name));
        // A failure to write names the file and why (a full disk), not the
        // archive, which reads well.
        const auto cannotWrite = [&] {
            result.error =
                platform::Error::withReason(u"Soubor %1 nelze zapsat."_s.arg(native(out.fileName())),
                                            platform::SystemError::translate(out.errorString()));
            return result;
        };
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return cannotWrite();
        qint64 written = 0;
        zip_int64_t n = 0;
        while ((n = zip_fread(in.get(), buffer.get(), 1 << 16)) > 0) {
            written += n;
            // libzip stops at the declared size; this guards against a
            // reader that would not.
            if (written > qint64(st.size) || written > limits.maxEntrySize)
                return refused(
                    u"Soubor %1 v archivu %2 je větší, než může být datový soubor."_s.arg(name, shownName));
            if (out.write(buffer.get(), n) != n)
                return cannotWrite();
        }
        if (n < 0 || written != qint64(st.size))
            return result;
        if (!out.flush())
            return cannotWrite();
        // What is taken out replaces the settlement's files; it must be on
        // the disk before anything is moved in.
        QString reason;
        if (!platform::DiskSync::flushFile(out, &reason)) {
            result.error =
                platform::Error::withReason(u"Soubor %1 nelze zapsat."_s.arg(native(out.fileName())), reason);
            return result;
        }
        out.close();
        result.extracted.append(name);
        if (progress)
            progress();
    }
    result.status = ExtractResult::Status::Ok;
    result.error.clear();
    return result;
}

} // namespace

ExtractResult extractNamed(const QString &archive, const QStringList &names, const QString &destDir,
                           const ExtractLimits &limits, const Progress &progress)
{
    const QString shown = native(QFileInfo(archive).absoluteFilePath());
    int error = 0;
    ZipPtr zip(zip_open(localPath(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        ExtractResult r;
        r.error = u"Soubor %1 nelze otevřít."_s.arg(shown);
        return r;
    }
    return extractFrom(zip.get(), shown, names, destDir, limits, progress);
}

ExtractResult extractNamedFromBuffer(const QByteArray &archive, const QStringList &names,
                                     const QString &destDir, const ExtractLimits &limits,
                                     const Progress &progress)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(archive.constData(), zip_uint64_t(archive.size()), 0, &error);
    ZipPtr zip(source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr);
    if (!zip && source)
        zip_source_free(source);
    zip_error_fini(&error);
    if (!zip) {
        ExtractResult r;
        r.error = u"Archiv nelze otevřít."_s;
        return r;
    }
    return extractFrom(zip.get(), u"v paměti"_s, names, destDir, limits, progress);
}

} // namespace backup
