#include "CliSettlement.h"
#include "filing/Municipalities.h"
#include "settlement/Version.h"
#include "statements/FilingChecks.h"

namespace cli {

Result check(const QString &dir)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        const QList<statements::FilingIssue> issues = statements::checkForFiling(statements::readFilingData(
            m.dm, settlement::Version::TaxYear, filing::Municipalities::builtIn().lookup()));
        m.dm.Disconnect();
        Result r;
        r.output = statements::filingIssuesText(issues).toUtf8();
        r.exitCode = issues.isEmpty() ? 0 : 1;
        return r;
    });
}

} // namespace cli
