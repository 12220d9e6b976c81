#pragma once

#include "statements/FormLayout.h"

#include <QString>

#include <functional>

namespace data {
class Dataset;
class TDM1;
} // namespace data

namespace statements {

// Typing into the boxes of a statement form without the window, for batch
// corrections: each value goes through the field's text rule as if typed
// into its box, and the box's exit rule runs when the value changed, exactly
// the rule the window runs. Refusals throw DatabaseError with the field's
// Czech message; nothing is posted until post().
class FormInput
{
public:
    // The form of table `table` ("Vdvl", "Vdvs", the annexes "Vpkv" and
    // "Vpkb", any letter case) on the
    // data module's open tables; throws DatabaseError for a table that has
    // no such form.
    FormInput(data::TDM1 &dm, const QString &table);
    ~FormInput();

    const FormLayout &layout() const { return m_layout; }
    data::Dataset &dataset() const { return *m_dataset; }

    // The text typed into the box of `field`, then the box left.
    void type(const QString &field, const QString &text);
    // Posts the record with the table's rounding.
    void post();

private:
    void nameBoxes();

    FormLayout m_layout;
    data::Dataset *m_dataset = nullptr;
    std::function<bool(const QString &)> m_exitRule;
    struct Calcs;
    std::unique_ptr<Calcs> m_calcs;
};

} // namespace statements
