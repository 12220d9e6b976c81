#pragma once

#include <QString>

#include <array>

namespace data {
class Dataset;
class FloatField;
} // namespace data

namespace statements {

// The stored derived column of the withholding tax statement (table Vdvs):
// sl. 8a = sl. 1 - sl. 7 per month. Part II follows from the calculated
// fields of the table. Errors as in VdvlCalc.
class VdvsCalc
{
public:
    explicit VdvsCalc(data::Dataset &vdvs);

    // Edit mode; for a month 1..12 sl. 8a := sl. 1 - sl. 7 (other months:
    // edit mode only).
    void VypocetSl(int month);
    // Sl. 8a of every month, then the post. Sl. 2 is left as it is.
    void VypocetVdvs1();

    // The exit rule of the editor's box bound to `fieldName` (sl. 1 copies
    // itself into sl. 2 first); false for a box without a rule.
    bool runExitRule(const QString &fieldName);

private:
    data::Dataset &m_vdvs;
    std::array<data::FloatField *, 13> m_sl1{}, m_sl2{}, m_slo7{}, m_sld9{};
};

} // namespace statements
