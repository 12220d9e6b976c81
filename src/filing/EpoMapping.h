#pragma once

#include "filing/EpoWriter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>

// Which settlement field fills which attribute of the filing, as data: the
// writer asks this table for the field behind an attribute, the docs'
// table in docs/filing.md is generated from it (a test compares them), and
// every field it names is looked up in TableDefs when it is first used.
namespace filing {

// How an attribute's value is made from its field.
enum class EpoValue : std::uint8_t
{
    Text,     // the text, without blanks around it
    Amount,   // whole crowns
    Date,     // d.m.yyyy
    Period,   // a typed month and year: the year here, the month in `monthAttribute`
    DayDate,  // a typed date, d.m.yyyy where it can be read
    Constant, // the text `note`
    Rule,     // worked out by the writer as `note` says, from the fields named
};

// When an attribute is written at all (besides having a value).
enum class EpoWhen : std::uint8_t
{
    Always,
    Supplementary,    // only in a supplementary statement
    NotSupplementary, // never in a supplementary statement
    WithCode,         // only with a distinction code
};

struct EpoAttribute
{
    Form form;
    QString element;
    // "{n}" is the number of an attribute repeated `repeat` times in its
    // element ("poc_zam{n}").
    QString attribute;
    // "Table.Field", several separated by blanks; "{n}" is the month or row
    // of the element or the repeated attribute, "{a}" the suffix of the
    // element's row. Empty for a value that is not read from the settlement.
    QString source;
    EpoValue value;
    EpoWhen when = EpoWhen::Always;
    QString monthAttribute{}; // a Period's month
    int repeat = 0;
    QString note{}; // a Rule: what it does; a Constant: the value
};

// An element and the numbers {n} its rows run through.
struct EpoElement
{
    Form form;
    QString element;
    int first = 0; // 0: written once
    int last = 0;
    int suffixFrom = 0; // from this row on, "{a}" is "a"
    QString note{};
};

struct EpoMapping
{
    QList<EpoElement> elements;
    QList<EpoAttribute> attributes;

    // The built-in mapping, checked on first use.
    static const EpoMapping &builtIn();

    // The attributes of an element in the order they are written.
    QList<const EpoAttribute *> of(Form form, QStringView element) const;
    // The attribute's fields with {n} and {a} filled in ("Vdvl.Sl23" for
    // the month 3). An attribute the mapping lacks is a fault of the writer:
    // throws data::DatabaseError as a misspelt field does.
    QStringList fields(Form form, QStringView element, QStringView attribute, int n = 0) const;
    // The name of the i-th field of an attribute written once ("Mi" for the
    // employment statement's address); throws as fields() does.
    QString field(Form form, QStringView element, QStringView attribute, int i = 0) const;
    const EpoElement *element(Form form, QStringView element) const;

    // What is wrong with the mapping: a field its table lacks, a field
    // without its table, an attribute of an element not listed, an
    // attribute twice. Empty when it is sound.
    QStringList problems() const;

    // The Markdown table of one form for docs/filing.md.
    QString markdown(Form form) const;
};

// "Sl2{n}" with n = 3 -> "Sl23"; "{a}" -> the row suffix.
QString expandSource(QStringView pattern, int n, QStringView suffix);

} // namespace filing
