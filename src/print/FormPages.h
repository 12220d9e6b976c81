#pragma once

#include "print/Layout.h"
#include "print/Report.h"

#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <optional>

namespace data {
class TDM1;
}

namespace print {

// The page catalogue of the print window: page indices 1-4 (employment
// statement), 6-7 (employee count), 9-10 and 12-13 (the two annexes) and
// 15-18 (withholding statement); the other indices head a statement and
// print nothing.
struct FormPage
{
    int index;
    const char16_t *layoutName; // ":/print/layouts/<name>.layout"
};

// The printable page indices in ascending order.
QList<int> printablePages();
bool isPrintablePage(int index);
// ":/print/layouts/..." of a printable page, empty otherwise; the file of
// the same name in the folder QESTO_LAYOUTS names, where there is one.
QString layoutPath(int index);

// Produces the official form pages of the open settlement: the GUI-free
// half of PickReport. Layouts are loaded on first use and kept (converted to
// the " CE" fonts once asked for) for the life of the object, as the print
// window keeps them while it is open.
class FormPages
{
public:
    explicit FormPages(data::TDM1 &dm);

    // The print font family: 1 converts every layout used from now on.
    void setCentralEuropeanFonts(bool on) { m_centralEuropean = on; }

    // The page's layout, loaded on first use; throws LayoutError.
    PageLayout &layout(int index);

    // Fills page `index` from the open tables; margins from Dmt.Dpl and
    // Dmt.Dpt. A layout grouped into sheets gets its rows numbered into
    // sheets and filler rows in memory (sheetNumbering); nothing is written.
    // Throws LayoutError or data::DatabaseError.
    QList<PreparedPage> produce(int index);
    // The employee count's numbering for a layout grouped into sheets: the
    // number of sheets (Prp.Pn), each sheet's number (the group field), the
    // rows' places on their sheets (Poradi, Cit) and dashes in filler rows.
    static std::function<std::optional<QString>(const QString &, const SheetPlace &)>
    sheetNumbering(const PageLayout &layout);
    // The data a page is filled from (exposed for pages that add rows or texts).
    ReportData reportData(int index);
    ReportOptions options() const;

private:
    data::TDM1 &m_dm;
    bool m_centralEuropean = false;
    std::map<int, PageLayout> m_layouts;
};

} // namespace print
