#include "paradox/Journal.h"

#include "paradox/Error.h"
#include "platform/SystemError.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace paradox::journal {

namespace {

constexpr quint32 magic = 0x51504A31; // "QPJ1"
constexpr qint32 maxRanges = 1 << 20;

quint64 fnv1a(const QByteArray &data)
{
    quint64 hash = 14695981039346656037ull;
    for (char c : data) {
        hash ^= quint8(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

QString pathFor(const QString &dbPath)
{
    const QFileInfo info(dbPath);
    return info.dir().filePath(info.completeBaseName() + u".JRN"_s);
}

void write(const QString &path, const Journal &journal, const QString &displayName)
{
    QByteArray body;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out << magic << journal.originalSize << journal.oldStamp << journal.newStamp
            << qint32(journal.ranges.size());
        for (const Range &r : journal.ranges)
            out << r.offset << r.bytes;
    }
    QByteArray sum;
    QDataStream(&sum, QIODevice::WriteOnly) << fnv1a(body);
    body += sum;
    // A journal cut short by a crash fails its checksum and is ignored: the
    // table was not touched before the journal was complete. The table's
    // change forces it to the disk before touching the table.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(body) != body.size() ||
        !file.flush()) {
        const QString reason = platform::SystemError::translate(file.errorString());
        file.close();
        QFile::remove(path);
        throw TableError(TableError::Kind::Unreadable,
                         u"Změnu tabulky %1 nelze zapsat: %2"_s.arg(displayName, reason));
    }
}

std::optional<Journal> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

std::optional<Journal> parse(const QByteArray &all)
{
    if (all.size() < 8 + 4)
        return std::nullopt;
    const QByteArray body = all.left(all.size() - 8);
    QDataStream tail(all.right(8));
    quint64 sum = 0;
    tail >> sum;
    if (sum != fnv1a(body))
        return std::nullopt;
    QDataStream in(body);
    quint32 m = 0;
    qint32 count = 0;
    Journal j;
    in >> m >> j.originalSize >> j.oldStamp >> j.newStamp >> count;
    if (m != magic || count < 0 || count > maxRanges)
        return std::nullopt;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Range r;
        in >> r.offset >> r.bytes;
        j.ranges.append(r);
    }
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return j;
}

} // namespace paradox::journal
