#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace data {

class Dataset;
class DateField;

// Expands the shorthand typed into a date box: "+n"/"-n" days from today,
// "," and "/" as separators, ddmmyyyy without dots, and a missing year or
// month and year taken from today. The result is what the field then reads
// as a date; an empty text stays empty.
QString DatumAll(const QString &text, const QDate &today);

// The date shifted by `months` months forward; a day the target month lacks
// becomes its last day (29.2.2016 + 12 months = 28.2.2017).
QDate DatumM1(const QDate &date, int months);

// Makes every listed date field pass its typed text through DatumAll, with
// today taken from the field's dataset.
void attachDateShorthand(const QList<DateField *> &fields);

// The calendar window, as the data layer sees it.
class IDatePicker
{
public:
    virtual ~IDatePicker();
    // Shows the calendar preset to `initial`; the picked date, or nothing when
    // the user cancelled.
    virtual std::optional<QDate> pickDate(const QDate &initial) = 0;
};

// Lets the user pick the field's date in the calendar: preset with the field's
// date or today; on OK the dataset goes into edit mode and the field takes the
// date; on cancel nothing changes. Returns whether the field was set.
bool KDatum(IDatePicker &picker, Dataset &dataset, DateField &field);

} // namespace data
