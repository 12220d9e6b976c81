#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace statements {

// The company data keep the signing person in three boxes: the code of the
// signing person ("Kzs"), the name ("Zjm") and one box for "Datum narození /
// Evidenční číslo osvědčení daňového poradce / IČ právnické osoby" ("Zde").
// The filing wants to know which of the three the last box holds.
enum class SignatoryKind
{
    None,           // no code: the payer signs for itself
    LegalPerson,    // a company with its IČ
    BornOn,         // a natural person with the date of birth
    Certificate,    // a natural person with a tax adviser's certificate number
    NaturalUnnamed, // a natural person with neither
    Unclear,        // the box could be a company ID or a date: ask
};

// Decides as a careful person would:
// - the codes 4c and 7a name legal persons, 4b a natural one;
// - a date ("1.2.1960", "01.02.1960", "01021960") that is not a valid IČ is
//   a date of birth;
// - a valid IČ (the check digit holds) with a business-like name
//   ("s.r.o.", "a.s.", "družstvo"…) is a legal person;
// - any other number with a person's name is a certificate number;
// - what fits two readings is unclear.
SignatoryKind classifySignatory(const QString &code, const QString &name, const QString &id);

// An eight-digit company ID whose last digit is its check digit.
bool validCompanyId(const QString &id);
// A name with a legal form or a word only companies bear.
bool businessLikeName(const QString &name);
// The date of birth in the box: d.m.yyyy with or without blanks, or ddmmyyyy.
std::optional<QDate> birthDate(const QString &id);

// The stored letter of an answer ("P", "D", "E") and back.
QString signatoryKindKey(SignatoryKind kind);
SignatoryKind signatoryKindFromKey(const QString &key);

} // namespace statements
