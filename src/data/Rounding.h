#pragma once

#include <QList>

namespace data {

class FloatField;
class IntegerField;

// Rounds to a whole number, halves away from zero (2.5 -> 3, -2.5 -> -3),
// judged on the value's 15 significant digits, as the display format "0"
// shows it: a sum such as 0.1 + 0.2 + 0.2 that lands a hair below .5 still
// rounds up.
double roundHalfAway(double value);

// What the rounding before a post does with an empty amount.
enum class EmptyAmount
{
    Zero, // an empty amount is stored as 0
    Keep, // an empty amount stays empty (annex lines without an amount print blank)
};

// Replaces each amount by its rounded value through the field, so the range
// check applies: the first amount out of range throws and the post stops
// there with the earlier fields already rounded in the unposted record.
void roundAmounts(const QList<FloatField *> &fields, EmptyAmount empty);

// Sets each integer again from its own value, so an empty one becomes 0 and
// a value outside the field's range is refused with the range message.
void setIntegerDefaults(const QList<IntegerField *> &fields);

} // namespace data
