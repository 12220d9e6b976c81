#pragma once

#include "data/TableDefs.h"
#include "paradox/Table.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A change of several files of one settlement made as a unit: after a
// failure, a killed process or a power cut the settlement holds either all
// of its old files or all of its new ones. See docs/change-sets.md.
namespace data {

class TDM1;

class ChangeSet
{
public:
    // options: the file layer every step goes through, and the control
    // directory and password for finishing a table's own unfinished change.
    ChangeSet(const QString &settlementDir, const QString &operation,
              const paradox::OpenOptions &options = {});
    // A change begun and neither committed nor rolled back is rolled back;
    // when even that fails it is left for the next opening.
    ~ChangeSet();
    ChangeSet(const ChangeSet &) = delete;
    ChangeSet &operator=(const ChangeSet &) = delete;

    // The files the change may write, named as in the settlement directory;
    // only before begin(). A table brings its index.
    void addTable(TableId id);
    void addFile(const QString &name);

    // Keeps the old contents of every file added and records what to do
    // when the process stops; only then may the files be written. Throws
    // DatabaseError; the settlement is unchanged then.
    void begin();
    // Makes the new contents the settlement's. Throws DatabaseError when the
    // change cannot be completed; it is still unfinished then.
    void commit();
    // Puts the old contents back (a file that did not exist is removed).
    // Throws DatabaseError when that fails; the change then stays recorded,
    // and the next opening tries again.
    void rollBack();
    bool isActive() const { return m_active; }
    // Begun while another change of this process was running in the same
    // directory and covering these files: this one is part of it, and
    // commit() and rollBack() leave the outcome to the outer change.
    bool isJoined() const { return m_joined; }
    // Whether this process runs a change in the directory.
    static bool running(const QString &settlementDir);

    const QString &operation() const { return m_operation; }

    // An unfinished change left in the settlement directory is rolled back
    // (unless this process is running it);
    // the remains of a committed one are removed. Gives the operation's name
    // when a change was rolled back, else an empty string. Throws
    // DatabaseError when the old files cannot be put back: the settlement
    // must not be opened then.
    static QString finishPending(const QString &settlementDir, const paradox::OpenOptions &options = {});
    // Below the settlement directory: the kept files and the record.
    static QString workFolderName();

private:
    QString m_dir;
    QString m_operation;
    paradox::OpenOptions m_options;
    QStringList m_tables; // .DB names
    QStringList m_files;  // every name, tables with their index
    bool m_active = false;
    bool m_joined = false;
};

// Runs work on the open settlement of dm as one change of the given tables
// (and of further files of the settlement directory, the settlement's INI
// file): when work throws, the tables are closed, the old files put back and
// the tables opened again before the error goes on, even when work had
// closed them to replace a table's files. The tables are expected open when
// the change starts.
void changeSettlement(TDM1 &dm, const QString &operation, const QList<TableId> &tables,
                      const std::function<void()> &work, const QStringList &files = {});

// The text an opening shows after it rolled back an unfinished change.
QString rolledBackMessage(const QString &operation);

} // namespace data
