#pragma once

#include <QString>

namespace app {

// The fonts of a printed report that the font conversion touches: index 0 is
// the report's own font, the others belong to its text elements (labels,
// memos, data-aware and calculated texts, system data). Other elements are
// not listed.
class IReportFonts
{
public:
    virtual ~IReportFonts() = default;
    virtual int fontCount() const = 0;
    virtual QString fontName(int index) const = 0;
    virtual void setFontName(int index, const QString &name) = 0;
};

// "Arial" -> "Arial CE"; a name that already holds " CE" stays.
QString centralEuropeanFont(const QString &name);

// Switches a report to the Central European variants of its fonts; used when
// TypPisma is 1.
void PrevodPisma1(IReportFonts &report);

} // namespace app
