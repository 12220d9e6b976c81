// The restore's reading of an archive on arbitrary bytes: no crash, nothing
// written outside the work folder, only the eleven data file names taken,
// none larger than the limit; each taken table is opened as the restore
// opens it before moving anything in.

#include "backup/ZipArchive.h"
#include "data/DataFiles.h"
#include "paradox/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "FuzzCheck.h"

#include <cstdint>
#include <cstdlib>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString base =
        QDir::tempPath() + QStringLiteral("/qesto-fuzz-restore-%1").arg(QCoreApplication::applicationPid());
    const QString dest = base + QStringLiteral("/work");
    QDir(base).removeRecursively();
    check(QDir().mkpath(dest));

    const QByteArray archive(reinterpret_cast<const char *>(data), qsizetype(size));
    backup::ExtractLimits limits;
    limits.maxEntrySize = 1 << 20;
    const QStringList &names = data::DataFiles::settlementFiles();
    const backup::ExtractResult result = backup::extractNamedFromBuffer(archive, names, dest, limits);

    // Only regular files of the eleven names, in the work folder itself.
    check(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) ==
          QStringList{QStringLiteral("work")});
    for (const QFileInfo &info :
         QDir(dest).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        check(info.isFile() && !info.isSymLink());
        check(names.contains(info.fileName()));
        check(info.size() <= limits.maxEntrySize);
    }
    if (result.status == backup::ExtractResult::Status::Ok) {
        paradox::OpenOptions options;
        options.readOnly = true;
        for (const QString &name : result.extracted) {
            if (!name.endsWith(QStringLiteral(".DB")))
                continue;
            try {
                paradox::Table::open(dest + u'/' + name, options)->close();
            } catch (const paradox::TableError &) {
            }
        }
    }
    QDir(base).removeRecursively();
    return 0;
}
