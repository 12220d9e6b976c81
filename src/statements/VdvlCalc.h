#pragma once

#include <QString>

#include <array>

namespace data {
class Dataset;
class FloatField;
} // namespace data

namespace statements {

// The derived lines of the employment income tax statement (table Vdvl): the
// steps the editor runs when a changed box is left, and the whole-statement
// recalculation. Every step works on the current values in double precision;
// only the post rounds. A result out of a field's range throws DatabaseError
// with the field's message: the steps after it do not run and the values
// already assigned stay in the unposted record.
class VdvlCalc
{
public:
    explicit VdvlCalc(data::Dataset &vdvl);

    // Edit mode; for a month 1..12 sl. 9 := sl. 1 - sl. 3 - sl. 4 - sl. 5
    // (any other month: edit mode only).
    void VypocetSl(int month);
    void Vypocet();   // ř. 1 := sl. 1 ř. 13
    void Vypocet8a(); // ř. 2 := sl. 4 ř. 13
    void Vypocet5();  // ř. 4 := sl. 5 ř. 13
    void Vypocet4();  // ř. 9 := sl. 11 ř. 13
    void Vypocet2();  // ř. 8 := ř. 1 - ř. 2 + ř. 3 - ř. 4 + ř. 5
    void Vypocet3();  // ř. 10 := ř. 9 - ř. 8

    // Every stored derived line at once, then the post. Sl. 2 is left as it is.
    void VypocetVdvl1();

    // The exit rule of the editor's box bound to `fieldName`, run when the box
    // is left with a changed text: edit mode, then the box's steps. Returns
    // false (and does nothing) for a box without a rule.
    bool runExitRule(const QString &fieldName);

private:
    data::FloatField *amount(const QString &name) const;
    void sl9(int month);

    data::Dataset &m_vdvl;
    std::array<data::FloatField *, 13> m_sl2{}, m_sl3{}, m_slo3{}, m_sl5{}, m_slb5{}, m_sla5{};
    data::FloatField *m_sl213, *m_sl513, *m_slb513, *m_sl913;
    data::FloatField *m_c401, *m_c403, *m_c404, *m_c403a, *m_c404a, *m_c408, *m_c409, *m_c410;
};

} // namespace statements
