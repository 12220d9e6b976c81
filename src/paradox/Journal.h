#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The rollback journal that makes a change of a table atomic. Before any byte
// of the .DB is overwritten, the bytes about to be replaced go into
// <Name>.JRN next to it, closed by a checksum so that a journal cut short
// is recognised. When a
// process dies in the middle of a change, whoever opens the table next finds
// the journal, puts the old bytes back and rebuilds the .PX from the table.
namespace paradox::journal {

struct Range
{
    qint64 offset = 0;
    QByteArray bytes;
};

struct Journal
{
    // Size of the .DB before the change; -1 when the change replaced the
    // whole file by a rename and only the index has to be rebuilt.
    qint64 originalSize = -1;
    // The start of the header before and after the change: a journal left
    // behind applies only while the table still carries one of the two (so a
    // table restored from a backup is never "rolled back" by a stale one).
    QByteArray oldStamp;
    QByteArray newStamp;
    QList<Range> ranges;
};

QString pathFor(const QString &dbPath);
// Throws TableError(Unreadable) when the journal cannot be written.
void write(const QString &path, const Journal &journal, const QString &displayName);
// nullopt for a missing, incomplete or damaged journal.
std::optional<Journal> read(const QString &path);
// The same for the journal's bytes read by the caller.
std::optional<Journal> parse(const QByteArray &bytes);

} // namespace paradox::journal
