#pragma once

#include "filing/CodeLists.h"
#include "statements/FormTexts.h"

#include <QString>
#include <QStringList>

namespace filing {

// Text folded for comparing names typed by hand with the code lists: lower
// case, accents dropped, every run of characters other than letters and
// digits one space ("Praha – východ" and "praha-vychod" both give
// "praha vychod").
using statements::foldText;

// Which office and workplace the company data name. Both are stored as the
// text the user typed after the printed "Finančnímu úřadu pro" and
// "Územní pracoviště v, ve, pro", so the texts are compared loosely:
//
// - letter case, accents and punctuation are ignored, and so are the words
//   every name shares ("finanční úřad", "územní pracoviště", a leading
//   "pro", "v", "ve");
// - a word matches a word of the name when they share a beginning of at
//   least three letters (or the shorter word entirely: "hl. m." for
//   "hlavní město"), so the grammatical case does not matter ("Benešov" and
//   "Benešově", "Brno" and "Brně"); numbers and roman numerals must be equal
//   ("Prahu 1" is not "Prahu 10", "Brno I" is not "Brno II");
// - every word typed must match; among the names that match, the one with
//   the longest shared beginnings and the fewest words left over wins; a tie
//   is no answer ("Prahu" alone fits Prahu 1 … 10 alike).
//
// The workplace is looked for among the chosen office's workplaces; when the
// office text fits none, a workplace that fits alone gives its office.
struct OfficeMatch
{
    int office = 0;    // 0 when not determined
    int workplace = 0; // 0 when not determined or not typed
    QString problem;   // Czech, empty when both were determined

    bool complete() const { return problem.isEmpty(); }
};

OfficeMatch matchOffice(const CodeLists &lists, const QString &officeText, const QString &workplaceText);

} // namespace filing
