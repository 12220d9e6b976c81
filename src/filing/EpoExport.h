#pragma once

#include "filing/AddressSplit.h"
#include "filing/CodeLists.h"
#include "filing/EpoWriter.h"
#include "filing/OfficeMatch.h"
#include "filing/SchemaValidator.h"
#include "filing/Snapshot.h"
#include "statements/FilingChecks.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace filing {

// Answers the user gave where the office or the address could not be
// determined, kept in the settlement's INI file under "[ElektronickePodani]"
// together with the texts they answer. An answer holds only while the
// company data still hold that text: a changed office or address is matched
// or split afresh.
class FilingAnswers
{
public:
    FilingAnswers() = default; // answers nowhere: nothing remembered, nothing kept
    explicit FilingAnswers(QString iniPath);

    static QString section() { return QStringLiteral("ElektronickePodani"); }
    // The settlement's INI file: "D1\D1.ini" beside its tables.
    static QString iniPathOf(const QString &settlementDir);

    struct OfficeAnswer
    {
        int office = 0;
        int workplace = 0;
    };
    std::optional<OfficeAnswer> office(const QString &officeText, const QString &workplaceText) const;
    // Each remember* throws platform::Error when the INI file cannot take the answer.
    void rememberOffice(const QString &officeText, const QString &workplaceText, const OfficeAnswer &answer);

    // `key` tells the two addresses apart: "Adresa" (company data),
    // "AdresaSrazkou" (withholding statement).
    std::optional<AddressParts> address(const QString &key, const QString &text) const;
    void rememberAddress(const QString &key, const QString &text, const AddressParts &parts);

    // What the box of the signing person's number means, for the name and
    // number it was answered for. `key`: "Podepisujici" (the employment
    // statement), "PodepisujiciSrazkou" (withholding).
    std::optional<statements::SignatoryKind> signatory(const QString &key, const QString &name,
                                                       const QString &id) const;
    void rememberSignatory(const QString &key, const QString &name, const QString &id,
                           statements::SignatoryKind kind);

private:
    QString m_path;
};

// The office and address of one statement: matched, split, or taken from a
// remembered answer.
struct Resolution
{
    QString officeText;    // Prp.Fusp
    QString workplaceText; // Prp.Fu
    OfficeMatch office;
    bool officeAnswered = false; // taken from a remembered answer

    QString addressKey;  // the key of the answers
    QString addressText; // Prp.Mi or Prp.Adrb
    AddressSplit address;
    bool addressAnswered = false;

    QString signatoryKey;   // the key of the answers
    QString signatoryName;  // Prp.Zjm or Prp.Zjms
    QString signatoryId;    // Prp.Zde or Prp.Zdes
    QString signatoryField; // "Zde" or "Zdes", named where it stays unclear
    statements::SignatoryKind signatory = statements::SignatoryKind::None;
    bool signatoryAnswered = false;

    bool complete() const
    {
        return office.complete() && address.complete() && signatory != statements::SignatoryKind::Unclear;
    }
    Filer filer() const { return {office.office, office.workplace, address.parts, signatory}; }
    // Czech, one line per question still open.
    QStringList problems() const;
};

Resolution resolve(Form form, const Snapshot &snapshot, const CodeLists &lists, const FilingAnswers &answers);

struct ExportResult
{
    EpoDocument document;
    QList<SchemaComplaint> complaints;
    // The complaints in Czech at their places on the forms:
    // "Příloha k vyúčtování - opravy, řádek 2, sl. 6: údaj chybí".
    QStringList reasons;
    // The critical findings of the checks before filing, for which the
    // portal would refuse the filing: no file is written while there are any.
    QStringList refusals;
    bool written = false;
    QString writeError; // Czech, when a valid file could not be written
};

// Builds the statement's filing, runs the critical checks before filing
// and the schema compiled into the program and, only when both pass, writes
// it to `path` through a temporary file that replaces the target at the
// end; a refused or failed export leaves an existing file as it was. An
// empty path only checks.
ExportResult exportEpo(Form form, const Snapshot &snapshot, const Filer &filer, const Software &software,
                       const QString &path);

// The schema's complaints at their places on the forms, in Czech.
QStringList describeComplaints(const EpoDocument &document, const QList<SchemaComplaint> &complaints);

// The checks before filing of the statement's parts (the employment
// statement with its annexes, or the withholding statement; the company data
// with either), the municipality codes against the built-in list. Throws
// data::DatabaseError when a table cannot be read.
QList<statements::FilingIssue> filingChecks(data::TDM1 &dm, Form form, int taxYear);

// The same over a snapshot, as the export runs them.
QList<statements::FilingIssue> filingChecks(const Snapshot &snapshot, Form form);

// The findings as the window and the command line list them: "Chyba: …" for
// a critical one, "Upozornění: …" for a warning.
QStringList findingLines(const QList<statements::FilingIssue> &issues);

// The place in the help that explains a line of ExportResult::reasons.
QString reasonAnchor(const QString &reason);

// A file name for the filing: the payer's name, the form and the year
// ("Stavby Novák s.r.o. - DPZVD6 2015.xml"), without characters a file name
// cannot hold.
QString defaultFileName(Form form, const Snapshot &snapshot);

} // namespace filing
