#pragma once

#include "platform/Error.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>

namespace print {

// Report units: the forms are measured in millimetres times 3.8.
inline constexpr double kUnitsPerMm = 3.8;
// A4 portrait in report units.
inline constexpr double kPageWidth = 210 * kUnitsPerMm;
inline constexpr double kPageHeight = 297 * kUnitsPerMm;

struct FontSpec
{
    QString family = QStringLiteral("Arial");
    double size = 12; // height in report units
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const FontSpec &) const = default;
};

enum class ElementKind
{
    Label,      // fixed text (or text the program sets by name)
    Field,      // a table field's display text
    Number,     // a number label filled from a field, blank on a supplementary statement
    Option,     // one caption of an option pair, struck through when it does not apply
    CharBox,    // one character of a box group, "QRLabel" + group + number
    Comb,       // the outline and separators of a row of character boxes
    Frame,      // a rectangle, optionally shaded
    Line,       // a solid line
    DashedLine, // a dashed rule
    PageNumber, // the running page number of the report
};

// How a box group takes its text.
enum class BoxFill
{
    Text,  // left-aligned, one character per box, the rest blank
    Date,  // DDMMYYYY from a date field
    Right, // right-aligned in reading order (a code shorter than the group sits in the last box)
};

struct Element
{
    ElementKind kind = ElementKind::Label;
    QString name;   // element name; box labels are "QRLabel" + group + number
    QRectF rect;    // band coordinates in report units; lines run from topLeft to bottomRight
    QString text;   // caption of labels and options; '\n' breaks lines
    QString source; // "Table.Field" of data-bound elements
    FontSpec font;
    int align = 0;     // Qt::Alignment flags
    bool wrap = false; // word wrap inside rect
    double pen = 0.5;  // line width in report units
    double shade = 0;  // frame fill, 0 = none, 1 = black
    int cells = 0;     // comb: number of boxes
    double step = 0;   // comb: distance of the separators
    double tick = 0;   // comb: separator height from the bottom, 0 = full height
    // Number: blank when this boolean field is true (the supplementary mark).
    QString blankIf;
    // Option: the value of the source field for which this caption applies.
    bool optionValue = true;
    // CharBox: the group, its buffer length, the box index (1-based) and how it is filled.
    QString group;
    int buffer = 0;
    int index = 0;
    BoxFill fill = BoxFill::Text;
};

enum class BandKind
{
    PageHeader,
    Title,
    GroupHeader,
    Detail,
    GroupFooter,
    Summary
};

struct Band
{
    BandKind kind = BandKind::Detail;
    double height = 0;
    QList<Element> elements;
};

// One page layout: bands of elements, loaded from a layout file.
struct PageLayout
{
    QString title;      // names the print job
    QString dataSource; // main table or query, for the reader
    QString groupBy;    // field of the detail rows that starts a new sheet (group bands)
    int groupRows = 0;  // detail rows per sheet, 0 = as many as fit
    double width = 1200;
    QList<Band> bands;

    Band *band(BandKind kind);
    const Band *band(BandKind kind) const;
    Element *element(const QString &name);
    const Element *element(const QString &name) const;
    // Every font of the layout, for the font family conversion.
    QList<FontSpec *> fonts();
};

// A damaged layout; message() is Czech.
class LayoutError : public platform::Error
{
public:
    using platform::Error::Error;
};

// Says whether a layout may name the field `table`.`field`; a misspelled name
// would otherwise print as a blank.
using FieldCatalog = std::function<bool(QStringView table, QStringView field)>;
// The stored and calculated fields of a settlement's tables, and of the print
// query over Vpz ("VpzQr"); letter case does not matter.
bool isSettlementField(QStringView table, QStringView field);

// Reads the text form of a layout (see docs/print-layouts.md). `name` only
// goes into the message of a LayoutError. With a catalog, every "Table.Field"
// the layout names (and the field it groups by) must be in it.
PageLayout parseLayout(const QString &text, const QString &name, const FieldCatalog &fields = {});
// Loads a layout file, usually ":/print/layouts/<name>.layout", whose fields
// are checked against `fields`.
PageLayout loadLayout(const QString &path, const FieldCatalog &fields = isSettlementField);

// Appends " CE" to every font family of the layout that lacks it.
void convertToCentralEuropean(PageLayout &layout);

} // namespace print
