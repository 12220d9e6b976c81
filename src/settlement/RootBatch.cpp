#include "settlement/RootBatch.h"

#include "data/Field.h"
#include "data/TDM1.h"
#include "filing/EpoExport.h"
#include "filing/Municipalities.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/StaleLocks.h"
#include "print/FormPages.h"
#include "print/PrintRun.h"
#include "settlement/SettlementModule.h"
#include "settlement/Version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace settlement {

QList<statements::FilingIssue> checkSettlement(data::TDM1 &dm)
{
    const QList<statements::FilingIssue> issues = statements::checkForFiling(
        statements::readFilingData(dm, Version::TaxYear, filing::Municipalities::builtIn().lookup()));
    dm.Disconnect();
    return issues;
}

WrittenFile writeFilingXml(SettlementModule &m, const QString &out, bool withholding)
{
    WrittenFile w;
    const filing::Form form = withholding ? filing::Form::Withholding : filing::Form::Employment;
    const filing::Snapshot snapshot = filing::readSnapshot(m.dm);
    w.findings = filing::filingChecks(m.dm, form, Version::TaxYear);
    m.dm.Disconnect();

    const filing::CodeLists &lists = filing::CodeLists::builtIn();
    if (!lists.error().isEmpty()) {
        w.error = lists.error();
        return w;
    }
    // Nobody is asked here: the answers given in the filing window are
    // used, and missing ones are reported.
    const filing::FilingAnswers answers(filing::FilingAnswers::iniPathOf(m.dir));
    const filing::Resolution resolution = filing::resolve(form, snapshot, lists, answers);
    if (!resolution.complete()) {
        w.error = resolution.problems().join(u'\n') + u"\nOdpovězte v okně „Elektronické podání (XML)“."_s;
        return w;
    }
    const filing::ExportResult result = filing::exportEpo(
        form, snapshot, resolution.filer(), {Version::applicationTitle(), Version::text()}, out);
    // The portal would refuse the filing: no file, the window's texts.
    if (!result.refusals.isEmpty())
        w.error = u"Soubor nebyl vytvořen, kontrola před podáním našla chyby, pro které by podání bylo "
                  u"odmítnuto:\n"_s +
                  result.refusals.join(u'\n') +
                  (result.reasons.isEmpty() ? QString() : u'\n' + result.reasons.join(u'\n'));
    else if (!result.reasons.isEmpty())
        w.error = u"Soubor nebyl vytvořen, neodpovídá schématu %1:\n"_s.arg(filing::formCode(form)) +
                  result.reasons.join(u'\n');
    else if (!result.written)
        w.error = result.writeError;
    else
        w.notes = result.document.notes;
    return w;
}

WrittenFile writeFormPdf(data::TDM1 &dm, const QString &out, const QList<int> &pageIndices,
                         bool centralEuropeanFonts)
{
    WrittenFile w;
    QList<int> indices = pageIndices;
    if (indices.isEmpty())
        for (int n : print::printablePages())
            if (QFile::exists(print::layoutPath(n)))
                indices.append(n);
    QList<print::PreparedPage> sheets;
    try {
        print::FormPages pages(dm);
        pages.setCentralEuropeanFonts(centralEuropeanFonts);
        for (int n : std::as_const(indices))
            sheets += pages.produce(n);
    } catch (const platform::Error &e) {
        dm.Disconnect();
        w.error = print::PrintRun::failedText(e.message());
        return w;
    }
    dm.Disconnect();
    try {
        print::writePdf(out, Version::applicationTitle(), sheets);
    } catch (const platform::Error &e) {
        w.error = e.message();
        return w;
    }
    w.pages = int(sheets.size());
    return w;
}

QString companyName(data::TDM1 &dm)
{
    const QString ojv = dm.fieldAs(u"PrpOjv"_s).asString().trimmed();
    if (!ojv.isEmpty())
        return ojv;
    const QString person = dm.fieldAs(u"PrpTiv"_s).asString() + u' ' + dm.fieldAs(u"PrpJmd"_s).asString() +
                           u' ' + dm.fieldAs(u"PrpPrk"_s).asString();
    return person.simplified();
}

QString fileNamePart(const QString &text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u'.'))
            out += c;
        else if (!out.endsWith(u'_'))
            out += u'_';
    }
    while (out.endsWith(u'_') || out.endsWith(u'.'))
        out.chop(1);
    while (out.startsWith(u'_'))
        out.remove(0, 1);
    return out.left(60);
}

QString BatchOutcome::line() const
{
    return QString::number(entry.Cislo) + u'\t' + entry.Nazev + u'\t' + company + u'\t' + result;
}

QStringList BatchOutcome::detailLines() const
{
    QStringList lines;
    for (const statements::FilingIssue &issue : findings)
        lines.append(issue.text);
    return lines + details;
}

QString BatchSummary::text() const
{
    QString counts = u"%1 v pořádku"_s.arg(ok);
    if (kind == BatchKind::Check)
        counts += u", %1 s nálezy"_s.arg(listed);
    counts += u", %1 s chybou, %2 přeskočeno (heslo)."_s.arg(failed).arg(skipped);
    if (cancelled)
        return u"Přerušeno po %1 z %2 Qesto: "_s.arg(done).arg(total) + counts;
    return u"Celkem %1 Qesto: "_s.arg(total) + counts;
}

RootBatch::RootBatch(registry::SettlementList &list) : m_list(list) {}

QString RootBatch::skippedText()
{
    return u"chráněno heslem, přeskočeno"_s;
}

BatchSummary RootBatch::run(const BatchOptions &options)
{
    BatchSummary summary;
    summary.kind = options.kind;
    m_written.clear();
    if (options.kind != BatchKind::Check && !QDir().mkpath(options.outDir)) {
        summary.error = u"Adresář %1 nelze vytvořit."_s.arg(QDir::toNativeSeparators(options.outDir));
        return summary;
    }
    // What another computer changed in the list counts; the run goes over
    // the list as it stood when it began.
    m_list.refresh();
    const QList<registry::Settlement> entries = m_list.entries();
    summary.total = int(entries.size());
    for (int i = 0; i < summary.total; ++i) {
        if (m_progress && !m_progress(i, summary.total, entries[i])) {
            summary.cancelled = true;
            break;
        }
        const BatchOutcome outcome = runOne(entries[i], options);
        ++summary.done;
        switch (outcome.status) {
        case BatchOutcome::Status::Ok:
            ++summary.ok;
            break;
        case BatchOutcome::Status::Listed:
            ++summary.listed;
            break;
        case BatchOutcome::Status::Failed:
            ++summary.failed;
            break;
        case BatchOutcome::Status::Skipped:
            ++summary.skipped;
            break;
        }
        if (m_outcome)
            m_outcome(outcome);
    }
    return summary;
}

bool RootBatch::admit(BatchOutcome &outcome)
{
    // The list's own order of tests: nobody is asked for the password of a
    // settlement another user holds.
    const registry::Settlement &entry = outcome.entry;
    if (platform::FileOps::isPlainName(entry.Adresar))
        platform::removeStaleLockFiles(settlementDir(entry));
    if (m_list.isInUse(entry)) {
        outcome.status = BatchOutcome::Status::Failed;
        outcome.result = u"Toto Qesto právě zpracovává jiný uživatel."_s;
        return false;
    }
    if (m_list.checkPassword(entry.Cislo, QString()))
        return true;
    const std::optional<QString> password = m_passwords ? m_passwords(entry) : std::nullopt;
    if (!password || password->isEmpty()) {
        outcome.status = BatchOutcome::Status::Skipped;
        outcome.result = skippedText();
        return false;
    }
    if (!m_list.checkPassword(entry.Cislo, *password)) {
        outcome.status = BatchOutcome::Status::Failed;
        outcome.result = u"Neplatné heslo pro toto Qesto."_s;
        return false;
    }
    return true;
}

QString RootBatch::root() const
{
    return QDir::cleanPath(platform::FileOps::resolve(m_list.roots().FileDir));
}

QString RootBatch::settlementDir(const registry::Settlement &entry) const
{
    return root() + u'/' + entry.Adresar;
}

QString RootBatch::freeFileName(const QString &base, const QString &extension) const
{
    QString fileName = base + extension;
    for (int n = 2; m_written.contains(fileName.toLower()); ++n)
        fileName = base + u'-' + QString::number(n) + extension;
    return fileName;
}

BatchOutcome RootBatch::runOne(const registry::Settlement &entry, const BatchOptions &options)
{
    BatchOutcome outcome;
    outcome.entry = entry;
    if (!admit(outcome))
        return outcome;
    const auto fail = [&outcome](const QString &reason) {
        outcome.status = BatchOutcome::Status::Failed;
        outcome.result = reason.section(u'\n', 0, 0);
        outcome.details += reason.section(u'\n', 1).split(u'\n', Qt::SkipEmptyParts);
    };
    try {
        // The list is a file anyone may edit: its folder names lead only
        // into the data root.
        const QString dir = settlementDir(entry);
        if (!platform::FileOps::isPlainName(entry.Adresar) || !QFileInfo(dir).isDir()) {
            fail(u"Adresář %1 neexistuje."_s.arg(QDir::toNativeSeparators(dir)));
            return outcome;
        }
        SettlementModule m(dir, root());
        outcome.details = m.notices(m.open());
        outcome.company = companyName(m.dm);
        if (options.kind == BatchKind::Check) {
            outcome.findings = checkSettlement(m.dm);
            outcome.status =
                outcome.findings.isEmpty() ? BatchOutcome::Status::Ok : BatchOutcome::Status::Listed;
            outcome.result =
                outcome.findings.isEmpty() ? u"v pořádku"_s : u"nálezů: %1"_s.arg(outcome.findings.size());
            return outcome;
        }
        QString base = entry.Adresar + u'_' + fileNamePart(outcome.company);
        if (base.endsWith(u'_'))
            base.chop(1);
        if (options.kind == BatchKind::Xml && options.withholding)
            base += u"_srazkou"_s;
        const QString fileName = freeFileName(base, options.kind == BatchKind::Pdf ? u".pdf"_s : u".xml"_s);
        const QString out = QDir(options.outDir).filePath(fileName);
        const WrittenFile written = options.kind == BatchKind::Pdf
                                        ? writeFormPdf(m.dm, out, {}, options.centralEuropeanFonts)
                                        : writeFilingXml(m, out, options.withholding);
        if (!written.ok()) {
            fail(written.error);
            return outcome;
        }
        m_written.insert(fileName.toLower());
        outcome.fileName = fileName;
        outcome.findings = written.findings;
        for (const QString &note : written.notes)
            outcome.details.append(u"Upozornění: "_s + note);
        outcome.result = u"zapsáno "_s + fileName;
    } catch (const platform::Error &e) {
        fail(e.message());
    }
    return outcome;
}

} // namespace settlement
