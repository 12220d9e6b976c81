#pragma once

#include "filing/AddressSplit.h"
#include "filing/Snapshot.h"
#include "statements/Signatory.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace filing {

// The two statements the tax administration's filing portal takes.
enum class Form
{
    Employment,  // DPZVD6: income tax from employment with its annexes
    Withholding, // DPSVD2: tax withheld at source
};

QString formCode(Form form);  // "DPZVD6", "DPSVD2"
QString formTitle(Form form); // the statement's Czech name

// The program named in the envelope.
struct Software
{
    QString name;
    QString version;
};

// What the settlement does not hold as the filing wants it: the office
// codes and the address in parts, matched, split or answered by the user.
struct Filer
{
    int office = 0;    // c_ufo
    int workplace = 0; // c_pracufo, 0 for none
    AddressParts address;
    // What the box of the signing person's number holds ("Zde", "Zdes").
    statements::SignatoryKind signatory = statements::SignatoryKind::None;
};

// One written element: the line it stands on and where on the forms its
// values come from.
struct XmlElementInfo
{
    int line = 0;
    QString element;
    QString where; // Czech: "Část I., ř. 3 (březen)"
};

struct EpoDocument
{
    Form form = Form::Employment;
    QByteArray xml; // UTF-8, one element per line
    QList<XmlElementInfo> elements;
    // What the filing leaves out of the settlement's data, in Czech.
    QStringList notes;

    // The place on the forms of an attribute of the element on `line`:
    // "Příloha k vyúčtování - opravy, řádek 2, sl. 6". Empty when the line
    // holds no element.
    QString where(int line, const QString &attribute) const;
};

// Builds the filing of one statement from the settlement's values, in the
// element order of the published schema, leaving out what the tax year
// 2015 does not fill:
//
// - DPZVD6: VetaD (type from the statement-type marks, period, discovery
//   date only for a supplementary statement, distinction code and date,
//   employee counts per month, the previous year's totals 06 and 06a, part
//   II without the unused rows 6 and 7 and, as on the printed form, without
//   any amount for a supplementary statement), VetaP, VetaO for each month
//   with any amount (sl. 6 and 7 unused; sl. 10 only in a supplementary
//   statement), the annexes VetaF, VetaE, VetaB (one per municipality code,
//   the places of work with that code summed; a name or district left empty
//   is taken from the municipality list), the refund rows VetaG, and VetaS
//   with the totals.
// - DPSVD2: VetaD (kind of income, type, period, discovery date, filing
//   deadline, distinction code and its date, part II), VetaP, VetaO, VetaS
//   (sl. 4, 5 and 8 unused, sl. 9 only in a supplementary statement).
//
// Amounts are whole crowns, dates d.m.yyyy. Texts the filing wants as
// numbers or dates (the annexes' periods and dates) are read where they
// follow a usual form and otherwise written as typed, so that the schema
// refuses them at their row and column.
EpoDocument writeEpo(Form form, const Snapshot &snapshot, const Filer &filer, const Software &software);

// The DIČ as the filing wants it: without the country prefix "CZ" and
// blanks. What remains is not checked here; the schema does.
QString filingDic(const QString &dic);

// "Jan Novák" -> first names "Jan", surname "Novák": the last word is the
// surname.
struct PersonName
{
    QString first;
    QString last;
};
PersonName splitPersonName(const QString &name);

} // namespace filing
