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
// since they would no longer match the copied table. Returns false, with the
// Czech reason in error, when a file could not be copied.
bool KopSezn1(const QString &sourceDir, const QString &targetDir, ListGroup group, QString *error = nullptr);

struct ListUpgradeResult
{
    bool converted = false;         // an old list without Pozice was rewritten
    bool nameIndexAdded = false;    // the secondary index on Nazev was created
    bool passwordsReplaced = false; // a missing or damaged Uziv.DB became the empty template
    // Failures that were passed over, in Czech; the list is used as it is.
    QStringList errors;
};

// List file upgrade of the data root fileDir (templates in fileDir + "Data/"):
// converts a list written by older versions, adds the index on Nazev where it
// is missing, and replaces a missing or damaged password table by the empty
// template. The template directory itself is never changed.
ListUpgradeResult PrevodSeznF1(const QString &fileDir, const paradox::OpenOptions &options = {});

} // namespace data
