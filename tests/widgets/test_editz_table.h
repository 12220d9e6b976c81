#pragma once

// A small table of places for the widget tests: a text, an amount with a
// range and display format, a date with the shorthand rule, a logical and a
// calculated amount.

#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/DateRules.h"
#include "data/Field.h"
#include "data/RecordStore.h"

#include <QDate>
#include <QList>
#include <QVariant>

namespace testing {

using namespace Qt::StringLiterals;

inline paradox::Schema placesSchema()
{
    using paradox::FieldType;
    return paradox::Schema{{paradox::alpha(u"N3"_s, 10), paradox::field(u"C4"_s, FieldType::Number),
                            paradox::field(u"Dv"_s, FieldType::Date),
                            paradox::field(u"Pmr"_s, FieldType::Logical)},
                           0};
}

inline QVariantList place(const QString &name, double count)
{
    return {name, count, QVariant(), false};
}

struct Places
{
    explicit Places(QList<QVariantList> rows = {place(u"Brno"_s, 12.5), place(u"Ostrava"_s, 3),
                                                place(u"Praha"_s, 40)})
        : store(placesSchema(), std::move(rows)), table(u"Vpz"_s, &store), source(&table)
    {
        name = table.addStringField(u"N3"_s, 10);
        name->setDisplayLabel(u"Název místa"_s);
        count = table.addFloatField(u"C4"_s);
        count->setRange(-999999, 999999);
        count->setDisplayFormat(u"0"_s);
        date = table.addDateField(u"Dv"_s);
        flag = table.addBooleanField(u"Pmr"_s);
        twice = table.addFloatField(u"Dvakrat"_s, data::FieldRole::Calculated);
        table.onCalcFields = [this](data::Dataset &) {
            if (!count->isNull())
                twice->setAsFloat(count->asFloat() * 2);
        };
        table.setToday([] { return QDate(2026, 12, 7); });
        data::attachDateShorthand({date});
        table.open();
    }

    data::MemoryStore store;
    data::Dataset table;
    data::DataSource source;
    data::StringField *name;
    data::FloatField *count;
    data::DateField *date;
    data::BooleanField *flag;
    data::FloatField *twice;
};

} // namespace testing
