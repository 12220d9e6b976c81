#include "filing/FormTexts.h"

#include "filing/OfficeMatch.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

int fullYear(int year)
{
    return year < 100 ? 2000 + year : year;
}

// Month names folded, by the first letters that tell them apart in every
// grammatical case ("cerven" before "cervenec" is settled by the length).
std::optional<int> monthByName(const QString &word)
{
    const QString w = foldText(word);
    if (w.size() < 3)
        return std::nullopt;
    if (w.startsWith(u"cervenc"_s) || w == u"cervenec"_s)
        return 7;
    static const QList<std::pair<QString, int>> stems = {
        {u"led"_s, 1},  {u"uno"_s, 2}, {u"unor"_s, 2}, {u"bre"_s, 3},  {u"dub"_s, 4},  {u"kve"_s, 5},
        {u"cerv"_s, 6}, {u"srp"_s, 8}, {u"zar"_s, 9},  {u"rij"_s, 10}, {u"lis"_s, 11}, {u"pro"_s, 12}};
    for (const auto &[stem, month] : stems)
        if (w.startsWith(stem))
            return month;
    return std::nullopt;
}

} // namespace

std::optional<Period> parsePeriod(const QString &text)
{
    const QString t = text.simplified();
    static const QRegularExpression numeric(u"^(\\d{1,2})\\s?[./-]\\s?(\\d{4}|\\d{2})$"_s);
    static const QRegularExpression yearOnly(u"^(\\d{4})$"_s);
    static const QRegularExpression named(u"^(\\w+)\\s+(\\d{4})$"_s,
                                          QRegularExpression::UseUnicodePropertiesOption);
    if (const QRegularExpressionMatch m = numeric.match(t); m.hasMatch()) {
        const int month = m.captured(1).toInt();
        if (month < 1 || month > 12)
            return std::nullopt;
        return Period{month, fullYear(m.captured(2).toInt())};
    }
    if (const QRegularExpressionMatch m = yearOnly.match(t); m.hasMatch())
        return Period{0, m.captured(1).toInt()};
    if (const QRegularExpressionMatch m = named.match(t); m.hasMatch()) {
        if (const std::optional<int> month = monthByName(m.captured(1)))
            return Period{*month, m.captured(2).toInt()};
    }
    return std::nullopt;
}

std::optional<QDate> parseDayDate(const QString &text)
{
    static const QRegularExpression re(u"^(\\d{1,2})\\s?\\.\\s?(\\d{1,2})\\s?\\.\\s?(\\d{4}|\\d{2})$"_s);
    const QRegularExpressionMatch m = re.match(text.simplified());
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(fullYear(m.captured(3).toInt()), m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<int> parseMonth(const QString &text)
{
    const QString t = text.simplified();
    bool ok = false;
    const int number = t.toInt(&ok);
    if (ok)
        return number >= 1 && number <= 12 ? std::optional<int>(number) : std::nullopt;
    if (const std::optional<QDate> date = parseDayDate(t))
        return date->month();
    if (const std::optional<Period> period = parsePeriod(t); period && period->month)
        return period->month;
    return monthByName(t.section(u' ', 0, 0));
}

QString filingDate(const QDate &date)
{
    return date.isValid() ? u"%1.%2.%3"_s.arg(date.day()).arg(date.month()).arg(date.year()) : QString();
}

} // namespace filing
