#pragma once

#include "statements/Municipality.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

namespace data {
class TDM1;
}

namespace statements {

// The parts of a settlement that the tax office receives; every finding of
// the checks belongs to one, so the print window can show those of the pages
// it is about to print.
enum class FilingPart
{
    Company,          // the payer's heading data printed on every form
    Employment,       // statement of income tax from employment
    EmployeeCount,    // Příloha č. 1
    Corrections,      // Příloha č. 3
    BonusCorrections, // Příloha č. 4
    Withholding,      // statement of tax withheld at source
};

// The Czech title the findings of a part start with.
QString filingPartTitle(FilingPart part);

// A warning is the user's to weigh; a critical finding is one the tax
// portal refuses the filing for, so the electronic filing is not written.
enum class Severity
{
    Warning,
    Critical,
};

struct FilingIssue
{
    FilingPart part;
    QString text; // complete Czech sentence, title of the part first
    Severity severity = Severity::Warning;
    QString check = {}; // the stable identifier of the check (see filingCheckList)

    bool operator==(const FilingIssue &) const = default;
};

// One check before filing. The portal's documented checks are named by the
// form, record and attribute they are documented at ("DPZVD6.VetaO.kc_dpzi01");
// the program's own by "program." and a name. Every finding carries the
// identifier of its check, so help and documentation can point at it.
struct FilingCheck
{
    QString id;
    Severity severity;
    QString summary; // Czech, the check in short
    // Where the check runs, or why it cannot run before filing.
    QString where;
    bool local = true; // false when only the portal can run it
};
const QList<FilingCheck> &filingCheckList();
const FilingCheck *filingCheck(const QString &id);
// The help explains each check at this anchor: why the office would return
// the statement and how to put it right.
QString filingCheckAnchor(const QString &id);

struct Workplace
{
    QString name;              // N3
    QVariant count;            // C4
    QString code;              // N6, municipality code
    QString municipality = {}; // N5
    QString district = {};     // N7
};

// What the checks read, taken from the tables at one moment: the one-record
// tables as field name -> value (calculated fields included; an empty field
// is an invalid QVariant) and the places of work in ID order, visited one by
// one so a long list is never held in memory.
struct FilingData
{
    using Record = QHash<QString, QVariant>;
    using WorkplaceVisitor = std::function<void(const Workplace &)>;

    int taxYear = 0;
    Record prp, vdvl, vdvs, vpkv, vpkb;
    std::function<void(const WorkplaceVisitor &)> forEachWorkplace;
    // The day the filing is made: dates of corrections may not lie after it.
    QDate today = QDate::currentDate();
    // The municipality codes; without them codes are only checked for form.
    MunicipalityLookup municipalities;
};

// The open settlement's values. Places of work are read through the second
// cursor over "Vpz.DB", so the employee list keeps its position; filler rows
// of a page numbering are skipped. Throws DatabaseError when a table cannot
// be read.
FilingData readFilingData(data::TDM1 &dm, int taxYear, MunicipalityLookup municipalities = {});

// What would get a statement returned by the tax office, in Czech. `parts`
// names the parts to check; the company data are checked with any of them.
// Without parts every part in use is checked: a statement is in use when it
// has a type mark or an amount, the employment statement always.
QList<FilingIssue> checkForFiling(const FilingData &data, const QList<FilingPart> &parts = {});

// The findings one per line, for the command line and the print window.
QString filingIssuesText(const QList<FilingIssue> &issues);

// Only the critical findings.
QList<FilingIssue> criticalIssues(const QList<FilingIssue> &issues);

} // namespace statements
