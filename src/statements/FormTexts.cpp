#include "statements/FormTexts.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace statements {

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

QString foldText(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    bool space = false;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber()) {
            if (space && !out.isEmpty())
                out += u' ';
            space = false;
            out += c.toLower();
        } else {
            space = true;
        }
    }
    return out;
}

QList<int> monthsNamed(const QString &text)
{
    QList<int> months;
    const auto add = [&months](int m) {
        if (m >= 1 && m <= 12 && !months.contains(m))
            months.append(m);
    };
    // A period or a date names one month, whatever its separators.
    if (const std::optional<QDate> date = parseDayDate(text)) {
        add(date->month());
        return months;
    }
    if (const std::optional<Period> period = parsePeriod(text)) {
        add(period->month);
        return months;
    }
    static const QRegularExpression word(u"[^\\W\\d_]+|\\d+"_s,
                                         QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression range(
        u"^\\s*(\\d{1,2})\\s*[-–]\\s*(\\d{1,2})\\s*(?:[./]\\s*\\d{2,4})?\\s*$"_s);
    if (const QRegularExpressionMatch m = range.match(text); m.hasMatch()) {
        for (int n = m.captured(1).toInt(); n <= m.captured(2).toInt() && n <= 12; ++n)
            add(n);
        if (!months.isEmpty())
            return months;
    }
    for (QRegularExpressionMatchIterator it = word.globalMatch(text); it.hasNext();) {
        const QString w = it.next().captured();
        if (w.front().isDigit()) {
            // A four-digit number is the year of the period, not a month.
            if (w.size() <= 2)
                add(w.toInt());
        } else if (const std::optional<int> m = monthByName(w)) {
            add(*m);
        }
    }
    return months;
}

QString filingDate(const QDate &date)
{
    return date.isValid() ? u"%1.%2.%3"_s.arg(date.day()).arg(date.month()).arg(date.year()) : QString();
}

} // namespace statements
