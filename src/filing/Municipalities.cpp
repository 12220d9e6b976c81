#include "filing/Municipalities.h"

#include "filing/CodeLists.h"
#include "filing/FormTexts.h"
#include "filing/OfficeMatch.h"

#include <QFile>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

bool sixDigits(const QString &code)
{
    return code.size() == 6 && std::all_of(code.cbegin(), code.cend(), [](QChar c) { return c.isDigit(); });
}

// The four cities whose districts bear their own names on the form.
bool cityIsItsDistrict(const QString &cityCode)
{
    static const QSet<QString> cities = {u"554782"_s, u"582786"_s, u"554821"_s, u"554791"_s};
    return cities.contains(cityCode);
}

} // namespace

Municipalities Municipalities::parse(const QByteArray &csv)
{
    Municipalities list;
    const CsvRows rows =
        parseCodeListCsv(csv, {u"kod"_s, u"nazev"_s, u"druh"_s, u"kod_obce"_s, u"okres"_s, u"kraj"_s});
    if (!rows.error.isEmpty()) {
        list.m_error = u"Číselník obcí: "_s + rows.error;
        return list;
    }
    list.m_all.reserve(rows.rows.size());
    for (const QStringList &row : rows.rows) {
        const QString &code = row[0];
        const QString &name = row[1];
        const bool part = row[2] == u"část";
        if (!sixDigits(code) || name.isEmpty() || !sixDigits(row[3]) || list.m_byCode.contains(code) ||
            (!part && row[2] != u"obec")) {
            Municipalities damaged;
            damaged.m_error = u"Číselník obcí: neplatný řádek „%1“."_s.arg(row.join(u';'));
            return damaged;
        }
        // "Brno - Brno-střed": the city before the dash.
        const QString city = part ? name.section(u" - "_s, 0, 0) : name;
        const QString district = cityIsItsDistrict(row[3]) ? city : row[4];
        const qsizetype index = list.m_all.size();
        list.m_all.append({code, name, district});
        list.m_byCode.insert(code, index);
        list.m_byName.append({foldText(name), index});
        // A city part is found by its own name as well, with the city's name
        // in front of it or without: "Brno-Královo Pole", "Královo Pole".
        if (part && name.contains(u" - "_s)) {
            const QString own = name.section(u" - "_s, 1);
            list.m_byName.append({foldText(own), index});
            const QString rest = own.startsWith(city) ? own.mid(city.size()).trimmed() : QString();
            if (rest.startsWith(u'-') && rest.size() > 2)
                list.m_byName.append({foldText(rest.mid(1)), index});
        }
    }
    std::sort(list.m_byName.begin(), list.m_byName.end());
    return list;
}

const Municipalities &Municipalities::builtIn()
{
    static const Municipalities list = [] {
        QFile file(u":/filing/obce.csv"_s);
        if (!file.open(QIODevice::ReadOnly)) {
            Municipalities missing;
            missing.m_error = u"Číselník obcí není v programu."_s;
            return missing;
        }
        return parse(file.readAll());
    }();
    return list;
}

const Municipality *Municipalities::byCode(const QString &code) const
{
    const auto it = m_byCode.constFind(code.trimmed());
    return it == m_byCode.cend() ? nullptr : &m_all[*it];
}

QList<const Municipality *> Municipalities::byName(const QString &text, qsizetype limit) const
{
    QList<const Municipality *> found;
    const QString key = foldText(text);
    if (key.isEmpty())
        return found;
    QSet<qsizetype> seen;
    auto it = std::lower_bound(
        m_byName.cbegin(), m_byName.cend(), key,
        [](const std::pair<QString, qsizetype> &e, const QString &k) { return e.first < k; });
    for (; it != m_byName.cend() && it->first.startsWith(key) && found.size() < limit; ++it) {
        if (!seen.contains(it->second)) {
            seen.insert(it->second);
            found.append(&m_all[it->second]);
        }
    }
    return found;
}

statements::MunicipalityLookup Municipalities::lookup() const
{
    statements::MunicipalityLookup l;
    l.byCode = [this](const QString &code) -> std::optional<Municipality> {
        if (const Municipality *m = byCode(code))
            return *m;
        return std::nullopt;
    };
    l.byName = [this](const QString &text, int limit) {
        QList<Municipality> result;
        for (const Municipality *m : byName(text, limit))
            result.append(*m);
        return result;
    };
    return l;
}

} // namespace filing
