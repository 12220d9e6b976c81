#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace statements {

// The annexes and the refund table keep periods and dates as free text (the
// user types "3/2015", "březen 2015", "15. 4. 2015"); the filing wants
// numbers and dates. These read the usual ways of writing them and give
// nothing for anything else, so the caller can hand the text on unchanged
// and let the schema point at it.

// A month and year: "3/2015", "03.2015", "3. 2015", "3-2015", "březen 2015"
// (any case of the month name, accents optional); a year alone ("2014")
// gives month 0. Two-digit years are read as 20yy.
struct Period
{
    int month = 0; // 0 when only the year was given
    int year = 0;
};
std::optional<Period> parsePeriod(const QString &text);

// A day, month and year: "15.4.2015", "15. 04. 2015", "15.4.15".
std::optional<QDate> parseDayDate(const QString &text);

// A month alone: a number 1-12 or a month name ("březen", "brezna"); a
// period or a date gives its month.
std::optional<int> parseMonth(const QString &text);

// Every month a text names, in the order named and each once: "březen a
// duben", "3, 4", "3-5/2015" give two or three; one month gives one;
// a text that names none gives none.
QList<int> monthsNamed(const QString &text);

// Lower case without accents, punctuation runs as one blank: "Žďár n.
// Sázavou" -> "zdar n sazavou".
QString foldText(const QString &text);

// The filing's date format, d.m.yyyy without leading zeros.
QString filingDate(const QDate &date);

} // namespace statements
