#include "print/PageTree.h"

using namespace Qt::StringLiterals;

namespace print {

namespace {

using statements::FilingPart;

const QList<PageGroup> &groups()
{
    static const QList<PageGroup> list{
        {0, 1, 4, true, FilingPart::Employment, u"Vyúčtování daně z příjmů ze závislé činnosti"_s},
        {5, 6, 7, false, FilingPart::EmployeeCount, u"Počet zaměstnanců"_s},
        {8, 9, 10, true, FilingPart::Corrections, u"Příloha k vyúčtování - opravy"_s},
        {11, 12, 13, true, FilingPart::BonusCorrections, u"Příloha k vyúčtování - opravy bonusu"_s},
        {14, 15, 18, true, FilingPart::Withholding, u"Vyúčtování daně vybírané srážkou"_s},
    };
    return list;
}

} // namespace

const QList<PageNode> &pageTree()
{
    static const QList<PageNode> nodes = [] {
        QList<PageNode> list;
        for (const PageGroup &g : groups()) {
            list.append({g.header, 0, g.title});
            for (int page = g.first; page <= g.last; ++page)
                list.append({page, 1, u"Tisk strany %1"_s.arg(page - g.header)});
        }
        return list;
    }();
    return nodes;
}

bool isPageNode(int index)
{
    const PageGroup *g = pageGroup(index);
    return g && index != g->header;
}

const PageGroup *pageGroup(int index)
{
    for (const PageGroup &g : groups()) {
        if (index >= g.header && index <= g.last)
            return &g;
    }
    return nullptr;
}

QStringList pageSetTexts()
{
    return {PageSetSelected, PageSetAll, PageSetOdd, PageSetEven};
}

QList<int> pageSet(int selected, const QString &trh1)
{
    const PageGroup *g = pageGroup(selected);
    if (!g || selected == g->header)
        return {};
    if (!g->browsable || trh1 == PageSetSelected)
        return {selected};
    int remainder = -1;
    if (trh1 == PageSetOdd)
        remainder = 1;
    else if (trh1 == PageSetEven)
        remainder = 0;
    else if (trh1 != PageSetAll)
        return {};
    QList<int> pages;
    for (int page = g->first; page <= g->last; ++page) {
        if (remainder < 0 || (page - g->header) % 2 == remainder)
            pages.append(page);
    }
    return pages;
}

QString pageLabel(int page, int total)
{
    return u"Strana %1 z %2"_s.arg(page).arg(total);
}

QString BrowseState::label() const
{
    return pageLabel(pageNumber(), pageCount());
}

QString defaultPdfName(const QString &company, int selected)
{
    const PageGroup *g = pageGroup(selected);
    QString name = company.simplified();
    if (g)
        name += (name.isEmpty() ? QString() : u" - "_s) + g->title;
    // Characters Windows refuses in file names, and control characters.
    for (QChar &c : name) {
        if (c.unicode() < 32 || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    }
    name = name.trimmed();
    while (name.endsWith(u'.'))
        name.chop(1);
    if (name.isEmpty())
        name = u"Qesto"_s;
    return name + u".pdf"_s;
}

} // namespace print
