#include "app/ReportFonts.h"

namespace app {

QString centralEuropeanFont(const QString &name)
{
    if (name.contains(u" CE"))
        return name;
    return name + u" CE";
}

void PrevodPisma1(IReportFonts &report)
{
    for (int i = 0; i < report.fontCount(); ++i) {
        const QString name = report.fontName(i);
        const QString converted = centralEuropeanFont(name);
        if (converted != name)
            report.setFontName(i, converted);
    }
}

} // namespace app
