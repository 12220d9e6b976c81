#pragma once

#include "PxDump.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The commands of qesto-cli, apart from main() so that tests run them in
// process. A settlement directory lies under a data root whose "Data\"
// holds the templates: the directory's parent.
namespace cli {

struct Result
{
    int exitCode = 0;  // 0, 1 when a check found something, or 2 with error set
    QByteArray output; // what goes to stdout
    QString error;     // Czech, for stderr
};

// open DIR: opens the tables as the program does (upgrading older files and
// recomputing both statements when the upgrade asks for it), closes them and
// reports the upgrade flags.
Result open(const QString &dir);
// recalc DIR: opens the tables and recomputes both statements (PrepocetVY).
Result recalc(const QString &dir);
// dump DIR TABLE: the table's records as CSV in the form of qesto-px dump,
// the calculated fields after the stored ones. Reads only; an older file
// that lacks fields is refused (open upgrades it). The rows are read from the
// file as they are listed and handed to sink in pieces (into the result's
// output without one), so a table of any size takes little memory.
Result dump(const QString &dir, const QString &table, const pxdump::Sink &sink = {});

// check DIR: what would get a statement returned by the tax office, one
// finding a line; exit code 1 when anything is listed.
Result check(const QString &dir);
// epo DIR OUT.xml [--withholding]: the employment statement (or with
// --withholding the withholding statement) as the filing portal's XML,
// written only when the published schema accepts it; the office and address
// answers given in the window are used. Exit 2 with the reasons otherwise.
Result epo(const QString &dir, const QString &out, bool withholding);

// backup DIR ZIP: the settlement into the archive ZIP, as the backup window
// does; restore DIR ZIP [--other-company]: its data files back from ZIP, as
// the restore window does, refusing another company's archive unless told
// (the window asks a second question instead); new-year DIR [1|2]: the new-year rollover (2 only the
// archive).
Result backupSettlement(const QString &dir, const QString &zip);
Result restoreSettlement(const QString &dir, const QString &zip, bool otherCompany = false);
Result newYear(const QString &dir, int mode);

// import-payroll DIR PAYROLL_DATA_DB COMPANY_NUMBER [--company-data]
// [--password P]: the payroll transfer of the window for the company of that
// number; the company-data choice is stored in the company's INI file as the
// window's check box stores it. Prints the window's final message. args are
// the arguments after "import-payroll".
Result importPayroll(const QStringList &args);
// pdf DIR OUT.pdf [PAGE...]: the official form pages (page indices of the
// print window; every printable page by default) written to one PDF file.
// Needs a QGuiApplication; only in builds with the print library.
Result pdf(const QString &dir, const QString &out, const QStringList &pages);
// Whether a command line asks for a command that draws (and so needs a
// QGuiApplication rather than a QCoreApplication).
bool needsGui(const QStringList &args);

// set DIR TABLE FIELD=TEXT...: each text typed into the field's box of the
// table's window and the box left (text rule, then the box's exit rule), in
// the order given, then the record posted. A refused value posts nothing:
// exit code 2 with the field's message. The statements, the annexes, the
// company data (Prp; a check box whose caption follows its state prints the
// new caption) and the print parameters (Dmt). The places of work take
// "Vpz --add FIELD=TEXT...", "Vpz --row N FIELD=TEXT..." and
// "Vpz --delete N", N counting from 1 in the order of creation.
Result set(const QString &dir, const QString &table, const QStringList &assignments);

// export DIR [OUT.json]: the whole settlement as JSON keyed by table and
// field (docs/json-format.md), to stdout without OUT.json.
Result exportSettlement(const QString &dir, const QString &out);
// import DIR IN.json: every table of the file replaces the settlement's,
// each value typed through the rules of set; one refused value imports
// nothing (exit 2 naming the table, row and field).
Result importSettlement(const QString &dir, const QString &in);
// import-csv DIR TABLE FILE.csv: a statement's monthly figures
// ("mesic;sl1;sl2;..."), all or nothing.
Result importCsv(const QString &dir, const QString &table, const QString &csv);

// list ROOT: the settlement list of the data root as the list window shows
// it, after the same upgrade of the list files and the same treatment of a
// password table that cannot be opened: "Cislo,Nazev,Adresar,Heslo" lines
// (Heslo 1 for a protected settlement), what the window would have said on
// stderr. Exit 2 when there is no list to show.
Result listSettlements(const QString &root);
// new ROOT NAME [--password P]: a settlement made as "&Nové" in the list
// makes it (the free number and directory, the templates, the list entry and
// its place in the own order), protected by P when given. Its directory is
// the last line of the output.
Result newSettlement(const QString &root, const QString &name, const QString &password);

// The command line's summary, shown on a wrong command line; help() is it
// with every command and option explained (--help), version() the
// program's version (--version).
QString usage();
Result help();
Result version();

// What a long command shows while it works (a person at a terminal).
using Progress = std::function<void(const QString &)>;

// check-all ROOT, pdf-all ROOT OUTDIR, epo-all ROOT OUTDIR [--withholding],
// each with [--password-file FILE]: every settlement of the data root's list
// in its order, one line each ("number<TAB>name<TAB>company<TAB>result", the
// findings of check-all indented below), then a summary line; exit code 1
// when anything was listed or could not be written. Files are named after
// the settlement's directory and company and none written in the run is
// overwritten. A protected settlement is skipped unless the password file
// gives its password ("number=password" or "directory=password" a line).
enum class BatchKind
{
    Check,
    Pdf,
    Epo
};
Result runBatch(BatchKind kind, const QStringList &args, const pxdump::Sink &sink = {},
                const Progress &progress = {});

// Dispatches the arguments after the program name; a listing goes to sink
// as it is produced when one is given, progress to progress.
Result run(const QStringList &args, const pxdump::Sink &sink = {}, const Progress &progress = {});

} // namespace cli
