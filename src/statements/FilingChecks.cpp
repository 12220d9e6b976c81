#include "statements/FilingChecks.h"

#include "data/FieldNames.h"
#include "data/FieldText.h"
#include "data/Rounding.h"
#include "data/TDM1.h"
#include "statements/FormTexts.h"
#include "statements/Signatory.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace statements {

namespace {

using Record = FilingData::Record;
using namespace data::fields;

double amount(const Record &r, const QString &name)
{
    return data::roundHalfAway(r.value(name).toDouble());
}

bool flag(const Record &r, const QString &name)
{
    return r.value(name).toBool();
}

QString text(const Record &r, const QString &name)
{
    return r.value(name).toString().trimmed();
}

QDate date(const Record &r, const QString &name)
{
    const QVariant v = r.value(name);
    return v.isValid() ? v.toDate() : QDate();
}

QString crowns(double value)
{
    return QString::number(qint64(value)) + u" Kč"_s;
}

QString monthName(int m)
{
    static const char16_t *const names[] = {u"leden",  u"únor",   u"březen",   u"duben",
                                            u"květen", u"červen", u"červenec", u"srpen",
                                            u"září",   u"říjen",  u"listopad", u"prosinec"};
    return QString::fromUtf16(names[m - 1]);
}

QString num(int n)
{
    return QString::number(n);
}

// The distinction codes and the tax years they may be filed for; "now" is
// the year of filing. An empty code is a statement after the year's end.
bool distinctionFitsYear(const QString &code, int year, int now)
{
    struct Span
    {
        QStringList codes;
        int from;
        int to; // 0: this year, -1: last year
    };
    static const QList<Span> spans = {
        {{u"A"_s, u"B"_s, u"H"_s, u"I"_s, u"J"_s, u"K"_s, u"L"_s, u"M"_s}, 2010, 0},
        {{u"C"_s, u"D"_s, u"E"_s, u"F"_s}, 2010, 2013},
        {{u"GA"_s, u"GB"_s}, 2010, -1},
        {{u"GC"_s, u"GD"_s, u"GE"_s, u"GF"_s}, 2010, 2012},
        {{u"GI"_s, u"GJ"_s, u"GK"_s, u"GL"_s, u"GM"_s, u"GN"_s, u"GO"_s}, 2013, -1},
        {{u"N"_s, u"O"_s}, 2014, 0},
        {{QString()}, 2010, -1},
    };
    for (const Span &s : spans) {
        if (!s.codes.contains(code))
            continue;
        const int last = s.to == 0 ? now : s.to == -1 ? now - 1 : s.to;
        return year >= s.from && year <= last;
    }
    return true; // a code the schema does not know is the schema's to refuse
}

// The distinction codes of a statement for a part of the year after an event
// (insolvency, death, dissolution…).
bool eventCode(const QString &code, const QString &letters)
{
    return code.size() == 1 && letters.contains(code);
}

class Checker
{
public:
    explicit Checker(const FilingData &data) : m_data(data) {}

    void company();
    void employment();
    void withholding();
    void employeeCount();
    void corrections();
    void bonusCorrections();

    bool withholdingInUse() const;

    QList<FilingIssue> issues;

private:
    void add(FilingPart part, const QString &check, const QString &what)
    {
        const FilingCheck *c = filingCheck(check);
        Q_ASSERT_X(c, "Checker::add", qPrintable(check));
        issues.append(
            {part, filingPartTitle(part) + u": "_s + what, c ? c->severity : Severity::Warning, check});
    }
    // The marks regular, corrective and supplementary of a statement, and
    // the date a supplementary one needs.
    struct TypeMarks
    {
        data::FieldName regular, corrective, supplementary, discovered;
    };
    void typeMarks(FilingPart part, const TypeMarks &marks);
    // A row of part II against what it quotes.
    void agrees(FilingPart part, const QString &row, double value, const QString &quoted, double expected)
    {
        if (value != expected)
            add(part, u"program.rekapitulace"_s,
                u"ř. %1 (%2) nesouhlasí %3 (%4)."_s.arg(row, crowns(value), quoted, crowns(expected)));
    }
    // The columns of a block of annex rows: the kind of correction (sl. 1),
    // the texts and the amount.
    struct AnnexColumns
    {
        data::FieldSeries kind;
        data::FieldGrid cells;
        data::FieldSeries amount;
    };
    void annexRows(FilingPart part, const Record &r, const AnnexColumns &columns, int firstRow, int lastRow,
                   const QString &kinds);
    void period(FilingPart part, const QString &form, bool notAfterToday);
    void signatory(FilingPart part, const QString &code, const QString &name, const QString &id);
    // Month m lies at least partly in the statement's period.
    bool monthInPeriod(int m) const;
    void monthColumns(FilingPart part, const Record &r, const QString &form,
                      const QList<std::tuple<QString, data::FieldSeries, QString>> &columns,
                      bool negativeAllowed, bool outsideChecked);
    QDate from() const { return date(m_data.prp, Prp::Dz); }
    QDate to() const { return date(m_data.prp, Prp::Dk); }
    QString distinctionCode() const { return text(m_data.prp, Prp::Kod).toUpper(); }

    const FilingData &m_data;
};

void Checker::company()
{
    const Record &prp = m_data.prp;
    const QString dic = text(prp, Prp::Dic);
    static const QRegularExpression dicForm(u"^CZ[0-9]{8,10}$"_s);
    if (dic.isEmpty())
        add(FilingPart::Company, u"program.dic"_s, u"není vyplněno DIČ plátce."_s);
    else if (!dicForm.match(dic).hasMatch())
        add(FilingPart::Company, u"program.dic"_s, u"DIČ „%1“ nemá tvar CZ a 8 až 10 číslic."_s.arg(dic));

    const QDate from = this->from();
    const QDate to = this->to();
    const int year = m_data.taxYear;
    const auto inYear = [&](const QDate &d, const QString &which) {
        if (!d.isValid())
            add(FilingPart::Company, u"program.obdobi"_s,
                u"není vyplněno zdaňovací období „%1“."_s.arg(which));
        else if (d.year() != year)
            add(FilingPart::Company, u"program.obdobi"_s,
                u"zdaňovací období „%1“ %2 neleží v roce %3."_s.arg(which, data::formatDate(d)).arg(year));
    };
    inYear(from, u"od"_s);
    inYear(to, u"do"_s);

    // The box says whether the forms are for the whole period or a part of
    // it; the forms print what it says, not what the dates say.
    if (from.isValid() && to.isValid() && from == QDate(from.year(), 1, 1) &&
        to == QDate(from.year(), 12, 31) && !flag(prp, Prp::Zdo))
        add(FilingPart::Company, u"program.cast_obdobi"_s,
            u"zdaňovací období je celý rok %1, ale „Za zdaňovací období“ není zaškrtnuto, takže vyúčtování "
            u"uvádějí „za část zdaňovacího období“."_s.arg(from.year()));
}

void Checker::period(FilingPart part, const QString &form, bool notAfterToday)
{
    const QDate from = this->from();
    const QDate to = this->to();
    const QString code = distinctionCode();
    const int now = m_data.today.year();
    const QString codeText = code.isEmpty() ? u"bez kódu rozlišení"_s : u"s kódem rozlišení „%1“"_s.arg(code);
    // One finding for the code: the years of both dates are the same, or
    // the next check says they must be.
    if (from.isValid() && !distinctionFitsYear(code, from.year(), now))
        add(part, form + u".VetaD.zdobd_od"_s,
            u"zdaňovací období od %1: vyúčtování %2 nelze podat za rok %3."_s
                .arg(data::formatDate(from), codeText)
                .arg(from.year()));
    else if (to.isValid() && !distinctionFitsYear(code, to.year(), now))
        add(part, form + u".VetaD.zdobd_do"_s,
            u"zdaňovací období do %1: vyúčtování %2 nelze podat za rok %3."_s
                .arg(data::formatDate(to), codeText)
                .arg(to.year()));
    if (from.isValid() && to.isValid()) {
        if (to < from)
            add(part, form + u".VetaD.zdobd_do"_s,
                u"zdaňovací období do %1 je dřívější než od %2."_s.arg(data::formatDate(to),
                                                                       data::formatDate(from)));
        else if (to.year() != from.year())
            add(part, form + u".VetaD.zdobd_do"_s,
                u"zdaňovací období od %1 do %2 nesmí přesahovat kalendářní rok."_s.arg(data::formatDate(from),
                                                                                       data::formatDate(to)));
    }
    if (notAfterToday && from.isValid() && from > m_data.today)
        add(part, form + u".VetaD.zdobd_od"_s,
            u"zdaňovací období od %1 začíná až po dni podání."_s.arg(data::formatDate(from)));
    if (notAfterToday && to.isValid() && to > m_data.today)
        add(part, form + u".VetaD.zdobd_do"_s,
            u"zdaňovací období do %1 končí až po dni podání."_s.arg(data::formatDate(to)));
}

bool Checker::monthInPeriod(int m) const
{
    const int year = to().isValid() ? to().year() : m_data.taxYear;
    const QDate first(year, m, 1);
    const QDate last = first.addMonths(1).addDays(-1);
    return !((from().isValid() && last < from()) || (to().isValid() && first > to()));
}

// The columns of part I month by month: (attribute, field stem, caption).
void Checker::monthColumns(FilingPart part, const Record &r, const QString &form,
                           const QList<std::tuple<QString, data::FieldSeries, QString>> &columns,
                           bool negativeAllowed, bool outsideChecked)
{
    for (int m = 1; m <= 12; ++m) {
        for (const auto &[attribute, column, caption] : columns) {
            const double value = amount(r, column(m));
            const QString where = u"část I., ř. %1 (%2), %3"_s.arg(num(m), monthName(m), caption);
            const QString id = form + u".VetaO."_s + attribute;
            if (!negativeAllowed && value < 0)
                add(part, id, u"%1: částka %2 nesmí být záporná."_s.arg(where, crowns(value)));
            if (outsideChecked && value != 0 && !monthInPeriod(m))
                add(part, id,
                    u"%1: částka %2 je v měsíci mimo zdaňovací období."_s.arg(where, crowns(value)));
        }
    }
}

void Checker::typeMarks(FilingPart part, const TypeMarks &type)
{
    const Record &prp = m_data.prp;
    const int marks =
        int(flag(prp, type.regular)) + int(flag(prp, type.corrective)) + int(flag(prp, type.supplementary));
    if (marks == 0)
        add(part, u"program.typ"_s, u"není označeno, zda jde o vyúčtování řádné, opravné nebo dodatečné."_s);
    else if (marks > 1)
        add(part, u"program.typ"_s,
            u"je označeno více druhů vyúčtování (řádné, opravné, dodatečné); smí být jen jeden."_s);
    if (flag(prp, type.supplementary) && !date(prp, type.discovered).isValid())
        add(part, u"program.typ"_s, u"dodatečné vyúčtování nemá datum zjištění důvodů pro jeho podání."_s);
}

void Checker::signatory(FilingPart part, const QString &codeField, const QString &nameField,
                        const QString &idField)
{
    const Record &prp = m_data.prp;
    const QString id = text(prp, idField);
    switch (classifySignatory(text(prp, codeField), text(prp, nameField), id)) {
    case SignatoryKind::NaturalUnnamed:
        add(part, u"program.podepisujici"_s,
            u"podepisující osoba „%1“ je fyzická osoba bez data narození i evidenčního čísla osvědčení; "
            u"jedno z nich musí být vyplněno."_s.arg(text(prp, nameField)));
        break;
    case SignatoryKind::Unclear:
        add(part, u"program.podepisujici"_s,
            u"u podepisující osoby „%1“ nelze poznat, zda „%2“ je IČ, datum narození nebo evidenční číslo; "
            u"elektronické podání se na to zeptá."_s.arg(text(prp, nameField), id));
        break;
    default:
        break;
    }
}

void Checker::employment()
{
    const FilingPart part = FilingPart::Employment;
    const QString form = u"DPZVD6"_s;
    typeMarks(part, {Prp::Dpdr1, Prp::Dpdo1, Prp::Dpdd1, Prp::Dopd});
    period(part, form, false);
    signatory(part, Prp::Kzs, Prp::Zjm, Prp::Zde);

    const Record &v = m_data.vdvl;
    const double r1 = amount(v, Vdvl::C401), r2 = amount(v, Vdvl::C403), r3 = amount(v, Vdvl::C404),
                 r4 = amount(v, Vdvl::C403a), r5 = amount(v, Vdvl::C404a), r8 = amount(v, Vdvl::C408),
                 r9 = amount(v, Vdvl::C409), r10 = amount(v, Vdvl::C410);
    agrees(part, u"1"_s, r1, u"se sl. 1 ř. 13 v části I."_s, amount(v, Vdvl::Sl2(13)));
    agrees(part, u"2"_s, r2, u"se sl. 4 ř. 13 v části I."_s, amount(v, Vdvl::Sl5(13)));
    agrees(part, u"4"_s, r4, u"se sl. 5 ř. 13 v části I."_s, amount(v, Vdvl::Slb5(13)));
    agrees(part, u"8"_s, r8, u"s rekapitulací ř. 1 - ř. 2 + ř. 3 - ř. 4 + ř. 5"_s, r1 - r2 + r3 - r4 + r5);
    agrees(part, u"9"_s, r9, u"se sl. 11 ř. 13 v části I."_s, amount(v, Vdvl::Sl9(13)));
    agrees(part, u"10"_s, r10, u"s rozdílem ř. 9 - ř. 8"_s, r9 - r8);

    // Part I: no column may be negative; a statement for a part of the year
    // after an event has nothing in the months outside it.
    monthColumns(part, v, form,
                 {{u"kc_dpzi02"_s, Vdvl::Sl3, u"sl. 2"_s},
                  {u"kc_dpzi03a"_s, Vdvl::Slo3, u"sl. 3"_s},
                  {u"kc_dpzi04"_s, Vdvl::Sl5, u"sl. 4"_s},
                  {u"kc_dpzi05"_s, Vdvl::Slb5, u"sl. 5"_s},
                  {u"kc_dpzi11"_s, Vdvl::Sl9, u"sl. 11"_s}},
                 false, false);
    const QString code = distinctionCode();
    monthColumns(part, v, form, {{u"kc_dpzi01"_s, Vdvl::Sl2, u"sl. 1"_s}}, false,
                 eventCode(code, u"ABCDEFHIJKLM"_s));
    static const QList<std::tuple<QString, data::FieldSeries, QString>> totals = {
        {u"s_kc_dpzi01"_s, Vdvl::Sl2, u"sl. 1"_s},   {u"s_kc_dpzi02"_s, Vdvl::Sl3, u"sl. 2"_s},
        {u"s_kc_dpzi03a"_s, Vdvl::Slo3, u"sl. 3"_s}, {u"s_kc_dpzi04"_s, Vdvl::Sl5, u"sl. 4"_s},
        {u"s_kc_dpzi05"_s, Vdvl::Slb5, u"sl. 5"_s},  {u"s_kc_dpzi11"_s, Vdvl::Sl9, u"sl. 11"_s}};
    for (const auto &[attribute, column, caption] : totals) {
        const double value = amount(v, column(13));
        if (value < 0)
            add(part, form + u".VetaS."_s + attribute,
                u"část I., ř. 13 (úhrn), %1: částka %2 nesmí být záporná."_s.arg(caption, crowns(value)));
    }

    // The refunds of row 06 are filed one month a row.
    for (int r = 1; r <= 3; ++r) {
        const QString month = text(v, Vdvl::Mv(r));
        if (month.isEmpty())
            continue;
        const qsizetype named = monthsNamed(month).size();
        if (named != 1)
            add(part, u"program.mesic_06"_s,
                u"vrácení přeplatku (ř. 06), řádek %1, sl. 1: „%2“ %3; uveďte na každý řádek jeden měsíc."_s
                    .arg(num(r), month, named == 0 ? u"neuvádí měsíc"_s : u"uvádí více měsíců"_s));
    }

    // The employee numbers on the first page are required for every month
    // the statement covers; a missing one reads as an unfinished form.
    const int year = m_data.taxYear;
    const QDate yearStart(year, 1, 1), yearEnd(year, 12, 31);
    QDate from = this->from(), to = this->to();
    from = from.isValid() ? std::max(from, yearStart) : yearStart;
    to = to.isValid() ? std::min(to, yearEnd) : yearEnd;
    QStringList missing;
    for (int m = 1; m <= 12; ++m) {
        const QDate first(year, m, 1);
        if (first > to || first.addMonths(1) <= from)
            continue;
        if (!m_data.prp.value(Prp::Z(m)).isValid())
            missing.append(monthName(m));
    }
    if (!missing.isEmpty())
        add(part, u"program.pocet_mesicne"_s,
            u"chybí počet zaměstnanců k poslednímu dni měsíce: %1."_s.arg(missing.join(u", "_s)));
}

bool Checker::withholdingInUse() const
{
    const Record &prp = m_data.prp;
    if (flag(prp, Prp::Dpdr2) || flag(prp, Prp::Dpdo2) || flag(prp, Prp::Dpdd2))
        return true;
    for (auto it = m_data.vdvs.cbegin(); it != m_data.vdvs.cend(); ++it) {
        if (it.value().typeId() == QMetaType::Double && it.value().toDouble() != 0)
            return true;
    }
    return false;
}

void Checker::withholding()
{
    const FilingPart part = FilingPart::Withholding;
    const QString form = u"DPSVD2"_s;
    typeMarks(part, {Prp::Dpdr2, Prp::Dpdo2, Prp::Dpdd2, Prp::Dops});
    period(part, form, true);
    signatory(part, Prp::Kzsa, Prp::Zjms, Prp::Zdes);
    const Record &prp = m_data.prp;
    const Record &v = m_data.vdvs;
    const double r1 = amount(v, Vdvs::C401a), r4 = amount(v, Vdvs::C402), r5 = amount(v, Vdvs::C403);
    agrees(part, u"1"_s, r1, u"se sl. 1 ř. 13 v části I."_s, amount(v, Vdvs::Sl1(13)));
    agrees(part, u"4"_s, r4, u"se sl. 10 ř. 13 v části I."_s, amount(v, Vdvs::Sl10(13)));
    agrees(part, u"5"_s, r5, u"s rozdílem ř. 4 - ř. 1"_s, r4 - r1);

    const QDate from = this->from(), to = this->to();
    if (const QDate deadline = date(prp, Prp::Lhp);
        deadline.isValid() && from.isValid() && to.isValid() && (deadline <= from || deadline >= to))
        add(part, form + u".VetaD.lh_odv"_s,
            u"lhůta pro podání daňového přiznání %1 neleží uvnitř zdaňovacího období %2 – %3."_s.arg(
                data::formatDate(deadline), data::formatDate(from), data::formatDate(to)));
    const QString code = distinctionCode();
    if (const QDate event = date(prp, Prp::Dvo); event.isValid() && to.isValid() &&
                                                 eventCode(code, u"ABCDEF"_s) &&
                                                 event.month() != to.addMonths(2).month())
        add(part, form + u".VetaD.d_ins"_s,
            u"datum ke kódu rozlišení „%1“ %2 musí ležet ve druhém měsíci po konci zdaňovacího období %3."_s
                .arg(code, data::formatDate(event), data::formatDate(to)));

    monthColumns(part, v, form,
                 {{u"kc_dpsi01"_s, Vdvs::Sl1, u"sl. 1"_s},
                  {u"kc_dpsi02"_s, Vdvs::Sl2, u"sl. 2"_s},
                  {u"kc_dpsi03"_s, Vdvs::Sl3, u"sl. 3"_s},
                  {u"kc_dpsi06"_s, Vdvs::Sl7, u"sl. 6"_s}},
                 false, true);
    monthColumns(part, v, form,
                 {{u"kc_dpsi07"_s, Vdvs::Slo7, u"sl. 7"_s},
                  {u"kc_dpsi08a"_s, Vdvs::Sld9, u"sl. 8a"_s},
                  {u"kc_dpsi09"_s, Vdvs::Sl8, u"sl. 9"_s},
                  {u"kc_dpsi10"_s, Vdvs::Sl10, u"sl. 10"_s}},
                 true, true);
    // Column 6 is the income of natural persons' tax only.
    if (!flag(prp, Prp::Pfo)) {
        for (int m = 1; m <= 12; ++m)
            if (const double value = amount(v, Vdvs::Sl7(m)); value != 0)
                add(part, form + u".VetaO.kc_dpsi06"_s,
                    u"část I., ř. %1 (%2), sl. 6: částka %3 se u příjmů právnických osob nevyplňuje."_s.arg(
                        num(m), monthName(m), crowns(value)));
    }
    if (flag(prp, Prp::Dpdd2)) {
        bool difference = false;
        for (int m = 1; m <= 12; ++m)
            difference = difference || amount(v, Vdvs::Sl8(m)) != 0;
        if (!difference)
            add(part, form + u".VetaO.kc_dpsi09"_s,
                u"část I., sl. 9: dodatečné vyúčtování musí uvést rozdíl proti původnímu vyúčtování."_s);
    }
}

void Checker::employeeCount()
{
    if (!m_data.forEachWorkplace)
        return;
    const FilingPart part = FilingPart::EmployeeCount;
    static const QRegularExpression codeForm(u"^[0-9]{6}$"_s);
    const MunicipalityLookup &list = m_data.municipalities;
    int row = 0;
    QHash<QString, QList<int>> rowsOfCode;
    QStringList codes; // in the order first met
    m_data.forEachWorkplace([&](const Workplace &w) {
        ++row;
        const QString where = w.name.trimmed().isEmpty()
                                  ? u"řádek %1"_s.arg(row)
                                  : u"řádek %1 („%2“)"_s.arg(num(row), w.name.trimmed());
        const double count = data::roundHalfAway(w.count.toDouble());
        if (count < 0)
            add(part, u"DPZVD6.VetaB.poc_zam"_s,
                u"%1, počet zaměstnanců: %2 nesmí být záporný."_s.arg(where, QString::number(qint64(count))));
        const QString code = w.code.trimmed();
        if (!codeForm.match(code).hasMatch()) {
            if (count > 0)
                add(part, u"program.kod_obce"_s,
                    code.isEmpty() ? u"%1 má zaměstnance, ale nemá kód obce."_s.arg(where)
                                   : u"%1: kód obce „%2“ nemá šest číslic."_s.arg(where, code));
            return;
        }
        if (!rowsOfCode.contains(code))
            codes.append(code);
        rowsOfCode[code].append(row);
        if (!list.byCode)
            return;
        const std::optional<Municipality> known = list.byCode(code);
        if (!known) {
            add(part, u"DPZVD6.VetaB.c_obce_zuj"_s,
                u"%1: kód obce %2 není v dnešním číselníku obcí; ověřte jej (obec mohla vzniknout až po "
                u"roce %3)."_s.arg(where, code)
                    .arg(m_data.taxYear));
            return;
        }
        const QString name = w.municipality.trimmed();
        const QString folded = foldText(name);
        if (!name.isEmpty() && folded != foldText(known->name) &&
            folded != foldText(known->name.section(u" - "_s, -1)))
            add(part, u"DPZVD6.VetaB.naz_obce_zuj"_s,
                u"%1: název obce „%2“ neodpovídá kódu %3, který v číselníku obcí patří obci „%4“."_s.arg(
                    where, name, code, known->name));
    });
    for (const QString &code : codes) {
        const QList<int> &rows = rowsOfCode[code];
        if (rows.size() < 2)
            continue;
        QStringList numbers;
        for (const int r : rows)
            numbers.append(num(r));
        add(part, u"DPZVD6.VetaB.c_obce_zuj"_s,
            u"řádky %1 mají stejný kód obce %2; elektronické podání je uvede jako jeden řádek se součtem "
            u"zaměstnanců."_s.arg(numbers.join(u", "_s), code));
    }
}

void Checker::annexRows(FilingPart part, const Record &r, const AnnexColumns &columns, int firstRow,
                        int lastRow, const QString &kinds)
{
    const bool bonus = part == FilingPart::BonusCorrections;
    const QString prefix = bonus ? u"DPZVD6.VetaF.b_"_s : u"DPZVD6.VetaE."_s;
    const QStringList allowed = kinds.split(u'/');
    const QDate today = m_data.today;
    for (int row = firstRow; row <= lastRow; ++row) {
        const QString number = num(row);
        const QString kind = text(r, columns.kind(row));
        const QString amountField = columns.amount(row);
        const auto cell = [&](int column) { return text(r, columns.cells(row, column)); };
        // A row is filled by anything but a zero amount alone.
        bool filled = !kind.isEmpty() || amount(r, amountField) != 0;
        for (int c = columns.cells.firstColumn; c <= columns.cells.lastColumn; ++c)
            filled = filled || !cell(c).isEmpty();
        if (!filled)
            continue;
        const QString where = u"řádek %1"_s.arg(number);
        if (kind.isEmpty()) {
            if (amount(r, amountField) != 0)
                add(part, u"program.predmet_opravy"_s,
                    u"%1 má částku, ale nemá předmět opravy (sl. 1 „%2“ nebo „%3“)."_s.arg(
                        where, allowed.at(0), allowed.at(1)));
        } else if (!allowed.contains(kind)) {
            add(part, u"program.predmet_opravy"_s,
                u"%1: předmět opravy „%2“ není „%3“ ani „%4“."_s.arg(where, kind, allowed.at(0),
                                                                     allowed.at(1)));
        }

        const double sum = amount(r, amountField);
        const QString amountCaption = bonus ? u"sl. 7"_s : u"sl. 6"_s;
        if (sum == 0)
            add(part, prefix + u"kc_castka"_s,
                u"%1, %2: částka opravy nesmí být nulová."_s.arg(where, amountCaption));
        if (bonus && !cell(5).isEmpty() && sum > 0)
            add(part, prefix + u"kc_castka"_s,
                u"%1, %2: s datem žádosti ve sl. 6 musí být částka záporná (%3)."_s.arg(where, amountCaption,
                                                                                        crowns(sum)));

        const std::optional<Period> wrong = parsePeriod(cell(1));
        const bool monthWanted = kind == allowed.at(0); // Z or M: an advance or a monthly bonus
        if (monthWanted && (!wrong || wrong->month == 0))
            add(part, prefix + u"mesic_nespr"_s,
                u"%1, sl. 2: u předmětu opravy „%2“ musí být uveden měsíc a rok nesprávné srážky (např. „3/2015“)."_s
                    .arg(where, kind));
        if (wrong) {
            if (bonus && wrong->year < 2005)
                add(part, prefix + u"rok_nespr"_s,
                    u"%1, sl. 2: rok %2 nesmí být dřívější než 2005."_s.arg(where, num(wrong->year)));
            if (!bonus && wrong->year <= 1993)
                add(part, prefix + u"rok_nespr"_s,
                    u"%1, sl. 2: rok %2 musí být pozdější než 1993."_s.arg(where, num(wrong->year)));
            if (!bonus && kind == u"D" && to().isValid() && wrong->year >= to().year())
                add(part, prefix + u"rok_nespr"_s,
                    u"%1, sl. 2: oprava daně (D) se týká roku před zdaňovacím obdobím, ne roku %2."_s.arg(
                        where, num(wrong->year)));
        }

        const std::optional<QDate> original = parseDayDate(cell(2));
        const std::optional<QDate> corrected = parseDayDate(cell(4));
        if (!bonus) {
            if (original && *original > today)
                add(part, prefix + u"d_puvsraz"_s,
                    u"%1, sl. 3: datum %2 je pozdější než dnešek."_s.arg(where, data::formatDate(*original)));
            if (kind == u"D" && cell(2).isEmpty())
                add(part, prefix + u"d_puvsraz"_s,
                    u"%1, sl. 3: u opravy daně (D) musí být uvedeno datum původní srážky."_s.arg(where));
            else if (kind == u"D" && original && wrong && original->year() < wrong->year + 1)
                add(part, prefix + u"d_puvsraz"_s,
                    u"%1, sl. 3: datum %2 musí ležet nejdříve v roce po roce nesprávné srážky %3."_s.arg(
                        where, data::formatDate(*original), num(wrong->year)));
        }
        if (corrected && *corrected > today)
            add(part, prefix + u"d_dodsraz"_s,
                u"%1, sl. 5: datum %2 je pozdější než dnešek."_s.arg(where, data::formatDate(*corrected)));
    }
}

void Checker::corrections()
{
    // Rows 15 to 17 are kept in the fields with an "a" after the row number.
    annexRows(FilingPart::Corrections, m_data.vpkv, {Vpkv::Z, Vpkv::N, Vpkv::C}, 1, 14, u"Z/D"_s);
    annexRows(FilingPart::Corrections, m_data.vpkv, {Vpkv::Za, Vpkv::Na, Vpkv::Ca}, 15, 17, u"Z/D"_s);
}

void Checker::bonusCorrections()
{
    annexRows(FilingPart::BonusCorrections, m_data.vpkb, {Vpkb::M, Vpkb::N, Vpkb::C}, 1, 14, u"M/D"_s);
}

Record readRecord(data::Dataset &ds)
{
    Record r;
    if (!ds.isActive() || ds.isEmpty())
        return r;
    r.reserve(ds.fieldCount());
    for (int i = 0; i < ds.fieldCount(); ++i) {
        const data::Field *f = ds.field(i);
        r.insert(f->fieldName(), f->value());
    }
    return r;
}

} // namespace

const QList<FilingCheck> &filingCheckList()
{
    // The portal's documented checks in the order of the schemas, then the
    // program's own.
    static const QList<FilingCheck> list = {
        {u"DPZVD6.VetaD.zdobd_od"_s, Severity::Critical, u"kód rozlišení přípustný pro rok počátku období"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaD.zdobd_do"_s, Severity::Critical,
         u"konec období ne dříve než počátek, týž rok, kód rozlišení přípustný pro rok konce"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaD.c_ufo_cil"_s, Severity::Critical, u"číslo existujícího finančního úřadu"_s,
         u"export: úřad se vybírá z vestavěného číselníku; bez něj se soubor nevytvoří"_s},
        {u"DPZVD6.VetaD.d_srazky"_s, Severity::Critical, u"datum poslední srážky u kódu A od roku 2016"_s,
         u"netýká se roku 2015: program tento údaj pro rok 2015 nevyplňuje"_s, false},
        {u"DPZVD6.VetaP.typ_ds"_s, Severity::Critical, u"typ „L“ (plátcova pokladna) ne od roku 2024"_s,
         u"splněno vždy: program píše jen F nebo P"_s},
        {u"DPZVD6.VetaO.kc_dpzi07"_s, Severity::Critical, u"sl. 7 nezáporná"_s,
         u"netýká se roku 2015: sl. 7 se od roku 2013 nevyplňuje"_s, false},
        {u"DPZVD6.VetaO.kc_dpzi01"_s, Severity::Critical,
         u"sl. 1 nezáporná; u kódů A–F, H–M ne v měsíci mimo období"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaO.kc_dpzi06"_s, Severity::Critical, u"sl. 6 nezáporná"_s,
         u"netýká se roku 2015: sl. 6 se od roku 2013 nevyplňuje"_s, false},
        {u"DPZVD6.VetaO.mesic"_s, Severity::Critical, u"měsíc vyplněn a v podání jen jednou"_s,
         u"splněno vždy: program píše každý měsíc nejvýše jednou"_s},
        {u"DPZVD6.VetaO.kc_dpzi04"_s, Severity::Critical, u"sl. 4 nezáporná"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaO.kc_dpzi03a"_s, Severity::Critical, u"sl. 3 nezáporná"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaO.kc_dpzi02"_s, Severity::Critical, u"sl. 2 nezáporná"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaO.kc_dpzi05"_s, Severity::Critical, u"sl. 5 nezáporná"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaO.kc_dpzi11"_s, Severity::Critical, u"sl. 11 nezáporná"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaF.b_kc_castka"_s, Severity::Critical,
         u"částka opravy bonusu nenulová; s datem žádosti záporná"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaF.b_d_dodsraz"_s, Severity::Critical, u"datum dodatečné opravy ne po dni podání"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaF.b_mesic_nespr"_s, Severity::Critical, u"u předmětu „M“ vyplněn měsíc"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaF.b_rok_nespr"_s, Severity::Critical, u"rok nejdříve 2005"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaE.rok_nespr"_s, Severity::Critical, u"rok po 1993; u „D“ před rokem konce období"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaE.kc_castka"_s, Severity::Critical, u"částka opravy nenulová"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaE.d_puvsraz"_s, Severity::Critical,
         u"datum ne po dni podání; u „D“ vyplněno a nejdříve v roce po roce nesprávné srážky"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaE.mesic_nespr"_s, Severity::Critical, u"u předmětu „Z“ vyplněn měsíc"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaE.d_dodsraz"_s, Severity::Critical, u"datum dodatečné srážky ne po dni podání"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaC.m_mes_zuct5"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct9"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct8"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct6"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct4"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct7"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct2"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct3"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct11"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_kc_prijmy"_s, Severity::Critical, u"nezáporná"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct12"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_k_stat"_s, Severity::Critical, u"kód existujícího státu, ne CZ"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct1"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_kc_zakldane"_s, Severity::Critical, u"nezáporná"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_kc_zalohy"_s, Severity::Critical, u"nezáporná"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_kc_pojistne"_s, Severity::Critical, u"nezáporná"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaC.m_mes_zuct10"_s, Severity::Critical, u"„A“ ne v měsíci mimo období"_s,
         u"netýká se: příloha č. 2 (VetaC) není součástí programu"_s, false},
        {u"DPZVD6.VetaB.naz_obce_zuj"_s, Severity::Warning, u"název existující obce (ZÚJ)"_s,
         u"kontroly před podáním jako upozornění: číselník obcí je dnešní, ne z roku 2015; prázdný název doplní export z číselníku"_s},
        {u"DPZVD6.VetaB.c_obce_zuj"_s, Severity::Warning, u"kód existující obce; žádný kód dvakrát"_s,
         u"kontroly před podáním jako upozornění (číselník je dnešní); řádky se stejným kódem export sečte do jednoho"_s},
        {u"DPZVD6.VetaB.poc_zam"_s, Severity::Critical, u"počet nezáporný"_s, u"kontroly před podáním"_s},
        {u"DPZVD6.VetaS.s_kc_dpzi03a"_s, Severity::Critical, u"úhrn sl. 3 nezáporný"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaS.s_kc_dpzi04"_s, Severity::Critical, u"úhrn sl. 4 nezáporný"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaS.s_kc_dpzi02"_s, Severity::Critical, u"úhrn sl. 2 nezáporný"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaS.s_kc_dpzi06"_s, Severity::Critical, u"úhrn sl. 6 nezáporný"_s,
         u"netýká se roku 2015: sl. 6 se nevyplňuje"_s, false},
        {u"DPZVD6.VetaS.s_kc_dpzi07"_s, Severity::Critical, u"úhrn sl. 7 nezáporný"_s,
         u"netýká se roku 2015: sl. 7 se nevyplňuje"_s, false},
        {u"DPZVD6.VetaS.s_kc_dpzi05"_s, Severity::Critical, u"úhrn sl. 5 nezáporný"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaS.s_kc_dpzi01"_s, Severity::Critical, u"úhrn sl. 1 nezáporný"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaS.s_kc_dpzi11"_s, Severity::Critical, u"úhrn sl. 11 nezáporný"_s,
         u"kontroly před podáním"_s},
        {u"DPZVD6.VetaH.h_k_stat"_s, Severity::Critical, u"kód existujícího státu, ne CZ"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPZVD6.VetaH.h_k_stat_pasu"_s, Severity::Critical, u"kód existujícího státu"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPZVD6.VetaH.h_kc_prijmy"_s, Severity::Critical, u"kladná"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPZVD6.VetaH.h_kc_mzdy"_s, Severity::Critical, u"nezáporná, ne větší než sl. 14"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPZVD6.VetaH.h_kc_odmeny"_s, Severity::Critical, u"nezáporná, ne větší než sl. 14 a 15"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPZVD6.VetaH.h_kc_zalohy"_s, Severity::Critical, u"nezáporná"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPZVD6.VetaH.h_sraz_dan"_s, Severity::Critical, u"nezáporná"_s,
         u"netýká se: přílohu o daňových nerezidentech (VetaH) program nevede ani nepíše"_s, false},
        {u"DPSVD2.VetaD.zdobd_od"_s, Severity::Critical,
         u"kód rozlišení přípustný pro rok počátku; počátek ne po dni podání"_s, u"kontroly před podáním"_s},
        {u"DPSVD2.VetaD.lh_odv"_s, Severity::Critical, u"lhůta pro podání přiznání uvnitř období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaD.c_ufo_cil"_s, Severity::Critical, u"číslo existujícího finančního úřadu"_s,
         u"export: úřad se vybírá z vestavěného číselníku; bez něj se soubor nevytvoří"_s},
        {u"DPSVD2.VetaD.d_ins"_s, Severity::Critical, u"u kódů A–F datum ve druhém měsíci po konci období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaD.zdobd_do"_s, Severity::Critical,
         u"konec ne dříve než počátek, týž rok, ne po dni podání, kód rozlišení přípustný pro rok"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaP.typ_ds"_s, Severity::Critical, u"typ „L“ (plátcova pokladna) ne od roku 2024"_s,
         u"splněno vždy: program píše jen F nebo P"_s},
        {u"DPSVD2.VetaO.kc_dpsi04"_s, Severity::Critical,
         u"sl. 4 nezáporná, jen u fyzických osob, ne mimo období"_s,
         u"netýká se roku 2015: sl. 4 se od roku 2013 nevyplňuje"_s, false},
        {u"DPSVD2.VetaO.kc_dpsi02"_s, Severity::Critical, u"sl. 2 nezáporná, ne mimo období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaO.kc_dpsi06"_s, Severity::Critical,
         u"sl. 6 nezáporná, jen u příjmů fyzických osob, ne mimo období"_s, u"kontroly před podáním"_s},
        {u"DPSVD2.VetaO.kc_dpsi03"_s, Severity::Critical, u"sl. 3 nezáporná, ne mimo období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaO.mesic"_s, Severity::Critical, u"měsíc 1 až 12"_s,
         u"splněno vždy: program píše čísla měsíců 1 až 12"_s},
        {u"DPSVD2.VetaO.kc_dpsi01"_s, Severity::Critical, u"sl. 1 nezáporná, ne mimo období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaO.kc_dpsi08"_s, Severity::Critical, u"sl. 8 ne mimo období"_s,
         u"netýká se roku 2015: sl. 8 se od roku 2013 nevyplňuje"_s, false},
        {u"DPSVD2.VetaO.kc_dpsi07"_s, Severity::Critical, u"sl. 7 ne mimo období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaO.kc_dpsi05"_s, Severity::Critical,
         u"sl. 5 nezáporná, jen u fyzických osob, ne mimo období"_s,
         u"netýká se roku 2015: sl. 5 se od roku 2013 nevyplňuje"_s, false},
        {u"DPSVD2.VetaO.kc_dpsi08a"_s, Severity::Critical, u"sl. 8a ne mimo období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaO.kc_dpsi09"_s, Severity::Critical,
         u"u dodatečného vyúčtování rozdíl vyplněn; ne mimo období"_s,
         u"kontroly před podáním (rozdíl alespoň v jednom měsíci)"_s},
        {u"DPSVD2.VetaO.kc_dpsi10"_s, Severity::Critical, u"sl. 10 ne mimo období"_s,
         u"kontroly před podáním"_s},
        {u"DPSVD2.VetaB.mesic_opr"_s, Severity::Critical, u"měsíc opravy 1 až 12"_s,
         u"netýká se: přílohu vyúčtování daně vybírané srážkou (VetaB) program do podání nepíše"_s, false},
        {u"DPSVD2.VetaB.kc_castka"_s, Severity::Critical, u"částka opravy nenulová"_s,
         u"netýká se: přílohu vyúčtování daně vybírané srážkou (VetaB) program do podání nepíše"_s, false},
        {u"DPSVD2.VetaB.rok_nespr"_s, Severity::Critical, u"u příjmů právnických osob bez přílohy"_s,
         u"netýká se: přílohu vyúčtování daně vybírané srážkou (VetaB) program do podání nepíše"_s, false},
        {u"DPSVD2.VetaB.d_dodsraz"_s, Severity::Critical, u"datum ne po dni podání"_s,
         u"netýká se: přílohu vyúčtování daně vybírané srážkou (VetaB) program do podání nepíše"_s, false},
        {u"DPSVD2.VetaB.d_vracprepl"_s, Severity::Critical,
         u"bez data srážky datum vrácení ne po dni podání"_s,
         u"netýká se: přílohu vyúčtování daně vybírané srážkou (VetaB) program do podání nepíše"_s, false},
        {u"program.dic"_s, Severity::Warning, u"DIČ vyplněno ve tvaru CZ a 8 až 10 číslic"_s,
         u"kontroly před podáním"_s},
        {u"program.obdobi"_s, Severity::Warning, u"zdaňovací období vyplněno a v roce vyúčtování"_s,
         u"kontroly před podáním"_s},
        {u"program.cast_obdobi"_s, Severity::Warning, u"celý rok, ale „Za zdaňovací období“ nezaškrtnuto"_s,
         u"kontroly před podáním"_s},
        {u"program.typ"_s, Severity::Warning, u"právě jeden druh vyúčtování; u dodatečného datum zjištění"_s,
         u"kontroly před podáním"_s},
        {u"program.rekapitulace"_s, Severity::Warning, u"řádky části II souhlasí s částí I"_s,
         u"kontroly před podáním"_s},
        {u"program.podepisujici"_s, Severity::Warning,
         u"fyzická podepisující osoba s datem narození nebo evidenčním číslem; jasné, co je IČ a co datum"_s,
         u"kontroly před podáním"_s},
        {u"program.mesic_06"_s, Severity::Critical, u"vrácení přeplatku: jeden měsíc na řádek"_s,
         u"kontroly před podáním"_s},
        {u"program.pocet_mesicne"_s, Severity::Warning, u"počet zaměstnanců za každý měsíc období"_s,
         u"kontroly před podáním"_s},
        {u"program.kod_obce"_s, Severity::Warning, u"místo se zaměstnanci má kód obce o šesti číslicích"_s,
         u"kontroly před podáním"_s},
        {u"program.predmet_opravy"_s, Severity::Warning, u"předmět opravy „Z“/„D“, u bonusu „M“/„D“"_s,
         u"kontroly před podáním"_s},
    };
    return list;
}

QString filingCheckAnchor(const QString &id)
{
    return u"kontrola-"_s + id;
}

const FilingCheck *filingCheck(const QString &id)
{
    for (const FilingCheck &c : filingCheckList())
        if (c.id == id)
            return &c;
    return nullptr;
}

QString filingPartTitle(FilingPart part)
{
    switch (part) {
    case FilingPart::Company:
        return u"Údaje o plátci"_s;
    case FilingPart::Employment:
        return u"Vyúčtování daně z příjmů ze závislé činnosti"_s;
    case FilingPart::EmployeeCount:
        return u"Počet zaměstnanců"_s;
    case FilingPart::Corrections:
        return u"Příloha k vyúčtování - opravy"_s;
    case FilingPart::BonusCorrections:
        return u"Příloha k vyúčtování - opravy bonusu"_s;
    case FilingPart::Withholding:
        return u"Vyúčtování daně vybírané srážkou"_s;
    }
    return {};
}

FilingData readFilingData(data::TDM1 &dm, int taxYear, MunicipalityLookup municipalities)
{
    FilingData d;
    d.taxYear = taxYear;
    d.municipalities = std::move(municipalities);
    d.prp = readRecord(dm.Prp());
    d.vdvl = readRecord(dm.Vdvl());
    d.vdvs = readRecord(dm.Vdvs());
    d.vpkv = readRecord(dm.Vpkv());
    d.vpkb = readRecord(dm.Vpkb());
    d.forEachWorkplace = [&dm](const FilingData::WorkplaceVisitor &visit) {
        data::Dataset &rows = dm.VpzPr();
        const bool wasOpen = rows.isActive();
        if (!wasOpen)
            dm.openTable(rows);
        const data::Field *name = rows.fieldByName(Vpz::N3);
        const data::Field *count = rows.fieldByName(Vpz::C4);
        const data::Field *code = rows.fieldByName(Vpz::N6);
        const data::Field *municipality = rows.fieldByName(Vpz::N5);
        const data::Field *district = rows.fieldByName(Vpz::N7);
        const data::Field *real = rows.fieldByName(Vpz::Pmr);
        try {
            for (rows.first(); !rows.eof(); rows.next()) {
                if (!real->isNull())
                    visit({name->asString(), count->value(), code->asString(), municipality->asString(),
                           district->asString()});
            }
        } catch (...) {
            if (!wasOpen)
                rows.close();
            throw;
        }
        if (!wasOpen)
            rows.close();
    };
    return d;
}

QList<FilingIssue> checkForFiling(const FilingData &data, const QList<FilingPart> &parts)
{
    Checker c(data);
    const auto wanted = [&](FilingPart p) {
        if (!parts.isEmpty())
            return parts.contains(p);
        return p != FilingPart::Withholding || c.withholdingInUse();
    };
    c.company();
    if (wanted(FilingPart::Employment))
        c.employment();
    if (wanted(FilingPart::EmployeeCount))
        c.employeeCount();
    if (wanted(FilingPart::Corrections))
        c.corrections();
    if (wanted(FilingPart::BonusCorrections))
        c.bonusCorrections();
    if (wanted(FilingPart::Withholding))
        c.withholding();
    return c.issues;
}

QString filingIssuesText(const QList<FilingIssue> &issues)
{
    QString out;
    for (const FilingIssue &i : issues)
        out += i.text + u'\n';
    return out;
}

QList<FilingIssue> criticalIssues(const QList<FilingIssue> &issues)
{
    QList<FilingIssue> critical;
    for (const FilingIssue &i : issues)
        if (i.severity == Severity::Critical)
            critical.append(i);
    return critical;
}

} // namespace statements
