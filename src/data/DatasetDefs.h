#pragma once

#include "data/Dataset.h"
#include "data/TableDefs.h"

#include <QList>

namespace data {

// A dataset's fields declared from a table definition, with the rules that
// the definition attaches to them. The data module keeps one per table: the
// field handles are looked up here once, and the post rules can be run
// from a wider beforePost of its own.
class DatasetBinding
{
public:
    // Declares every stored and calculated field of `def` on the closed
    // dataset: ranges, display formats, "X" logicals, required fields and
    // the date shorthand; makes it a one-record table when the definition
    // says so; installs onCalcFields for the calculated fields and
    // beforePost for the post rules, when there are any.
    DatasetBinding(Dataset &dataset, const TableDef &def);
    // The installed events refer to this object.
    DatasetBinding(const DatasetBinding &) = delete;
    DatasetBinding &operator=(const DatasetBinding &) = delete;

    Dataset &dataset() const { return *m_dataset; }
    // In the definition's order.
    const QList<Field *> &storedFields() const { return m_stored; }
    const QList<Field *> &calculatedFields() const { return m_calculated; }

    // Rounds amounts and sets integer defaults in declaration order, with the
    // recalculation switched off for the duration. Throws the range message
    // of the first field that cannot take its value.
    void applyPostRules() const;
    // Computes the calculated fields front to back (each may use the ones
    // before it).
    void calculate() const;

private:
    Dataset *m_dataset;
    const TableDef *m_def;
    QList<Field *> m_stored;
    QList<Field *> m_calculated;
    QList<std::pair<Field *, PostRule>> m_postRules;
};

} // namespace data
