// The code-list and municipality-list readers and the readers of hand-typed filing texts on
// arbitrary bytes: no crash, and what they accept keeps their promises.

#include "filing/AddressSplit.h"
#include "filing/CodeLists.h"
#include "filing/FormTexts.h"
#include "filing/Municipalities.h"
#include "filing/OfficeMatch.h"

#include "FuzzCheck.h"

#include <cstdint>
#include <cstdlib>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Two lists in one input, separated by a form feed.
    const qsizetype cut = bytes.indexOf('\f');
    const QByteArray offices = cut < 0 ? bytes : bytes.left(cut);
    const QByteArray workplaces = cut < 0 ? QByteArray() : bytes.mid(cut + 1);

    const filing::CodeLists lists = filing::CodeLists::parse(offices, workplaces);
    if (lists.error().isEmpty()) {
        check(!lists.offices().isEmpty());
        for (const filing::Workplace &w : lists.workplaces())
            check(lists.office(w.office) != nullptr && w.code > 0);
    } else {
        check(lists.offices().isEmpty() && lists.workplaces().isEmpty());
    }

    // The whole input as a municipality list: a list read is one of unique
    // six-digit codes that each find themselves.
    const filing::Municipalities municipalities = filing::Municipalities::parse(bytes);
    check(municipalities.error().isEmpty() || municipalities.all().isEmpty());
    for (const filing::Municipality &m : municipalities.all()) {
        check(m.code.size() == 6 && municipalities.byCode(m.code) == &m);
        check(!municipalities.byName(m.name, 1000).isEmpty() || filing::foldText(m.name).isEmpty());
    }

    const QString text = QString::fromUtf8(bytes.left(200));
    const filing::OfficeMatch match = filing::matchOffice(filing::CodeLists::builtIn(), text, text);
    check(match.complete() == (match.office != 0 && match.problem.isEmpty()));
    if (match.workplace)
        check(filing::CodeLists::builtIn().workplace(match.workplace)->office == match.office);

    const filing::AddressSplit split = filing::splitAddress(text);
    check(split.parts.postcode.isEmpty() || split.parts.postcode.size() == 5);
    check(split.parts.orientNumber.size() <= 4);
    if (split.complete())
        check(!split.parts.houseNumber.isEmpty() && !split.parts.municipality.isEmpty());

    if (const std::optional<filing::Period> p = filing::parsePeriod(text))
        check(p->month >= 0 && p->month <= 12);
    if (const std::optional<int> m = filing::parseMonth(text))
        check(*m >= 1 && *m <= 12);
    for (const int m : filing::monthsNamed(text))
        check(m >= 1 && m <= 12);
    if (const std::optional<QDate> d = filing::parseDayDate(text))
        check(d->isValid());
    return 0;
}
