#include "statements/VdvsCalc.h"

#include "data/Dataset.h"
#include "statements/MonthField.h"

using namespace Qt::StringLiterals;

namespace statements {

VdvsCalc::VdvsCalc(data::Dataset &vdvs) : m_vdvs(vdvs)
{
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m);
        m_sl1[m] = vdvs.fieldAs<data::FloatField>(u"Sl1"_s + n);
        m_sl2[m] = vdvs.fieldAs<data::FloatField>(u"Sl2"_s + n);
        m_slo7[m] = vdvs.fieldAs<data::FloatField>(u"Slo7"_s + n);
        m_sld9[m] = vdvs.fieldAs<data::FloatField>(u"Sld9"_s + n);
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
    if (const int m = monthOf(fieldName, u"Sl1")) {
        m_vdvs.edit();
        m_sl2[m]->setAsFloat(m_sl1[m]->asFloat());
        VypocetSl(m);
        return true;
    }
    if (const int m = monthOf(fieldName, u"Slo7")) {
        VypocetSl(m);
        return true;
    }
    return false;
}

} // namespace statements
