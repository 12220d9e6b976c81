#pragma once

#include "statements/FormLayout.h"

#include <QString>

#include <functional>
#include <optional>

namespace data {
class Dataset;
class TDM1;
} // namespace data

namespace statements {

// What a check box takes from a script or a file: 1/0, ano/ne, true/false
// (any letter case); nothing for anything else.
std::optional<bool> checkBoxState(const QString &text);

// Typing into the boxes of a window without the window, for scripts and
// imports: each value goes through the field's text rule as if typed into
// its box (cut to what the box takes), a check box takes 1/0, ano/ne or
// true/false, a list only its own texts, and the box's exit rule runs when
// the value changed, exactly the rule the window runs. Refusals throw
// DatabaseError with the field's Czech message; nothing is posted until
// post().
class FormInput
{
public:
    // The window of table `table` (the statements "Vdvl" and "Vdvs", the
    // annexes "Vpkv" and "Vpkb", the company data "Prp", the places of work
    // "Vpz", the print parameters "Dmt"; any letter case) on the data
    // module's open tables, at the table's current record; throws
    // DatabaseError for a table that has no such window.
    FormInput(data::TDM1 &dm, const QString &table);
    ~FormInput();

    const FormLayout &layout() const { return m_layout; }
    data::Dataset &dataset() const { return *m_dataset; }

    // The text typed into the box of `field`, then the box left. Gives the
    // caption a check box shows afterwards where it reads differently
    // checked and unchecked, else an empty text.
    QString type(const QString &field, const QString &text);
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
