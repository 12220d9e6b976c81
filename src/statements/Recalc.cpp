#include "statements/Recalc.h"

#include "data/ChangeSet.h"
#include "data/FieldNames.h"
#include "statements/VdvlCalc.h"
#include "statements/VdvsCalc.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace statements {

using namespace data::fields;

void StatementRecalc::VypocetVdvl1(data::TDM1 &dm)
{
    VdvlCalc(dm.Vdvl()).VypocetVdvl1();
}

void StatementRecalc::VypocetVdvs1(data::TDM1 &dm)
{
    VdvsCalc(dm.Vdvs()).VypocetVdvs1();
}

void PrepocetVY(data::TDM1 &dm)
{
    StatementRecalc recalc;
    // Both statements or neither: a stop between them would leave one
    // recomputed and the other not.
    data::changeSettlement(dm, u"Přepočet výkazů"_s, {data::TableId::Vdvl, data::TableId::Vdvs}, [&] {
        recalc.VypocetVdvl1(dm);
        recalc.VypocetVdvs1(dm);
    });
    dm.Disconnect();
    dm.OtevritTabulky();
}

namespace {

void numberPages(data::TDM1 &dm)
{
    data::Dataset &list = dm.VpzPr();
    dm.openTable(list);
    list.refresh();
    data::Field *poradi = list.fieldByName(Vpz::Poradi);
    data::Field *cislo = list.fieldByName(Vpz::Cislo);

    const int rows = list.recordCount();
    int p = 0;
    int s = 1;
    list.first();
    for (int row = 0; row < rows; ++row) {
        list.edit();
        poradi->setAsInteger(p + 1);
        cislo->setAsInteger(s);
        list.post();
        if (p == RowsPerPage - 1) {
            ++s;
            p = 0;
        } else {
            ++p;
        }
        list.next();
    }

    // The number of started pages; an empty list still prints one.
    data::Dataset &prp = dm.Prp();
    prp.edit();
    const int pages = int(std::lround(double(rows) / RowsPerPage + 0.49));
    prp.fieldByName(Prp::Pn)->setAsInteger(pages == 0 ? 1 : pages);
    prp.post();
    prp.close();
    dm.openTable(prp);

    if (p > 0 || rows == 0) {
        const QList<data::Field *> texts = {list.fieldByName(Vpz::N3), list.fieldByName(Vpz::N5),
                                            list.fieldByName(Vpz::N6), list.fieldByName(Vpz::N7)};
        for (; p < RowsPerPage; ++p) {
            list.append();
            poradi->setAsInteger(p + 1);
            cislo->setAsInteger(s);
            for (data::Field *f : texts)
                f->setAsString(u"-----"_s);
            list.post();
        }
    }
}

} // namespace

void Mds1(data::TDM1 &dm)
{
    dm.Vpz().close();
    try {
        numberPages(dm);
    } catch (...) {
        // The employee list stays usable whatever stopped the numbering.
        dm.VpzPr().close();
        if (!dm.Prp().isActive())
            dm.openTable(dm.Prp());
        dm.openTable(dm.Vpz());
        throw;
    }
    dm.VpzPr().close();
    dm.openTable(dm.Vpz());
}

void Mds2(data::TDM1 &dm)
{
    dm.Vpz().close();
    dm.VpzQr().close();
    dm.PrevodQr().deleteWhereNull(data::TableId::Vpz, Vpz::Pmr);
    dm.openTable(dm.Vpz());
}

} // namespace statements
