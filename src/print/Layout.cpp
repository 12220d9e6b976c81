#include "print/Layout.h"

#include "data/TableDefs.h"

#include <QFile>
#include <QHash>

#include <cmath>

namespace print {

using namespace Qt::StringLiterals;

Band *PageLayout::band(BandKind kind)
{
    for (Band &b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

const Band *PageLayout::band(BandKind kind) const
{
    return const_cast<PageLayout *>(this)->band(kind);
}

Element *PageLayout::element(const QString &name)
{
    for (Band &b : bands)
        for (Element &e : b.elements)
            if (!e.name.isEmpty() && e.name.compare(name, Qt::CaseInsensitive) == 0)
                return &e;
    return nullptr;
}

const Element *PageLayout::element(const QString &name) const
{
    return const_cast<PageLayout *>(this)->element(name);
}

QList<FontSpec *> PageLayout::fonts()
{
    QList<FontSpec *> result;
    for (Band &b : bands)
        for (Element &e : b.elements)
            result.append(&e.font);
    return result;
}

void convertToCentralEuropean(PageLayout &layout)
{
    for (FontSpec *font : layout.fonts())
        if (!font->family.contains(u" CE"))
            font->family += u" CE";
}

namespace {

// One line of a layout file split into words; a quoted word keeps its
// blanks, "" inside quotes stands for one quote and \n for a line break.
struct Line
{
    int number = 0;
    QStringList words;
    QList<bool> quoted;
};

class Reader
{
public:
    Reader(const QString &name, const FieldCatalog &fields) : m_name(name), m_fields(fields) {}

    PageLayout read(const QString &text);

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw LayoutError(
            u"Rozvržení tiskové strany \"%1\" je poškozené (řádek %2): %3."_s.arg(m_name).arg(m_line).arg(
                what));
    }

    Line split(const QString &text) const;
    double number(const Line &line, int i) const;
    int integer(const Line &line, int i, int min, int max) const;
    QString word(const Line &line, int i) const;
    QString quotedText(const Line &line, int i) const;
    QString source(const QString &text) const;
    // Applies the attributes (words after the positional ones) to an element.
    void attributes(const Line &line, int from, Element &e);
    void command(const Line &line);
    Element &add(Element e);
    void boxes(const Line &line);

    QString m_name;
    const FieldCatalog &m_fields;
    int m_line = 0;
    PageLayout m_layout;
    Band *m_band = nullptr;
    FontSpec m_font;
};

Line Reader::split(const QString &text) const
{
    Line line;
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        if (text[i] == u'#')
            break;
        QString w;
        if (text[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        w += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (text[i] == u'\\' && i + 1 < n && text[i + 1] == u'n') {
                    w += u'\n';
                    i += 2;
                    continue;
                }
                w += text[i++];
            }
            if (!closed)
                fail(u"neukončený text v uvozovkách"_s);
            line.words.append(w);
            line.quoted.append(true);
        } else {
            while (i < n && !text[i].isSpace())
                w += text[i++];
            line.words.append(w);
            line.quoted.append(false);
        }
    }
    return line;
}

QString Reader::word(const Line &line, int i) const
{
    if (i >= line.words.size())
        fail(u"příkaz \"%1\" má málo údajů"_s.arg(line.words.value(0)));
    return line.words[i];
}

double Reader::number(const Line &line, int i) const
{
    const QString w = word(line, i);
    bool ok = false;
    const double v = w.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > 100000)
        fail(u"\"%1\" není platné číslo"_s.arg(w));
    return v;
}

int Reader::integer(const Line &line, int i, int min, int max) const
{
    const QString w = word(line, i);
    bool ok = false;
    const int v = w.toInt(&ok);
    if (!ok || v < min || v > max)
        fail(u"\"%1\" není celé číslo od %2 do %3"_s.arg(w).arg(min).arg(max));
    return v;
}

QString Reader::quotedText(const Line &line, int i) const
{
    const QString w = word(line, i);
    if (!line.quoted[i])
        fail(u"text \"%1\" musí být v uvozovkách"_s.arg(w));
    return w;
}

QString Reader::source(const QString &text) const
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot <= 0 || dot == text.size() - 1 || text.indexOf(u'.', dot + 1) >= 0)
        fail(u"zdroj \"%1\" nemá tvar Tabulka.Pole"_s.arg(text));
    if (m_fields && !m_fields(QStringView(text).left(dot), QStringView(text).mid(dot + 1)))
        fail(u"pole \"%1\" neznám"_s.arg(text));
    return text;
}

void Reader::attributes(const Line &line, int from, Element &e)
{
    for (int i = from; i < line.words.size(); ++i) {
        const QString w = line.words[i];
        if (line.quoted[i])
            fail(u"nečekaný text \"%1\""_s.arg(w));
        const qsizetype eq = w.indexOf(u'=');
        const QString key = eq < 0 ? w : w.left(eq);
        const QString value = eq < 0 ? QString() : w.mid(eq + 1);
        auto num = [&](double min, double max) {
            bool ok = false;
            const double v = value.toDouble(&ok);
            if (!ok || v < min || v > max)
                fail(u"vlastnost \"%1\" má neplatnou hodnotu \"%2\""_s.arg(key, value));
            return v;
        };
        if (key == u"bold")
            e.font.bold = true;
        else if (key == u"regular")
            e.font.bold = e.font.italic = e.font.underline = false;
        else if (key == u"italic")
            e.font.italic = true;
        else if (key == u"underline")
            e.font.underline = true;
        else if (key == u"wrap")
            e.wrap = true;
        else if (key == u"size")
            e.font.size = num(1, 200);
        else if (key == u"font") {
            if (value.isEmpty())
                fail(u"vlastnost \"font\" nemá hodnotu"_s);
            e.font.family = QString(value).replace(u'_', u' ');
        } else if (key == u"pen")
            e.pen = num(0, 20);
        else if (key == u"shade")
            e.shade = num(0, 1);
        else if (key == u"name")
            e.name = value;
        else if (key == u"align") {
            int h = 0;
            if (value == u"left")
                h = Qt::AlignLeft;
            else if (value == u"right")
                h = Qt::AlignRight;
            else if (value == u"center")
                h = Qt::AlignHCenter;
            else
                fail(u"zarovnání \"%1\" neznám"_s.arg(value));
            e.align = (e.align & ~int(Qt::AlignHorizontal_Mask)) | h;
        } else if (key == u"valign") {
            int v = 0;
            if (value == u"top")
                v = Qt::AlignTop;
            else if (value == u"bottom")
                v = Qt::AlignBottom;
            else if (value == u"middle")
                v = Qt::AlignVCenter;
            else
                fail(u"zarovnání \"%1\" neznám"_s.arg(value));
            e.align = (e.align & ~int(Qt::AlignVertical_Mask)) | v;
        } else if (key == u"blankif")
            e.blankIf = source(value);
        else
            fail(u"vlastnost \"%1\" neznám"_s.arg(key));
    }
}

Element &Reader::add(Element e)
{
    if (!m_band)
        fail(u"prvek stojí před prvním pásem"_s);
    if (!e.name.isEmpty() && m_layout.element(e.name))
        fail(u"prvek \"%1\" je uveden dvakrát"_s.arg(e.name));
    m_band->elements.append(std::move(e));
    return m_band->elements.last();
}

void Reader::boxes(const Line &line)
{
    // boxes GROUP X Y COUNT SOURCE [step=] [h=] [buffer=] [fill=] [tick=] [comb=no] + font attributes
    const QString group = word(line, 1);
    const double x = number(line, 2);
    const double y = number(line, 3);
    const int count = integer(line, 4, 1, 99);
    const QString src = source(word(line, 5));
    double step = 19, height = 19, tick = 0;
    int buffer = count;
    bool comb = true;
    BoxFill fill = BoxFill::Text;
    Element proto;
    proto.kind = ElementKind::CharBox;
    proto.font = m_font;
    proto.font.bold = true;
    proto.font.size = 12;
    proto.align = Qt::AlignHCenter | Qt::AlignVCenter;
    // The group's own attributes; the others (font, pen) go to every box.
    Line attrs;
    for (int i = 6; i < line.words.size(); ++i) {
        const QString w = line.words[i];
        const QString key = w.section(u'=', 0, 0);
        const QString value = w.section(u'=', 1);
        bool ok = true;
        if (key == u"step")
            step = value.toDouble(&ok);
        else if (key == u"h")
            height = value.toDouble(&ok);
        else if (key == u"tick")
            tick = value.toDouble(&ok);
        else if (key == u"buffer")
            buffer = value.toInt(&ok);
        else if (key == u"comb")
            comb = value != u"no";
        else if (key == u"fill") {
            if (value == u"text")
                fill = BoxFill::Text;
            else if (value == u"date")
                fill = BoxFill::Date;
            else if (value == u"right")
                fill = BoxFill::Right;
            else
                ok = false;
        } else {
            attrs.words.append(w);
            attrs.quoted.append(line.quoted[i]);
            continue;
        }
        if (!ok || step <= 0 || step > 200 || height <= 0 || height > 200 || tick < 0 || buffer < count ||
            buffer > 999)
            fail(u"vlastnost \"%1\" má neplatnou hodnotu \"%2\""_s.arg(key, value));
    }
    if (fill == BoxFill::Date && count != 8)
        fail(u"datum potřebuje 8 polí"_s);
    attributes(attrs, 0, proto);
    if (comb) {
        Element c;
        c.kind = ElementKind::Comb;
        c.rect = QRectF(x, y, step * count, height);
        c.cells = count;
        c.step = step;
        c.tick = tick;
        c.pen = proto.pen;
        add(c);
    }
    for (int i = 1; i <= count; ++i) {
        Element e = proto;
        e.name = u"QRLabel"_s + group + QString::number(i);
        e.rect = QRectF(x + (i - 1) * step, y, step, height);
        e.source = src;
        e.group = group;
        e.buffer = buffer;
        e.index = i;
        e.fill = fill;
        add(e);
    }
}

void Reader::command(const Line &line)
{
    const QString cmd = line.words[0];
    if (line.quoted[0])
        fail(u"řádek začíná textem"_s);
    if (cmd == u"title") {
        m_layout.title = quotedText(line, 1);
    } else if (cmd == u"source") {
        m_layout.dataSource = word(line, 1);
    } else if (cmd == u"width") {
        m_layout.width = number(line, 1);
    } else if (cmd == u"group") {
        m_layout.groupBy = word(line, 1);
        m_layout.groupRows = integer(line, 2, 0, 999);
        if (m_fields && !m_fields(m_layout.dataSource, m_layout.groupBy))
            fail(u"pole \"%1.%2\" neznám"_s.arg(m_layout.dataSource, m_layout.groupBy));
    } else if (cmd == u"band") {
        static const QHash<QString, BandKind> kinds{
            {u"pageheader"_s, BandKind::PageHeader},   {u"title"_s, BandKind::Title},
            {u"groupheader"_s, BandKind::GroupHeader}, {u"detail"_s, BandKind::Detail},
            {u"groupfooter"_s, BandKind::GroupFooter}, {u"summary"_s, BandKind::Summary}};
        const QString kind = word(line, 1);
        if (!kinds.contains(kind))
            fail(u"pás \"%1\" neznám"_s.arg(kind));
        if (m_layout.band(kinds[kind]))
            fail(u"pás \"%1\" je uveden dvakrát"_s.arg(kind));
        Band b;
        b.kind = kinds[kind];
        b.height = number(line, 2);
        if (b.height < 0)
            fail(u"pás \"%1\" má zápornou výšku"_s.arg(kind));
        m_layout.bands.append(b);
        m_band = &m_layout.bands.last();
    } else if (cmd == u"font") {
        // font FAMILY SIZE [bold] [italic] [underline]: default for the elements that follow
        m_font = FontSpec();
        m_font.family = word(line, 1);
        Element e;
        e.font = m_font;
        e.font.size = number(line, 2);
        attributes(line, 3, e);
        m_font = e.font;
    } else if (cmd == u"label" || cmd == u"field" || cmd == u"number" || cmd == u"option" ||
               cmd == u"pagenumber") {
        Element e;
        e.font = m_font;
        int i = 1;
        if (cmd == u"label") {
            e.kind = ElementKind::Label;
        } else if (cmd == u"pagenumber") {
            e.kind = ElementKind::PageNumber;
        } else {
            e.name = word(line, i++);
            e.kind = cmd == u"field"    ? ElementKind::Field
                     : cmd == u"number" ? ElementKind::Number
                                        : ElementKind::Option;
        }
        e.rect = QRectF(number(line, i), number(line, i + 1), number(line, i + 2), number(line, i + 3));
        if (e.rect.width() < 0 || e.rect.height() < 0)
            fail(u"prvek má zápornou šířku nebo výšku"_s);
        i += 4;
        if (e.kind == ElementKind::Label || e.kind == ElementKind::Option)
            e.text = quotedText(line, i++);
        if (e.kind == ElementKind::Field || e.kind == ElementKind::Number || e.kind == ElementKind::Option)
            e.source = source(word(line, i++));
        if (e.kind == ElementKind::Option) {
            const QString v = word(line, i++);
            if (v != u"true" && v != u"false")
                fail(u"volba potřebuje hodnotu true nebo false, ne \"%1\""_s.arg(v));
            e.optionValue = v == u"true";
            e.font.bold = true;
        }
        if (e.kind == ElementKind::Number) {
            e.font.bold = true;
            e.align = Qt::AlignRight | Qt::AlignTop;
        }
        attributes(line, i, e);
        add(e);
    } else if (cmd == u"boxes") {
        boxes(line);
    } else if (cmd == u"frame") {
        Element e;
        e.kind = ElementKind::Frame;
        e.rect = QRectF(number(line, 1), number(line, 2), number(line, 3), number(line, 4));
        attributes(line, 5, e);
        add(e);
    } else if (cmd == u"line" || cmd == u"dash") {
        Element e;
        e.kind = cmd == u"line" ? ElementKind::Line : ElementKind::DashedLine;
        e.rect = QRectF(QPointF(number(line, 1), number(line, 2)), QPointF(number(line, 3), number(line, 4)));
        attributes(line, 5, e);
        add(e);
    } else if (cmd == u"hline" || cmd == u"vline") {
        // hline X Y LENGTH, vline X Y LENGTH
        Element e;
        e.kind = ElementKind::Line;
        const double x = number(line, 1), y = number(line, 2), len = number(line, 3);
        e.rect = cmd == u"hline" ? QRectF(QPointF(x, y), QPointF(x + len, y))
                                 : QRectF(QPointF(x, y), QPointF(x, y + len));
        attributes(line, 4, e);
        add(e);
    } else {
        fail(u"příkaz \"%1\" neznám"_s.arg(cmd));
    }
}

PageLayout Reader::read(const QString &text)
{
    const QStringList lines = text.split(u'\n');
    for (const QString &raw : lines) {
        ++m_line;
        const Line line = split(raw);
        if (line.words.isEmpty())
            continue;
        command(line);
    }
    m_line = 0;
    if (m_layout.title.isEmpty())
        throw LayoutError(
            u"Rozvržení tiskové strany \"%1\" je poškozené: chybí název (title)."_s.arg(m_name));
    if (!m_layout.band(BandKind::Detail))
        throw LayoutError(u"Rozvržení tiskové strany \"%1\" je poškozené: chybí pás detail."_s.arg(m_name));
    return m_layout;
}

} // namespace

bool isSettlementField(QStringView table, QStringView field)
{
    if (table.compare(u"VpzQr", Qt::CaseInsensitive) == 0) {
        for (const data::CalcFieldInfo &calculated : data::vpzQrCalculatedFields())
            if (field.compare(calculated.name, Qt::CaseInsensitive) == 0)
                return true;
        table = u"Vpz";
    }
    const data::TableDef *def = data::findTableDef(table);
    return def && (def->field(field) || def->calculatedField(field));
}

PageLayout parseLayout(const QString &text, const QString &name, const FieldCatalog &fields)
{
    return Reader(name, fields).read(text);
}

PageLayout loadLayout(const QString &path, const FieldCatalog &fields)
{
    QFile file(path);
    const QString name = path.section(u'/', -1);
    if (!file.open(QIODevice::ReadOnly))
        throw LayoutError(u"Rozvržení tiskové strany \"%1\" nelze načíst."_s.arg(name));
    return parseLayout(QString::fromUtf8(file.readAll()), name, fields);
}

} // namespace print
