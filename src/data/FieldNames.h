#pragma once

#include "data/TableDefs.h"

#include <QList>
#include <QString>
#include <QStringList>

// The fields the statements, the filing and the payroll transfer name in
// code, each spelt once here. The code reads `Vdvl::C401` or `Vdvl::Sl2(m)`
// instead of a string, and test_tabledefs looks every constant of the list
// below up in TableDefs, so a misspelling fails that test, not a filing.
namespace data {

// One field of a table.
struct FieldName
{
    TableId table;
    const char16_t *name;

    QString toString() const { return QString::fromUtf16(name); }
    operator QString() const { return toString(); }
};

// Fields numbered after a stem, with a tail after the number: "Sl2" 1..13
// gives "Sl21" ... "Sl213" (the months and the total), "C" 15..17 "5a" gives
// "C155a" ... "C175a".
struct FieldSeries
{
    TableId table;
    const char16_t *stem;
    int first;
    int last;
    const char16_t *tail;

    // A number outside first..last is a fault of the caller.
    QString operator()(int n) const;
};

// The text cells of an annex: stem, row, column and tail ("N" 1..21 x 1..4
// gives "N11" ... "N214").
struct FieldGrid
{
    TableId table;
    const char16_t *stem;
    int firstRow;
    int lastRow;
    int firstColumn;
    int lastColumn;
    const char16_t *tail;

    QString operator()(int row, int column) const;
};

// NAME(table, field), SERIES(table, constant, stem, first, last, tail),
// GRID(table, constant, stem, first row, last row, first column, last column, tail).
// clang-format off
#define QESTO_NAMED_FIELDS(NAME, SERIES, GRID) \
    NAME(Prp, Rok) NAME(Prp, Zdo) NAME(Prp, Dz) NAME(Prp, Dk) NAME(Prp, Dopd) NAME(Prp, Dops) \
    NAME(Prp, Dpdr1) NAME(Prp, Dpdo1) NAME(Prp, Dpdd1) NAME(Prp, Dpdr2) NAME(Prp, Dpdo2) NAME(Prp, Dpdd2) \
    NAME(Prp, Dic) NAME(Prp, Kod) NAME(Prp, Dvo) NAME(Prp, Lhp) NAME(Prp, Pfo) NAME(Prp, Fusp) NAME(Prp, Fu) \
    NAME(Prp, Prk) NAME(Prp, Jmd) NAME(Prp, Tiv) NAME(Prp, Ojv) NAME(Prp, Ojva) NAME(Prp, Mi) \
    NAME(Prp, Kzs) NAME(Prp, Zjm) NAME(Prp, Zde) NAME(Prp, Zjv) NAME(Prp, Ses) NAME(Prp, Tel) NAME(Prp, Emlv) \
    NAME(Prp, Prks) NAME(Prp, Jmds) NAME(Prp, Ti) NAME(Prp, Ojs) NAME(Prp, Ojsb) NAME(Prp, Adrb) \
    NAME(Prp, Kzsa) NAME(Prp, Zjms) NAME(Prp, Zdes) NAME(Prp, Zjvs) NAME(Prp, Vses) NAME(Prp, Telx) NAME(Prp, Emlx) \
    NAME(Prp, Pn) \
    SERIES(Prp, Z, u"Z", 1, 12, u"") \
    \
    NAME(Vdvl, C106) NAME(Vdvl, C106a) NAME(Vdvl, C401) NAME(Vdvl, C403) NAME(Vdvl, C404) NAME(Vdvl, C403a) \
    NAME(Vdvl, C404a) NAME(Vdvl, C408) NAME(Vdvl, C409) NAME(Vdvl, C410) \
    SERIES(Vdvl, Sl2, u"Sl2", 1, 13, u"") SERIES(Vdvl, Sl3, u"Sl3", 1, 13, u"") \
    SERIES(Vdvl, Slo3, u"Slo3", 1, 13, u"") SERIES(Vdvl, Slc3, u"Slc3", 1, 12, u"") \
    SERIES(Vdvl, Sl5, u"Sl5", 1, 13, u"") SERIES(Vdvl, Slb5, u"Slb5", 1, 13, u"") \
    SERIES(Vdvl, Sla5, u"Sla5", 1, 13, u"") SERIES(Vdvl, Sl7, u"Sl7", 1, 13, u"") \
    SERIES(Vdvl, Sl8, u"Sl8", 1, 13, u"") SERIES(Vdvl, Sl9, u"Sl9", 1, 13, u"") \
    SERIES(Vdvl, Mv, u"Mv", 1, 4, u"") SERIES(Vdvl, Vc, u"Vc", 1, 4, u"") \
    SERIES(Vdvl, Ztv, u"Ztv", 1, 4, u"") SERIES(Vdvl, Pzp, u"Pzp", 1, 4, u"") \
    \
    NAME(Vdvs, C401a) NAME(Vdvs, C402) NAME(Vdvs, C403) \
    SERIES(Vdvs, Sl1, u"Sl1", 1, 13, u"") SERIES(Vdvs, Sl2, u"Sl2", 1, 13, u"") \
    SERIES(Vdvs, Sl3, u"Sl3", 1, 13, u"") SERIES(Vdvs, Sl7, u"Sl7", 1, 13, u"") \
    SERIES(Vdvs, Slc7, u"Slc7", 1, 12, u"") SERIES(Vdvs, Slo7, u"Slo7", 1, 13, u"") \
    SERIES(Vdvs, Sl8, u"Sl8", 1, 13, u"") SERIES(Vdvs, Sld9, u"Sld9", 1, 13, u"") \
    SERIES(Vdvs, Sl10, u"Sl10", 1, 13, u"") \
    \
    GRID(Vpkv, N, u"N", 1, 21, 1, 4, u"") SERIES(Vpkv, C, u"C", 1, 21, u"5") SERIES(Vpkv, Z, u"Z", 1, 14, u"") \
    GRID(Vpkv, Na, u"N", 15, 17, 1, 4, u"a") SERIES(Vpkv, Ca, u"C", 15, 17, u"5a") \
    SERIES(Vpkv, Za, u"Z", 15, 17, u"a") \
    GRID(Vpkb, N, u"N", 1, 16, 1, 5, u"") SERIES(Vpkb, C, u"C", 1, 16, u"6") SERIES(Vpkb, M, u"M", 1, 16, u"") \
    \
    NAME(Vpz, N3) NAME(Vpz, C4) NAME(Vpz, N5) NAME(Vpz, N6) NAME(Vpz, N7) NAME(Vpz, Pmr) NAME(Vpz, Poradi) \
    NAME(Vpz, Cislo) \
    \
    NAME(Mzd11, O) NAME(Mzd11, Dan) NAME(Mzd11, Danz) NAME(Mzd11, Prdb) NAME(Mzd11, Dv) NAME(Mzd11, Znd) \
    NAME(Mzd11, Snd) NAME(Mzd11, Bon) NAME(Mzd11, Dps)
// clang-format on

// The constants, one namespace a table: data::fields::Vdvl::C401.
namespace fields {
#define QESTO_FIELD_NAME(table, field)                                                                       \
    namespace table {                                                                                        \
    inline constexpr FieldName field{TableId::table, u"" #field};                                            \
    }
#define QESTO_FIELD_SERIES(table, constant, stem, first, last, tail)                                         \
    namespace table {                                                                                        \
    inline constexpr FieldSeries constant{TableId::table, stem, first, last, tail};                          \
    }
#define QESTO_FIELD_GRID(table, constant, stem, firstRow, lastRow, firstColumn, lastColumn, tail)            \
    namespace table {                                                                                        \
    inline constexpr FieldGrid constant{TableId::table, stem,       firstRow, lastRow,                       \
                                        firstColumn,    lastColumn, tail};                                   \
    }
QESTO_NAMED_FIELDS(QESTO_FIELD_NAME, QESTO_FIELD_SERIES, QESTO_FIELD_GRID)
#undef QESTO_FIELD_NAME
#undef QESTO_FIELD_SERIES
#undef QESTO_FIELD_GRID
} // namespace fields

// Every constant above.
struct NamedFields
{
    QList<FieldName> names;
    QList<FieldSeries> series;
    QList<FieldGrid> grids;
};
const NamedFields &namedFields();

// The names of `fields` that their tables lack, as "Vdvl.Sl214"; every
// number of a series and every cell of a grid counts.
QStringList unknownFields(const NamedFields &fields);

} // namespace data
