#pragma once

#include "data/TableDefs.h"
#include "paradox/Table.h"

#include <QString>
#include <QStringList>

// The files of the settlement list and of the passwords in a data root:
// copying a group from the templates and bringing a list written by an
// earlier version to the current format. Files only: no dataset, no window.
namespace data {

// List file copy: the files of a group from sourceDir to targetDir,
// replacing existing ones; missing source files are skipped. When the group's
// table is copied, index files the source lacks are removed from the target,
// since they would no longer match the copied table. Throws platform::Error
// with the Czech reason when a file could not be copied.
void KopSezn1(const QString &sourceDir, const QString &targetDir, ListGroup group);

// What became of a list or password table that could not be opened.
struct ListTableRepair
{
    bool replaced = false; // the empty template stands in its place now
    // For the user, in Czech: where a damaged table went, or why the table
    // stays as it is (with the engine's reason on the next line). Empty when
    // a missing table was quietly replaced.
    QString message;
};

// The one rule for a table of the group in fileDir whose opening failed with
// error. Only a missing table, or one the engine finds damaged, is replaced
// by the template of fileDir + "Data\"; a damaged one is first moved aside
// under free names beside it ("Uziv.poskozena.DB", "Uziv.poskozena.PX", ...),
// never deleted. Any other failure (busy, unreadable for a moment, no
// permission) keeps the table: a moment's read error must not take every
// settlement's password with it. Renames go through options.files.
ListTableRepair repairListTable(const QString &fileDir, ListGroup group, const paradox::TableError &error,
                                const paradox::OpenOptions &options = {});

struct ListUpgradeResult
{
    bool converted = false;      // an old list without Pozice was rewritten
    bool nameIndexAdded = false; // the secondary index on Nazev was created
    // What became of a password table that could not be opened.
    ListTableRepair passwords;
    // Failures that were passed over, in Czech; the list is used as it is.
    QStringList errors;
};

// List file upgrade of the data root fileDir (templates in fileDir + "Data/"):
// converts a list written by older versions, adds the index on Nazev where it
// is missing, and treats a password table that cannot be opened by
// repairListTable. The template directory itself is never changed.
ListUpgradeResult PrevodSeznF1(const QString &fileDir, const paradox::OpenOptions &options = {});

} // namespace data
