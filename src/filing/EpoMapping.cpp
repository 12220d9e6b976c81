#include "filing/EpoMapping.h"

#include "data/DataError.h"
#include "data/TableDefs.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

constexpr Form Employment = Form::Employment;
constexpr Form Withholding = Form::Withholding;
using V = EpoValue;
using W = EpoWhen;

// In the element order of the published schemas, and within an element in
// the order the writer adds the attributes.
QList<EpoElement> elementRows()
{
    return {
        {Employment, u"VetaD"_s, 0, 0, 0, u"once"_s},
        {Employment, u"VetaP"_s, 0, 0, 0, u"once"_s},
        {Employment, u"VetaO"_s, 1, 12, 0, u"for each month {n} with any value"_s},
        {Employment, u"VetaF"_s, 1, 14, 0, u"for each filled row {n} of the bonus corrections"_s},
        {Employment, u"VetaE"_s, 1, 17, 15,
         u"for each filled row {n} of the corrections; rows 15–17 with the suffix a"_s},
        {Employment, u"VetaB"_s, 0, 0, 0,
         u"for each municipality code of the places of work, filler rows left out"_s},
        {Employment, u"VetaG"_s, 1, 3, 0, u"for each filled refund row {n} of row 06"_s},
        {Employment, u"VetaS"_s, 0, 0, 0, u"once, when any month was written"_s},
        {Withholding, u"VetaD"_s, 0, 0, 0, u"once"_s},
        {Withholding, u"VetaP"_s, 0, 0, 0, u"once"_s},
        {Withholding, u"VetaO"_s, 1, 12, 0, u"for each month {n} with any value"_s},
        {Withholding, u"VetaS"_s, 0, 0, 0, u"once, when any month was written"_s},
    };
}

// Payer, address, signatory and contact person: the same attributes in both
// statements, each from its own heading's fields.
struct PayerSource
{
    QString legalName, firstName, surname, title, address, authorised, signCode, signName, signId, contact,
        phone, email;
};

QList<EpoAttribute> payerRows(Form form, const PayerSource &f)
{
    const auto rule = [form](const QString &attribute, const QString &fields, const QString &note) {
        QStringList sources;
        for (const QString &field : fields.split(u' '))
            sources.append(u"Prp."_s + field);
        return EpoAttribute{form, u"VetaP"_s, attribute, sources.join(u' '), V::Rule, W::Always, {}, 0, note};
    };
    const auto text = [form](const QString &attribute, const QString &field) {
        return EpoAttribute{form, u"VetaP"_s, attribute, u"Prp."_s + field, V::Text};
    };
    const QString address = u"see \"The address\""_s;
    const QString payer = u"see \"Payer\""_s;
    const QString natural = u"natural person only"_s;
    return {
        rule(u"dic"_s, u"Dic"_s, u"without the prefix CZ and blanks"_s),
        rule(u"typ_ds"_s, f.legalName, u"P when the name of the legal person is filled, otherwise F"_s),
        rule(u"c_pracufo"_s, u"Fu"_s, u"the workplace's code (see \"The tax office\")"_s),
        rule(u"zkrobchjm"_s, f.legalName, u"both lines, legal person only"_s),
        rule(u"jmeno"_s, f.firstName, natural),
        rule(u"prijmeni"_s, f.surname, natural),
        rule(u"titul"_s, f.title, natural),
        rule(u"ulice"_s, f.address, address),
        rule(u"c_pop"_s, f.address, address),
        rule(u"c_orient"_s, f.address, address),
        rule(u"naz_obce"_s, f.address, address),
        rule(u"psc"_s, f.address, address),
        rule(u"opr_jmeno"_s, f.authorised, payer),
        rule(u"opr_prijmeni"_s, f.authorised, payer),
        rule(u"opr_postaveni"_s, f.authorised, payer),
        text(u"zast_kod"_s, f.signCode),
        rule(u"zast_typ"_s, f.signCode + u' ' + f.signName + u' ' + f.signId, u"P or F, see \"Payer\""_s),
        rule(u"zast_nazev"_s, f.signName, u"legal person"_s),
        rule(u"zast_ic"_s, f.signId, u"legal person, without blanks"_s),
        rule(u"zast_jmeno"_s, f.signName, u"natural person"_s),
        rule(u"zast_prijmeni"_s, f.signName, u"natural person, the last word"_s),
        rule(u"zast_dat_nar"_s, f.signId, u"a date of birth"_s),
        rule(u"zast_ev_cislo"_s, f.signId, u"a certificate number"_s),
        rule(u"sest_jmeno"_s, f.contact, u"all but the last word"_s),
        rule(u"sest_prijmeni"_s, f.contact, u"the last word"_s),
        text(u"sest_telef"_s, f.phone),
        text(u"sest_email"_s, f.email),
    };
}

// In the element order of the published schemas, and within an element in
// the order the writer adds the attributes.
QList<EpoAttribute> attributeRows()
{
    QList<EpoAttribute> rows = {
        {Employment, u"VetaD"_s, u"k_uladis"_s, u""_s, V::Constant, W::Always, QString(), 0, u"DPZ"_s},
        {Employment, u"VetaD"_s, u"dokument"_s, u""_s, V::Constant, W::Always, QString(), 0, u"VD6"_s},
        {Employment, u"VetaD"_s, u"c_ufo_cil"_s, u"Prp.Fusp"_s, V::Rule, W::Always, QString(), 0,
         u"the office's code (see \"The tax office\")"_s},
        {Employment, u"VetaD"_s, u"vdadpz_typ"_s, u"Prp.Dpdr1 Prp.Dpdo1 Prp.Dpdd1"_s, V::Rule, W::Always,
         QString(), 0,
         u"B regular (also without a mark), O corrective, D supplementary, E supplementary and corrective"_s},
        {Employment, u"VetaD"_s, u"zdobd_od"_s, u"Prp.Dz"_s, V::Date},
        {Employment, u"VetaD"_s, u"zdobd_do"_s, u"Prp.Dk"_s, V::Date},
        {Employment, u"VetaD"_s, u"d_zjist"_s, u"Prp.Dopd"_s, V::Date, W::Supplementary},
        {Employment, u"VetaD"_s, u"k_rozl"_s, u"Prp.Kod"_s, V::Text},
        {Employment, u"VetaD"_s, u"d_ins"_s, u"Prp.Dvo"_s, V::Date, W::WithCode},
        {Employment, u"VetaD"_s, u"poc_zam{n}"_s, u"Prp.Z{n}"_s, V::Amount, W::Always, QString(), 12},
        {Employment, u"VetaD"_s, u"uhrnprepl"_s, u"Vdvl.C106"_s, V::Amount},
        {Employment, u"VetaD"_s, u"uhrndopl"_s, u"Vdvl.C106a"_s, V::Amount},
        {Employment, u"VetaD"_s, u"kc_dpzii01"_s, u"Vdvl.C401"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii02"_s, u"Vdvl.C403"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii03"_s, u"Vdvl.C404"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii03a"_s, u"Vdvl.C403a"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii04a"_s, u"Vdvl.C404a"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii08"_s, u"Vdvl.C408"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii09"_s, u"Vdvl.C409"_s, V::Amount, W::NotSupplementary},
        {Employment, u"VetaD"_s, u"kc_dpzii10"_s, u"Vdvl.C410"_s, V::Amount, W::NotSupplementary},
    };
    rows += payerRows(Employment, {u"Ojv Ojva"_s, u"Jmd"_s, u"Prk"_s, u"Tiv"_s, u"Mi"_s, u"Zjv"_s, u"Kzs"_s,
                                   u"Zjm"_s, u"Zde"_s, u"Ses"_s, u"Tel"_s, u"Emlv"_s});
    rows += QList<EpoAttribute>{
        {Employment, u"VetaO"_s, u"mesic"_s, u""_s, V::Rule, W::Always, QString(), 0, u"the month {n}"_s},
        {Employment, u"VetaO"_s, u"kc_dpzi01"_s, u"Vdvl.Sl2{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"kc_dpzi02"_s, u"Vdvl.Sl3{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"cj_dpzi03"_s, u"Vdvl.Slc3{n}"_s, V::Text},
        {Employment, u"VetaO"_s, u"kc_dpzi03a"_s, u"Vdvl.Slo3{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"kc_dpzi04"_s, u"Vdvl.Sl5{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"kc_dpzi05"_s, u"Vdvl.Slb5{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"kc_dpzi08"_s, u"Vdvl.Sl8{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"kc_dpzi09"_s, u"Vdvl.Sla5{n}"_s, V::Amount},
        {Employment, u"VetaO"_s, u"kc_dpzi10"_s, u"Vdvl.Sl7{n}"_s, V::Amount, W::Supplementary},
        {Employment, u"VetaO"_s, u"kc_dpzi11"_s, u"Vdvl.Sl9{n}"_s, V::Amount},

        {Employment, u"VetaF"_s, u"b_pr_opr"_s, u"Vpkb.M{n}"_s, V::Text},
        {Employment, u"VetaF"_s, u"b_rok_nespr"_s, u"Vpkb.N{n}1"_s, V::Period, W::Always, u"b_mesic_nespr"_s},
        {Employment, u"VetaF"_s, u"b_d_puvsraz"_s, u"Vpkb.N{n}2"_s, V::DayDate},
        {Employment, u"VetaF"_s, u"b_rok_opr"_s, u"Vpkb.N{n}3"_s, V::Period, W::Always, u"b_mesic_opr"_s},
        {Employment, u"VetaF"_s, u"b_d_dodsraz"_s, u"Vpkb.N{n}4"_s, V::DayDate},
        {Employment, u"VetaF"_s, u"b_d_zadosti"_s, u"Vpkb.N{n}5"_s, V::DayDate},
        {Employment, u"VetaF"_s, u"b_kc_castka"_s, u"Vpkb.C{n}6"_s, V::Amount},

        {Employment, u"VetaE"_s, u"pr_opr"_s, u"Vpkv.Z{n}{a}"_s, V::Text},
        {Employment, u"VetaE"_s, u"rok_nespr"_s, u"Vpkv.N{n}1{a}"_s, V::Period, W::Always, u"mesic_nespr"_s},
        {Employment, u"VetaE"_s, u"d_puvsraz"_s, u"Vpkv.N{n}2{a}"_s, V::DayDate},
        {Employment, u"VetaE"_s, u"rok_opr"_s, u"Vpkv.N{n}3{a}"_s, V::Period, W::Always, u"mesic_opr"_s},
        {Employment, u"VetaE"_s, u"d_dodsraz"_s, u"Vpkv.N{n}4{a}"_s, V::DayDate},
        {Employment, u"VetaE"_s, u"kc_castka"_s, u"Vpkv.C{n}5{a}"_s, V::Amount},

        {Employment, u"VetaB"_s, u"c_obce_zuj"_s, u"Vpz.N6"_s, V::Rule, W::Always, QString(), 0,
         u"the code"_s},
        {Employment, u"VetaB"_s, u"poc_zam"_s, u"Vpz.C4"_s, V::Rule, W::Always, QString(), 0,
         u"the counts of the places with the code, summed"_s},
        {Employment, u"VetaB"_s, u"naz_obce_zuj"_s, u"Vpz.N5"_s, V::Rule, W::Always, QString(), 0,
         u"of the first place with the code; when empty, from the municipality list"_s},
        {Employment, u"VetaB"_s, u"naz_vykonu"_s, u"Vpz.N3"_s, V::Rule, W::Always, QString(), 0,
         u"of the first place with the code"_s},
        {Employment, u"VetaB"_s, u"naz_zko"_s, u"Vpz.N7"_s, V::Rule, W::Always, QString(), 0,
         u"of the first place with the code; when empty, from the municipality list"_s},

        {Employment, u"VetaG"_s, u"mesic_06"_s, u"Vdvl.Mv{n}"_s, V::Rule, W::Always, QString(), 0,
         u"the number of the one month named; a text naming several months or none as typed"_s},
        {Employment, u"VetaG"_s, u"uhrnprepl_c"_s, u"Vdvl.Vc{n}"_s, V::Amount},
        {Employment, u"VetaG"_s, u"uhrnprepl_z"_s, u"Vdvl.Ztv{n}"_s, V::Amount},
        {Employment, u"VetaG"_s, u"d_zadosti_06"_s, u"Vdvl.Pzp{n}"_s, V::DayDate},

        {Employment, u"VetaS"_s, u"s_kc_dpzi01"_s, u"Vdvl.Sl213"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi02"_s, u"Vdvl.Sl313"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi03a"_s, u"Vdvl.Slo313"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi04"_s, u"Vdvl.Sl513"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi05"_s, u"Vdvl.Slb513"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi08"_s, u"Vdvl.Sl813"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi09"_s, u"Vdvl.Sla513"_s, V::Amount},
        {Employment, u"VetaS"_s, u"s_kc_dpzi10"_s, u"Vdvl.Sl713"_s, V::Amount, W::Supplementary},
        {Employment, u"VetaS"_s, u"s_kc_dpzi11"_s, u"Vdvl.Sl913"_s, V::Amount},
        {Withholding, u"VetaD"_s, u"k_uladis"_s, u""_s, V::Constant, W::Always, QString(), 0, u"DPS"_s},
        {Withholding, u"VetaD"_s, u"dokument"_s, u""_s, V::Constant, W::Always, QString(), 0, u"VD2"_s},
        {Withholding, u"VetaD"_s, u"c_ufo_cil"_s, u"Prp.Fusp"_s, V::Rule, W::Always, QString(), 0,
         u"the office's code (see \"The tax office\")"_s},
        {Withholding, u"VetaD"_s, u"c_drp"_s, u"Prp.Pfo"_s, V::Rule, W::Always, QString(), 0,
         u"772 (income of natural persons) when ticked, else 771"_s},
        {Withholding, u"VetaD"_s, u"dapdps_forma"_s, u"Prp.Dpdr2 Prp.Dpdo2 Prp.Dpdd2"_s, V::Rule, W::Always,
         QString(), 0,
         u"B regular (also without a mark), O corrective, D supplementary, E supplementary and corrective"_s},
        {Withholding, u"VetaD"_s, u"zdobd_od"_s, u"Prp.Dz"_s, V::Date},
        {Withholding, u"VetaD"_s, u"zdobd_do"_s, u"Prp.Dk"_s, V::Date},
        {Withholding, u"VetaD"_s, u"d_zjist"_s, u"Prp.Dops"_s, V::Date, W::Supplementary},
        {Withholding, u"VetaD"_s, u"lh_odv"_s, u"Prp.Lhp"_s, V::Date},
        {Withholding, u"VetaD"_s, u"k_rozl"_s, u"Prp.Kod"_s, V::Text},
        {Withholding, u"VetaD"_s, u"d_ins"_s, u"Prp.Dvo"_s, V::Date, W::WithCode},
        {Withholding, u"VetaD"_s, u"kc_dpsii01"_s, u"Vdvs.C401a"_s, V::Amount, W::NotSupplementary},
        {Withholding, u"VetaD"_s, u"kc_dpsii04"_s, u"Vdvs.C402"_s, V::Amount, W::NotSupplementary},
        {Withholding, u"VetaD"_s, u"kc_dpsii05"_s, u"Vdvs.C403"_s, V::Amount, W::NotSupplementary},
    };
    rows += payerRows(Withholding, {u"Ojs Ojsb"_s, u"Jmds"_s, u"Prks"_s, u"Ti"_s, u"Adrb"_s, u"Zjvs"_s,
                                    u"Kzsa"_s, u"Zjms"_s, u"Zdes"_s, u"Vses"_s, u"Telx"_s, u"Emlx"_s});
    rows += QList<EpoAttribute>{
        {Withholding, u"VetaO"_s, u"mesic"_s, u""_s, V::Rule, W::Always, QString(), 0, u"the month {n}"_s},
        {Withholding, u"VetaO"_s, u"kc_dpsi01"_s, u"Vdvs.Sl1{n}"_s, V::Amount},
        {Withholding, u"VetaO"_s, u"kc_dpsi02"_s, u"Vdvs.Sl2{n}"_s, V::Amount},
        {Withholding, u"VetaO"_s, u"kc_dpsi03"_s, u"Vdvs.Sl3{n}"_s, V::Amount},
        {Withholding, u"VetaO"_s, u"kc_dpsi06"_s, u"Vdvs.Sl7{n}"_s, V::Amount},
        {Withholding, u"VetaO"_s, u"cj_dpsi07"_s, u"Vdvs.Slc7{n}"_s, V::Text},
        {Withholding, u"VetaO"_s, u"kc_dpsi07"_s, u"Vdvs.Slo7{n}"_s, V::Amount},
        {Withholding, u"VetaO"_s, u"kc_dpsi08a"_s, u"Vdvs.Sld9{n}"_s, V::Amount},
        {Withholding, u"VetaO"_s, u"kc_dpsi09"_s, u"Vdvs.Sl8{n}"_s, V::Amount, W::Supplementary},
        {Withholding, u"VetaO"_s, u"kc_dpsi10"_s, u"Vdvs.Sl10{n}"_s, V::Amount},

        {Withholding, u"VetaS"_s, u"s_kc_dpsi01"_s, u"Vdvs.Sl113"_s, V::Amount},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi02"_s, u"Vdvs.Sl213"_s, V::Amount},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi03"_s, u"Vdvs.Sl313"_s, V::Amount},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi06"_s, u"Vdvs.Sl713"_s, V::Amount},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi07"_s, u"Vdvs.Slo713"_s, V::Amount},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi08a"_s, u"Vdvs.Sld913"_s, V::Amount},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi09"_s, u"Vdvs.Sl813"_s, V::Amount, W::Supplementary},
        {Withholding, u"VetaS"_s, u"s_kc_dpsi10"_s, u"Vdvs.Sl1013"_s, V::Amount},
    };
    return rows;
}

// The numbers an attribute's {n} runs through: its own repeat, or its element's rows.
QList<std::pair<int, QString>> numbersOf(const EpoAttribute &a, const EpoElement *e)
{
    QList<std::pair<int, QString>> numbers;
    if (a.repeat > 0) {
        for (int n = 1; n <= a.repeat; ++n)
            numbers.append({n, QString()});
    } else if (e && e->first > 0) {
        for (int n = e->first; n <= e->last; ++n)
            numbers.append({n, e->suffixFrom > 0 && n >= e->suffixFrom ? u"a"_s : QString()});
    } else {
        numbers.append({0, QString()});
    }
    return numbers;
}

QString valueWords(const EpoAttribute &a)
{
    switch (a.value) {
    case EpoValue::Text:
        return u"text"_s;
    case EpoValue::Amount:
        return u"amount"_s;
    case EpoValue::Date:
        return u"date"_s;
    case EpoValue::Period:
        return u"month and year read from the text; the month in `%1`"_s.arg(a.monthAttribute);
    case EpoValue::DayDate:
        return u"date read from the text"_s;
    case EpoValue::Constant:
        return u"always „%1“"_s.arg(a.note);
    case EpoValue::Rule:
        return a.note;
    }
    return {};
}

QString whenWords(EpoWhen when)
{
    switch (when) {
    case EpoWhen::Always:
        return {};
    case EpoWhen::Supplementary:
        return u"; supplementary statement only"_s;
    case EpoWhen::NotSupplementary:
        return u"; not in a supplementary statement"_s;
    case EpoWhen::WithCode:
        return u"; only with a distinction code"_s;
    }
    return {};
}

} // namespace

QString expandSource(QStringView pattern, int n, QStringView suffix)
{
    QString text = pattern.toString();
    text.replace(u"{n}"_s, QString::number(n));
    text.replace(u"{a}"_s, suffix.toString());
    return text;
}

const EpoMapping &EpoMapping::builtIn()
{
    static const EpoMapping mapping = [] {
        EpoMapping m;
        m.elements = elementRows();
        m.attributes = attributeRows();
        Q_ASSERT_X(m.problems().isEmpty(), "EpoMapping", qPrintable(m.problems().join(u", "_s)));
        return m;
    }();
    return mapping;
}

QList<const EpoAttribute *> EpoMapping::of(Form form, QStringView element) const
{
    QList<const EpoAttribute *> list;
    for (const EpoAttribute &a : attributes) {
        if (a.form == form && element == a.element)
            list.append(&a);
    }
    return list;
}

const EpoElement *EpoMapping::element(Form form, QStringView element) const
{
    for (const EpoElement &e : elements) {
        if (e.form == form && element == e.element)
            return &e;
    }
    return nullptr;
}

QStringList EpoMapping::fields(Form form, QStringView element, QStringView attribute, int n) const
{
    for (const EpoAttribute &a : attributes) {
        if (a.form != form || element != a.element || attribute != a.attribute)
            continue;
        const EpoElement *e = this->element(form, element);
        const bool suffixed = e && e->suffixFrom > 0 && n >= e->suffixFrom;
        QStringList names;
        for (const QString &source : a.source.split(u' ', Qt::SkipEmptyParts))
            names.append(expandSource(source, n, suffixed ? u"a" : u""));
        return names;
    }
    // The writer names an attribute the mapping lacks: refused like a
    // misspelt field, so that it fails a test instead of a filing.
    throw data::DatabaseError(data::DatabaseError::Kind::MissingField,
                              u"Pole pro %1.%2.%3 nebylo nalezeno"_s.arg(formCode(form), element, attribute));
}

QString EpoMapping::field(Form form, QStringView element, QStringView attribute, int i) const
{
    return fields(form, element, attribute).value(i).section(u'.', 1);
}

QStringList EpoMapping::problems() const
{
    QStringList problems;
    QSet<QString> seen;
    for (const EpoAttribute &a : attributes) {
        const QString id = formCode(a.form) + u'.' + a.element + u'.' + a.attribute;
        if (seen.contains(id))
            problems.append(id + u": twice"_s);
        seen.insert(id);
        const EpoElement *e = element(a.form, a.element);
        if (!e)
            problems.append(id + u": the element is not listed"_s);
        if (a.value == EpoValue::Period && a.monthAttribute.isEmpty())
            problems.append(id + u": a period without its month"_s);
        if (a.value != EpoValue::Rule && a.value != EpoValue::Constant && a.source.isEmpty())
            problems.append(id + u": no field"_s);
        for (const QString &source : a.source.split(u' ', Qt::SkipEmptyParts)) {
            const data::TableDef *table = data::findTableDef(source.section(u'.', 0, 0));
            if (!table || !source.contains(u'.')) {
                problems.append(id + u": no table in "_s + source);
                continue;
            }
            for (const auto &[n, suffix] : numbersOf(a, e)) {
                const QString field = expandSource(source.section(u'.', 1), n, suffix);
                if (table->indexOf(field) < 0 && table->calculatedIndexOf(field) < 0)
                    problems.append(id + u": "_s + table->name() + u'.' + field);
            }
        }
    }
    return problems;
}

QString EpoMapping::markdown(Form form) const
{
    QString text = u"| Element | Attribute | From | Written as |\n|---|---|---|---|\n"_s;
    for (const EpoElement &e : elements) {
        if (e.form != form)
            continue;
        QString elementCell = u'`' + e.element + u"`, "_s + e.note;
        if (e.first > 0)
            elementCell.replace(u"{n}"_s, u"{n} = %1–%2"_s.arg(e.first).arg(e.last));
        for (const EpoAttribute *a : of(form, e.element)) {
            QStringList sources;
            for (const QString &source : a->source.split(u' ', Qt::SkipEmptyParts))
                sources.append(u'`' + source + u'`');
            QString attribute = u'`' + a->attribute + u'`';
            if (a->repeat > 0)
                attribute += u" ({n} = 1–%1)"_s.arg(a->repeat);
            text += u"| %1 | %2 | %3 | %4 |\n"_s.arg(elementCell, attribute, sources.join(u' '),
                                                     valueWords(*a) + whenWords(a->when));
            elementCell.clear();
        }
    }
    return text;
}

} // namespace filing
