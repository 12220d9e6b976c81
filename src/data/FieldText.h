#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace data {

// Text conversions of the field layer. The program runs with Czech regional
// settings: "," is the decimal separator and dates read day.month.year.

// A number the way the "%g" of the field messages prints it: up to 15
// significant digits, fixed notation while the integer part has at most 15
// digits and the value is not below 0.00001, otherwise "1,5E20" / "1E-6".
QString formatGeneral(double value);

// A number with a display format of the form "0", "0.0", "0.00", ...: rounded
// half away from zero to that many decimals. An empty format gives
// formatGeneral().
QString formatFixed(double value, const QString &format);

// Reads a typed number. Both "," and "." are accepted as the decimal point;
// surrounding blanks are ignored; thousands may be grouped by threes with a
// space or a no-break space ("41 350", "1 234 567,50"); no inf or nan.
std::optional<double> parseFloat(const QString &text);
// A character that separates thousands in a typed number.
bool isGroupSeparator(QChar c);
std::optional<qint64> parseInteger(const QString &text);

// Reads a date typed as d.m.yyyy, d.m.yy or d.m (the current year taken from
// today). Two-digit years fall into the hundred years around today.
std::optional<QDate> parseDate(const QString &text, const QDate &today);
QString formatDate(const QDate &date); // "dd.mm.yyyy"

// The field layer's messages.
QString rangeMessage(double value, const QString &field, double min, double max);
QString invalidIntegerMessage(const QString &text, const QString &field);
QString invalidFloatMessage(const QString &text, const QString &field);
QString invalidDateMessage(const QString &text);
QString invalidBooleanMessage(const QString &text, const QString &field);

} // namespace data
