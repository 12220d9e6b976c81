// A table's files as a whole: creating a table, listing, copying and removing
// its files.
#include "paradox/TablePrivate.h"

#include "platform/SystemError.h"

#include <QSaveFile>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace paradox {

QString displayNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

[[noreturn]] void throwIo(const QString &displayName, const QFile &file)
{
    throw TableError(TableError::Kind::Unreadable,
                     u"Tabulku %1 nelze zapsat: %2"_s.arg(
                         displayName, platform::SystemError::translate(file.errorString())));
}

QString companionPath(const QString &dbPath, const QString &suffix)
{
    const QFileInfo info(dbPath);
    // Keep the letter case of the table's own extension ("Vpz.DB" → "Vpz.PX").
    const bool lower = info.suffix() == info.suffix().toLower() && !info.suffix().isEmpty();
    return info.dir().filePath(info.completeBaseName() + u'.' + (lower ? suffix.toLower() : suffix));
}

QString existingCompanion(const QString &dbPath, const QString &suffix)
{
    const QFileInfo info(dbPath);
    const QDir dir = info.dir();
    const QStringList names = dir.entryList({info.completeBaseName() + u'.' + suffix}, QDir::Files);
    for (const QString &n : names) {
        if (n.compare(info.completeBaseName() + u'.' + suffix, Qt::CaseInsensitive) == 0)
            return dir.filePath(n);
    }
    return companionPath(dbPath, suffix);
}

std::unique_ptr<Table> Table::create(const QString &dbPath, const Schema &schema, const TableFormat &fmt,
                                     const OpenOptions &options)
{
    const QString name = displayNameOf(dbPath);
    auto invalid = [&](const QString &why) {
        return TableError(TableError::Kind::Invalid, u"Tabulku %1 nelze vytvořit: %2"_s.arg(name, why));
    };
    if (QFile::exists(dbPath))
        throw invalid(u"soubor už existuje"_s);
    if (schema.fields.isEmpty() || schema.fields.size() > 255)
        throw invalid(u"tabulka musí mít 1 až 255 polí"_s);
    if (schema.keyFields < 0 || schema.keyFields > 16 || schema.keyFields > schema.fields.size())
        throw invalid(u"neplatný počet polí klíče"_s);
    format::Header h;
    h.schema = schema;
    QSet<QString> names;
    for (FieldDef &f : h.schema.fields) {
        if (!writableType(f.type))
            throw invalid(u"pole %1 má typ, který nelze vytvořit"_s.arg(f.name));
        if (f.type != FieldType::Alpha)
            f.size = fixedSize(f.type);
        if (f.size < 1 || f.size > 255)
            throw invalid(u"pole %1 má neplatnou délku"_s.arg(f.name));
        if (f.name.isEmpty() || f.name.size() > 25 || names.contains(f.name.toUpper()))
            throw invalid(u"neplatné nebo opakované jméno pole „%1“"_s.arg(f.name));
        names.insert(f.name.toUpper());
        h.recordSize += f.size;
    }
    h.fileType = schema.keyFields > 0 ? format::KeyedTable : format::UnkeyedTable;
    h.format = fmt;
    h.format.encrypted = false;
    h.fileVersion = format::versionForLevel(std::max(fmt.level, 5));
    h.format.level = format::levelFromVersion(h.fileVersion);
    if (!format::isBlockSizeKiB(fmt.blockSizeKiB))
        throw invalid(u"neplatná velikost bloku"_s);
    h.blockSize = fmt.blockSizeKiB * 1024;
    while (h.blockSize - blockHeaderSize < h.recordSize) {
        h.blockSize = h.blockSize < 4096        ? h.blockSize + 1024
                      : h.blockSize * 4 > 32768 ? 32768
                                                : h.blockSize * 4;
        if (h.blockSize == 32768 && h.blockSize - blockHeaderSize < h.recordSize)
            throw invalid(u"záznam je delší než největší blok"_s);
    }
    if (h.blockSize > 4096)
        h.fileVersion = 12;
    h.format.blockSizeKiB = h.blockSize / 1024;
    h.headerSize = 0x800;
    h.changeCounter = 2;
    h.tableName = name;
    const QByteArray bytes = format::buildTableFile(h, {}, 0, nullptr);

    // Index files of an earlier table of that name describe another table.
    removeTable(dbPath);
    QSaveFile file(dbPath);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze vytvořit: %2"_s.arg(
                             name, platform::SystemError::translate(file.errorString())));
    if (schema.keyFields > 0) {
        format::IndexSpec spec;
        spec.keyFields = h.schema.fields.mid(0, schema.keyFields);
        spec.blockSize = h.blockSize;
        spec.fileVersion = h.fileVersion;
        spec.sortOrder = h.format.sortOrder;
        spec.changeCounter = h.changeCounter;
        const QString px = companionPath(dbPath, u"PX"_s);
        spec.tableName = QFileInfo(px).fileName();
        const QByteArray index = format::buildIndexFile(spec, {});
        QFile pxFile(px);
        if (!pxFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || pxFile.write(index) != index.size())
            throwIo(QFileInfo(px).fileName(), pxFile);
    }
    return open(dbPath, options);
}

namespace {

// What a copy leaves beside the target while it runs: the new files under
// temporary names, and the target's old files once they have given way.
const QString copySuffix = u".copy"_s;
const QString oldSuffix = u".old"_s;

// The table's files that exist; with orphans also index files whose .DB is gone.
QStringList tableFilesOf(const QString &dbPath, bool orphans)
{
    const QFileInfo info(dbPath);
    const QString base = info.completeBaseName();
    const QDir dir = info.dir();
    QStringList main;
    QStringList secondary;
    QString db;
    const QStringList all = dir.entryList({base + u".*"_s}, QDir::Files, QDir::Name);
    for (const QString &n : all) {
        const QFileInfo f(n);
        if (f.completeBaseName().compare(base, Qt::CaseInsensitive) != 0)
            continue;
        const QString ext = f.suffix().toUpper();
        if (ext == u"DB")
            db = dir.filePath(n);
        else if (ext == u"PX" || ext == u"MB" || ext == u"VAL")
            main.append(dir.filePath(n));
        else if (ext.size() == 3 && (ext[0] == u'X' || ext[0] == u'Y')) {
            bool hex = false;
            ext.mid(1).toInt(&hex, 16);
            if (hex || ext[1] == u'G')
                secondary.append(dir.filePath(n));
        }
    }
    if (db.isEmpty())
        return orphans ? main + secondary : QStringList();
    return QStringList{db} + main + secondary;
}

} // namespace

QStringList Table::tableFiles(const QString &dbPath)
{
    return tableFilesOf(dbPath, false);
}

void Table::copyTable(const QString &sourceDbPath, const QString &targetDbPath, const OpenOptions &options)
{
    const QString name = displayNameOf(sourceDbPath);
    if (QFileInfo(sourceDbPath)
            .absoluteFilePath()
            .compare(QFileInfo(targetDbPath).absoluteFilePath(), Qt::CaseInsensitive) == 0)
        return;
    if (!QFile::exists(sourceDbPath))
        throw TableError(TableError::Kind::Unreadable, u"Tabulka %1 neexistuje."_s.arg(name));
    // A copy over the same target that was stopped half-way is undone
    // first, so that its files are not lost under this one's.
    restoreInterruptedCopy(targetDbPath, options.netDir);
    const FileLayer &layer = options.files ? *options.files : FileLayer::disk();
    const QFileInfo target(targetDbPath);
    const QString targetDir = QDir::toNativeSeparators(target.absolutePath());
    QString reason;
    QString ignored;
    auto failure = [&](const QString &why) {
        return TableError(TableError::Kind::Unreadable,
                          u"Tabulku %1 nelze zkopírovat do %2: %3"_s.arg(name, targetDir, why));
    };

    // The source is copied as one state: no change lands while its files are
    // copied, and a change a killed process left unfinished is rolled back
    // first, as opening the table would.
    std::unique_ptr<TableLock> lock = TableLock::acquire(sourceDbPath, OpenMode::Shared, options.netDir);
    TableLock::Guard guard = lock->lockForRead();
    if (QFile::exists(journal::pathFor(sourceDbPath))) {
        guard.release();
        guard = lock->lockForWrite();
        TablePrivate source;
        source.path = sourceDbPath;
        source.displayName = name;
        source.options = options;
        source.recoverIfNeeded();
    }

    // Every file of the source under a temporary name beside the target.
    QStringList copies;
    QStringList finals;
    auto removeCopies = [&] {
        for (const QString &c : std::as_const(copies)) {
            if (QFile::exists(c))
                layer.remove(c, ignored);
        }
    };
    for (const QString &file : tableFiles(sourceDbPath)) {
        const QString final =
            target.dir().filePath(target.completeBaseName() + u'.' + QFileInfo(file).suffix());
        const QString copy = final + copySuffix;
        if ((QFile::exists(copy) && !layer.remove(copy, reason)) || !layer.copy(file, copy, reason)) {
            removeCopies();
            throw failure(reason);
        }
        copies.append(copy);
        finals.append(final);
    }
    guard.release();
    lock.reset();

    // The target's files give way under temporary names, from which they
    // come back when a later step fails.
    auto targetFiles = [&targetDbPath] {
        QStringList files = tableFilesOf(targetDbPath, true);
        if (const QString j = journal::pathFor(targetDbPath); QFile::exists(j))
            files.append(j);
        return files;
    };
    QStringList olds = targetFiles();
    // A swap over an existing table runs under its write guard: an opening
    // of the target meanwhile waits for it instead of taking the files set
    // aside for those of a killed copy. A new table has nobody to wait for,
    // and its folder (a template folder) stays without a lock file.
    std::unique_ptr<TableLock> targetLock;
    TableLock::Guard targetGuard;
    if (!olds.isEmpty()) {
        try {
            targetLock = TableLock::acquire(targetDbPath, OpenMode::Shared, options.netDir);
            targetGuard = targetLock->lockForWrite();
        } catch (const TableError &) {
            removeCopies();
            throw;
        }
        olds = targetFiles();
    }
    QStringList aside;
    auto undo = [&] {
        removeCopies();
        bool whole = true;
        for (qsizetype i = aside.size() - 1; i >= 0; --i) {
            if ((QFile::exists(olds[i]) && !layer.remove(olds[i], ignored)) ||
                !layer.rename(aside[i], olds[i], ignored))
                whole = false;
        }
        if (whole)
            return failure(reason);
        return failure(reason +
                       u"\nPůvodní soubory tabulky zůstaly v adresáři %1 pod jmény s příponou %2."_s.arg(
                           targetDir, oldSuffix));
    };
    for (const QString &old : std::as_const(olds)) {
        const QString moved = old + oldSuffix;
        if ((QFile::exists(moved) && !layer.remove(moved, reason)) || !layer.rename(old, moved, reason))
            throw undo();
        aside.append(moved);
    }

    // The copies take the target's names.
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (!layer.rename(copies[i], finals[i], reason)) {
            for (qsizetype k = 0; k < i; ++k)
                layer.remove(finals[k], ignored);
            throw undo();
        }
    }

    // The old files go last: the copy is complete, and one that cannot be
    // removed is only clutter that the next copy clears.
    for (const QString &moved : std::as_const(aside))
        layer.remove(moved, ignored);
}

bool Table::restoreInterruptedCopy(const QString &dbPath, const QString &netDir)
{
    // The .DB is the first file to move aside and the first copy to take its
    // name, so a missing .DB beside its .old means that none of the new files
    // is in place yet: every .old file is the table's own.
    auto interrupted = [&dbPath] { return !QFile::exists(dbPath) && QFile::exists(dbPath + oldSuffix); };
    if (!interrupted())
        return false;
    // A copy still running holds the write guard through its swap; once it
    // has, its files are in and nothing is left to put back.
    std::unique_ptr<TableLock> lock = TableLock::acquire(dbPath, OpenMode::Shared, netDir);
    TableLock::Guard guard = lock->lockForWrite();
    if (!interrupted())
        return QFile::exists(dbPath);
    const QFileInfo info(dbPath);
    const QDir dir = info.dir();
    const QString stem = info.completeBaseName() + u'.';
    bool restored = false;
    for (const QString &n : dir.entryList({stem + u"*"_s}, QDir::Files, QDir::Name)) {
        if (!n.startsWith(stem, Qt::CaseInsensitive))
            continue;
        const QString path = dir.filePath(n);
        if (n.endsWith(copySuffix, Qt::CaseInsensitive)) {
            QFile::remove(path);
        } else if (n.endsWith(oldSuffix, Qt::CaseInsensitive)) {
            const QString original = path.chopped(oldSuffix.size());
            // A file of the table that had not moved aside yet is the one
            // to keep; its .old is then only a stale leftover.
            if (QFile::exists(original))
                QFile::remove(path);
            else if (QFile::rename(path, original))
                restored = true;
        }
    }
    return restored && QFile::exists(dbPath);
}

void Table::removeTable(const QString &dbPath)
{
    for (const QString &f : tableFilesOf(dbPath, true)) {
        if (!QFile::remove(f))
            throw TableError(TableError::Kind::Unreadable,
                             u"Soubor %1 nelze smazat."_s.arg(QFileInfo(f).fileName()));
    }
    QFile::remove(journal::pathFor(dbPath));
}

} // namespace paradox
