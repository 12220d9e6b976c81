#include "statements/FormLayout.h"

#include "data/FieldNames.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace statements {

using namespace data::fields;

const FormCell *FormLayout::box(const QString &field) const
{
    for (const FormPage &page : pages) {
        for (const FormCell &cell : page.cells) {
            if (cell.isInput() && cell.text.compare(field, Qt::CaseInsensitive) == 0)
                return &cell;
        }
    }
    return nullptr;
}

int FormLayout::pageOf(const QString &field) const
{
    for (qsizetype p = 0; p < pages.size(); ++p) {
        for (const FormCell &cell : pages[p].cells) {
            if (cell.isInput() && cell.text.compare(field, Qt::CaseInsensitive) == 0)
                return int(p);
        }
    }
    return -1;
}

QStringList FormLayout::boxFields() const
{
    QStringList fields;
    for (const FormPage &page : pages) {
        for (const FormCell &cell : page.cells) {
            if (cell.isInput())
                fields.append(cell.text);
        }
    }
    return fields;
}

const FormSeam *FormLayout::seam(const QString &field) const
{
    for (const FormSeam &s : seams) {
        if (s.box.compare(field, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

namespace cells {

FormCell box(const QString &field, int row, int column, const QString &hint, int columnSpan)
{
    FormCell c;
    c.kind = FormCell::Kind::Box;
    c.text = field;
    c.row = row;
    c.column = column;
    c.columnSpan = columnSpan;
    c.hint = hint;
    return c;
}

FormCell text(const QString &text, int row, int column, int columnSpan)
{
    FormCell c;
    c.text = text;
    c.row = row;
    c.column = column;
    c.columnSpan = columnSpan;
    return c;
}

FormCell heading(const QString &text, int row, int column, int columnSpan)
{
    FormCell c = cells::text(text, row, column, columnSpan);
    c.kind = FormCell::Kind::Heading;
    return c;
}

FormCell number(const QString &text, int row, int column)
{
    FormCell c = cells::text(text, row, column);
    c.alignRight = true;
    return c;
}

FormCell cross(int row, int column)
{
    FormCell c = cells::text(u"X"_s, row, column);
    c.kind = FormCell::Kind::Cross;
    return c;
}

FormCell caption(const QString &text, int row, int column, int columnSpan)
{
    FormCell c = cells::text(text, row, column, columnSpan);
    c.wrap = true;
    return c;
}

FormCell check(const QString &field, int row, int column, const QString &caption, const QString &hint,
               int columnSpan)
{
    FormCell c = box(field, row, column, hint, columnSpan);
    c.kind = FormCell::Kind::Check;
    c.caption = caption;
    return c;
}

} // namespace cells

QString FormLayout::anchorOf(const FormCell &box) const
{
    if (!box.helpAnchor.isEmpty())
        return box.helpAnchor;
    return helpPrefix.isEmpty() ? QString() : helpPrefix + u'-' + box.text.toLower();
}

const QStringList &monthNames()
{
    static const QStringList names = {u"leden"_s,  u"únor"_s,   u"březen"_s,   u"duben"_s,
                                      u"květen"_s, u"červen"_s, u"červenec"_s, u"srpen"_s,
                                      u"září"_s,   u"říjen"_s,  u"listopad"_s, u"prosinec"_s};
    return names;
}

namespace {

const QString AmountHint = u"Částka v Kč"_s;

// One column of Part I of a statement: its number on the form and the stem
// of its monthly fields; no stem for a column the form leaves unused.
FormCell labelled(FormCell cell, const QString &label)
{
    cell.label = label;
    return cell;
}

struct MonthColumn
{
    QString number;
    std::optional<data::FieldSeries> fields;
};

struct MonthTable
{
    QList<MonthColumn> columns;
    // The decision's reference numbers, in a column of their own below the grid.
    data::FieldSeries textFields{};
    QString textCaption;
    // A label over some columns: its text, first column (1-based) and span.
    QString groupLabel;
    int groupColumn = 0;
    int groupSpan = 0;
    QStringList legends;
    int helpContext = 0;
    QString helpPrefix;
};

// Part I on two pages: months 1-6, then 7-12 and the totals. Rows 0 and 1
// carry the heading and the column numbers; each month row starts with its
// number. Tab order runs row by row through the input columns, then down the
// reference numbers.
QList<FormPage> monthPages(const MonthTable &t)
{
    QList<FormPage> pages;
    for (int p = 0; p < 2; ++p) {
        FormPage page;
        page.title = u"Stránka %1"_s.arg(p + 1);
        page.helpContext = t.helpContext;
        page.legends = t.legends;
        auto &c = page.cells;
        c.append(cells::heading(u"ČÁST I."_s, 0, 0, 3));
        if (!t.groupLabel.isEmpty())
            c.append(cells::text(t.groupLabel, 0, t.groupColumn, t.groupSpan));
        for (qsizetype k = 0; k < t.columns.size(); ++k)
            c.append(cells::heading(t.columns[k].number, 1, int(k) + 1));
        const int first = p * 6 + 1;
        int row = 2;
        for (int m = first; m < first + 6; ++m, ++row) {
            c.append(cells::number(QString::number(m), row, 0));
            for (qsizetype k = 0; k < t.columns.size(); ++k) {
                const MonthColumn &col = t.columns[k];
                if (!col.fields)
                    c.append(cells::cross(row, int(k) + 1));
                else
                    c.append(labelled(cells::box((*col.fields)(m), row, int(k) + 1, AmountHint),
                                      u"sl. %1, %2"_s.arg(col.number, monthNames()[m - 1])));
                c.last().helpAnchor = t.helpPrefix + u"-sl"_s + col.number;
            }
        }
        if (p == 1) {
            c.append(cells::number(u"13"_s, row, 0));
            for (qsizetype k = 0; k < t.columns.size(); ++k) {
                const MonthColumn &col = t.columns[k];
                if (!col.fields)
                    c.append(cells::cross(row, int(k) + 1));
                else
                    c.append(labelled(cells::box((*col.fields)(13), row, int(k) + 1,
                                                 u"Úhrn - sl. %1 celkem"_s.arg(col.number)),
                                      u"sl. %1, úhrn"_s.arg(col.number)));
                c.last().helpAnchor = t.helpPrefix + u"-sl"_s + col.number;
            }
            ++row;
        }
        c.append(cells::heading(t.textCaption, row++, 1, 5));
        for (int m = first; m < first + 6; ++m, ++row) {
            c.append(cells::number(QString::number(m), row, 0));
            c.append(cells::text(monthNames()[m - 1], row, 1, 2));
            c.append(labelled(cells::box(t.textFields(m), row, 3, t.textCaption, 4),
                              t.textCaption + u", "_s + monthNames()[m - 1]));
            c.last().helpAnchor = t.helpPrefix + u"-cj"_s;
        }
        pages.append(page);
    }
    return pages;
}

// One line of a recapitulation: its number, caption and box (or cross).
void recapLine(FormPage &page, int row, const QString &number, const QString &caption,
               std::optional<data::FieldName> field, const QString &hint = AmountHint)
{
    page.cells.append(cells::number(number, row, 0));
    page.cells.append(cells::caption(caption, row, 1, 10));
    if (!field)
        page.cells.append(cells::cross(row, 11));
    else
        page.cells.append(labelled(cells::box(*field, row, 11, hint), u"ř. "_s + number));
}

// The recapitulation's boxes are found in the help by their line numbers.
void anchorRecap(FormPage &page, const QString &prefix)
{
    QString line;
    for (FormCell &cell : page.cells) {
        if (cell.kind == FormCell::Kind::Text && cell.alignRight)
            line = cell.text;
        else if (cell.isBox())
            cell.helpAnchor = prefix + u"-r"_s + line;
    }
}

FormPage recapPage(int helpContext)
{
    FormPage page;
    page.title = u"Stránka 3"_s;
    page.helpContext = helpContext;
    page.stretchColumn = 1;
    page.cells.append(cells::heading(u"ČAST II."_s, 0, 0, 3));
    page.cells.append(cells::heading(u"Č. ř."_s, 1, 0));
    page.cells.append(cells::heading(u"Kč"_s, 1, 11));
    return page;
}

} // namespace

FormLayout vdvlLayout()
{
    FormLayout layout;
    layout.table = data::tableDef(data::TableId::Vdvl).name();
    layout.helpPrefix = u"vdvl"_s;

    MonthTable t;
    t.columns = {{u"1"_s, Vdvl::Sl2},  {u"2"_s, Vdvl::Sl3},  {u"3"_s, Vdvl::Slo3}, {u"4"_s, Vdvl::Sl5},
                 {u"5"_s, Vdvl::Slb5}, {u"6"_s, {}},         {u"7"_s, {}},         {u"8"_s, Vdvl::Sl8},
                 {u"9"_s, Vdvl::Sla5}, {u"10"_s, Vdvl::Sl7}, {u"11"_s, Vdvl::Sl9}};
    t.textFields = Vdvl::Slc3;
    t.textCaption = u"sl. 3 - rozhodnutí - č. j."_s;
    t.groupLabel = u"Běžné zdaň. období (sl. 4,5)"_s;
    t.groupColumn = 4;
    t.groupSpan = 2;
    t.helpContext = 19;
    t.helpPrefix = layout.helpPrefix;
    t.legends = {
        u"sl. 1 - Na zálohách na daň vč. solid. zvýšení mělo být sraženo (po slevách)"_s,
        u"sl. 2 - Na zálohách na daň vč. solid. zvýšení bylo sraženo (po slevách)"_s,
        u"sl. 3 - Rozhodnutí - č. j. a částka v Kč"_s,
        u"sl. 4 - Vrácené přeplatky na dani z roč. zúčtování záloh včetně oprav"_s,
        u"sl. 5 - Celk.částka vyplac. měs.daň. bonusu a vyplac. doplatku na bonusu"_s,
        u"sl. 6 - Neobsazeno"_s,
        u"sl. 7 - Neobsazeno"_s,
        u"sl. 8 - Částky upravující sražené zálohy na daň (sl. 4 + sl. 5)"_s,
        u"sl. 9 - Vyúčtovaná částka (sl. 1 - sl. 3 - sl. 4 - sl. 5)"_s,
        u"sl. 10 - Dodatečné vyúčtování"_s,
        u"sl. 11 - Bylo odvedeno"_s,
    };
    layout.pages = monthPages(t);

    FormPage recap = recapPage(15);
    int row = 2;
    recapLine(recap, row++, u"06"_s,
              u"Úhrn přeplatků na dani z roč. zúčt. za nejbližší předchozí zdaň. období bez doplatku na daň. "
              u"bonusu"_s,
              Vdvl::C106);
    recap.cells.append(
        cells::caption(u"V tabulce na další stránce (Stránka 4) uveďte informace, které časově "
                       u"rozlišují průběh vrácení přeplatku.       >>>>>"_s,
                       row++, 1, 10));
    recapLine(
        recap, row++, u"06a"_s,
        u"Úhrn doplatků na daňovém bonusu z ročního zúčtování za nejbližší předchozí zdaňovací období"_s,
        Vdvl::C106a);
    recapLine(
        recap, row++, u"1"_s,
        u"Na zálohách vč. solid. zvýšení a po slevách za běžné zd. období mělo být sraženo   (sl. 1 ř. 13 "
        u"v části I.)"_s,
        Vdvl::C401);
    recapLine(
        recap, row++, u"2"_s,
        u"Úhrn přeplatků z roč. zúčt. záloh provedeného v běž. zdaň. obd. za předch. období (sl. 4 ř. 13 "
        u"v části I.)"_s,
        Vdvl::C403);
    recapLine(
        recap, row++, u"3"_s,
        u"Z úhrnu na ř. 2 bylo v běž.zdaň. období na žádost fin. úřadem vráceno/převedeno na nedopl. jiné "
        u"daně"_s,
        Vdvl::C404);
    recapLine(
        recap, row++, u"4"_s,
        u"Úhrn vyplacených měsíčních daň. bonusů a vyplacených doplatků na daň. bonusu (sl. 5 ř. 13 v části "
        u"I.)"_s,
        Vdvl::C403a);
    recapLine(
        recap, row++, u"5"_s,
        u"Z úhrnu na ř. 4 bylo na žádost fin. úřadem poukázáno (vráceno nebo převedeno na nedopl. jiné daně)"_s,
        Vdvl::C404a);
    recapLine(recap, row++, u"6"_s, u"Neobsazeno"_s, {});
    recapLine(recap, row++, u"7"_s, u"Neobsazeno"_s, {});
    recapLine(recap, row++, u"8"_s, u"Rekapitulace  (ř. 1 - ř. 2 + ř. 3 - ř. 4 + ř. 5 v části II.)"_s,
              Vdvl::C408, u"Rekapitulace"_s);
    recapLine(recap, row++, u"9"_s, u"Odvedeno na účet finančního úřadu (sl. 11 ř. 13 v části I.)"_s,
              Vdvl::C409);
    recapLine(recap, row++, u"10"_s, u"ř. 9 - ř. 8  ( +  zaplaceno více,  -  zbývá doplatit)"_s, Vdvl::C410,
              u"+  zaplaceno více,  -  zbývá doplatit"_s);
    // The refunds' own topic covers the two lines about last year's overpayments.
    for (FormCell &cell : recap.cells) {
        if (cell.isBox() && cell.text.startsWith(Vdvl::C106.toString()))
            cell.helpContext = 3;
    }
    anchorRecap(recap, layout.helpPrefix);
    layout.pages.append(recap);

    FormPage refunds;
    refunds.title = u"Stránka 4"_s;
    refunds.helpContext = 3;
    const QStringList legends = {
        u"sl. 1 - v měsíci (měsíc, v jehož průběhu byl přeplatek vrácen zaměstnancům)"_s,
        u"sl. 2 - v částce (částka v Kč)"_s,
        u"sl. 3 - z toho vráceno/převedeno FÚ plátci/ponecháno na osobním účtu plátce (v Kč) - Neuvádí se"_s,
        u"sl. 4 - podle žádosti podané plátcem u finančního úřadu dne (den, měsíc a rok)"_s,
    };
    refunds.legends = legends;
    refunds.legends[1] += u"\n"_s +
                          u"částka přeplatku, o kterou byl snížen odvod záloh na daň (§ 38ch odst. 5 a § 35d "
                          u"odst. 9 zák.)"_s;
    refunds.cells.append(
        cells::caption(u"Úhrn přeplatků na dani z roč. zúčt. za nejbližší předchozí zdaň. období "
                       u"bez doplatku na daň. bonusu (viz Stránka 3)"_s,
                       0, 0, 12));
    refunds.cells.append(
        cells::caption(u"Z toho byl přeplatek z ročního zúčtování záloh zaměstnancům vrácen:"_s, 1, 0, 12));
    const QList<data::FieldSeries> columns = {Vdvl::Mv, Vdvl::Vc, Vdvl::Ztv, Vdvl::Pzp};
    for (int k = 0; k < 4; ++k)
        refunds.cells.append(cells::heading(u"sl. %1"_s.arg(k + 1), 2, 1 + 3 * k, 3));
    for (int n = 1; n <= 3; ++n) {
        refunds.cells.append(cells::number(QString::number(n), 2 + n, 0));
        for (int k = 0; k < 4; ++k) {
            refunds.cells.append(labelled(cells::box(columns[k](n), 2 + n, 1 + 3 * k, legends[k], 3),
                                          u"sl. %1, řádek %2"_s.arg(k + 1).arg(n)));
            refunds.cells.last().helpAnchor = u"vdvl-vraceni-sl%1"_s.arg(k + 1);
        }
    }
    layout.pages.append(refunds);

    layout.seams = {
        {Vdvl::Slc3(6), Vdvl::Sl2(7), Vdvl::Slc3(5)}, {Vdvl::Sl2(7), Vdvl::Sl3(7), Vdvl::Slc3(6)},
        {Vdvl::Slc3(12), Vdvl::C106, Vdvl::Slc3(11)}, {Vdvl::C106, Vdvl::C106a, Vdvl::Slc3(12)},
        {Vdvl::C410, Vdvl::Mv(1), Vdvl::C409},        {Vdvl::Mv(1), Vdvl::Vc(1), Vdvl::C410},
    };
    return layout;
}

FormLayout vdvsLayout()
{
    FormLayout layout;
    layout.table = data::tableDef(data::TableId::Vdvs).name();
    layout.helpPrefix = u"vdvs"_s;

    MonthTable t;
    t.columns = {{u"1"_s, Vdvs::Sl1},   {u"2"_s, Vdvs::Sl2}, {u"3"_s, Vdvs::Sl3},  {u"4"_s, {}},
                 {u"5"_s, {}},          {u"6"_s, Vdvs::Sl7}, {u"7"_s, Vdvs::Slo7}, {u"8"_s, {}},
                 {u"8a"_s, Vdvs::Sld9}, {u"9"_s, Vdvs::Sl8}, {u"10"_s, Vdvs::Sl10}};
    t.textFields = Vdvs::Slc7;
    t.textCaption = u"sl. 7 - rozhodnutí - č. j."_s;
    t.helpContext = 31;
    t.helpPrefix = layout.helpPrefix;
    t.legends = {
        u"sl. 1 - Na dani v průběhu měsíce mělo být sraženo dle § 38d odst. 1, 2 a 8"_s,
        u"sl. 2 - Na dani v průběhu měsíce bylo sraženo"_s,
        u"sl. 3 - Částka ze sl. 1, která má být odvedena ve lhůtě podle § 38d odst. 3"_s,
        u"sl. 4 - Neobsazeno"_s,
        u"sl. 5 - Neobsazeno"_s,
        u"sl. 6 - Částka odvedené daně, k níž se váže dodatečně podepsané prohl."_s,
        u"sl. 7 - Rozhodnutí - č. j. a částka v Kč"_s,
        u"sl. 8 - Neobsazeno"_s,
        u"sl. 8a - Vyúčtovaná částka (sl. 1 - sl. 7)"_s,
        u"sl. 9 - Dodatečné vyúčtování"_s,
        u"sl. 10 - Na dani bylo odvedeno celkem"_s,
    };
    layout.pages = monthPages(t);

    FormPage recap = recapPage(32);
    int row = 2;
    recapLine(recap, row++, u"1"_s, u"Na dani mělo být sraženo (sl. 1 ř. 13 v části I.)"_s, Vdvs::C401a);
    recapLine(recap, row++, u"2"_s, u"Neobsazeno"_s, {});
    recapLine(recap, row++, u"3"_s, u"Neobsazeno"_s, {});
    recapLine(recap, row++, u"4"_s, u"Na dani bylo odvedeno (sl. 10 ř. 13 v části I.)"_s, Vdvs::C402);
    recapLine(recap, row++, u"5"_s, u"ř. 4 - ř. 1  ( +  zaplaceno více,  -  zbývá doplatit)"_s, Vdvs::C403,
              u"+  zaplaceno více,  -  zbývá doplatit"_s);
    anchorRecap(recap, layout.helpPrefix);
    layout.pages.append(recap);

    layout.seams = {
        {Vdvs::Slc7(6), Vdvs::Sl1(7), Vdvs::Slc7(5)},
        {Vdvs::Sl1(7), Vdvs::Sl2(7), Vdvs::Slc7(6)},
        {Vdvs::Slc7(12), FormSeam::CloseButton, Vdvs::Slc7(11)},
    };
    return layout;
}

} // namespace statements
