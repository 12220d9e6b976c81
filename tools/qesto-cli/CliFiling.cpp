// qesto-cli epo: a statement as the filing portal's XML, without a display.
#include "CliSettlement.h"
#include "filing/EpoExport.h"
#include "settlement/RootBatch.h"

using namespace Qt::StringLiterals;

namespace cli {

Result epo(const QString &dir, const QString &out, bool withholding)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        const settlement::WrittenFile written = settlement::writeFilingXml(m, out, withholding);
        if (!written.ok())
            return failure(written.error);
        // The checks warn; the file is valid and written all the same, as
        // the window writes it when the user goes on.
        Result r;
        for (const QString &line : filing::findingLines(written.findings))
            r.output += line.toUtf8() + '\n';
        for (const QString &note : written.notes)
            r.output += "Upozornění: " + note.toUtf8() + '\n';
        return r;
    });
}

} // namespace cli
