#pragma once

#include <QString>

namespace filing {

// An address as the filing wants it.
struct AddressParts
{
    QString street;       // ulice; a village without streets gives its own name
    QString houseNumber;  // číslo popisné, digits only
    QString orientNumber; // číslo orientační, up to four characters ("5a")
    QString postcode;     // PSČ, five digits without the space
    QString municipality; // obec, with its part ("Praha 1")

    bool operator==(const AddressParts &) const = default;
};

struct AddressSplit
{
    AddressParts parts;
    QString problem; // Czech, empty when every part was found

    bool complete() const { return problem.isEmpty(); }
};

// Splits the one-line address of the company data ("Adresa místa pobytu nebo
// sídlo") into its parts by this rule:
//
// 1. Blanks are collapsed. The place is what follows the last comma; without
//    a comma, what follows a postcode; the rest is the street part.
// 2. In the place, a postcode of five digits, written "11000" or "110 00"
//    (optionally preceded by "PSČ"), at its start or its end is the postcode;
//    the remaining text is the municipality.
// 3. In the street part, the last word that starts with a digit is the house
//    number: "1234/5a" is číslo popisné 1234 and číslo orientační "5a",
//    "12" is číslo popisné 12; a "č. p." or "čp." before it is dropped. What
//    stands before it is the street (in a village without streets, the name
//    of the village or its part: "Lhota 12").
// 4. A post box ("P.O.Box", "poštovní přihrádka", "P. O. Box") is not the
//    address of a residence or seat; its number is not taken as a house
//    number.
//
// The split is complete when it found the street, the house number, a
// postcode and the municipality; otherwise `problem` says, in Czech, what is
// missing and the parts hold whatever was found, for the user to complete.
AddressSplit splitAddress(const QString &line);

} // namespace filing
