#include "data/FieldText.h"

#include "data/Rounding.h"

#include <QLocale>

#include <cmath>

using namespace Qt::StringLiterals;

namespace data {

namespace {

const QChar DecimalPoint = u',';

// Digits and decimal exponent of |value| rounded to 15 significant digits,
// trailing zeros removed: 1234.5 -> ("12345", 3).
struct Decimal
{
    QString digits;
    int exponent = 0;
};

Decimal decompose(double value)
{
    const QString e = QString::number(std::fabs(value), 'e', 14); // d.dddddddddddddde±xx
    const qsizetype ePos = e.indexOf(u'e');
    QString digits = e.left(ePos);
    digits.remove(u'.');
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    return {digits, e.mid(ePos + 1).toInt()};
}

} // namespace

QString formatGeneral(double value)
{
    if (std::isnan(value))
        return u"NAN"_s;
    if (std::isinf(value))
        return value > 0 ? u"INF"_s : u"-INF"_s;
    if (value == 0.0)
        return u"0"_s;
    const Decimal d = decompose(value);
    QString out;
    if (value < 0)
        out += u'-';
    if (d.exponent >= 15 || d.exponent < -5) {
        out += d.digits.left(1);
        if (d.digits.size() > 1)
            out += DecimalPoint + d.digits.mid(1);
        out += u'E' + QString::number(d.exponent);
        return out;
    }
    if (d.exponent < 0) {
        out += u"0"_s + DecimalPoint + QString(-d.exponent - 1, u'0') + d.digits;
        return out;
    }
    const int intDigits = d.exponent + 1;
    if (d.digits.size() <= intDigits) {
        out += d.digits + QString(intDigits - d.digits.size(), u'0');
    } else {
        out += d.digits.left(intDigits) + DecimalPoint + d.digits.mid(intDigits);
    }
    return out;
}

QString formatFixed(double value, const QString &format)
{
    if (format.isEmpty())
        return formatGeneral(value);
    const qsizetype dot = format.indexOf(u'.');
    const int decimals = dot < 0 ? 0 : int(format.size() - dot - 1);
    const double scale = std::pow(10.0, decimals);
    double rounded = roundHalfAway(value * scale) / scale;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0"
    QString text = QString::number(rounded, 'f', decimals);
    text.replace(u'.', DecimalPoint);
    return text;
}

bool isGroupSeparator(QChar c)
{
    // A space, a no-break space (a spreadsheet's copy) or a narrow one.
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

namespace {

// "41 350" as people write amounts: groups of three digits after the first
// one to three, each after one separator, before any decimal part. Other
// spaces inside a number stay an error rather than a guess.
QString withoutGrouping(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u',' && text.at(end) != u'.')
        ++end;
    const qsizetype start = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    QString out = text.left(start);
    int groupDigits = 0;
    bool grouped = false;
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = text.at(i);
        if (isGroupSeparator(c)) {
            if (groupDigits == 0 || (grouped && groupDigits != 3) || (!grouped && groupDigits > 3))
                return text;
            grouped = true;
            groupDigits = 0;
            continue;
        }
        if (!c.isDigit())
            return text;
        ++groupDigits;
        out += c;
    }
    if (grouped && groupDigits != 3)
        return text;
    return out + text.mid(end);
}

} // namespace

std::optional<double> parseFloat(const QString &text)
{
    QString t = withoutGrouping(text.trimmed());
    if (t.isEmpty())
        return std::nullopt;
    t.replace(u',', u'.');
    // Only digits, one point, a sign and an exponent: QLocale would otherwise
    // take "inf", "nan" or a thousands grouping.
    for (QChar c : std::as_const(t)) {
        if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E'))
            return std::nullopt;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> parseInteger(const QString &text)
{
    const QString t = withoutGrouping(text.trimmed());
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<QDate> parseDate(const QString &text, const QDate &today)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, today.year()};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &p = parts.at(i);
        if (i == 2 && p.isEmpty())
            break; // "1.2." reads like "1.2"
        if (p.isEmpty() || p.size() > 4)
            return std::nullopt;
        for (QChar c : p) {
            if (!c.isDigit())
                return std::nullopt;
        }
        values[i] = p.toInt();
        if (i == 2 && p.size() <= 2) {
            // Two-digit year: the century that puts it nearest to today.
            const int century = today.year() / 100 * 100;
            int year = century + values[2];
            if (year > today.year() + 50)
                year -= 100;
            else if (year <= today.year() - 50)
                year += 100;
            values[2] = year;
        }
    }
    if (values[2] < 1)
        return std::nullopt;
    const QDate date(values[2], values[1], values[0]);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString formatDate(const QDate &date)
{
    return date.toString(u"dd.MM.yyyy"_s);
}

QString rangeMessage(double value, const QString &field, double min, double max)
{
    return u"%1 není platná hodnota pro pole '%2'. Povolený rozsah je od %3 do %4"_s.arg(
        formatGeneral(value), field, formatGeneral(min), formatGeneral(max));
}

QString invalidIntegerMessage(const QString &text, const QString &field)
{
    return u"'%1' není platné celé číslo pro pole '%2'"_s.arg(text, field);
}

QString invalidFloatMessage(const QString &text, const QString &field)
{
    return u"'%1' není platné reálné číslo pro pole '%2'"_s.arg(text, field);
}

QString invalidDateMessage(const QString &text)
{
    return u"'%1' není platný datum"_s.arg(text);
}

QString invalidBooleanMessage(const QString &text, const QString &field)
{
    return u"'%1' není platná logická hodnota pro pole '%2'"_s.arg(text, field);
}

} // namespace data
