#pragma once

#include "statements/FormLayout.h"

// The boxes of the windows that edit the other tables, described as the
// statements' pages are, so that the windows, the command line and the
// import share one table of boxes and their rules.
namespace statements {

// "Údaje o firmě": the single record of Prp on four pages.
FormLayout prpLayout();
// "Počet zaměstnanců": the row of boxes above the list of places of work.
FormLayout vpzLayout();
// The print parameters of the print window (Dmt); the annex counts it shows
// beside them are Prp's boxes.
FormLayout dmtLayout();

// The layout of a table's window by the table's name (any letter case):
// the statements, the annexes and the tables above. Empty (no pages) when the
// table has no window of boxes.
FormLayout layoutOf(const QString &table);

} // namespace statements
