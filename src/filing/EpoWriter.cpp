#include "filing/EpoWriter.h"

#include "filing/EpoMapping.h"
#include "filing/FormTexts.h"
#include "filing/Municipalities.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace filing {

QString formCode(Form form)
{
    return form == Form::Employment ? u"DPZVD6"_s : u"DPSVD2"_s;
}

QString formTitle(Form form)
{
    return form == Form::Employment ? u"Vyúčtování daně z příjmů ze závislé činnosti"_s
                                    : u"Vyúčtování daně vybírané srážkou"_s;
}

QString filingDic(const QString &dic)
{
    QString d = dic.simplified().remove(u' ');
    if (d.startsWith(u"CZ"_s, Qt::CaseInsensitive))
        d.remove(0, 2);
    return d;
}

PersonName splitPersonName(const QString &name)
{
    const QString n = name.simplified();
    const qsizetype space = n.lastIndexOf(u' ');
    if (space < 0)
        return {QString(), n};
    return {n.left(space), n.mid(space + 1)};
}

namespace {

using Record = Snapshot::Record;
using Attrs = QList<std::pair<QString, QString>>;

const QStringList &monthNames()
{
    static const QStringList names = {u"leden"_s,  u"únor"_s,   u"březen"_s,   u"duben"_s,
                                      u"květen"_s, u"červen"_s, u"červenec"_s, u"srpen"_s,
                                      u"září"_s,   u"říjen"_s,  u"listopad"_s, u"prosinec"_s};
    return names;
}

QString num(int n)
{
    return QString::number(n);
}

// Attribute values in the order they are added; empty ones are left out.
class AttrList
{
public:
    void text(const QString &name, const QString &value)
    {
        if (!value.isEmpty())
            m_attrs.append({name, value});
    }
    void amount(const QString &name, std::optional<qint64> value)
    {
        if (value)
            m_attrs.append({name, QString::number(*value)});
    }
    void date(const QString &name, std::optional<QDate> value)
    {
        if (value)
            m_attrs.append({name, filingDate(*value)});
    }
    // A period typed as text: month and year where they can be read,
    // otherwise the text in the year, where the schema refuses it.
    void period(const QString &year, const QString &month, const QString &typed)
    {
        if (typed.isEmpty())
            return;
        if (const std::optional<Period> p = parsePeriod(typed)) {
            m_attrs.append({year, num(p->year)});
            if (p->month)
                m_attrs.append({month, num(p->month)});
        } else {
            m_attrs.append({year, typed});
        }
    }
    void dayDate(const QString &name, const QString &typed)
    {
        if (typed.isEmpty())
            return;
        const std::optional<QDate> d = parseDayDate(typed);
        m_attrs.append({name, d ? filingDate(*d) : typed});
    }
    const Attrs &attrs() const { return m_attrs; }

private:
    Attrs m_attrs;
};

// A text that XML 1.0 can carry in an attribute.
QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'>':
            out += u"&gt;"_s;
            break;
        case u'"':
            out += u"&quot;"_s;
            break;
        case u'\t':
            out += u"&#9;"_s;
            break;
        case u'\n':
            out += u"&#10;"_s;
            break;
        case u'\r':
            out += u"&#13;"_s;
            break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
                out += c;
        }
    }
    return out;
}

class XmlOut
{
public:
    XmlOut() { line(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s); }

    void open(const QString &name, const Attrs &attrs, int depth)
    {
        line(indent(depth) + tag(name, attrs) + u'>');
    }
    void close(const QString &name, int depth) { line(indent(depth) + u"</"_s + name + u'>'); }
    void element(const QString &name, const Attrs &attrs, const QString &where, int depth = 2)
    {
        m_infos.append({m_line, name, where});
        line(indent(depth) + tag(name, attrs) + u"/>"_s);
    }

    QByteArray bytes() const { return m_text.toUtf8(); }
    const QList<XmlElementInfo> &infos() const { return m_infos; }

private:
    static QString indent(int depth) { return QString(depth * 2, u' '); }
    static QString tag(const QString &name, const Attrs &attrs)
    {
        QString t = u'<' + name;
        for (const auto &[key, value] : attrs)
            t += u' ' + key + u"=\""_s + escaped(value) + u'"';
        return t;
    }
    void line(const QString &text)
    {
        m_text += text + u'\n';
        ++m_line;
    }

    QString m_text;
    int m_line = 1;
    QList<XmlElementInfo> m_infos;
};

// "B" regular, "O" corrective, "D" supplementary, "E" supplementary and
// corrective. Without a mark the statement is regular.
QString statementType(bool corrective, bool supplementary)
{
    if (supplementary)
        return corrective ? u"E"_s : u"D"_s;
    return corrective ? u"O"_s : u"B"_s;
}

// One statement being written: its attributes take their fields from the
// mapping, and the mapping says when an attribute is written at all.
class Statement
{
public:
    Statement(Form form, const Snapshot &snapshot, const Filer &filer)
        : form(form), snapshot(snapshot), filer(filer), map(EpoMapping::builtIn())
    {
        const QStringList type = map.fields(form, u"VetaD", typeAttribute());
        supplementary = flag(type.at(2));
        corrective = flag(type.at(1));
        withCode = !text(map.fields(form, u"VetaD", u"k_rozl").first()).isEmpty();
    }

    QString typeAttribute() const { return form == Form::Employment ? u"vdadpz_typ"_s : u"dapdps_forma"_s; }

    // Reads of a qualified field ("Vdvl.Sl23").
    QString text(const QString &field) const
    {
        return Snapshot::text(recordOf(field), field.section(u'.', 1));
    }
    std::optional<qint64> amount(const QString &field) const
    {
        return Snapshot::amount(recordOf(field), field.section(u'.', 1));
    }
    std::optional<QDate> date(const QString &field) const
    {
        return Snapshot::date(recordOf(field), field.section(u'.', 1));
    }
    bool flag(const QString &field) const { return Snapshot::flag(recordOf(field), field.section(u'.', 1)); }

    bool applies(const EpoAttribute &a) const
    {
        switch (a.when) {
        case EpoWhen::Always:
            return true;
        case EpoWhen::Supplementary:
            return supplementary;
        case EpoWhen::NotSupplementary:
            return !supplementary;
        case EpoWhen::WithCode:
            return withCode;
        }
        return true;
    }

    // Whether row n of the element holds anything: a text, a date or an
    // amount other than 0 in a field it is written from. `dropped` learns of
    // a value in an attribute this statement leaves out.
    bool filled(QStringView element, int n, bool *dropped = nullptr) const
    {
        bool any = false;
        for (const EpoAttribute *a : map.of(form, element)) {
            for (const QString &field : map.fields(form, element, a->attribute, n)) {
                bool has = false;
                if (a->value == EpoValue::Amount)
                    has = amount(field).value_or(0) != 0;
                else if (a->value == EpoValue::Date)
                    has = date(field).has_value();
                else
                    has = !text(field).isEmpty();
                if (applies(*a))
                    any = any || has;
                else if (dropped)
                    *dropped = *dropped || has;
            }
        }
        return any;
    }

    // The element's attributes for row n in the mapping's order; a Rule
    // attribute is asked of `rule`.
    Attrs
    attributes(QStringView element, int n = 0,
               const std::function<void(AttrList &, const QString &, const QStringList &)> &rule = {}) const
    {
        AttrList out;
        for (const EpoAttribute *a : map.of(form, element)) {
            if (!applies(*a))
                continue;
            const QString attribute = a->attribute;
            for (int k = a->repeat > 0 ? 1 : n; k <= (a->repeat > 0 ? a->repeat : n); ++k) {
                const QString name = expandSource(attribute, k, {});
                const QStringList fields = map.fields(form, element, attribute, k);
                switch (a->value) {
                case EpoValue::Text:
                    out.text(name, text(fields.first()));
                    break;
                case EpoValue::Amount:
                    out.amount(name, amount(fields.first()));
                    break;
                case EpoValue::Date:
                    out.date(name, date(fields.first()));
                    break;
                case EpoValue::Period:
                    out.period(name, a->monthAttribute, text(fields.first()));
                    break;
                case EpoValue::DayDate:
                    out.dayDate(name, text(fields.first()));
                    break;
                case EpoValue::Constant:
                    out.text(name, a->note);
                    break;
                case EpoValue::Rule:
                    if (rule)
                        rule(out, name, fields);
                    break;
                }
            }
        }
        return out.attrs();
    }

    // The heading rules of VetaD: the office, the kind of income, the type.
    void headingRule(AttrList &out, const QString &name, const QStringList &fields) const
    {
        if (name == u"c_ufo_cil") {
            if (filer.office > 0)
                out.text(name, num(filer.office));
        } else if (name == u"c_drp") {
            out.text(name, flag(fields.first()) ? u"772"_s : u"771"_s);
        } else if (name == typeAttribute()) {
            out.text(name, statementType(corrective, supplementary));
        }
    }

    Form form;
    const Snapshot &snapshot;
    const Filer &filer;
    const EpoMapping &map;
    bool supplementary = false;
    bool corrective = false;
    bool withCode = false;

private:
    const Snapshot::Record &recordOf(const QString &field) const
    {
        const QString table = field.section(u'.', 0, 0);
        if (table == u"Vdvl")
            return snapshot.vdvl;
        if (table == u"Vdvs")
            return snapshot.vdvs;
        if (table == u"Vpkv")
            return snapshot.vpkv;
        if (table == u"Vpkb")
            return snapshot.vpkb;
        return snapshot.prp;
    }
};

// The heading names of a statement in the company data, as the mapping
// gives them for VetaP.
struct PayerFields
{
    QString dic, surname, firstName, title, name1, name2;
    QString signCode, signName, signId, authorised;
    QString contact, phone, email;
};

PayerFields payerFields(const Statement &s)
{
    const auto field = [&s](const char16_t *attribute, int i = 0) {
        return s.map.field(s.form, u"VetaP", attribute, i);
    };
    return {field(u"dic"),       field(u"prijmeni"),     field(u"jmeno"),      field(u"titul"),
            field(u"zkrobchjm"), field(u"zkrobchjm", 1), field(u"zast_kod"),   field(u"zast_nazev"),
            field(u"zast_ic"),   field(u"opr_jmeno"),    field(u"sest_jmeno"), field(u"sest_telef"),
            field(u"sest_email")};
}

// Payer, address, signatory and contact person: the same attributes in both
// statements.
void payerAttributes(AttrList &a, const Record &prp, const PayerFields &f, const Filer &filer,
                     QStringList &notes)
{
    a.text(u"dic"_s, filingDic(Snapshot::text(prp, f.dic)));
    const QString legalName =
        QString(Snapshot::text(prp, f.name1) + u' ' + Snapshot::text(prp, f.name2)).simplified();
    const bool legal = !legalName.isEmpty();
    a.text(u"typ_ds"_s, legal ? u"P"_s : u"F"_s);
    if (filer.workplace > 0)
        a.text(u"c_pracufo"_s, num(filer.workplace));
    if (legal) {
        a.text(u"zkrobchjm"_s, legalName);
        if (!Snapshot::text(prp, f.surname).isEmpty())
            notes.append(u"Vyplněna je fyzická i právnická osoba; podání uvádí právnickou osobu „%1“."_s.arg(
                legalName));
    } else {
        a.text(u"jmeno"_s, Snapshot::text(prp, f.firstName));
        a.text(u"prijmeni"_s, Snapshot::text(prp, f.surname));
        a.text(u"titul"_s, Snapshot::text(prp, f.title));
    }
    a.text(u"ulice"_s, filer.address.street);
    a.text(u"c_pop"_s, filer.address.houseNumber);
    a.text(u"c_orient"_s, filer.address.orientNumber);
    a.text(u"naz_obce"_s, filer.address.municipality);
    a.text(u"psc"_s, filer.address.postcode);

    // The signing person is named only with a code: without one the payer
    // signs for itself.
    const QString code = Snapshot::text(prp, f.signCode);
    const QString signName = Snapshot::text(prp, f.signName);
    const QString signId = Snapshot::text(prp, f.signId);
    using statements::SignatoryKind;
    const SignatoryKind signatory = code.isEmpty() ? SignatoryKind::None : filer.signatory;

    // "Jméno a příjmení / vztah k právnické osobě": the person who signs for
    // a legal person, so only where the payer or its signatory is one.
    const QString authorised = Snapshot::text(prp, f.authorised);
    if (!authorised.isEmpty() && (legal || signatory == SignatoryKind::LegalPerson)) {
        qsizetype cut = authorised.indexOf(u'/');
        if (cut < 0)
            cut = authorised.indexOf(u',');
        const PersonName person = splitPersonName(cut < 0 ? authorised : authorised.left(cut));
        a.text(u"opr_jmeno"_s, person.first);
        a.text(u"opr_prijmeni"_s, person.last);
        if (cut >= 0)
            a.text(u"opr_postaveni"_s, authorised.mid(cut + 1).simplified());
    } else if (!authorised.isEmpty()) {
        notes.append(u"Osoba oprávněná k podpisu za právnickou osobu se u fyzické osoby neuvádí, podání ji "
                     u"neobsahuje."_s);
    }

    if (!code.isEmpty()) {
        a.text(u"zast_kod"_s, code);
        if (signatory == SignatoryKind::LegalPerson) {
            a.text(u"zast_typ"_s, u"P"_s);
            a.text(u"zast_nazev"_s, signName);
            a.text(u"zast_ic"_s, QString(signId).remove(u' '));
        } else {
            // An unclear box never reaches here: the export asks first.
            a.text(u"zast_typ"_s, u"F"_s);
            const PersonName person = splitPersonName(signName);
            a.text(u"zast_jmeno"_s, person.first);
            a.text(u"zast_prijmeni"_s, person.last);
            if (signatory == SignatoryKind::BornOn) {
                const std::optional<QDate> born = statements::birthDate(signId);
                a.text(u"zast_dat_nar"_s, born ? filingDate(*born) : signId);
            } else {
                a.text(u"zast_ev_cislo"_s, signId);
            }
        }
    } else if (!signName.isEmpty() || !signId.isEmpty()) {
        notes.append(u"Údaje o podepisující osobě nemají kód podepisující osoby, podání je neuvádí."_s);
    }

    const PersonName contact = splitPersonName(Snapshot::text(prp, f.contact));
    a.text(u"sest_jmeno"_s, contact.first);
    a.text(u"sest_prijmeni"_s, contact.last);
    a.text(u"sest_telef"_s, Snapshot::text(prp, f.phone));
    a.text(u"sest_email"_s, Snapshot::text(prp, f.email));
}

// Part I month by month; the note when a column of a supplementary
// statement held amounts in another one.
bool writeMonths(XmlOut &out, const Statement &s, const QString &droppedNote, QStringList &notes)
{
    bool anyMonth = false;
    bool dropped = false;
    for (int m = 1; m <= 12; ++m) {
        if (!s.filled(u"VetaO", m, &dropped))
            continue;
        anyMonth = true;
        const Attrs o = s.attributes(u"VetaO", m, [m](AttrList &a, const QString &name, const QStringList &) {
            a.text(name, num(m));
        });
        out.element(u"VetaO"_s, o, u"Část I., ř. %1 (%2)"_s.arg(m).arg(monthNames()[m - 1]));
    }
    if (dropped)
        notes.append(droppedNote);
    return anyMonth;
}

void writeHeading(XmlOut &out, const Statement &s, const QString &where)
{
    out.element(u"VetaD"_s,
                s.attributes(u"VetaD", 0,
                             [&s](AttrList &a, const QString &name, const QStringList &fields) {
                                 s.headingRule(a, name, fields);
                             }),
                where);
}

void writeEmployment(XmlOut &out, const Snapshot &snapshot, const Filer &filer, QStringList &notes)
{
    const Statement s(Form::Employment, snapshot, filer);
    writeHeading(out, s, u"Vyúčtování, záhlaví a část II."_s);

    AttrList p;
    payerAttributes(p, snapshot.prp, payerFields(s), filer, notes);
    out.element(u"VetaP"_s, p.attrs(), u"Údaje o firmě"_s);

    const bool anyMonth = writeMonths(
        out, s,
        u"Sloupec 10 (dodatečné vyúčtování) se vyplňuje jen u dodatečného vyúčtování; jeho částky "
        u"v podání nejsou."_s,
        notes);

    // Annex of bonus corrections (Příloha č. 4), rows 1-14.
    for (int r = 1; r <= 14; ++r) {
        if (s.filled(u"VetaF", r))
            out.element(u"VetaF"_s, s.attributes(u"VetaF", r),
                        u"Příloha k vyúčtování - opravy bonusu, řádek %1"_s.arg(r));
    }

    // Annex of corrections (Příloha č. 3): rows 1-14, then the three rows
    // kept in the fields with the suffix "a".
    for (int r = 1; r <= 17; ++r) {
        if (s.filled(u"VetaE", r))
            out.element(u"VetaE"_s, s.attributes(u"VetaE", r),
                        u"Příloha k vyúčtování - opravy, řádek %1"_s.arg(r));
    }

    // Employee count (Příloha č. 1): the portal takes one record per
    // municipality code, so places of work sharing a code are summed under
    // the name and district of the first of them.
    struct Municipality
    {
        QList<int> rows;
        std::optional<qint64> count;
    };
    QList<Municipality> byCode;
    QHash<QString, qsizetype> indexOf;
    for (qsizetype i = 0; i < snapshot.places.size(); ++i) {
        const Snapshot::Place &place = snapshot.places[i];
        const std::optional<qint64> count = Snapshot::amount({{u"C4"_s, place.count}}, u"C4"_s);
        qsizetype at = place.code.isEmpty() ? -1 : indexOf.value(place.code, -1);
        if (at < 0) {
            at = byCode.size();
            byCode.append(Municipality());
            if (!place.code.isEmpty())
                indexOf.insert(place.code, at);
        }
        Municipality &m = byCode[at];
        m.rows.append(int(i));
        if (count)
            m.count = m.count.value_or(0) + *count;
    }
    for (const Municipality &m : byCode) {
        const Snapshot::Place &first = snapshot.places[m.rows.first()];
        const statements::Municipality *listed = Municipalities::builtIn().byCode(first.code);
        AttrList b;
        b.text(u"c_obce_zuj"_s, first.code);
        b.amount(u"poc_zam"_s, m.count);
        b.text(u"naz_obce_zuj"_s, first.municipality.isEmpty() && listed ? listed->name.section(u" - "_s, -1)
                                                                         : first.municipality);
        b.text(u"naz_vykonu"_s, first.name);
        b.text(u"naz_zko"_s, first.district.isEmpty() && listed ? listed->district : first.district);
        QStringList rows;
        for (const int r : m.rows)
            rows.append(num(r + 1));
        const QString where =
            m.rows.size() == 1
                ? u"Počet zaměstnanců, řádek %1 (%2)"_s.arg(rows.first(), first.name)
                : u"Počet zaměstnanců, řádky %1 (kód obce %2)"_s.arg(rows.join(u", "_s), first.code);
        out.element(u"VetaB"_s, b.attrs(), where);
    }

    // The refunds of row 06 by month: the three rows of the form.
    for (int r = 1; r <= 3; ++r) {
        if (!s.filled(u"VetaG", r))
            continue;
        // One month a row: a text naming more months, or none, is written
        // as typed, and the checks before filing refuse it.
        const Attrs g =
            s.attributes(u"VetaG", r, [&s](AttrList &a, const QString &name, const QStringList &fields) {
                const QString month = s.text(fields.first());
                if (!month.isEmpty()) {
                    const QList<int> months = monthsNamed(month);
                    a.text(name, months.size() == 1 ? num(months.first()) : month);
                }
            });
        out.element(u"VetaG"_s, g, u"Vrácení přeplatku (ř. 06), řádek %1"_s.arg(r));
    }

    if (anyMonth)
        out.element(u"VetaS"_s, s.attributes(u"VetaS"), u"Část I., ř. 13 (úhrn)"_s);
}

void writeWithholding(XmlOut &out, const Snapshot &snapshot, const Filer &filer, QStringList &notes)
{
    const Statement s(Form::Withholding, snapshot, filer);
    writeHeading(out, s, u"Vyúčtování daně vybírané srážkou, záhlaví a část II."_s);

    AttrList p;
    payerAttributes(p, snapshot.prp, payerFields(s), filer, notes);
    out.element(u"VetaP"_s, p.attrs(), u"Údaje o firmě (vyúčtování daně vybírané srážkou)"_s);

    const bool anyMonth =
        writeMonths(out, s,
                    u"Sloupec 9 (dodatečné vyúčtování) se vyplňuje jen u dodatečného vyúčtování; jeho částky "
                    u"v podání nejsou."_s,
                    notes);
    if (anyMonth)
        out.element(u"VetaS"_s, s.attributes(u"VetaS"), u"Část I., ř. 13 (úhrn)"_s);
}

// The captions of the form's boxes behind the attributes.
QString attributeCaption(Form form, const QString &element, const QString &attribute)
{
    static const QHash<QString, QString> common = {
        {u"c_ufo_cil"_s, u"finanční úřad"_s},
        {u"vdadpz_typ"_s, u"typ vyúčtování"_s},
        {u"dapdps_forma"_s, u"typ vyúčtování"_s},
        {u"c_drp"_s, u"druh příjmů"_s},
        {u"zdobd_od"_s, u"zdaňovací období od"_s},
        {u"zdobd_do"_s, u"zdaňovací období do"_s},
        {u"d_zjist"_s, u"datum zjištění důvodů pro dodatečné vyúčtování"_s},
        {u"k_rozl"_s, u"kód rozlišení"_s},
        {u"d_ins"_s, u"datum ke kódu rozlišení"_s},
        {u"lh_odv"_s, u"lhůta pro podání DP v průběhu zdaňovacího období"_s},
        {u"uhrnprepl"_s, u"ř. 06"_s},
        {u"uhrndopl"_s, u"ř. 06a"_s},
        {u"kc_dpzii01"_s, u"ř. 1"_s},
        {u"kc_dpzii02"_s, u"ř. 2"_s},
        {u"kc_dpzii03"_s, u"ř. 3"_s},
        {u"kc_dpzii03a"_s, u"ř. 4"_s},
        {u"kc_dpzii04a"_s, u"ř. 5"_s},
        {u"kc_dpzii08"_s, u"ř. 8"_s},
        {u"kc_dpzii09"_s, u"ř. 9"_s},
        {u"kc_dpzii10"_s, u"ř. 10"_s},
        {u"kc_dpsii01"_s, u"ř. 1"_s},
        {u"kc_dpsii04"_s, u"ř. 4"_s},
        {u"kc_dpsii05"_s, u"ř. 5"_s},
        {u"dic"_s, u"DIČ"_s},
        {u"typ_ds"_s, u"fyzická / právnická osoba"_s},
        {u"c_pracufo"_s, u"územní pracoviště"_s},
        {u"zkrobchjm"_s, u"název právnické osoby"_s},
        {u"jmeno"_s, u"jméno"_s},
        {u"prijmeni"_s, u"příjmení"_s},
        {u"titul"_s, u"titul"_s},
        {u"ulice"_s, u"adresa – ulice"_s},
        {u"c_pop"_s, u"adresa – číslo popisné"_s},
        {u"c_orient"_s, u"adresa – číslo orientační"_s},
        {u"naz_obce"_s, u"adresa – obec"_s},
        {u"psc"_s, u"adresa – PSČ"_s},
        {u"opr_jmeno"_s, u"osoba oprávněná k podpisu – jméno"_s},
        {u"opr_prijmeni"_s, u"osoba oprávněná k podpisu – příjmení"_s},
        {u"opr_postaveni"_s, u"osoba oprávněná k podpisu – vztah k právnické osobě"_s},
        {u"zast_kod"_s, u"kód podepisující osoby"_s},
        {u"zast_typ"_s, u"podepisující osoba"_s},
        {u"zast_nazev"_s, u"podepisující osoba – název"_s},
        {u"zast_ic"_s, u"podepisující osoba – IČ"_s},
        {u"zast_jmeno"_s, u"podepisující osoba – jméno"_s},
        {u"zast_prijmeni"_s, u"podepisující osoba – příjmení"_s},
        {u"zast_dat_nar"_s, u"podepisující osoba – datum narození"_s},
        {u"zast_ev_cislo"_s, u"podepisující osoba – evidenční číslo"_s},
        {u"sest_jmeno"_s, u"kontaktní osoba – jméno"_s},
        {u"sest_prijmeni"_s, u"kontaktní osoba – příjmení"_s},
        {u"sest_telef"_s, u"telefon"_s},
        {u"sest_email"_s, u"e-mail"_s},
        {u"mesic"_s, u"měsíc"_s},
        {u"c_obce_zuj"_s, u"kód obce"_s},
        {u"poc_zam"_s, u"počet zam."_s},
        {u"naz_obce_zuj"_s, u"název obce"_s},
        {u"naz_vykonu"_s, u"název místa"_s},
        {u"naz_zko"_s, u"název území okresu"_s},
        {u"mesic_06"_s, u"sl. 1 (měsíc)"_s},
        {u"uhrnprepl_c"_s, u"sl. 2"_s},
        {u"uhrnprepl_z"_s, u"sl. 3"_s},
        {u"d_zadosti_06"_s, u"sl. 4"_s},
    };
    static const QHash<QString, QString> employmentColumns = {
        {u"kc_dpzi01"_s, u"sl. 1"_s},  {u"kc_dpzi02"_s, u"sl. 2"_s},   {u"cj_dpzi03"_s, u"sl. 3 (č. j.)"_s},
        {u"kc_dpzi03a"_s, u"sl. 3"_s}, {u"kc_dpzi04"_s, u"sl. 4"_s},   {u"kc_dpzi05"_s, u"sl. 5"_s},
        {u"kc_dpzi08"_s, u"sl. 8"_s},  {u"kc_dpzi09"_s, u"sl. 9"_s},   {u"kc_dpzi10"_s, u"sl. 10"_s},
        {u"kc_dpzi11"_s, u"sl. 11"_s}, {u"kc_dpsi01"_s, u"sl. 1"_s},   {u"kc_dpsi02"_s, u"sl. 2"_s},
        {u"kc_dpsi03"_s, u"sl. 3"_s},  {u"kc_dpsi06"_s, u"sl. 6"_s},   {u"cj_dpsi07"_s, u"sl. 7 (č. j.)"_s},
        {u"kc_dpsi07"_s, u"sl. 7"_s},  {u"kc_dpsi08a"_s, u"sl. 8a"_s}, {u"kc_dpsi09"_s, u"sl. 9"_s},
        {u"kc_dpsi10"_s, u"sl. 10"_s},
    };
    static const QHash<QString, QString> annexColumns = {
        {u"pr_opr"_s, u"sl. 1"_s},
        {u"rok_nespr"_s, u"sl. 2 (rok)"_s},
        {u"mesic_nespr"_s, u"sl. 2 (měsíc)"_s},
        {u"d_puvsraz"_s, u"sl. 3"_s},
        {u"rok_opr"_s, u"sl. 4 (rok)"_s},
        {u"mesic_opr"_s, u"sl. 4 (měsíc)"_s},
        {u"d_dodsraz"_s, u"sl. 5"_s},
        {u"kc_castka"_s, u"sl. 6"_s},
        {u"b_pr_opr"_s, u"sl. 1"_s},
        {u"b_rok_nespr"_s, u"sl. 2 (rok)"_s},
        {u"b_mesic_nespr"_s, u"sl. 2 (měsíc)"_s},
        {u"b_d_puvsraz"_s, u"sl. 3"_s},
        {u"b_rok_opr"_s, u"sl. 4 (rok)"_s},
        {u"b_mesic_opr"_s, u"sl. 4 (měsíc)"_s},
        {u"b_d_dodsraz"_s, u"sl. 5"_s},
        {u"b_d_zadosti"_s, u"sl. 6"_s},
        {u"b_kc_castka"_s, u"sl. 7"_s},
    };
    Q_UNUSED(form);
    if (element == u"VetaS" && attribute.startsWith(u"s_"_s))
        return employmentColumns.value(attribute.mid(2), attribute);
    if (attribute.startsWith(u"poc_zam"_s) && attribute.size() > 7)
        return u"počet zaměstnanců k poslednímu dni %1. měsíce"_s.arg(attribute.mid(7));
    if (const auto it = employmentColumns.constFind(attribute); it != employmentColumns.cend())
        return *it;
    if (const auto it = annexColumns.constFind(attribute); it != annexColumns.cend())
        return *it;
    return common.value(attribute, attribute);
}

} // namespace

QString EpoDocument::where(int line, const QString &attribute) const
{
    for (const XmlElementInfo &info : elements) {
        if (info.line != line)
            continue;
        if (attribute.isEmpty())
            return info.where;
        return info.where + u", "_s + attributeCaption(form, info.element, attribute);
    }
    return {};
}

EpoDocument writeEpo(Form form, const Snapshot &snapshot, const Filer &filer, const Software &software)
{
    EpoDocument doc;
    doc.form = form;
    XmlOut out;
    out.open(u"Pisemnost"_s, {{u"nazevSW"_s, software.name}, {u"verzeSW"_s, software.version}}, 0);
    out.open(formCode(form), {{u"verzePis"_s, u"01.01"_s}}, 1);
    if (form == Form::Employment)
        writeEmployment(out, snapshot, filer, doc.notes);
    else
        writeWithholding(out, snapshot, filer, doc.notes);
    out.close(formCode(form), 1);
    out.close(u"Pisemnost"_s, 0);
    doc.xml = out.bytes();
    doc.elements = out.infos();
    return doc;
}

} // namespace filing
