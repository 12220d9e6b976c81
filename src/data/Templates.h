#pragma once

#include "data/TableDefs.h"

#include <QString>

// The empty tables a data root keeps in its template directory "Data\", and a
// whole empty data root, written from the definitions in TableDefs.
namespace data {

// The version of the tables this program writes, kept as [Verze] "Data" in
// "Data\Verze.ini" of a data root.
inline constexpr int DataVersion = 1410;

// Writes the empty table (with its primary index when keyed) into dir,
// replacing the files of an existing table of that name at once, so that a
// reader never finds half a template. Throws paradox::TableError.
void createEmptyTable(TableId id, const QString &dir);

// The eleven settlement files.
void createSettlementTemplates(const QString &dir);

// "Data.DB" with "Data.PX" (and the secondary indexes on Pozice and Nazev when
// the engine offers them), "Uziv.DB" and "Uziv.PX".
void createListTemplates(const QString &dir);

// Whether dir holds a settlement list, that is, whether it is a data root.
bool isDataRoot(const QString &dir);

// Creates a complete empty data root in root (made if missing): the template
// directory "Data\" with every template and "Verze.ini", the empty list and
// password tables, and "Qesto.ini" with the list's order and, for Local,
// the key that sends the first start straight to the settlement list. Refuses to touch a directory that
// already is a data root. Returns an empty string or the Czech reason of the failure. How the first start of
// the program works with the data of a new root.
enum class DataWork
{
    // "Net" is left out of Qesto.ini: the first start asks in "Výběr práce
    // s daty".
    Ask,
    // "Net" = "0": local data, no question.
    Local
};
QString createDataRoot(const QString &root, DataWork work = DataWork::Local);

// Rewrites the templates and "Verze.ini" of an existing data root, leaving
// its list, passwords and settlements alone.
QString refreshTemplates(const QString &root);

} // namespace data
