#include "statements/FilingChecks.h"

#include "data/FieldText.h"
#include "data/Rounding.h"
#include "data/TDM1.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace statements {

namespace {

using Record = FilingData::Record;

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
    void add(FilingPart part, const QString &what)
    {
        issues.append({part, filingPartTitle(part) + u": "_s + what});
    }
    void typeMarks(FilingPart part, const QString &suffix, const QString &dateField);
    // A row of part II against what it quotes.
    void agrees(FilingPart part, const QString &row, double value, const QString &quoted, double expected)
    {
        if (value != expected)
            add(part, u"ř. %1 (%2) nesouhlasí %3 (%4)."_s.arg(row, crowns(value), quoted, crowns(expected)));
    }
    void annexRows(FilingPart part, const Record &r, const QStringList &rows, const QString &kindStem,
                   const QString &amountColumn, const QString &kinds);

    const FilingData &m_data;
};

void Checker::company()
{
    const Record &prp = m_data.prp;
    const QString dic = text(prp, u"Dic"_s);
    static const QRegularExpression dicForm(u"^CZ[0-9]{8,10}$"_s);
    if (dic.isEmpty())
        add(FilingPart::Company, u"není vyplněno DIČ plátce."_s);
    else if (!dicForm.match(dic).hasMatch())
        add(FilingPart::Company, u"DIČ „%1“ nemá tvar CZ a 8 až 10 číslic."_s.arg(dic));

    const QDate from = date(prp, u"Dz"_s);
    const QDate to = date(prp, u"Dk"_s);
    const int year = m_data.taxYear;
    const auto inYear = [&](const QDate &d, const QString &which) {
        if (!d.isValid())
            add(FilingPart::Company, u"není vyplněno zdaňovací období „%1“."_s.arg(which));
        else if (d.year() != year)
            add(FilingPart::Company,
                u"zdaňovací období „%1“ %2 neleží v roce %3."_s.arg(which, data::formatDate(d)).arg(year));
    };
    inYear(from, u"od"_s);
    inYear(to, u"do"_s);
    if (from.isValid() && to.isValid() && from > to)
        add(FilingPart::Company, u"zdaňovací období „od“ %1 je pozdější než „do“ %2."_s.arg(
                                     data::formatDate(from), data::formatDate(to)));
}

void Checker::typeMarks(FilingPart part, const QString &suffix, const QString &dateField)
{
    const Record &prp = m_data.prp;
    const int marks = int(flag(prp, u"Dpdr"_s + suffix)) + int(flag(prp, u"Dpdo"_s + suffix)) +
                      int(flag(prp, u"Dpdd"_s + suffix));
    if (marks == 0)
        add(part, u"není označeno, zda jde o vyúčtování řádné, opravné nebo dodatečné."_s);
    else if (marks > 1)
        add(part, u"je označeno více druhů vyúčtování (řádné, opravné, dodatečné); smí být jen jeden."_s);
    if (flag(prp, u"Dpdd"_s + suffix) && !date(prp, dateField).isValid())
        add(part, u"dodatečné vyúčtování nemá datum zjištění důvodů pro jeho podání."_s);
}

void Checker::employment()
{
    const FilingPart part = FilingPart::Employment;
    typeMarks(part, u"1"_s, u"Dopd"_s);

    const Record &v = m_data.vdvl;
    const double r1 = amount(v, u"C401"_s), r2 = amount(v, u"C403"_s), r3 = amount(v, u"C404"_s),
                 r4 = amount(v, u"C403a"_s), r5 = amount(v, u"C404a"_s), r8 = amount(v, u"C408"_s),
                 r9 = amount(v, u"C409"_s), r10 = amount(v, u"C410"_s);
    agrees(part, u"1"_s, r1, u"se sl. 1 ř. 13 v části I."_s, amount(v, u"Sl213"_s));
    agrees(part, u"2"_s, r2, u"se sl. 4 ř. 13 v části I."_s, amount(v, u"Sl513"_s));
    agrees(part, u"4"_s, r4, u"se sl. 5 ř. 13 v části I."_s, amount(v, u"Slb513"_s));
    agrees(part, u"8"_s, r8, u"s rekapitulací ř. 1 - ř. 2 + ř. 3 - ř. 4 + ř. 5"_s, r1 - r2 + r3 - r4 + r5);
    agrees(part, u"9"_s, r9, u"se sl. 11 ř. 13 v části I."_s, amount(v, u"Sl913"_s));
    agrees(part, u"10"_s, r10, u"s rozdílem ř. 9 - ř. 8"_s, r9 - r8);

    // The employee numbers on the first page are required for every month
    // the statement covers; a missing one reads as an unfinished form.
    const int year = m_data.taxYear;
    const QDate yearStart(year, 1, 1), yearEnd(year, 12, 31);
    QDate from = date(m_data.prp, u"Dz"_s), to = date(m_data.prp, u"Dk"_s);
    from = from.isValid() ? std::max(from, yearStart) : yearStart;
    to = to.isValid() ? std::min(to, yearEnd) : yearEnd;
    QStringList missing;
    for (int m = 1; m <= 12; ++m) {
        const QDate first(year, m, 1);
        if (first > to || first.addMonths(1) <= from)
            continue;
        if (!m_data.prp.value(u"Z"_s + QString::number(m)).isValid())
            missing.append(monthName(m));
    }
    if (!missing.isEmpty())
        add(part, u"chybí počet zaměstnanců k poslednímu dni měsíce: %1."_s.arg(missing.join(u", "_s)));
}

bool Checker::withholdingInUse() const
{
    const Record &prp = m_data.prp;
    if (flag(prp, u"Dpdr2"_s) || flag(prp, u"Dpdo2"_s) || flag(prp, u"Dpdd2"_s))
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
    typeMarks(part, u"2"_s, u"Dops"_s);
    const Record &v = m_data.vdvs;
    const double r1 = amount(v, u"C401a"_s), r4 = amount(v, u"C402"_s), r5 = amount(v, u"C403"_s);
    agrees(part, u"1"_s, r1, u"se sl. 1 ř. 13 v části I."_s, amount(v, u"Sl113"_s));
    agrees(part, u"4"_s, r4, u"se sl. 10 ř. 13 v části I."_s, amount(v, u"Sl1013"_s));
    agrees(part, u"5"_s, r5, u"s rozdílem ř. 4 - ř. 1"_s, r4 - r1);
}

void Checker::employeeCount()
{
    if (!m_data.forEachWorkplace)
        return;
    static const QRegularExpression codeForm(u"^[0-9]{6}$"_s);
    int row = 0;
    m_data.forEachWorkplace([&](const Workplace &w) {
        ++row;
        if (data::roundHalfAway(w.count.toDouble()) <= 0)
            return;
        const QString code = w.code.trimmed();
        if (codeForm.match(code).hasMatch())
            return;
        const QString where = w.name.trimmed().isEmpty()
                                  ? u"řádek %1"_s.arg(row)
                                  : u"řádek %1 („%2“)"_s.arg(QString::number(row), w.name.trimmed());
        add(FilingPart::EmployeeCount, code.isEmpty()
                                           ? u"%1 má zaměstnance, ale nemá kód obce."_s.arg(where)
                                           : u"%1: kód obce „%2“ nemá šest číslic."_s.arg(where, code));
    });
}

void Checker::annexRows(FilingPart part, const Record &r, const QStringList &rows, const QString &kindStem,
                        const QString &amountColumn, const QString &kinds)
{
    const QStringList allowed = kinds.split(u'/');
    for (const QString &row : rows) {
        // Rows 15 to 17 of the corrections carry an "a" after the row number.
        const bool suffixed = row.endsWith(u'a');
        const QString number = suffixed ? row.chopped(1) : row;
        const QString kind = text(r, kindStem + row);
        const QString amountField = u"C"_s + number + amountColumn + (suffixed ? u"a"_s : QString());
        if (kind.isEmpty()) {
            if (amount(r, amountField) != 0)
                add(part, u"řádek %1 má částku, ale nemá předmět opravy (sl. 1 „%2“ nebo „%3“)."_s.arg(
                              number, allowed.at(0), allowed.at(1)));
        } else if (!allowed.contains(kind)) {
            add(part, u"řádek %1: předmět opravy „%2“ není „%3“ ani „%4“."_s.arg(number, kind, allowed.at(0),
                                                                                 allowed.at(1)));
        }
    }
}

void Checker::corrections()
{
    QStringList rows;
    for (int r = 1; r <= 14; ++r)
        rows.append(QString::number(r));
    rows << u"15a"_s << u"16a"_s << u"17a"_s;
    annexRows(FilingPart::Corrections, m_data.vpkv, rows, u"Z"_s, u"5"_s, u"Z/D"_s);
}

void Checker::bonusCorrections()
{
    QStringList rows;
    for (int r = 1; r <= 14; ++r)
        rows.append(QString::number(r));
    annexRows(FilingPart::BonusCorrections, m_data.vpkb, rows, u"M"_s, u"6"_s, u"M/D"_s);
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

FilingData readFilingData(data::TDM1 &dm, int taxYear)
{
    FilingData d;
    d.taxYear = taxYear;
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
        const data::Field *name = rows.fieldByName(u"N3"_s);
        const data::Field *count = rows.fieldByName(u"C4"_s);
        const data::Field *code = rows.fieldByName(u"N6"_s);
        const data::Field *real = rows.fieldByName(u"Pmr"_s);
        try {
            for (rows.first(); !rows.eof(); rows.next()) {
                if (!real->isNull())
                    visit({name->asString(), count->value(), code->asString()});
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

} // namespace statements
