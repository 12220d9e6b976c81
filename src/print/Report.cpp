#include "print/Report.h"

#include "data/Dataset.h"
#include "data/Field.h"
#include "data/FieldText.h"
#include "platform/AtomicFile.h"
#include "platform/FileOps.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

#include <cmath>

namespace print {

using namespace Qt::StringLiterals;

const Element *PreparedPage::find(const QString &name) const
{
    for (const Element &e : items)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QString PreparedPage::text(const QString &name) const
{
    const Element *e = find(name);
    return e ? e->text : QString();
}

QString substituteFamily(const QString &family)
{
    QString base = family;
    if (base.endsWith(u" CE"))
        base.chop(3);
    if (base.compare(u"Arial", Qt::CaseInsensitive) == 0)
        return u"Liberation Sans"_s;
    if (base.compare(u"Courier New", Qt::CaseInsensitive) == 0)
        return u"Liberation Mono"_s;
    if (base.compare(u"Times New Roman", Qt::CaseInsensitive) == 0)
        return u"Liberation Serif"_s;
    return base;
}

namespace {

bool isNumeric(const data::Field &f)
{
    switch (f.dataType()) {
    case paradox::FieldType::Short:
    case paradox::FieldType::Long:
    case paradox::FieldType::Currency:
    case paradox::FieldType::Number:
    case paradox::FieldType::Autoinc:
    case paradox::FieldType::BCD:
        return true;
    default:
        return false;
    }
}

class Preparer
{
public:
    Preparer(const PageLayout &layout, const ReportData &data, const ReportOptions &options)
        : m_layout(layout), m_data(data), m_options(options)
    {}

    QList<PreparedPage> run();

private:
    void runSheets();
    const data::Field *field(const QString &source) const
    {
        return source.isEmpty() || !m_data.field ? nullptr : m_data.field(source);
    }
    double height(const Band &band) const
    {
        if (band.kind == BandKind::PageHeader && m_options.headerHeight >= 0)
            return m_options.headerHeight;
        return band.height;
    }
    void newPage();
    void place(const Band *band);
    void place(const Band *band, QList<Element> items);
    // The band's elements filled from the current row, not yet placed.
    QList<Element> filled(const Band *band);
    QString boxBuffer(const Element &e);
    Element fill(const Element &e);

    const PageLayout &m_layout;
    const ReportData &m_data;
    const ReportOptions &m_options;
    QList<PreparedPage> m_pages;
    double m_y = 0;
    bool m_hasContent = false;         // a band other than the page header on the current sheet
    QHash<QString, QString> m_buffers; // box group -> its buffer, per band placement
    std::optional<SheetPlace> m_place; // while rows are numbered into sheets in memory
};

QString Preparer::boxBuffer(const Element &e)
{
    auto it = m_buffers.constFind(e.group);
    if (it != m_buffers.constEnd())
        return *it;
    QString buffer(e.buffer, u' ');
    if (const data::Field *f = field(e.source); f && !f->isNull()) {
        if (e.fill == BoxFill::Date) {
            // dd.mm.yyyy without its dots
            const QString d = data::formatDate(f->asDate());
            if (d.size() == 10)
                buffer = d.left(2) + d.mid(3, 2) + d.mid(6, 4);
        } else {
            const QString text = f->asString().left(e.buffer);
            if (e.fill == BoxFill::Right)
                buffer = text.rightJustified(e.buffer, u' ');
            else
                buffer.replace(0, text.size(), text);
        }
    }
    m_buffers.insert(e.group, buffer);
    return buffer;
}

Element Preparer::fill(const Element &e)
{
    Element out = e;
    switch (e.kind) {
    case ElementKind::Field:
        out.text.clear();
        if (m_place) {
            if (const std::optional<QString> text = m_data.sheetText(e.source, *m_place)) {
                out.text = *text;
                break;
            }
            // A filler row has no row of the table behind it.
            if (m_place->filler && e.source.startsWith(m_layout.dataSource + u'.', Qt::CaseInsensitive))
                break;
        }
        if (const data::Field *f = field(e.source)) {
            out.text = f->displayText();
            if (!(e.align & Qt::AlignHorizontal_Mask))
                out.align |= isNumeric(*f) ? Qt::AlignRight : Qt::AlignLeft;
        }
        break;
    case ElementKind::Number: {
        out.text.clear();
        const data::Field *blank = field(e.blankIf);
        if (!(blank && blank->asBoolean()))
            if (const data::Field *f = field(e.source))
                out.text = data::formatFixed(f->asFloat(), u"0"_s);
        break;
    }
    case ElementKind::Option:
        if (const data::Field *f = field(e.source))
            out.font.strikeOut = f->asBoolean() != e.optionValue;
        break;
    case ElementKind::CharBox:
        out.text = QString(boxBuffer(e).at(e.index - 1)).trimmed();
        break;
    case ElementKind::PageNumber:
        out.text = QString::number(m_pages.size());
        break;
    default:
        break;
    }
    if (!e.name.isEmpty()) {
        auto it = m_data.texts.constFind(e.name);
        if (it != m_data.texts.constEnd())
            out.text = *it;
    }
    if (!(out.align & Qt::AlignHorizontal_Mask))
        out.align |= Qt::AlignLeft;
    if (!(out.align & Qt::AlignVertical_Mask))
        out.align |= Qt::AlignTop;
    return out;
}

void Preparer::newPage()
{
    m_pages.append(PreparedPage());
    m_y = 0;
    m_hasContent = false;
    // The title band opens the first sheet, above its page header.
    if (m_pages.size() == 1)
        if (const Band *title = m_layout.band(BandKind::Title))
            place(title);
    if (const Band *header = m_layout.band(BandKind::PageHeader))
        place(header);
}

QList<Element> Preparer::filled(const Band *band)
{
    QList<Element> items;
    if (!band)
        return items;
    m_buffers.clear();
    items.reserve(band->elements.size());
    for (const Element &e : band->elements)
        items.append(fill(e));
    return items;
}

void Preparer::place(const Band *band)
{
    place(band, filled(band));
}

void Preparer::place(const Band *band, QList<Element> items)
{
    if (!band)
        return;
    const double h = height(*band);
    // A band that does not fit goes to the next sheet, unless the sheet holds
    // nothing but its header yet: a large top margin then pushes the form
    // over the paper's edge rather than leaving an empty sheet before it.
    if (m_pages.isEmpty() ||
        (band->kind != BandKind::PageHeader && m_hasContent && m_y + h > kPageHeight + 0.5))
        newPage();
    const QPointF offset(m_options.leftMarginMm * kUnitsPerMm, m_y);
    QList<Element> &page = m_pages.last().items;
    page.reserve(page.size() + items.size());
    for (Element &out : items) {
        out.rect.translate(offset);
        page.append(std::move(out));
    }
    m_y += h;
    if (band->kind != BandKind::PageHeader)
        m_hasContent = true;
}

// The rows numbered into sheets of groupRows in memory: a sheet per group
// of rows, the last one filled up with filler rows.
void Preparer::runSheets()
{
    const Band *detail = m_layout.band(BandKind::Detail);
    const Band *groupHeader = m_layout.band(BandKind::GroupHeader);
    const Band *groupFooter = m_layout.band(BandKind::GroupFooter);
    data::Dataset &rows = *m_data.rows;
    const int perSheet = m_layout.groupRows;
    const int total = rows.recordCount();
    SheetPlace at;
    at.sheetCount = std::max(1, (total + perSheet - 1) / perSheet);
    const int positions = at.sheetCount * perSheet;
    QList<Element> footer;
    rows.first();
    for (int i = 0; i < positions; ++i) {
        at.sheet = i / perSheet + 1;
        at.row = i % perSheet + 1;
        at.filler = i >= total || rows.eof();
        m_place = at;
        if (at.row == 1) {
            if (i > 0) {
                place(groupFooter, footer);
                newPage();
            }
            place(groupHeader);
        }
        place(detail);
        footer = filled(groupFooter);
        if (!at.filler)
            rows.next();
    }
    place(groupFooter, footer);
    m_place.reset();
}

QList<PreparedPage> Preparer::run()
{
    newPage();
    if (m_data.rows && m_data.sheetText && m_layout.groupRows > 0) {
        runSheets();
        place(m_layout.band(BandKind::Summary));
        return m_pages;
    }
    const Band *detail = m_layout.band(BandKind::Detail);
    const Band *groupHeader = m_layout.band(BandKind::GroupHeader);
    const Band *groupFooter = m_layout.band(BandKind::GroupFooter);
    if (!m_data.rows) {
        place(groupHeader);
        place(detail);
        place(groupFooter);
    } else {
        data::Dataset &rows = *m_data.rows;
        const data::Field *groupField =
            m_layout.groupBy.isEmpty() ? nullptr : field(m_layout.dataSource + u'.' + m_layout.groupBy);
        QVariant key;
        bool first = true;
        // The footer closes its group with the values of the group's last
        // row, which the cursor has left by the time the change shows.
        QList<Element> footer;
        for (rows.first(); !rows.eof(); rows.next()) {
            const QVariant value = groupField ? groupField->value() : QVariant();
            if (first || (groupField && value != key)) {
                if (!first) {
                    place(groupFooter, footer);
                    newPage();
                }
                place(groupHeader);
                key = value;
                first = false;
            }
            place(detail);
            footer = filled(groupFooter);
        }
        if (first) {
            place(groupHeader);
            footer = filled(groupFooter);
        }
        place(groupFooter, footer);
    }
    place(m_layout.band(BandKind::Summary));
    return m_pages;
}

// Text is drawn at ten times the report unit so that fractional font sizes
// survive QFont's whole-pixel sizes.
constexpr double kTextScale = 10;

QFont fontFor(const FontSpec &spec)
{
    // The Liberation fonts where they are installed, else the form's own
    // family (present on Windows).
    QString base = spec.family;
    if (base.endsWith(u" CE"))
        base.chop(3);
    QFont font;
    font.setFamilies({substituteFamily(spec.family), base});
    font.setPixelSize(std::max(1, int(std::lround(spec.size * kTextScale))));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    // Unhinted outlines keep text the same width on screen, paper and PDF.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

QRectF scaled(const QRectF &r)
{
    return QRectF(r.x() * kTextScale, r.y() * kTextScale, r.width() * kTextScale, r.height() * kTextScale);
}

} // namespace

QList<PreparedPage> prepareReport(const PageLayout &layout, const ReportData &data,
                                  const ReportOptions &options)
{
    return Preparer(layout, data, options).run();
}

void renderPage(QPainter &painter, const QRectF &pageRect, const PreparedPage &page)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(pageRect.topLeft());
    painter.scale(pageRect.width() / kPageWidth, pageRect.height() / kPageHeight);
    painter.setBrush(Qt::NoBrush);

    QFont currentFont;
    FontSpec currentSpec;
    bool haveFont = false;
    for (const Element &e : page.items) {
        switch (e.kind) {
        case ElementKind::Frame: {
            QPen pen(Qt::black, e.pen);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(e.pen > 0 ? pen : QPen(Qt::NoPen));
            if (e.shade > 0) {
                const int g = int(std::lround(255 * (1 - e.shade)));
                painter.setBrush(QColor(g, g, g));
            }
            painter.drawRect(e.rect);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case ElementKind::Line:
            painter.setPen(QPen(Qt::black, e.pen, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(e.rect.topLeft(), e.rect.bottomRight());
            break;
        case ElementKind::DashedLine: {
            QPen pen(Qt::black, e.pen, Qt::SolidLine, Qt::FlatCap);
            const double w = std::max(e.pen, 0.1);
            pen.setDashPattern({3 / w, 2 / w}); // 3 units dash, 2 units gap
            painter.setPen(pen);
            painter.drawLine(e.rect.topLeft(), e.rect.bottomRight());
            break;
        }
        case ElementKind::Comb: {
            painter.setPen(QPen(Qt::black, e.pen, Qt::SolidLine, Qt::FlatCap));
            painter.drawRect(e.rect);
            const double top = e.tick > 0 ? e.rect.bottom() - e.tick : e.rect.top();
            for (int i = 1; i < e.cells; ++i) {
                const double x = e.rect.left() + i * e.step;
                painter.drawLine(QPointF(x, top), QPointF(x, e.rect.bottom()));
            }
            break;
        }
        default: {
            if (e.text.isEmpty())
                break;
            if (!haveFont || !(e.font == currentSpec)) {
                currentFont = fontFor(e.font);
                currentSpec = e.font;
                haveFont = true;
            }
            painter.save();
            painter.scale(1 / kTextScale, 1 / kTextScale);
            painter.setFont(currentFont);
            painter.setPen(Qt::black);
            int flags = e.align;
            if (e.wrap)
                flags |= Qt::TextWordWrap;
            if (e.rect.width() <= 0 || e.rect.height() <= 0 || !e.wrap)
                flags |= Qt::TextDontClip;
            painter.drawText(scaled(e.rect), flags, e.text);
            painter.restore();
            break;
        }
        }
    }
    painter.restore();
}

void setUpPdfWriter(QPdfWriter &writer)
{
    writer.setCreator(u"Qesto 14.10"_s);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setResolution(600);
}

void writePdf(const QString &path, const QString &title, const QList<PreparedPage> &sheets)
{
    // Beside the target first: a full disk must not leave a cut file that
    // looks like the statement.
    platform::AtomicFile file(path);
    bool painted = false;
    if (file.open()) {
        QPdfWriter writer(file.device());
        writer.setTitle(title);
        painted = writePdf(writer, sheets);
    }
    if (painted && file.commit())
        return;
    const QString reason = !file.errorString().isEmpty()
                               ? file.errorString()
                               : u"Soubor %1 nelze zapsat."_s.arg(platform::FileOps::nativePath(path));
    file.discard();
    throw platform::Error(reason);
}

bool writePdf(QPdfWriter &writer, const QList<PreparedPage> &sheets)
{
    setUpPdfWriter(writer);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const QRectF rect = writer.pageLayout().fullRectPixels(writer.resolution());
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        if (i > 0)
            writer.newPage();
        renderPage(painter, rect, sheets[i]);
    }
    return painter.end();
}

} // namespace print
