#pragma once

#include "data/FieldNames.h"

#include <QString>
#include <QStringView>

namespace statements {

// The month 1..12 of a monthly field name made of `stem` and the month
// ("Sl23" with stem "Sl2" gives 3), any letter case; 0 when the name is not
// one of that column's twelve months (the total "Sl213" included).
inline int monthOf(const QString &name, QStringView stem)
{
    if (!name.startsWith(stem, Qt::CaseInsensitive))
        return 0;
    const QStringView rest = QStringView(name).mid(stem.size());
    if (rest.isEmpty() || rest.size() > 2 || rest.startsWith(u'0'))
        return 0;
    bool ok = false;
    const int month = rest.toInt(&ok);
    return ok && month >= 1 && month <= 12 ? month : 0;
}

inline int monthOf(const QString &name, const data::FieldSeries &column)
{
    return monthOf(name, QStringView(column.stem));
}

} // namespace statements
