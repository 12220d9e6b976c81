// qesto-cli epo: a statement as the filing portal's XML, without a display.
#include "CliSettlement.h"
#include "filing/EpoExport.h"
#include "settlement/Version.h"

using namespace Qt::StringLiterals;

namespace cli {

Result epoOpened(Module &m, const QString &out, bool withholding)
{
    const filing::Form form = withholding ? filing::Form::Withholding : filing::Form::Employment;
    const filing::Snapshot snapshot = filing::readSnapshot(m.dm);
    const QList<statements::FilingIssue> findings =
        filing::filingChecks(m.dm, form, settlement::Version::TaxYear);
    m.dm.Disconnect();

    const filing::CodeLists &lists = filing::CodeLists::builtIn();
    if (!lists.error().isEmpty())
        return failure(lists.error());
    // Without a display nobody can answer the questions: the answers
    // given in the window are used, and missing ones are reported.
    const filing::FilingAnswers answers(filing::FilingAnswers::iniPathOf(m.dir));
    const filing::Resolution resolution = filing::resolve(form, snapshot, lists, answers);
    if (!resolution.complete())
        return failure(resolution.problems().join(u'\n') +
                       u"\nOdpovězte v okně „Elektronické podání (XML)“."_s);

    const filing::ExportResult result =
        filing::exportEpo(form, snapshot, resolution.filer(),
                          {settlement::Version::applicationTitle(), settlement::Version::text()}, out);
    // The portal would refuse the filing: no file, the same Czech texts
    // as the window.
    if (!result.refusals.isEmpty())
        return failure(u"Soubor nebyl vytvořen, kontrola před podáním našla chyby, pro které by podání "
                       u"bylo odmítnuto:\n"_s +
                       result.refusals.join(u'\n') +
                       (result.reasons.isEmpty() ? QString() : u'\n' + result.reasons.join(u'\n')));
    if (!result.reasons.isEmpty())
        return failure(u"Soubor nebyl vytvořen, neodpovídá schématu %1:\n"_s.arg(filing::formCode(form)) +
                       result.reasons.join(u'\n'));
    if (!result.written)
        return failure(result.writeError);
    // The checks warn; the file is valid and written all the same, as
    // the window writes it when the user goes on.
    Result r;
    for (const QString &line : filing::findingLines(findings))
        r.output += line.toUtf8() + '\n';
    for (const QString &note : result.document.notes)
        r.output += "Upozornění: " + note.toUtf8() + '\n';
    return r;
}

Result epo(const QString &dir, const QString &out, bool withholding)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        return epoOpened(m, out, withholding);
    });
}

} // namespace cli
