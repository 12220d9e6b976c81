#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// ZIP archives of a settlement directory: packing a folder into an archive
// that replaces its target only once it is complete and read back, and
// taking a fixed set of file names out of an archive that may come from
// anywhere.
namespace backup {

// Called at every step of the work so that a progress bar can move.
using Progress = std::function<void()>;

enum class Compression
{
    Deflate,
    // For archives that live only while an operation runs: no time spent
    // compressing.
    Store,
};

struct PackResult
{
    bool ok = false;
    int entries = 0; // files written and read back
    QString error;   // Czech, when !ok
};

// Packs every regular file below baseDir (subfolders included, links
// skipped) into a new archive at target, with "/"-separated paths relative
// to baseDir. skip gets each relative path and returns true for files to
// leave out. The archive is written to a temporary file beside target, read
// back entry by entry, and only then renamed over target: a failure at any
// point leaves an existing target as it was.
// How far the written archive is read back before it replaces the target.
enum class ReadBack
{
    // Every entry decompressed and its checksum compared.
    Full,
    // The directory and its entry count: for a safety copy that lives only
    // while an operation runs and is read only if that operation fails.
    Directory,
};

PackResult packDirectory(const QString &baseDir, const std::function<bool(const QString &)> &skip,
                         const QString &target, Compression compression, const Progress &progress = {},
                         ReadBack readBack = ReadBack::Full);

struct ExtractLimits
{
    // No settlement table comes near this; an entry declaring or inflating
    // to more is not a table of ours.
    qint64 maxEntrySize = qint64(256) << 20;
};

struct ExtractResult
{
    enum class Status
    {
        Ok,
        CannotOpen, // not a ZIP archive, or damaged
        Refused,    // readable, but holds what no backup of ours holds
    };
    Status status = Status::CannotOpen;
    // The names (as spelled in `names`) written into the target folder.
    QStringList extracted;
    // The latest modification time stored with those entries: when the
    // data in the archive were last changed. Invalid when none says.
    QDateTime newest;
    QString error; // Czech, when not Ok
};

// Takes out of the archive the entries whose whole name is one of `names`
// (letter case ignored, no folder part), each written as a regular file
// named as in `names` into destDir, which the caller has just created
// empty. Nothing else of the archive is looked at beyond its name, and
// nothing is written outside destDir. Refused: two entries for one name, an
// encrypted entry, an entry larger than the limit or than the free space
// (declared or inflated), a compression method other than store or deflate.
// A refused or unreadable archive may leave files in destDir.
ExtractResult extractNamed(const QString &archive, const QStringList &names, const QString &destDir,
                           const ExtractLimits &limits = {}, const Progress &progress = {});
// The same on an archive held in memory.
ExtractResult extractNamedFromBuffer(const QByteArray &archive, const QStringList &names,
                                     const QString &destDir, const ExtractLimits &limits = {},
                                     const Progress &progress = {});

} // namespace backup
