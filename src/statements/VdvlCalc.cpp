#include "statements/VdvlCalc.h"

#include "data/Dataset.h"
#include "data/FieldNames.h"
#include "statements/MonthField.h"

namespace statements {

using namespace data::fields;

VdvlCalc::VdvlCalc(data::Dataset &vdvl) : m_vdvl(vdvl)
{
    for (int m = 1; m <= 12; ++m) {
        m_sl2[m] = amount(Vdvl::Sl2(m));
        m_sl3[m] = amount(Vdvl::Sl3(m));
        m_slo3[m] = amount(Vdvl::Slo3(m));
        m_sl5[m] = amount(Vdvl::Sl5(m));
        m_slb5[m] = amount(Vdvl::Slb5(m));
        m_sla5[m] = amount(Vdvl::Sla5(m));
    }
    m_sl213 = amount(Vdvl::Sl2(13));
    m_sl513 = amount(Vdvl::Sl5(13));
    m_slb513 = amount(Vdvl::Slb5(13));
    m_sl913 = amount(Vdvl::Sl9(13));
    m_c401 = amount(Vdvl::C401);
    m_c403 = amount(Vdvl::C403);
    m_c404 = amount(Vdvl::C404);
    m_c403a = amount(Vdvl::C403a);
    m_c404a = amount(Vdvl::C404a);
    m_c408 = amount(Vdvl::C408);
    m_c409 = amount(Vdvl::C409);
    m_c410 = amount(Vdvl::C410);
}

data::FloatField *VdvlCalc::amount(const QString &name) const
{
    return m_vdvl.fieldAs<data::FloatField>(name);
}

void VdvlCalc::sl9(int month)
{
    m_sla5[month]->setAsFloat(m_sl2[month]->asFloat() - m_slo3[month]->asFloat() - m_sl5[month]->asFloat() -
                              m_slb5[month]->asFloat());
}

void VdvlCalc::VypocetSl(int month)
{
    m_vdvl.edit();
    if (month >= 1 && month <= 12)
        sl9(month);
}

void VdvlCalc::Vypocet()
{
    m_c401->setAsFloat(m_sl213->asFloat());
}

void VdvlCalc::Vypocet8a()
{
    m_c403->setAsFloat(m_sl513->asFloat());
}

void VdvlCalc::Vypocet5()
{
    m_c403a->setAsFloat(m_slb513->asFloat());
}

void VdvlCalc::Vypocet4()
{
    m_c409->setAsFloat(m_sl913->asFloat());
}

void VdvlCalc::Vypocet2()
{
    m_c408->setAsFloat(m_c401->asFloat() - m_c403->asFloat() + m_c404->asFloat() - m_c403a->asFloat() +
                       m_c404a->asFloat());
}

void VdvlCalc::Vypocet3()
{
    m_c410->setAsFloat(m_c409->asFloat() - m_c408->asFloat());
}

void VdvlCalc::VypocetVdvl1()
{
    m_vdvl.edit();
    for (int m = 1; m <= 12; ++m)
        sl9(m);
    Vypocet();
    Vypocet4();
    Vypocet5();
    Vypocet8a();
    Vypocet2();
    Vypocet3();
    m_vdvl.post();
}

bool VdvlCalc::runExitRule(const QString &fieldName)
{
    if (const int m = monthOf(fieldName, Vdvl::Sl2)) {
        m_vdvl.edit();
        // Sl. 2 starts as what should have been withheld; an empty sl. 1 gives 0.
        m_sl3[m]->setAsFloat(m_sl2[m]->asFloat());
        VypocetSl(m);
        Vypocet();
        Vypocet2();
        Vypocet3();
        return true;
    }
    if (const int m = monthOf(fieldName, Vdvl::Slo3)) {
        VypocetSl(m);
        return true;
    }
    if (const int m = monthOf(fieldName, Vdvl::Sl5)) {
        VypocetSl(m);
        Vypocet8a();
        Vypocet2();
        Vypocet3();
        return true;
    }
    if (const int m = monthOf(fieldName, Vdvl::Slb5)) {
        VypocetSl(m);
        Vypocet5();
        Vypocet2();
        Vypocet3();
        return true;
    }
    if (monthOf(fieldName, Vdvl::Sl9)) {
        m_vdvl.edit();
        Vypocet4();
        Vypocet3();
        return true;
    }
    for (const data::FieldName &name : {Vdvl::C401, Vdvl::C403, Vdvl::C404, Vdvl::C403a, Vdvl::C404a}) {
        if (fieldName.compare(QStringView(name.name), Qt::CaseInsensitive) == 0) {
            m_vdvl.edit();
            Vypocet2();
            Vypocet3();
            return true;
        }
    }
    if (fieldName.compare(QStringView(Vdvl::C408.name), Qt::CaseInsensitive) == 0 ||
        fieldName.compare(QStringView(Vdvl::C409.name), Qt::CaseInsensitive) == 0) {
        m_vdvl.edit();
        Vypocet3();
        return true;
    }
    return false;
}

} // namespace statements
