#pragma once

// The layouts of the payroll program's tables: its company list ("Data.DB"),
// a company's header ("Mhl.DB") and its monthly tax rows ("Mzd1.DB"), for
// the tables tests and benchmarks write. Needs qesto_paradox.

#include "paradox/Schema.h"

#include <QString>

#include <utility>

namespace payrolltest {

using namespace paradox;

inline Schema listSchema()
{
    return {{field(QStringLiteral("Cislo"), FieldType::Long), alpha(QStringLiteral("Nazev"), 20),
             alpha(QStringLiteral("Adresar"), 20)},
            0};
}

inline Schema headerSchema()
{
    Schema s;
    for (const auto &[name, size] : {std::pair{"Ico", 8},
                                     {"Dic", 15},
                                     {"Fa", 25},
                                     {"Ul", 25},
                                     {"Mi", 25},
                                     {"Psc", 6},
                                     {"Cud", 18},
                                     {"Tel1", 25},
                                     {"Fax", 25},
                                     {"Cu1", 18}})
        s.fields.append(alpha(QString::fromLatin1(name), size));
    s.fields.append(field(QStringLiteral("Dzr"), FieldType::Date));
    s.fields.append(field(QStringLiteral("Dkr"), FieldType::Date));
    s.fields.append(alpha(QStringLiteral("Kud"), 4));
    s.fields.append(alpha(QStringLiteral("Ku1"), 4));
    return s;
}

inline Schema rowsSchema()
{
    Schema s;
    s.fields = {field(QStringLiteral("ID"), FieldType::Autoinc),
                field(QStringLiteral("K"), FieldType::Short),
                alpha(QStringLiteral("Rc"), 11),
                alpha(QStringLiteral("Jm"), 12),
                alpha(QStringLiteral("Pr"), 14),
                field(QStringLiteral("Dan"), FieldType::Long),
                field(QStringLiteral("O"), FieldType::Short),
                alpha(QStringLiteral("Ob"), 4),
                field(QStringLiteral("Prdb"), FieldType::Logical),
                field(QStringLiteral("Dv"), FieldType::Date)};
    for (const char *name : {"Znd", "Snd", "Bon", "Dps"})
        s.fields.append(field(QString::fromLatin1(name), FieldType::Number));
    return s;
}

} // namespace payrolltest
