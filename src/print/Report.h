#pragma once

#include "print/Layout.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class QPainter;
class QPdfWriter;

namespace data {
class Dataset;
class Field;
} // namespace data

namespace print {

// One prepared sheet: the layout's elements with their texts resolved and
// their positions on the paper (report units from the sheet's top-left
// corner, margins applied). Preview, printer, PDF and images all draw it
// through renderPage().
struct PreparedPage
{
    QList<Element> items;
    // Elements by name, for tests and for the readers of a prepared page.
    const Element *find(const QString &name) const;
    QString text(const QString &name) const;
};

// Where a layout's data come from.
struct ReportData
{
    // The field behind a "Table.Field" source; nullptr when there is none
    // (the element then prints nothing).
    std::function<const data::Field *(const QString &source)> field;
    // Rows of the detail band; null: the detail band prints once. When the
    // layout groups its rows, a change of the group field starts a new sheet
    // with the group header, and the group footer closes the sheet.
    data::Dataset *rows = nullptr;
    // Texts the program sets by element name; they win over the layout's.
    QHash<QString, QString> texts;
};

struct ReportOptions
{
    double leftMarginMm = 0;
    // Height of the page header band in report units; < 0 keeps the layout's.
    double headerHeight = -1;
};

// Lays the bands out on sheets and fills every element.
QList<PreparedPage> prepareReport(const PageLayout &layout, const ReportData &data,
                                  const ReportOptions &options = {});

// Draws one prepared sheet into pageRect (the whole A4 sheet in the
// painter's coordinates).
void renderPage(QPainter &painter, const QRectF &pageRect, const PreparedPage &page);

// A4 portrait without margins at 600 dots per inch, as every PDF of the
// forms is written.
void setUpPdfWriter(QPdfWriter &writer);
// Draws the sheets into the writer, one PDF page each; false when the
// writer's device cannot be written.
bool writePdf(QPdfWriter &writer, const QList<PreparedPage> &sheets);

// The installed font that stands for a family of the forms: Arial, Courier
// New and Times New Roman (with or without " CE") are drawn with the
// metric-compatible Liberation fonts.
QString substituteFamily(const QString &family);

} // namespace print
