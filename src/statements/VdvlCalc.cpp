#include "statements/VdvlCalc.h"

#include "data/Dataset.h"
#include "statements/MonthField.h"

using namespace Qt::StringLiterals;

namespace statements {

VdvlCalc::VdvlCalc(data::Dataset &vdvl) : m_vdvl(vdvl)
{
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m);
        m_sl2[m] = amount(u"Sl2"_s + n);
        m_sl3[m] = amount(u"Sl3"_s + n);
        m_slo3[m] = amount(u"Slo3"_s + n);
        m_sl5[m] = amount(u"Sl5"_s + n);
        m_slb5[m] = amount(u"Slb5"_s + n);
        m_sla5[m] = amount(u"Sla5"_s + n);
    }
    m_sl213 = amount(u"Sl213"_s);
    m_sl513 = amount(u"Sl513"_s);
    m_slb513 = amount(u"Slb513"_s);
    m_sl913 = amount(u"Sl913"_s);
    m_c401 = amount(u"C401"_s);
    m_c403 = amount(u"C403"_s);
    m_c404 = amount(u"C404"_s);
    m_c403a = amount(u"C403a"_s);
    m_c404a = amount(u"C404a"_s);
    m_c408 = amount(u"C408"_s);
    m_c409 = amount(u"C409"_s);
    m_c410 = amount(u"C410"_s);
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
    if (const int m = monthOf(fieldName, u"Sl2")) {
        m_vdvl.edit();
        // Sl. 2 starts as what should have been withheld; an empty sl. 1 gives 0.
        m_sl3[m]->setAsFloat(m_sl2[m]->asFloat());
        VypocetSl(m);
        Vypocet();
        Vypocet2();
        Vypocet3();
        return true;
    }
    if (const int m = monthOf(fieldName, u"Slo3")) {
        VypocetSl(m);
        return true;
    }
    if (const int m = monthOf(fieldName, u"Sl5")) {
        VypocetSl(m);
        Vypocet8a();
        Vypocet2();
        Vypocet3();
        return true;
    }
    if (const int m = monthOf(fieldName, u"Slb5")) {
        VypocetSl(m);
        Vypocet5();
        Vypocet2();
        Vypocet3();
        return true;
    }
    if (monthOf(fieldName, u"Sl9")) {
        m_vdvl.edit();
        Vypocet4();
        Vypocet3();
        return true;
    }
    for (const char16_t *name : {u"C401", u"C403", u"C404", u"C403a", u"C404a"}) {
        if (fieldName.compare(QStringView(name), Qt::CaseInsensitive) == 0) {
            m_vdvl.edit();
            Vypocet2();
            Vypocet3();
            return true;
        }
    }
    if (fieldName.compare(u"C408", Qt::CaseInsensitive) == 0 ||
        fieldName.compare(u"C409", Qt::CaseInsensitive) == 0) {
        m_vdvl.edit();
        Vypocet3();
        return true;
    }
    return false;
}

} // namespace statements
