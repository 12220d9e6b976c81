#include "statements/TableLayouts.h"

#include "data/CompanyData.h"
#include "statements/AnnexLayout.h"

using namespace Qt::StringLiterals;

namespace statements {

namespace {

// Lays out a page of labelled boxes row by row: a caption in the first
// column, then each box with its label in front, in tab order.
class Rows
{
public:
    static constexpr int Width = 20; // columns a heading spans
    // The help topic of the company data, on every page.
    static constexpr int HelpContext = 5;

    explicit Rows(const QString &title) { m_page.title = title; }

    FormPage take()
    {
        m_page.flowingRows = true;
        m_page.helpContext = HelpContext;
        return std::move(m_page);
    }

    void heading(const QString &text, bool bold = true)
    {
        FormCell c = cells::text(text, ++m_row, 0, Width);
        c.bold = bold;
        m_page.cells.append(c);
        m_column = Width;
    }

    void row(const QString &caption = {})
    {
        ++m_row;
        m_column = 1;
        if (!caption.isEmpty()) {
            FormCell c = cells::text(caption, m_row, 0);
            c.wrap = caption.contains(u'\n');
            m_page.cells.append(c);
        }
    }

    // A text box with its label in front; a date box's label opens the
    // calendar, and a copied field gets its ">>" behind it.
    void edit(const QString &field, const QString &label, const QString &hint, int maxChars = 0,
              bool date = false)
    {
        if (m_column >= Width)
            row();
        if (!label.isEmpty() || date) {
            FormCell c = cells::text(label, m_row, m_column++);
            if (date) {
                c.linkKind = FormCell::Link::Date;
                c.link = field;
            }
            m_page.cells.append(c);
        }
        FormCell box = cells::box(field, m_row, m_column++, hint);
        box.maxChars = maxChars;
        m_page.cells.append(box);
        if (data::findCompanyCopy(field)) {
            FormCell c = cells::text(u">>"_s, m_row, m_column++);
            c.linkKind = FormCell::Link::Copy;
            c.link = field;
            c.hint = u">>"_s;
            m_page.cells.append(c);
        }
    }

    void check(const QString &field, const QString &caption, const QString &hint,
               const QString &uncheckedCaption = {})
    {
        if (m_column >= Width)
            row();
        FormCell c = cells::check(field, m_row, m_column++, caption, hint);
        c.uncheckedCaption = uncheckedCaption;
        m_page.cells.append(c);
    }

    void note(const QString &text) { m_page.cells.append(cells::text(text, m_row, m_column++, Width)); }

private:
    FormPage m_page;
    int m_row = -1;
    int m_column = Width;
};

const QString Typ = u"Typ vyúčtování (F1)"_s;
const QString Dopd = u"Důvody pro podání dodatečného vyúčtování zjištěny dne (F1)"_s;
const QString Kzs = u"Kód podepisující osoby (F1)"_s;
const QString Zjm = u"Jméno(-a) a příjmení / Název právnické osoby"_s;
const QString Zde = u"Datum narození / Evidenční číslo osvědčení daň. poradce / IČ právnické osoby (F1)"_s;
const QString ZdeLabel =
    u"Datum narození / Evidenční číslo osvědčení\ndaňového poradce / IČ právnické osoby"_s;
const QString Zjv = u"Jméno(-a) a příjmení / Vztah k právnické osobě"_s;
const QString Signatory1 =
    u"Fyzická osoba oprávněná k podpisu   (je-li daňový subjekt či zástupce právnickou osobou),"_s;
const QString Signatory2 =
    u"s uvedením vztahu k právnické osobě   (např. jednatel, pověřený pracovník apod.)"_s;

void signatory(Rows &p, const QString &suffix)
{
    p.row(u"Kód podepisující osoby"_s);
    p.edit(u"Kzs"_s + (suffix.isEmpty() ? QString() : u"a"_s), {}, Kzs, 33);
    p.row(Zjm);
    p.edit(u"Zjm"_s + suffix, {}, Zjm + u" (F1)"_s, 33);
    p.row(ZdeLabel);
    p.edit(u"Zde"_s + suffix, {}, Zde, 33);
    p.heading(Signatory1, false);
    p.heading(Signatory2, false);
    p.row(Zjv);
    p.edit(u"Zjv"_s + suffix, {}, Zjv + u" (F1)"_s, 33);
}

} // namespace

FormLayout prpLayout()
{
    FormLayout layout;
    layout.table = u"Prp"_s;
    layout.helpPrefix = u"firma"_s;
    {
        Rows p(u"Stránka 1"_s);
        p.heading(u"Společné údaje - Qesto, Příloha k vyučtování (opravy) a Počet zaměstnanců"_s);
        p.row(u"Rok"_s);
        p.edit(u"Rok"_s, {}, u"Rok"_s, 4);
        p.row();
        p.check(u"Zdo"_s, data::zdoCaption(true),
                u"Zaškrtnuto - za zdaňovací období, nezaškrtnuto - za část zdaňovacího období"_s,
                data::zdoCaption(false));
        p.row();
        p.edit(u"Dz"_s, u"od"_s, u"Zdaňovací období od - do"_s, 0, true);
        p.edit(u"Dk"_s, u"do"_s, u"Zdaňovací období od - do"_s, 0, true);
        p.row(u"Typ vyúčtování"_s);
        p.check(u"Dpdr1"_s, u"řádné"_s, Typ);
        p.check(u"Dpdo1"_s, u"opravné"_s, Typ);
        p.check(u"Dpdd1"_s, u"dodatečné"_s, Typ);
        p.edit(u"Dopd"_s, u"datum"_s, Dopd, 25, true);
        p.row(u"DIČ"_s);
        p.edit(u"Dic"_s, {}, u"DIČ"_s, 15);
        p.row(u"Kód rozlišení vyúčtování"_s);
        p.edit(u"Kod"_s, {}, u"Kód rozlišení vyúčtování (F1)"_s, 2);
        p.edit(u"Dvo"_s, u"datum"_s, u"Kód rozlišení vyúčtování - datum (F1)"_s, 0, true);
        const QString fusp = u"Finančnímu úřadu pro / Specializovanému finančnímu úřadu"_s;
        p.row(fusp);
        p.edit(u"Fusp"_s, {}, fusp + u" (F1)"_s, 35);
        const QString fu = u"Územní pracoviště v, ve, pro"_s;
        p.row(fu);
        p.edit(u"Fu"_s, {}, fu + u" (F1)"_s, 25);
        p.heading(u"Fyzická osoba"_s);
        p.row(u"příjmení"_s);
        p.edit(u"Prk"_s, {}, u"Fyzická osoba - příjmení"_s, 16);
        p.edit(u"Jmd"_s, u"jméno"_s, u"Fyzická osoba - jméno(-a)"_s, 14);
        p.edit(u"Tiv"_s, u"titul"_s, u"Fyzická osoba - titul"_s, 4);
        p.heading(u"Právnická osoba"_s);
        p.heading(u"název právnické osoby"_s, false);
        const QString ojv = u"Právnická osoba - název právnické osoby, právní forma"_s;
        p.row(u"ř. 1"_s);
        p.edit(u"Ojv"_s, {}, ojv, 35);
        p.row(u"ř. 2"_s);
        p.edit(u"Ojva"_s, {}, ojv, 35);
        p.heading(u"Fyzická i právnická osoba"_s);
        p.row(u"název plátce daně"_s);
        p.edit(u"Npd"_s, {}, u"Formulář - Počet zaměstnanců - název plátce daně"_s, 35);
        p.row(u"adresa místa pobytu nebo sídlo"_s);
        p.edit(u"Mi"_s, {}, u"Adresa místa pobytu nebo sídlo"_s, 35);
        layout.pages.append(p.take());
    }
    {
        Rows p(u"Stránka 2"_s);
        p.heading(u"Počet zaměstnanců podle mzdových listů k poslednímu dni kalendářního měsíce"_s);
        for (int half = 0; half < 2; ++half) {
            p.row(u"Zaměstnanci"_s);
            for (int m = half * 6 + 1; m <= half * 6 + 6; ++m)
                p.edit(u"Z"_s + QString::number(m), QString::number(m) + u'.', u"Nápověda (F1)"_s);
        }
        p.heading(u"Údaje o podepisující osobě:"_s);
        signatory(p, {});
        p.row(u"Kontakt. osoba"_s);
        p.edit(u"Ses"_s, {}, u"Kontaktní osoba"_s, 18);
        p.edit(u"Tel"_s, u"Telefon"_s, u"Telefon"_s, 11);
        p.row(u"Vystaveno"_s);
        p.edit(u"Dv"_s, u"dne"_s, u"Vystaveno dne"_s, 0, true);
        p.row(u"E-mail"_s);
        p.edit(u"Emlv"_s, {}, u"E-mail"_s, 33);
        p.row(u"Počet příloh"_s);
        p.edit(u"Op"_s, {}, u"Počet příloh k vyúčtování"_s);
        p.heading(u"Údaje pro Vyúčtování daně vybírané srážkou podle zvláštní sazby daně z příjmů  "
                  u"(Stránka 3 a 4)         >>>>>"_s,
                  false);
        layout.pages.append(p.take());
    }
    {
        Rows p(u"Stránka 3"_s);
        p.heading(u"Údaje pro Vyúčtování daně vybírané srážkou podle zvláštní sazby daně z příjmů"_s);
        p.row();
        p.check(u"Pfo"_s, data::pfoCaption(true),
                u"Zaškrtnuto - fyzických osob, nezaškrtnuto - právnických osob"_s, data::pfoCaption(false));
        p.row(u"Typ vyúčtování"_s);
        p.check(u"Dpdr2"_s, u"řádné"_s, Typ);
        p.check(u"Dpdo2"_s, u"opravné"_s, Typ);
        p.check(u"Dpdd2"_s, u"dodatečné"_s, Typ);
        p.edit(u"Dops"_s, u"datum"_s, Dopd, 25, true);
        p.heading(u"Fyzická osoba"_s);
        p.row(u"příjmení"_s);
        p.edit(u"Prks"_s, {}, u"Fyzická osoba - příjmení"_s, 16);
        p.edit(u"Jmds"_s, u"jméno"_s, u"Fyzická osoba - jméno(-a)"_s, 14);
        p.edit(u"Ti"_s, u"titul"_s, u"Fyzická osoba - titul"_s, 4);
        p.heading(u"Právnická osoba"_s);
        p.row(u"název právnické osoby"_s);
        p.edit(u"Ojs"_s, {}, u"Právnická osoba - název právnické osoby, právní forma (ř. 1)"_s, 35);
        p.row();
        p.edit(u"Ojsb"_s, {}, u"Právnická osoba - název právnické osoby, právní forma (ř. 2)"_s, 35);
        p.heading(u"Fyzická i práv. osoba"_s);
        p.row(u"místo pobytu nebo sídlo"_s);
        p.edit(u"Adrb"_s, {}, u"Adresa místa pobytu nebo sídlo"_s, 35);
        p.row();
        p.edit(u"Lhp"_s, u"Lhůta"_s, u"Lhůta pro podání daňového přiznání v průběhu zdaňovacího období"_s, 11,
               true);
        p.note(u"pro podání DP v průběhu zdaň. období"_s);
        p.row(u"Kontaktní osoba"_s);
        p.edit(u"Vses"_s, {}, u"Kontaktní osoba"_s, 35);
        p.row(u"Telefon"_s);
        p.edit(u"Telx"_s, {}, u"Telefon"_s, 9);
        p.row(u"E-mail"_s);
        p.edit(u"Emlx"_s, {}, u"E-mail"_s, 35);
        p.row(u"Vystaveno"_s);
        p.edit(u"Dvs"_s, u"dne"_s, u"Vystaveno dne"_s, 11, true);
        p.row(u"Počet příloh"_s);
        p.edit(u"Ops"_s, {}, u"Počet příloh k vyúčtování daně vybírané srážkou"_s);
        layout.pages.append(p.take());
    }
    {
        Rows p(u"Stránka 4"_s);
        p.heading(u"Údaje o podepisující osobě:"_s);
        signatory(p, u"s"_s);
        layout.pages.append(p.take());
    }
    layout.seams = {
        {u"Mi"_s, u"Z1"_s, u"Npd"_s},    {u"Z1"_s, u"Z2"_s, u"Mi"_s},     {u"Op"_s, u"Pfo"_s, u"Emlv"_s},
        {u"Pfo"_s, u"Dpdr2"_s, u"Op"_s}, {u"Ops"_s, u"Kzsa"_s, u"Dvs"_s}, {u"Kzsa"_s, u"Zjms"_s, u"Ops"_s},
    };
    return layout;
}

FormLayout vpzLayout()
{
    FormLayout layout;
    layout.table = u"Vpz"_s;
    FormPage page;
    page.title = u"Počet zaměstnanců"_s;
    page.helpContext = 16;
    const struct
    {
        QString field;
        QString caption;
        QString hint;
    } boxes[] = {
        {u"N3"_s, u"Název místa výkonu práce"_s, u"Název místa výkonu práce"_s},
        {u"C4"_s, u"Počet zam."_s, u"Počet zaměstnanců"_s},
        {u"N5"_s, u"Název obce"_s, u"Název obce"_s},
        {u"N6"_s, u"Kód obce"_s, u"Kód obce (ZÚJ)"_s},
        {u"N7"_s, u"Název území okresu"_s, u"Název území okresu"_s},
    };
    int column = 0;
    for (const auto &b : boxes) {
        page.cells.append(cells::text(b.caption, 0, column));
        page.cells.append(cells::box(b.field, 1, column++, b.hint));
    }
    layout.pages.append(page);
    layout.seams = {{u"N7"_s, u"N3"_s, u"N6"_s}};
    return layout;
}

FormLayout dmtLayout()
{
    FormLayout layout;
    layout.table = u"Dmt"_s;
    FormPage page;
    page.title = u"Parametry tisku"_s;
    page.cells = {
        cells::text(u"Horní okraj"_s, 0, 0),
        cells::box(u"Dpt"_s, 0, 1, u"Horní okraj"_s),
        cells::text(u"Levý okraj"_s, 1, 0),
        cells::box(u"Dpl"_s, 1, 1, u"Levý okraj"_s),
        cells::text(u"Počet kopií"_s, 2, 0),
        cells::box(u"Kop"_s, 2, 1, u"Počet kopií"_s),
        cells::check(u"Pk"_s, 3, 0, u"Podpora tisku více kopií"_s, u"Podpora tisku více kopií"_s, 2),
        cells::check(u"Prh1"_s, 4, 0, u"Procházet stránky v náhledu"_s, u"Procházet stránky v náhledu"_s, 2),
        cells::text(u"Vytisknout"_s, 5, 0),
    };
    FormCell trh1 = cells::box(u"Trh1"_s, 5, 1, u"Vytisknout"_s);
    trh1.kind = FormCell::Kind::Choice;
    trh1.choices = {u"vybranou stránku"_s, u"všechny stránky"_s, u"liché stránky"_s, u"sudé stránky"_s};
    page.cells.append(trh1);
    layout.pages.append(page);
    return layout;
}

FormLayout layoutOf(const QString &table)
{
    using Maker = FormLayout (*)();
    static const std::pair<QString, Maker> makers[] = {
        {u"Vdvl"_s, vdvlLayout}, {u"Vdvs"_s, vdvsLayout}, {u"Vpkv"_s, vpkvLayout}, {u"Vpkb"_s, vpkbLayout},
        {u"Prp"_s, prpLayout},   {u"Vpz"_s, vpzLayout},   {u"Dmt"_s, dmtLayout},
    };
    for (const auto &[name, make] : makers) {
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return make();
    }
    return {};
}

} // namespace statements
