#include "statements/VdvsCalc.h"

#include "data/Dataset.h"
#include "data/FieldNames.h"
#include "statements/MonthField.h"

namespace statements {

using namespace data::fields;

VdvsCalc::VdvsCalc(data::Dataset &vdvs) : m_vdvs(vdvs)
{
    for (int m = 1; m <= 12; ++m) {
        m_sl1[m] = vdvs.fieldAs<data::FloatField>(Vdvs::Sl1(m));
        m_sl2[m] = vdvs.fieldAs<data::FloatField>(Vdvs::Sl2(m));
        m_slo7[m] = vdvs.fieldAs<data::FloatField>(Vdvs::Slo7(m));
        m_sld9[m] = vdvs.fieldAs<data::FloatField>(Vdvs::Sld9(m));
    }
}

void VdvsCalc::VypocetSl(int month)
{
    m_vdvs.edit();
    if (month >= 1 && month <= 12)
        m_sld9[month]->setAsFloat(m_sl1[month]->asFloat() - m_slo7[month]->asFloat());
}

void VdvsCalc::VypocetVdvs1()
{
    m_vdvs.edit();
    for (int m = 1; m <= 12; ++m)
        VypocetSl(m);
    m_vdvs.post();
}

bool VdvsCalc::runExitRule(const QString &fieldName)
{
    if (const int m = monthOf(fieldName, Vdvs::Sl1)) {
        m_vdvs.edit();
        m_sl2[m]->setAsFloat(m_sl1[m]->asFloat());
        VypocetSl(m);
        return true;
    }
    if (const int m = monthOf(fieldName, Vdvs::Slo7)) {
        VypocetSl(m);
        return true;
    }
    return false;
}

} // namespace statements
