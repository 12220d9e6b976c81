#pragma once

#include "print/Report.h"

#include <QList>
#include <QString>

namespace print {

// One settlement of the list, as the settlement list window shows it.
struct CompanyListRow
{
    int number = 0;    // Cislo
    QString name;      // Nazev
    QString directory; // Adresar
};

// The company list "Seznam firem" (TRvoz1aReport): the settlements in the
// list window's order, a framed title on the first sheet, column captions on
// every sheet, the total at the end. Only the left margin applies. Throws
// LayoutError when the layout cannot be read.
// The fields of the list's rows as its layout names them ("TableA.Cislo").
bool isCompanyListField(QStringView table, QStringView field);

QList<PreparedPage> companyListPages(const QList<CompanyListRow> &rows, double leftMarginMm,
                                     bool centralEuropeanFonts);

} // namespace print
