#include "data/Rounding.h"

#include "data/Field.h"

#include <QString>

#include <cmath>

namespace data {

double roundHalfAway(double value)
{
    if (!std::isfinite(value))
        return value;
    const double whole = std::trunc(value);
    if (whole == value)
        return value;
    const double fraction = std::fabs(value - whole);
    if (std::fabs(fraction - 0.5) > 1e-6)
        return std::round(value);
    // An exact half (the common case of amounts typed or summed in halves)
    // reads the same in 15 digits wherever amounts can reach.
    if (fraction == 0.5 && std::fabs(value) < 1e14)
        return std::round(value);
    // Close to a half: decide on the value as 15 significant digits show it,
    // so binary noise of an addition does not flip the direction.
    return std::round(QString::number(value, 'g', 15).toDouble());
}

void roundAmounts(const QList<FloatField *> &fields, EmptyAmount empty)
{
    for (FloatField *f : fields) {
        if (f->isNull()) {
            if (empty == EmptyAmount::Zero)
                f->setAsFloat(0.0);
            continue;
        }
        f->setAsFloat(roundHalfAway(f->asFloat()));
    }
}

void setIntegerDefaults(const QList<IntegerField *> &fields)
{
    for (IntegerField *f : fields)
        f->setAsInteger(f->asInteger());
}

} // namespace data
