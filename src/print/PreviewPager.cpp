#include "print/PreviewPager.h"

namespace print {

void PreviewPager::start(int sheetCount, BrowseState *browse)
{
    m_browse = browse && browse->browsing ? browse : nullptr;
    if (m_browse) {
        m_total = m_browse->pageCount();
        m_page = m_browse->pageNumber();
        m_shownCurrent = m_browse->current;
    } else {
        m_total = std::max(sheetCount, 1);
        m_page = 1;
    }
}

bool PreviewPager::canFirst() const
{
    return m_browse ? m_browse->current > m_browse->first : m_page > 1;
}

bool PreviewPager::canPrior() const
{
    return canFirst();
}

bool PreviewPager::canNext() const
{
    return m_browse ? m_browse->current < m_browse->last : m_page < m_total;
}

bool PreviewPager::canLast() const
{
    return canNext();
}

bool PreviewPager::go(bool allowed, int page, int browseTarget)
{
    if (!allowed)
        return false;
    if (m_browse) {
        m_browse->current = browseTarget;
        return true;
    }
    m_page = page;
    return false;
}

bool PreviewPager::first()
{
    return go(canFirst(), 1, m_browse ? m_browse->first : 0);
}

bool PreviewPager::prior()
{
    return go(canPrior(), m_page - 1, m_browse ? m_browse->previous : 0);
}

bool PreviewPager::next()
{
    return go(canNext(), m_page + 1, m_browse ? m_browse->next : 0);
}

bool PreviewPager::last()
{
    return go(canLast(), m_total, m_browse ? m_browse->last : 0);
}

void PreviewPager::closeButton()
{
    if (m_browse)
        m_browse->current = 0;
}

void PreviewPager::hidden()
{
    if (m_browse && m_browse->current == m_shownCurrent)
        m_browse->current = 0;
}

ZoomEntry parseZoom(const QString &text, int &zoom)
{
    QString t = text.trimmed();
    if (t.endsWith(u'%'))
        t.chop(1);
    bool ok = false;
    const int value = t.trimmed().toInt(&ok);
    if (!ok)
        return ZoomEntry::Ignored;
    if (value > 500 || value < 0)
        return ZoomEntry::TooLarge;
    zoom = value;
    return ZoomEntry::Accepted;
}

} // namespace print
