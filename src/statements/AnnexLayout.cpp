#include "statements/AnnexLayout.h"

using namespace Qt::StringLiterals;

namespace statements {

namespace {

// One column of an annex row: the field is stem + row number + suffix (the
// suffix "a" of the corrections' rows 15 to 17 comes last).
struct AnnexColumn
{
    QString stem;
    QString suffix; // after the row number, before the row set's own suffix
    QString hint;
};

// A row the window shows: its number on the form and the suffix of its
// fields.
struct AnnexRow
{
    int number;
    QString suffix;
};

struct AnnexDef
{
    QString table;
    QList<AnnexColumn> columns;
    QStringList legends;
    int helpContext = 0;
    QList<QList<AnnexRow>> pages;
};

QString fieldOf(const AnnexColumn &column, const AnnexRow &row)
{
    return column.stem + QString::number(row.number) + column.suffix + row.suffix;
}

FormLayout build(const AnnexDef &def)
{
    FormLayout layout;
    layout.table = def.table;
    layout.helpPrefix = def.table.toLower();
    for (qsizetype p = 0; p < def.pages.size(); ++p) {
        FormPage page;
        page.title = u"Stránka %1"_s.arg(p + 1);
        page.helpContext = def.helpContext;
        page.legends = def.legends;
        page.stretchColumn = int(def.columns.size()) + 1;
        // The column numbers over the grid.
        for (qsizetype c = 0; c < def.columns.size(); ++c)
            page.cells.append(cells::heading(QString::number(c + 1), 0, int(c) + 1));
        int gridRow = 1;
        for (const AnnexRow &row : def.pages[p]) {
            page.cells.append(cells::number(QString::number(row.number) + u'.', gridRow, 0));
            for (qsizetype c = 0; c < def.columns.size(); ++c) {
                page.cells.append(
                    cells::box(fieldOf(def.columns[c], row), gridRow, int(c) + 1, def.columns[c].hint));
                page.cells.last().helpAnchor = layout.helpPrefix + u"-sl"_s + QString::number(c + 1);
            }
            ++gridRow;
        }
        layout.pages.append(page);
    }
    // Enter in the last box of page 1 goes on to the first of page 2, and
    // Shift+Enter from there back.
    const AnnexRow &last = def.pages[0].last();
    const AnnexRow &first = def.pages[1].first();
    const QString lastBox = fieldOf(def.columns.last(), last);
    const QString firstBox = fieldOf(def.columns.first(), first);
    layout.seams = {
        {lastBox, firstBox, fieldOf(def.columns[def.columns.size() - 2], last)},
        {firstBox, fieldOf(def.columns[1], first), lastBox},
    };
    return layout;
}

QList<AnnexRow> rows(int from, int to, const QString &suffix = {})
{
    QList<AnnexRow> list;
    for (int n = from; n <= to; ++n)
        list.append({n, suffix});
    return list;
}

} // namespace

FormLayout vpkvLayout()
{
    AnnexDef def;
    def.table = u"Vpkv"_s;
    def.columns = {
        {u"Z"_s, {}, u"sl. 1 - (Z / D)"_s},
        {u"N"_s, u"1"_s, u"sl. 2 - (měsíc a rok)"_s},
        {u"N"_s, u"2"_s, u"sl. 3 - (den, měsíc a rok)"_s},
        {u"N"_s, u"3"_s, u"sl. 4 - (měsíc a rok)"_s},
        {u"N"_s, u"4"_s, u"sl. 5 - (den, měsíc a rok)"_s},
        {u"C"_s, u"5"_s, u"sl. 6 - částka (v Kč)"_s},
    };
    def.legends = {
        u"sl. 1 - předmět opravy Z - záloha / D - daň"_s,
        u"sl. 2 - období, za které bylo nesprávně sraženo (poskytnuto)"_s,
        u"sl. 3 - datum, kdy mělo být původně správně sraženo (poskytnuto)"_s,
        u"sl. 4 - období, kdy byla provedena oprava"_s,
        u"sl. 5 - datum zvýšení / snížení odvodu"_s,
        u"sl. 6 - částka (v Kč)"_s,
    };
    def.helpContext = 17;
    // Rows 15 to 17 on the screen are the field set with the suffix "a";
    // the table's rows 15 to 21 without it are not shown.
    def.pages = {rows(1, 11), rows(12, 14) + rows(15, 17, u"a"_s)};
    return build(def);
}

FormLayout vpkbLayout()
{
    AnnexDef def;
    def.table = u"Vpkb"_s;
    def.columns = {
        {u"M"_s, {}, u"sl. 1 - (M / D)"_s},
        {u"N"_s, u"1"_s, u"sl. 2 - (měsíc a rok)"_s},
        {u"N"_s, u"2"_s, u"sl. 3 - (den, měsíc a rok)"_s},
        {u"N"_s, u"3"_s, u"sl. 4 - (měsíc a rok)"_s},
        {u"N"_s, u"4"_s, u"sl. 5 - (den, měsíc a rok)"_s},
        {u"N"_s, u"5"_s, u"sl. 6 - (den, měsíc a rok)"_s},
        {u"C"_s, u"6"_s, u"sl. 7 - částka (v Kč)"_s},
    };
    def.legends = {
        u"sl. 1 - předmět opravy M - měsíční / D - doplatek"_s,
        u"sl. 2 - období, za které byl nesprávně poskytnut daňový bonus"_s,
        u"sl. 3 - datum, kdy měl být původně ve správné částce poskytnut daňový bonus"_s,
        u"sl. 4 - období, kdy byla provedena oprava poskytnutí daňového bonusu"_s,
        u"sl. 5 - datum zvýšení / snížení odvodu"_s,
        u"sl. 6 - datum podání žádosti o poukázání dodatečně vyplaceného daňového bonusu "
        u"(§ 38i a § 35d odst. 5 nebo 9 zákona)"_s,
        u"sl. 7 - částka (v Kč)"_s,
    };
    def.helpContext = 34;
    // Rows 15 and 16 of the table are not shown.
    def.pages = {rows(1, 9), rows(10, 14)};
    return build(def);
}

} // namespace statements
