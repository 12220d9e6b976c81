// qesto-cli pdf: the official form pages of a settlement written to a PDF
// file without a display, through the same layouts as the print window.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "print/FormPages.h"
#include "print/PrintRun.h"

#include <QDir>
#include <QFile>

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
        return pdfOpened(m, out, indices);
    });
}

Result pdfOpened(Module &m, const QString &out, const QList<int> &pageIndices)
{
    QList<int> indices = pageIndices;
    if (indices.isEmpty())
        for (int n : print::printablePages())
            if (QFile::exists(print::layoutPath(n)))
                indices.append(n);
    QList<print::PreparedPage> sheets;
    try {
        print::FormPages pages(m.dm);
        for (int n : indices)
            sheets += pages.produce(n);
    } catch (const platform::Error &e) {
        m.dm.Disconnect();
        return failure(print::PrintRun::failedText(e.message()));
    }
    m.dm.Disconnect();
    try {
        print::writePdf(out, u"Qesto"_s, sheets);
    } catch (const platform::Error &e) {
        return failure(e.message());
    }
    Result r;
    r.output = QByteArray::number(sheets.size()) + " stran zapsáno do " +
               QDir::toNativeSeparators(out).toUtf8() + '\n';
    return r;
}

} // namespace cli
