#include "data/FieldNames.h"

using namespace Qt::StringLiterals;

namespace data {

QString FieldSeries::operator()(int n) const
{
    Q_ASSERT_X(n >= first && n <= last, "FieldSeries", qPrintable(QString::fromUtf16(stem)));
    return QString::fromUtf16(stem) + QString::number(n) + QString::fromUtf16(tail);
}

QString FieldGrid::operator()(int row, int column) const
{
    Q_ASSERT_X(row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn,
               "FieldGrid", qPrintable(QString::fromUtf16(stem)));
    return QString::fromUtf16(stem) + QString::number(row) + QString::number(column) +
           QString::fromUtf16(tail);
}

const NamedFields &namedFields()
{
    static const NamedFields all = [] {
        NamedFields f;
#define QESTO_FIELD_NAME(table, field) f.names.append(fields::table::field);
#define QESTO_FIELD_SERIES(table, constant, ...) f.series.append(fields::table::constant);
#define QESTO_FIELD_GRID(table, constant, ...) f.grids.append(fields::table::constant);
        QESTO_NAMED_FIELDS(QESTO_FIELD_NAME, QESTO_FIELD_SERIES, QESTO_FIELD_GRID)
#undef QESTO_FIELD_NAME
#undef QESTO_FIELD_SERIES
#undef QESTO_FIELD_GRID
        return f;
    }();
    return all;
}

QStringList unknownFields(const NamedFields &fields)
{
    QStringList unknown;
    const auto check = [&unknown](TableId table, const QString &name) {
        const TableDef &def = tableDef(table);
        if (def.indexOf(name) < 0 && def.calculatedIndexOf(name) < 0)
            unknown.append(def.name() + u'.' + name);
    };
    for (const FieldName &f : fields.names)
        check(f.table, f.toString());
    for (const FieldSeries &s : fields.series) {
        for (int n = s.first; n <= s.last; ++n)
            check(s.table, s(n));
    }
    for (const FieldGrid &g : fields.grids) {
        for (int row = g.firstRow; row <= g.lastRow; ++row) {
            for (int column = g.firstColumn; column <= g.lastColumn; ++column)
                check(g.table, g(row, column));
        }
    }
    return unknown;
}

} // namespace data
