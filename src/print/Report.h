#pragma once

#include "print/Layout.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

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
// Where a detail row stands when the report numbers its rows into sheets
// itself (ReportData::sheetText).
struct SheetPlace
{
    int sheet = 1;       // from 1
    int sheetCount = 1;  // at least 1, also for no rows at all
    int row = 1;         // on its sheet, from 1
    bool filler = false; // a row that only fills the last sheet up
};

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
    // With a layout that groups a fixed number of rows a sheet: the report
    // numbers the rows into sheets in memory instead of reading a stored
    // group field, and fills the last sheet (or one sheet of an empty list)
    // with filler rows. Gives the text of a field element at a place, or
    // nothing to read the field as usual; on filler rows the fields of the
    // rows' table that it leaves read empty. Printing then writes nothing.
    std::function<std::optional<QString>(const QString &source, const SheetPlace &place)> sheetText;
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
// The sheets as a PDF file, written whole or not at all (an older file stays
// as it was); throws platform::Error with a Czech reason naming the file.
void writePdf(const QString &path, const QString &title, const QList<PreparedPage> &sheets);

// The installed font that stands for a family of the forms: Arial, Courier
// New and Times New Roman (with or without " CE") are drawn with the
// metric-compatible Liberation fonts.
QString substituteFamily(const QString &family);

} // namespace print
