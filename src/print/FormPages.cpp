#include "print/FormPages.h"

#include "data/TDM1.h"

#include <QDir>
#include <QFileInfo>

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
    for (const FormPage &p : kPages) {
        if (p.index != index)
            continue;
        const QString file = QString::fromUtf16(p.layoutName) + u".layout"_s;
        // A folder of edited layouts, tried out without building the program
        // again; a page it lacks keeps the built-in layout.
        const QString folder = qEnvironmentVariable("QESTO_LAYOUTS");
        if (!folder.isEmpty() && QFileInfo::exists(QDir(folder).filePath(file)))
            return QDir(folder).filePath(file);
        return u":/print/layouts/"_s + file;
    }
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
    // A sheet-grouped page (the employee count) is numbered into sheets in
    // memory, filler rows included: printing reads the settlement and never
    // writes it, so it works in a read-only folder and a failed print leaves
    // nothing behind.
    ReportData data = reportData(index);
    struct Reopened
    {
        data::Dataset *rows = nullptr;
        ~Reopened()
        {
            if (rows)
                rows->close();
        }
    } reopened;
    if (data.rows && !data.rows->isActive()) {
        m_dm.openTable(*data.rows);
        reopened.rows = data.rows;
    }
    if (l.groupRows > 0)
        data.sheetText = sheetNumbering(l);
    return prepareReport(l, data, options());
}

std::function<std::optional<QString>(const QString &, const SheetPlace &)>
FormPages::sheetNumbering(const PageLayout &layout)
{
    const QString table = layout.dataSource + u'.';
    const QString group = table + layout.groupBy;
    return [table, group](const QString &source, const SheetPlace &at) -> std::optional<QString> {
        const auto is = [&source](const QString &name) {
            return source.compare(name, Qt::CaseInsensitive) == 0;
        };
        // The number of sheets in the head, the sheet's number in the foot,
        // the row's place on its sheet as "1.".
        if (is(u"Prp.Pn"_s))
            return QString::number(at.sheetCount);
        if (is(group))
            return QString::number(at.sheet);
        if (is(table + u"Poradi"_s))
            return QString::number(at.row);
        if (is(table + u"Cit"_s))
            return QString::number(at.row) + u'.';
        if (at.filler) {
            for (const char16_t *name : {u"N3", u"N5", u"N6", u"N7", u"C4a"}) {
                if (is(table + QStringView(name)))
                    return u"-----"_s;
            }
        }
        return std::nullopt;
    };
}

} // namespace print
