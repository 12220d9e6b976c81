// qesto-cli pdf: the official form pages of a settlement written to a PDF
// file without a display, through the same layouts as the print window.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "print/FormPages.h"
#include "settlement/RootBatch.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace cli {

Result pdf(const QString &dir, const QString &out, const QStringList &pageArgs)
{
    QList<int> indices;
    for (const QString &a : pageArgs) {
        bool ok = false;
        const int n = a.toInt(&ok);
        if (!ok || !print::isPrintablePage(n))
            return failure(
                u"Strana %1 se netiskne; tisknou se strany 1-4, 6-7, 9-10, 12-13 a 15-18."_s.arg(a));
        indices.append(n);
    }
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        const settlement::WrittenFile written = settlement::writeFormPdf(m.dm, out, indices);
        if (!written.ok())
            return failure(written.error);
        Result r;
        r.output = QByteArray::number(written.pages) + " stran zapsáno do " +
                   QDir::toNativeSeparators(out).toUtf8() + '\n';
        return r;
    });
}

} // namespace cli
