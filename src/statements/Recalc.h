#pragma once

#include "data/TDM1.h"

namespace statements {

// The main window's whole-statement recalculations on the data module's
// open tables; the data module calls them while it opens an upgraded
// settlement.
class StatementRecalc : public data::IStatementRecalc
{
public:
    // Recomputes and posts the employment statement (Vdvl).
    void VypocetVdvl1(data::TDM1 &dm) override;
    // Recomputes and posts the withholding statement (Vdvs).
    void VypocetVdvs1(data::TDM1 &dm) override;
};

// Both statements recomputed and posted, then the database disconnected and
// every table opened again: what opening a settlement runs when the upgrade
// raised a flag.
void PrepocetVY(data::TDM1 &dm);

// Rows of an employee-count page.
inline constexpr int RowsPerPage = 18;

// Numbers the places of work into printed pages before the employee-count
// pages are printed: Poradi 1..18 and Cislo from 1 in ID order, Prp.Pn the
// number of pages (at least 1), and filler rows (dashes, Pmr empty) until the
// last page is full; an empty list gets one page of filler rows.
void Mds1(data::TDM1 &dm);
// Removes the filler rows again after printing.
void Mds2(data::TDM1 &dm);

} // namespace statements
