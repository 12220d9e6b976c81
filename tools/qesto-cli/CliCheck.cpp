#include "CliSettlement.h"
#include "filing/Municipalities.h"
#include "settlement/Version.h"
#include "statements/FilingChecks.h"

namespace cli {

QList<statements::FilingIssue> checkOpened(Module &m)
{
    const QList<statements::FilingIssue> issues = statements::checkForFiling(statements::readFilingData(
        m.dm, settlement::Version::TaxYear, filing::Municipalities::builtIn().lookup()));
    m.dm.Disconnect();
    return issues;
}

Result check(const QString &dir)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        const QList<statements::FilingIssue> issues = checkOpened(m);
        Result r;
        r.output = statements::filingIssuesText(issues).toUtf8();
        r.exitCode = issues.isEmpty() ? 0 : 1;
        return r;
    });
}

} // namespace cli
