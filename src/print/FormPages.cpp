#include "print/FormPages.h"

#include "data/TDM1.h"
#include "statements/Recalc.h"

#include <cmath>

namespace print {

using namespace Qt::StringLiterals;

namespace {

constexpr FormPage kPages[] = {
    {1, u"rdpv1"},   {2, u"rdpv2"},   {3, u"rdpv3"},   {4, u"rdpv4"},   {6, u"rph1"},
    {7, u"rph2"},    {9, u"rvu1"},    {10, u"rvu2"},   {12, u"rvub1"},  {13, u"rvub2"},
    {15, u"rvupa1"}, {16, u"rvupa2"}, {17, u"rvupa3"}, {18, u"rvupa4"},
};

} // namespace

QList<int> printablePages()
{
    QList<int> result;
    for (const FormPage &p : kPages)
        result.append(p.index);
    return result;
}

bool isPrintablePage(int index)
{
    return !layoutPath(index).isEmpty();
}

QString layoutPath(int index)
{
    for (const FormPage &p : kPages)
        if (p.index == index)
            return u":/print/layouts/"_s + QString::fromUtf16(p.layoutName) + u".layout"_s;
    return {};
}

FormPages::FormPages(data::TDM1 &dm) : m_dm(dm) {}

PageLayout &FormPages::layout(int index)
{
    auto it = m_layouts.find(index);
    if (it == m_layouts.end()) {
        const QString path = layoutPath(index);
        if (path.isEmpty())
            throw LayoutError(u"Strana %1 se netiskne."_s.arg(index));
        it = m_layouts.emplace(index, loadLayout(path)).first;
    }
    if (m_centralEuropean)
        convertToCentralEuropean(it->second);
    return it->second;
}

ReportData FormPages::reportData(int index)
{
    ReportData data;
    data::TDM1 *dm = &m_dm;
    // "Vdvl.Sl21" -> the data module's field VdvlSl21
    data.field = [dm](const QString &source) -> const data::Field * {
        QString name = source;
        name.remove(u'.');
        return dm->field(name);
    };
    const PageLayout &l = layout(index);
    if (!l.groupBy.isEmpty())
        data.rows = m_dm.findTable(l.dataSource);
    return data;
}

ReportOptions FormPages::options() const
{
    ReportOptions o;
    if (const data::Field *f = m_dm.field(u"DmtDpl"_s))
        o.leftMarginMm = f->asInteger();
    if (const data::Field *f = m_dm.field(u"DmtDpt"_s))
        o.headerHeight = std::round(f->asInteger() * kUnitsPerMm);
    return o;
}

QList<PreparedPage> FormPages::produce(int index)
{
    const PageLayout &l = layout(index);
    if (l.groupBy.isEmpty())
        return prepareReport(l, reportData(index), options());
    // A sheet-grouped page (the employee count) numbers its rows into sheets
    // first and removes the filler rows afterwards, whatever happens.
    statements::Mds1(m_dm);
    struct Cleanup
    {
        data::TDM1 &dm;
        ~Cleanup()
        {
            try {
                statements::Mds2(dm);
            } catch (...) {
                // The filler rows then go with the next numbering.
            }
        }
    } cleanup{m_dm};
    ReportData data = reportData(index);
    if (data.rows && !data.rows->isActive())
        m_dm.openTable(*data.rows);
    return prepareReport(l, data, options());
}

} // namespace print
