// The page layout reader on arbitrary bytes, as a layout folder given through
// QESTO_LAYOUTS hands it any file: read or refused with a LayoutError, never
// a crash, and every field a layout it reads names is a settlement's field.

#include "print/Layout.h"

#include "FuzzCheck.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const print::PageLayout layout = print::parseLayout(text, u"fuzz.layout"_s, print::isSettlementField);
        for (const print::Band &band : layout.bands) {
            for (const print::Element &e : band.elements) {
                if (e.source.isEmpty())
                    continue;
                const qsizetype dot = e.source.indexOf(u'.');
                check(dot > 0 && print::isSettlementField(QStringView(e.source).left(dot),
                                                          QStringView(e.source).mid(dot + 1)));
            }
        }
    } catch (const print::LayoutError &e) {
        check(!e.message().isEmpty());
    }
    return 0;
}
