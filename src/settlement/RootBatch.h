#pragma once

#include "registry/SettlementList.h"
#include "statements/FilingChecks.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace data {
class TDM1;
}

namespace settlement {

class SettlementModule;

// ---- one settlement, opened

// The checks before filing on the open settlement, every part in use;
// closes it.
QList<statements::FilingIssue> checkSettlement(data::TDM1 &dm);

// What writing a settlement's file gave.
struct WrittenFile
{
    QString error; // Czech, reasons on the lines after the first; empty when written
    QList<statements::FilingIssue> findings; // the checks' warnings, which do not stop the file
    QStringList notes;                       // what the writer noted about the file
    int pages = 0;                           // sheets of a PDF

    bool ok() const { return error.isEmpty(); }
};

// The statement (or with withholding the withholding statement) as the
// filing portal's XML, written only when the published schema accepts it,
// with the answers given in the filing window; closes the settlement.
WrittenFile writeFilingXml(SettlementModule &m, const QString &out, bool withholding);
// The official form pages (print window indices; every printable page when
// empty) as one PDF file; closes the settlement.
WrittenFile writeFormPdf(data::TDM1 &dm, const QString &out, const QList<int> &pages,
                         bool centralEuropeanFonts = false);

// The payer as the main window's caption names it: the company, or the
// person's title, first name and surname.
QString companyName(data::TDM1 &dm);
// A file name any system takes: letters without accents, digits, "-" and
// "." kept, anything else one "_"; at most 60 characters.
QString fileNamePart(const QString &text);

// ---- every settlement of a data root

enum class BatchKind
{
    Check,
    Pdf,
    Xml
};

struct BatchOptions
{
    BatchKind kind = BatchKind::Check;
    QString outDir;           // PDF and XML: the folder the files go to
    bool withholding = false; // XML of the withholding statement
    bool centralEuropeanFonts = false;
};

// One settlement's line of a run.
struct BatchOutcome
{
    enum class Status
    {
        Ok,
        Listed, // the check found something
        Failed,
        Skipped // protected, and no password known
    };

    registry::Settlement entry;
    QString company;
    Status status = Status::Ok;
    QString result; // "v pořádku", "nálezů: 2", "zapsáno D1_….xml", the reason
    QList<statements::FilingIssue> findings; // of the check, or the warnings beside a written file
    QStringList details;                     // the rest of a reason, what the opening or the writer noted
    QString fileName;                        // the file written, in the output folder

    // "number<TAB>name<TAB>company<TAB>result".
    QString line() const;
    // The lines listed below it: the findings, then the details.
    QStringList detailLines() const;
};

struct BatchSummary
{
    BatchKind kind = BatchKind::Check;
    int total = 0; // settlements in the list
    int done = 0;  // settlements gone through
    int ok = 0;
    int listed = 0;
    int failed = 0;
    int skipped = 0;
    bool cancelled = false;
    QString error; // the run could not start (the output folder); nothing was done

    // "Celkem 3 Qesto: 1 v pořádku, 1 s nálezy, 0 s chybou, 1 přeskočeno
    // (heslo)."; a cancelled run says after how many it stopped.
    QString text() const;
    // 1 when anything was listed or could not be done, else 0.
    int exitCode() const { return listed + failed > 0 ? 1 : 0; }
};

// The check, the PDF and the filing XML of every settlement of a data root,
// in the list's order, for the window "Kontrola všech Qesto" and qesto-cli's
// check-all, pdf-all and epo-all. Each settlement is opened by a data module
// of its own through the one opening, after the tests the list makes before
// opening (in use elsewhere, password), and closed again: memory does not
// grow with the number of settlements. Files are named after the
// settlement's folder and company; none written in the run is overwritten by
// another settlement's.
class RootBatch
{
public:
    // The list of the data root, attached; what it has to say goes through
    // its messages.
    explicit RootBatch(registry::SettlementList &list);

    // The password of a protected settlement, or nothing to skip it.
    using Passwords = std::function<std::optional<QString>(const registry::Settlement &)>;
    void setPasswords(Passwords passwords) { m_passwords = std::move(passwords); }
    // Told before each settlement (index from 0, count); false stops the
    // run before it.
    using Progress = std::function<bool(int index, int count, const registry::Settlement &)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Told after each settlement.
    void setOutcome(std::function<void(const BatchOutcome &)> outcome) { m_outcome = std::move(outcome); }

    // Every entry of the list as it stands now.
    BatchSummary run(const BatchOptions &options);
    // One settlement, as part of the current run.
    BatchOutcome runOne(const registry::Settlement &entry, const BatchOptions &options);

    static QString skippedText();

private:
    // Whether the settlement may be opened; sets the outcome's status and
    // result when not.
    bool admit(BatchOutcome &outcome);
    QString freeFileName(const QString &base, const QString &extension) const;
    // The data root, absolute, without a trailing separator; a settlement's
    // folder in it.
    QString root() const;
    QString settlementDir(const registry::Settlement &entry) const;

    registry::SettlementList &m_list;
    Passwords m_passwords;
    Progress m_progress;
    std::function<void(const BatchOutcome &)> m_outcome;
    QSet<QString> m_written; // lower case: the files of the current run
};

} // namespace settlement
