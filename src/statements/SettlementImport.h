#pragma once

#include "data/TableDefs.h"
#include "statements/SettlementExchange.h"

#include <QList>

namespace data {
class TDM1;
}

// Bringing a settlement or a statement's monthly figures in from another
// program, through the windows' rules and as one change of the settlement.
namespace statements::exchange {

// The tables an export writes and an import may replace, in the order an
// import fills them: the company data first, the places of work and the
// payroll sums last.
const QList<data::TableId> &exchangedTables();

// Types the document into the settlement open in dm: each table the
// document names starts from its empty template and takes the document's
// rows; the others stay. Everything is one change: a refused value (the
// message names the table, the row and the field), a table the settlement
// does not have or a failing disk leaves every table as it was, and the
// error (platform::Error) goes on. The tables are open again afterwards.
void importDocument(data::TDM1 &dm, const Document &doc);

// Types the months into the statement `table` ("Vdvl", "Vdvs") open in dm
// and posts it, as one change; a refused cell ("Řádek 3, sloupec sl2: ...")
// changes nothing.
void importMonths(data::TDM1 &dm, const QString &table, const QList<MonthRow> &rows);

} // namespace statements::exchange
