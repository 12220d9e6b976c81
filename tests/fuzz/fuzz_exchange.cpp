// The readers of another payroll program's files on arbitrary bytes: no
// crash, and whatever they accept has the shape the import relies on.

#include "statements/SettlementExchange.h"

#include "FuzzCheck.h"

#include <cstdint>
#include <cstdlib>

namespace exchange = statements::exchange;

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const auto json = exchange::readJson(bytes);
    if (const auto *doc = std::get_if<exchange::Document>(&json)) {
        check(doc->formatVersion >= 1 && doc->formatVersion <= exchange::FormatVersion);
        for (const exchange::Table &t : doc->tables)
            check(!t.name.isNull());
    } else {
        check(!std::get<QString>(json).isEmpty());
    }

    for (const char *table : {"Vdvl", "Vdvs"}) {
        const auto csv = exchange::readMonthlyCsv(QString::fromLatin1(table), bytes);
        if (const auto *rows = std::get_if<QList<exchange::MonthRow>>(&csv)) {
            QList<int> months;
            for (const exchange::MonthRow &row : *rows) {
                check(row.month >= 1 && row.month <= 12 && !months.contains(row.month));
                check(row.fields.size() == row.texts.size());
                months.append(row.month);
            }
        } else {
            check(!std::get<QString>(csv).isEmpty());
        }
    }
    return 0;
}
