#include "data/DateRules.h"

#include "data/Dataset.h"
#include "data/Field.h"

using namespace Qt::StringLiterals;

namespace data {

QString DatumAll(const QString &text, const QDate &today)
{
    QString s = text.trimmed();
    if (s.isEmpty())
        return s;
    if (s.startsWith(u'+') || s.startsWith(u'-')) {
        bool ok = false;
        qint64 days = s.toLongLong(&ok);
        // Far beyond any valid date the shorthand is treated like a typo.
        if (!ok || days > 3'000'000 || days < -3'000'000)
            days = 0;
        const QDate d = today.addDays(days);
        s = u"%1.%2.%3"_s.arg(d.day()).arg(d.month()).arg(d.year());
    }
    s.replace(u',', u'.');
    s.replace(u'/', u'.');
    if (s.size() > 3 && !s.contains(u'.')) {
        s.insert(2, u'.');
        s.insert(5, u'.');
    }
    const qsizetype dots = s.count(u'.');
    const qsizetype p = s.lastIndexOf(u'.') + 1; // 1-based, 0 when none
    const QString year = QString::number(today.year());
    if (p == s.size() && p > 3 && p <= 6 && dots == 2)
        s += year;
    else if (p == s.size() && p > 1 && p < 4 && dots == 1)
        s += QString::number(today.month()) + u'.' + year;
    if (dots == 0 && (s.size() == 1 || s.size() == 2))
        s += u'.' + QString::number(today.month()) + u'.' + year;
    return s;
}

QDate DatumM1(const QDate &date, int months)
{
    if (!date.isValid())
        return date;
    int year = date.year();
    int month = date.month() + months;
    while (month > 12) {
        month -= 12;
        ++year;
    }
    while (month < 1) {
        month += 12;
        --year;
    }
    const int day = std::min(date.day(), QDate(year, month, 1).daysInMonth());
    return QDate(year, month, day);
}

void attachDateShorthand(const QList<DateField *> &fields)
{
    for (DateField *f : fields) {
        f->onSetText = [](Field &field, const QString &text) {
            const QDate today = field.dataset() ? field.dataset()->today() : QDate::currentDate();
            field.setAsString(DatumAll(text, today));
        };
    }
}

IDatePicker::~IDatePicker() = default;

bool KDatum(IDatePicker &picker, Dataset &dataset, DateField &field)
{
    const QDate initial = field.isNull() ? dataset.today() : field.asDate();
    const std::optional<QDate> picked = picker.pickDate(initial);
    if (!picked || !picked->isValid())
        return false;
    dataset.edit();
    field.setAsDate(*picked);
    return true;
}

} // namespace data
