#pragma once

#include "print/PageTree.h"

#include <QString>

#include <optional>

namespace print {

// Paging in the preview. Single mode pages through the sheets of one
// prepared page; browsing mode (a BrowseState is given) shows one page of a
// statement, and each navigation command that applies sets the statement's
// current page and asks the preview to close, so the print window produces
// that page next.
class PreviewPager
{
public:
    void start(int sheetCount, BrowseState *browse);

    int page() const { return m_page; } // 1-based, shown in the label
    int total() const { return m_total; }
    bool browsing() const { return m_browse != nullptr; }
    // Sheet to draw, 0-based (always 0 while browsing).
    int sheet() const { return m_browse ? 0 : m_page - 1; }
    // "Strana 2 z 4"
    QString label() const { return pageLabel(m_page, m_total); }

    bool canFirst() const;
    bool canPrior() const;
    bool canNext() const;
    bool canLast() const;

    // Each returns true when the preview must close to show another page.
    bool first();
    bool prior();
    bool next();
    bool last();

    // The close button ends browsing; any other way of closing ends it too
    // unless a navigation command chose another page.
    void closeButton();
    void hidden();

private:
    bool go(bool allowed, int page, int browseTarget);

    BrowseState *m_browse = nullptr;
    int m_page = 1;
    int m_total = 1;
    int m_shownCurrent = 0;
};

enum class ZoomEntry
{
    Accepted,
    Ignored,  // not a number: nothing changes
    TooLarge, // above 500 or below 0: "Číslo může být maximálně 500."
};

// The zoom box's text ("120", "120%"): one trailing "%" is dropped.
ZoomEntry parseZoom(const QString &text, int &zoom);

inline const QStringList &zoomItems()
{
    static const QStringList items{QStringLiteral("300%"), QStringLiteral("250%"), QStringLiteral("200%"),
                                   QStringLiteral("150%"), QStringLiteral("100%"), QStringLiteral("75%"),
                                   QStringLiteral("50%"),  QStringLiteral("25%")};
    return items;
}

} // namespace print
