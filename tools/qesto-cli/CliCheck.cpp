#include "CliSettlement.h"
#include "settlement/RootBatch.h"

namespace cli {

Result check(const QString &dir)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        const QList<statements::FilingIssue> issues = settlement::checkSettlement(m.dm);
        Result r;
        r.output = statements::filingIssuesText(issues).toUtf8();
        r.exitCode = issues.isEmpty() ? 0 : 1;
        return r;
    });
}

} // namespace cli
