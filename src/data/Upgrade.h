#pragma once

#include "data/TableDefs.h"
#include "paradox/Table.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Bringing table files written by earlier versions up to the structure of
// TableDefs, before the data module opens its datasets on them. Everything
// here works on files only: no dataset, no window. Engine failures arrive as
// paradox::TableError with a Czech message.
namespace data {

// One step in the history of a table: the fields an earlier version lacked,
// in the order in which they are appended to an older file.
struct Generation
{
    QString label; // "1".."8" for Prp, "A".."C" for Vdvl, ...
    QStringList fields;
};

// Oldest first; empty for a table whose structure never changed.
const QList<Generation> &generations(TableId id);

// How many of the table's generations (counted from the oldest) a file's
// fields already contain: 0 for a file older than all of them,
// generations(id).size() for a current one.
int detectGeneration(TableId id, const paradox::Schema &schema);

struct UpgradeFlags
{
    bool printSettings = false;         // print settings were added to Dmt
    bool statementTypes = false;        // the statement types were added to Prp
    bool lastCompanyGeneration = false; // Prp gained its last generation

    bool any() const { return printSettings || statementTypes || lastCompanyGeneration; }
    friend bool operator==(const UpgradeFlags &, const UpgradeFlags &) = default;
};

struct UpgradeResult
{
    UpgradeFlags flags;
    // Tables whose files were changed or copied from the templates, in the
    // order of opening.
    QList<TableId> changedTables;
    // Tables whose files were missing and were created from the empty
    // templates: whatever they held is gone, and the user is told so.
    QList<TableId> createdEmpty;
    // Work left for the data module once its datasets are open: these
    // single-record tables are to be edited and posted once, so the posting
    // rules (rounding, empty amounts) reach the added fields...
    QList<TableId> postOnce;
    // ...and then these statements recomputed as a whole.
    bool recalculateEmployment = false;  // Vdvl gained generation B or C
    bool recalculateWithholding = false; // Vdvs gained its withholding columns
};

// Upgrades every table of the settlement in settlementDir, in the order the
// tables are opened, copying "Vdvs.DB", "Vpkb.DB" and "Mzd11.DB"/".PX" from
// templateDir when the settlement lacks them. A settlement of the current
// structure is only read, never written. options carries the network
// control directory and the tables' password; tables that need changes are
// reopened exclusively for the change.
// beforeFirstChange runs once, before the first file is written or copied
// (never for a current settlement): the opening begins its change set there.
UpgradeResult upgradeSettlement(const QString &settlementDir, const QString &templateDir,
                                const paradox::OpenOptions &options = {},
                                const std::function<void()> &beforeFirstChange = {});

} // namespace data
