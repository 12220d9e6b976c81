#include "data/ChangeSet.h"

#include "data/DataError.h"
#include "data/TDM1.h"
#include "paradox/Journal.h"
#include "platform/DiskSync.h"
#include "platform/FileOps.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <optional>

using namespace Qt::StringLiterals;

namespace data {

namespace FileOps = platform::FileOps;

namespace {

const QString kFolder = u"Zmena"_s;
// The record of a running change. It is written under a temporary name and
// renamed when complete, so a record that exists is always whole; it is
// removed as the last step of a commit and of a roll-back.
const QString kRecord = u"Zmena.lst"_s;
const QString kRecordDraft = u"Zmena.tmp"_s;
const QByteArray kHeader = "Qesto - nedokoncena zmena 1";
const QByteArray kEnd = "konec";

// What copyTable leaves beside a table while it swaps the files.
const QStringList kCopyLeftovers = {u".copy"_s, u".old"_s};

struct Record
{
    QString operation;
    QStringList kept;   // saved in the work folder, to be put back
    QStringList absent; // did not exist, to be removed
};

QByteArray encode(const Record &r)
{
    QByteArray out = kHeader + '\n';
    out += "operace " + r.operation.toUtf8() + '\n';
    for (const QString &name : r.kept)
        out += "puvodni " + name.toUtf8() + '\n';
    for (const QString &name : r.absent)
        out += "nebyl " + name.toUtf8() + '\n';
    out += kEnd + '\n';
    return out;
}

std::optional<Record> decode(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3 || lines.first() != kHeader)
        return std::nullopt;
    Record r;
    bool ended = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.isEmpty())
            continue;
        if (line == kEnd) {
            ended = true;
            break;
        }
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            return std::nullopt;
        const QByteArray key = line.left(space);
        const QString value = QString::fromUtf8(line.mid(space + 1));
        if (key == "operace") {
            r.operation = value;
        } else if (key == "puvodni" || key == "nebyl") {
            // Only plain names: a record must not reach outside its folder.
            if (!FileOps::isPlainName(value))
                return std::nullopt;
            (key == "puvodni" ? r.kept : r.absent).append(value);
        } else {
            return std::nullopt;
        }
    }
    if (!ended)
        return std::nullopt;
    return r;
}

const paradox::FileLayer &layerOf(const paradox::OpenOptions &options)
{
    return options.files ? *options.files : paradox::FileLayer::disk();
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void fail(const QString &text, const QString &reason = {})
{
    throw DatabaseError(DatabaseError::Kind::Engine, platform::Error::withReason(text, reason));
}

// Forces a file, or the entries of a folder, onto the disk: the record and the
// kept files must be there before the first table changes, or a power cut
// could leave changed tables with nothing to roll them back from.
void flushFile(const QString &path)
{
    QString reason;
    if (!platform::DiskSync::flushFile(path, &reason))
        fail(u"Soubor %1 nelze zapsat."_s.arg(native(path)), reason);
}

void flushFolder(const QString &dir)
{
    QString reason;
    if (!platform::DiskSync::flushDirectory(dir, &reason))
        fail(u"Soubor %1 nelze zapsat."_s.arg(native(dir)), reason);
}

// The changes this process is running, by directory and with the files
// they cover: a change begun inside another one joins it.
QHash<QString, QStringList> &runningChanges()
{
    static QHash<QString, QStringList> changes;
    return changes;
}

QString key(const QString &dir)
{
    return QDir::cleanPath(dir).toLower();
}

bool isTable(const QString &name)
{
    return name.endsWith(u".DB"_s, Qt::CaseInsensitive);
}

void removeIfThere(const paradox::FileLayer &layer, const QString &path)
{
    QString reason;
    if (QFileInfo::exists(path) && !layer.remove(path, reason))
        fail(u"Soubor %1 nelze smazat."_s.arg(native(path)), reason);
}

// Puts back what the record names. Every step can run again after a process
// stopped in the middle: a kept file that is back is no longer in the work
// folder, and a removal finds nothing the second time.
void restore(const QString &dir, const QString &work, const Record &record, const paradox::FileLayer &layer)
{
    const QString failure =
        u"Nedokončenou akci „%1“ v adresáři %2 nelze vrátit."_s.arg(record.operation, native(dir));
    try {
        // A table's own journal describes a write the kept file never saw,
        // so it goes before the kept file is back; so do the leftovers of a
        // table copy that was running.
        for (const QString &name : record.kept + record.absent) {
            if (isTable(name))
                removeIfThere(layer, paradox::journal::pathFor(FileOps::findFile(dir, name)));
            for (const QString &suffix : kCopyLeftovers)
                removeIfThere(layer, FileOps::findFile(dir, name + suffix));
        }
        QString reason;
        for (const QString &name : record.kept) {
            const QString kept = QDir(work).filePath(name);
            if (!QFileInfo::exists(kept))
                continue;
            const QString target = FileOps::findFile(dir, name);
            removeIfThere(layer, target);
            if (!layer.rename(kept, target, reason))
                fail(u"Soubor %1 nelze obnovit."_s.arg(native(target)), reason);
        }
        for (const QString &name : record.absent)
            removeIfThere(layer, FileOps::findFile(dir, name));
        flushFolder(dir);
        removeIfThere(layer, QDir(work).filePath(kRecord));
        flushFolder(work);
    } catch (const platform::Error &e) {
        fail(failure, e.message());
    }
    QDir(work).removeRecursively();
}

} // namespace

ChangeSet::ChangeSet(const QString &settlementDir, const QString &operation,
                     const paradox::OpenOptions &options)
    : m_dir(FileOps::resolve(settlementDir)), m_operation(operation), m_options(options)
{}

ChangeSet::~ChangeSet()
{
    if (!m_active)
        return;
    try {
        rollBack();
    } catch (const platform::Error &) {
        // Recorded: the next opening puts the old files back.
    }
}

QString ChangeSet::workFolderName()
{
    return kFolder;
}

void ChangeSet::addTable(TableId id)
{
    Q_ASSERT(!m_active);
    const TableDef &def = tableDef(id);
    const QString db = def.fileName();
    if (m_tables.contains(db, Qt::CaseInsensitive))
        return;
    m_tables.append(db);
    m_files.append(db);
    if (def.keyFields() > 0)
        m_files.append(QFileInfo(db).completeBaseName() + u".PX"_s);
}

void ChangeSet::addFile(const QString &name)
{
    Q_ASSERT(!m_active);
    if (!m_files.contains(name, Qt::CaseInsensitive))
        m_files.append(name);
}

bool ChangeSet::running(const QString &settlementDir)
{
    return runningChanges().contains(key(FileOps::resolve(settlementDir)));
}

void ChangeSet::begin()
{
    if (m_active)
        return;
    if (const auto outer = runningChanges().constFind(key(m_dir)); outer != runningChanges().cend()) {
        for (const QString &name : std::as_const(m_files)) {
            if (!outer->contains(name, Qt::CaseInsensitive))
                fail(u"Akci „%1“ nelze začít v adresáři %2."_s.arg(m_operation, native(m_dir)),
                     u"Soubor %1 nepatří k akci, která právě probíhá."_s.arg(name));
        }
        m_active = true;
        m_joined = true;
        return;
    }
    const paradox::FileLayer &layer = layerOf(m_options);
    const QString work = FileOps::findFile(m_dir, kFolder);
    const QString cannot = u"Akci „%1“ nelze začít v adresáři %2."_s.arg(m_operation, native(m_dir));
    if (QFileInfo::exists(QDir(work).filePath(kRecord)))
        fail(cannot, u"Předchozí akce v tomto adresáři není dokončena."_s);
    // Remains of a change that never got its record, or of a committed one.
    QDir(work).removeRecursively();
    if (!QDir().mkpath(work))
        fail(cannot, u"Adresář %1 nelze vytvořit."_s.arg(native(work)));

    Record record;
    record.operation = m_operation;
    try {
        // The kept files must be whole tables: a change of one table that a
        // killed process left is finished first, as opening the table would.
        for (const QString &db : std::as_const(m_tables)) {
            const QString path = FileOps::findFile(m_dir, db);
            paradox::Table::restoreInterruptedCopy(path, m_options.netDir);
            if (QFileInfo::exists(paradox::journal::pathFor(path)))
                withEngineErrors([&] { paradox::Table::open(path, m_options)->close(); });
        }
        QString reason;
        for (const QString &name : std::as_const(m_files)) {
            const QString path = FileOps::findFile(m_dir, name);
            if (!QFileInfo::exists(path)) {
                record.absent.append(name);
                continue;
            }
            const QString onDisk = QFileInfo(path).fileName();
            const QString kept = QDir(work).filePath(onDisk);
            if (!layer.copy(path, kept, reason))
                fail(u"Soubor %1 nelze zkopírovat do adresáře %2."_s.arg(onDisk, native(work)), reason);
            flushFile(kept);
            record.kept.append(onDisk);
        }
        const QString draft = QDir(work).filePath(kRecordDraft);
        if (!layer.beforeWrite(draft, reason))
            fail(u"Soubor %1 nelze zapsat."_s.arg(native(draft)), reason);
        QFile file(draft);
        const QByteArray bytes = encode(record);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            !file.flush())
            fail(u"Soubor %1 nelze zapsat."_s.arg(native(draft)),
                 platform::SystemError::translate(file.errorString()));
        file.close();
        flushFile(draft);
        flushFolder(work);
        if (!layer.rename(draft, QDir(work).filePath(kRecord), reason))
            fail(u"Soubor %1 nelze zapsat."_s.arg(native(QDir(work).filePath(kRecord))), reason);
        flushFolder(work);
        flushFolder(m_dir);
    } catch (const platform::Error &e) {
        QDir(work).removeRecursively();
        fail(cannot, e.message());
    }
    m_active = true;
    runningChanges().insert(key(m_dir), m_files);
}

void ChangeSet::commit()
{
    if (!m_active)
        return;
    if (m_joined) {
        m_active = false;
        return;
    }
    const paradox::FileLayer &layer = layerOf(m_options);
    // The new contents reach the disk before the record goes: a power cut
    // after the commit cannot bring back a mix.
    for (const QString &name : std::as_const(m_files)) {
        const QString path = FileOps::findFile(m_dir, name);
        if (QFileInfo::exists(path))
            flushFile(path);
    }
    flushFolder(m_dir);
    const QString work = FileOps::findFile(m_dir, kFolder);
    QString reason;
    if (!layer.remove(QDir(work).filePath(kRecord), reason))
        fail(u"Akci „%1“ nelze dokončit v adresáři %2."_s.arg(m_operation, native(m_dir)), reason);
    m_active = false;
    runningChanges().remove(key(m_dir));
    flushFolder(work);
    // The kept files are only clutter now; the next change clears what stays.
    QDir(work).removeRecursively();
}

void ChangeSet::rollBack()
{
    if (!m_active)
        return;
    if (m_joined) {
        m_active = false;
        return;
    }
    // Whatever happens now, the change is no longer this process's to
    // finish: what is left is for the next opening.
    m_active = false;
    runningChanges().remove(key(m_dir));
    const QString work = FileOps::findFile(m_dir, kFolder);
    QFile file(QDir(work).filePath(kRecord));
    std::optional<Record> record;
    if (file.open(QIODevice::ReadOnly))
        record = decode(file.readAll());
    file.close();
    if (!record)
        fail(u"Nedokončenou akci „%1“ v adresáři %2 nelze vrátit."_s.arg(m_operation, native(m_dir)),
             u"Záznam akce %1 nelze přečíst."_s.arg(native(file.fileName())));
    restore(m_dir, work, *record, layerOf(m_options));
}

QString ChangeSet::finishPending(const QString &settlementDir, const paradox::OpenOptions &options)
{
    const QString dir = FileOps::resolve(settlementDir);
    const QString work = FileOps::findFile(dir, kFolder);
    if (!QFileInfo(work).isDir() || running(dir))
        return {};
    const QString recordPath = QDir(work).filePath(kRecord);
    if (!QFileInfo::exists(recordPath)) {
        // Begun without its record complete (nothing was written yet), or
        // committed with only the clean-up left.
        QDir(work).removeRecursively();
        return {};
    }
    QFile file(recordPath);
    QString reason;
    std::optional<Record> record;
    if (layerOf(options).openForReading(file, reason))
        record = decode(file.readAll());
    else
        fail(u"Nedokončenou akci v adresáři %1 nelze vrátit."_s.arg(native(dir)), reason);
    file.close();
    if (!record)
        fail(u"Nedokončenou akci v adresáři %1 nelze vrátit."_s.arg(native(dir)),
             u"Záznam akce %1 je poškozený."_s.arg(native(recordPath)));
    restore(dir, work, *record, layerOf(options));
    return record->operation;
}

QString rolledBackMessage(const QString &operation)
{
    return u"Akce „%1“ nebyla dokončena, údaje jsou v původním stavu."_s.arg(operation);
}

void changeSettlement(TDM1 &dm, const QString &operation, const QList<TableId> &tables,
                      const std::function<void()> &work, const QStringList &files)
{
    ChangeSet change(dm.databasePath(), operation, dm.openOptions());
    for (TableId id : tables)
        change.addTable(id);
    for (const QString &name : files)
        change.addFile(name);
    change.begin();
    if (change.isJoined()) {
        work();
        return;
    }
    // Work may close the tables to replace files whole; after a roll-back
    // they are open again as they were when the change began.
    const bool wasOpen = dm.tablesOpen();
    try {
        work();
        change.commit();
    } catch (const platform::Error &e) {
        // The tables hold what was written so far; they let go of the files
        // before the old ones come back.
        dm.Disconnect();
        QString undone;
        try {
            change.rollBack();
        } catch (const platform::Error &r) {
            undone = r.message();
        }
        // After a failed roll-back the files are a mix that only the next
        // opening may touch.
        if (wasOpen && undone.isEmpty()) {
            try {
                dm.OtevritTabulky();
            } catch (const platform::Error &) {
                // The caller reports the first failure; the tables stay closed.
            }
        }
        if (!undone.isEmpty())
            throw DatabaseError(DatabaseError::Kind::Engine,
                                platform::Error::withReason(e.message(), undone));
        throw;
    }
}

} // namespace data
