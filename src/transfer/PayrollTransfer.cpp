#include "transfer/PayrollTransfer.h"

#include "data/ChangeSet.h"
#include "data/FieldNames.h"
#include "data/Rounding.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace transfer {

namespace messages {
QString confirm()
{
    return u"Opravdu chcete přenest údaje z programu Gavrel ?"_s;
}
QString done()
{
    return u"Údaje z programu Gavrel byly přeneseny."_s;
}
QString oldVersion()
{
    return u"Údaje lze přenést pouze z programu Gavrel verze 5.xx a vyšší."_s;
}
QString cannotShow()
{
    return u"Údaje o firmě nelze zobrazit.\nZkontrolujte cestu k programu Gavrel (adresář).\n"
           u"Zkontrolujte, zda máte program Gavrel zavřený."_s;
}
QString unresolvedPath()
{
    return u"Nastavte správně cestu."_s;
}
} // namespace messages

QString operationName()
{
    return u"Přenos údajů z programu Gavrel"_s;
}

// ---------------------------------------------------------------- sums

namespace {

// Each row was posted on its own, so a sum is rounded after every row.
inline double roundedSum(double sum, double value)
{
    const double v = sum + value;
    return v == std::trunc(v) ? v : data::roundHalfAway(v);
}

} // namespace

MonthSum &PayrollSums::start(int o, const QDate &dv, std::optional<bool> prdb)
{
    if (m_index.empty())
        m_index.assign(65536, 0);
    MonthSum m;
    m.O = o;
    m.Dv = dv;
    m.Prdb = prdb;
    m_months.append(m);
    m_index[std::size_t(qBound(-32768, o, 32767) + 32768)] = int(m_months.size());
    return m_months.last();
}

void PayrollSums::accumulate(MonthSum &m, bool withholding, qint64 dan, double znd, double snd, double bon,
                             double dps)
{
    m.Dan += dan;
    if (withholding) {
        m.Danz += dan;
        return;
    }
    m.Znd = roundedSum(m.Znd, znd);
    m.Snd = roundedSum(m.Snd, snd);
    m.Bon = roundedSum(m.Bon, bon);
    m.Dps = roundedSum(m.Dps, dps);
}

void PayrollSums::add(int o, const QDate &dv, std::optional<bool> prdb, qint64 dan, double znd, double snd,
                      double bon, double dps)
{
    MonthSum *m = find(o);
    if (!m)
        m = &start(o, dv, prdb);
    accumulate(*m, prdb.value_or(false), dan, znd, snd, bon, dps);
}

const MonthSum *PayrollSums::month(int o) const
{
    return const_cast<PayrollSums *>(this)->find(o);
}

PayrollSums PayrollSums::read(const QString &mzd1Path, const paradox::OpenOptions &options)
{
    paradox::RowCursor cursor;
    int o = -1, dan = -1, prdb = -1, dv = -1, znd = -1, snd = -1, bon = -1, dps = -1;
    try {
        cursor = paradox::Table::stream(platform::FileOps::resolve(mzd1Path), options);
        o = cursor.fieldIndex(u"O"_s);
        dan = cursor.fieldIndex(u"Dan"_s);
        prdb = cursor.fieldIndex(u"Prdb"_s);
        dv = cursor.fieldIndex(u"Dv"_s);
        znd = cursor.fieldIndex(u"Znd"_s);
        snd = cursor.fieldIndex(u"Snd"_s);
        bon = cursor.fieldIndex(u"Bon"_s);
        dps = cursor.fieldIndex(u"Dps"_s);
    } catch (const paradox::TableError &e) {
        throw TransferError(platform::Error::withReason(messages::oldVersion(), e.message()));
    }
    for (int f : {o, dan, prdb, dv, znd, snd, bon, dps}) {
        if (f < 0)
            throw TransferError(messages::oldVersion());
    }

    // The tax is a whole number in every payroll version seen; a Number
    // field is rounded as a post would round it.
    const paradox::FieldType danType = cursor.schema().fields.at(dan).type;
    const bool wholeTax = danType == paradox::FieldType::Long || danType == paradox::FieldType::Short;
    PayrollSums sums;
    try {
        while (cursor.next()) {
            const paradox::RowView &r = cursor.row();
            const int month = r.intValue(o);
            const bool withholding = r.logical(prdb);
            MonthSum *m = sums.find(month);
            if (!m)
                m = &sums.start(month, r.date(dv),
                                r.isNull(prdb) ? std::nullopt : std::optional(withholding));
            const qint64 tax = wholeTax ? r.intValue(dan) : qint64(data::roundHalfAway(r.number(dan)));
            accumulate(*m, withholding, tax, r.number(znd), r.number(snd), r.number(bon), r.number(dps));
        }
    } catch (const paradox::TableError &e) {
        throw TransferError(u"Údaje z programu Gavrel nelze přenést, nic nebylo změněno.\n\n"_s +
                            e.message());
    }
    return sums;
}

// ---------------------------------------------------------------- identity

CompanyIdentity identityOf(const CompanyHeader &header)
{
    CompanyIdentity id;
    id.Dic = header.Dic;
    QString digits = header.Dic;
    if (const qsizetype z = digits.indexOf(u'Z'); z >= 0)
        digits.remove(0, z + 1);
    id.legalPerson = digits == header.Ico;
    id.name = header.Fa1;
    id.address = header.Ul + (header.Ul.isEmpty() ? QString() : u", "_s) + header.Psc + u"  "_s + header.Mi;
    return id;
}

// ---------------------------------------------------------------- writing

namespace {

using namespace data::fields;

void writeCompany(data::TDM1 &dm, const CompanyHeader &header)
{
    const CompanyIdentity id = identityOf(header);
    data::Dataset &prp = dm.Prp();
    prp.edit();
    prp.fieldByName(Prp::Dic)->setAsString(id.Dic);
    prp.fieldByName(Prp::Pfo)->setAsBoolean(!id.legalPerson);
    if (id.legalPerson) {
        prp.fieldByName(Prp::Ojv)->setAsString(id.name);
        prp.fieldByName(Prp::Ojs)->setAsString(id.name);
    } else {
        prp.fieldByName(Prp::Prk)->setAsString(id.name);
        prp.fieldByName(Prp::Prks)->setAsString(id.name);
    }
    prp.fieldByName(Prp::Mi)->setAsString(id.address);
    prp.fieldByName(Prp::Adrb)->setAsString(id.address);
    prp.post();
}

void writeMonths(data::TDM1 &dm, const PayrollSums &sums)
{
    data::Dataset &mzd11 = dm.Mzd11();
    mzd11.close();
    dm.PrevodQr().empty(data::TableId::Mzd11);
    dm.openTable(mzd11);
    data::Field *o = mzd11.fieldByName(Mzd11::O);
    data::Field *dv = mzd11.fieldByName(Mzd11::Dv);
    data::Field *prdb = mzd11.fieldByName(Mzd11::Prdb);
    data::Field *dan = mzd11.fieldByName(Mzd11::Dan);
    data::Field *danz = mzd11.fieldByName(Mzd11::Danz);
    data::Field *znd = mzd11.fieldByName(Mzd11::Znd);
    data::Field *snd = mzd11.fieldByName(Mzd11::Snd);
    data::Field *bon = mzd11.fieldByName(Mzd11::Bon);
    data::Field *dps = mzd11.fieldByName(Mzd11::Dps);
    for (const MonthSum &m : sums.months()) {
        mzd11.append();
        o->setAsInteger(m.O);
        if (m.Dv.isValid())
            dv->setAsDate(m.Dv);
        if (m.Prdb)
            prdb->setAsBoolean(*m.Prdb);
        dan->setAsInteger(int(m.Dan));
        danz->setAsInteger(int(m.Danz));
        znd->setAsFloat(m.Znd);
        snd->setAsFloat(m.Snd);
        bon->setAsFloat(m.Bon);
        dps->setAsFloat(m.Dps);
        mzd11.post();
    }
}

void writeStatements(data::TDM1 &dm, const PayrollSums &sums)
{
    data::Dataset &vdvl = dm.Vdvl();
    data::Dataset &vdvs = dm.Vdvs();
    vdvl.edit();
    vdvs.edit();
    for (int m = 1; m <= 12; ++m) {
        const MonthSum *sum = sums.month(m);
        const double dps = sum ? sum->Dps : 0;
        const double danz = sum ? double(sum->Danz) : 0;
        vdvl.fieldByName(Vdvl::Sl2(m))->setAsFloat(dps);
        vdvl.fieldByName(Vdvl::Sl3(m))->setAsFloat(dps);
        vdvl.fieldByName(Vdvl::Slb5(m))->setAsFloat(sum ? sum->Bon : 0);
        vdvl.fieldByName(Vdvl::Sl9(m))->setAsFloat(sum ? sum->Dpsbo() : 0);
        vdvs.fieldByName(Vdvs::Sl1(m))->setAsFloat(danz);
        vdvs.fieldByName(Vdvs::Sl2(m))->setAsFloat(danz);
        vdvs.fieldByName(Vdvs::Sl10(m))->setAsFloat(danz);
    }
    vdvl.post();
    vdvs.post();
}

} // namespace

void writeTransfer(data::TDM1 &dm, data::IStatementRecalc &recalc, const PayrollSums &sums,
                   const std::optional<CompanyHeader> &company)
{
    // The sums must fit Mzd11 and the statements before anything is
    // written, so a refusal leaves the settlement as it was.
    for (const MonthSum &m : sums.months()) {
        bool fits = true;
        for (qint64 v : {m.Dan, m.Danz})
            fits = fits && v <= std::numeric_limits<qint32>::max() && v >= std::numeric_limits<qint32>::min();
        for (double v : {m.Znd, m.Snd, m.Bon, m.Dps})
            fits = fits && std::abs(v) <= data::AmountLimit;
        if (!fits)
            throw TransferError(u"Součty za měsíc %1 přesahují rozsah polí, nic nebylo změněno."_s.arg(m.O));
    }
    // The company data, the payroll sums and both statements change as one:
    // a failure or a stop anywhere leaves the settlement as it was.
    data::changeSettlement(
        dm, operationName(),
        {data::TableId::Prp, data::TableId::Mzd11, data::TableId::Vdvl, data::TableId::Vdvs}, [&] {
            if (company)
                writeCompany(dm, *company);
            writeMonths(dm, sums);
            writeStatements(dm, sums);
            recalc.VypocetVdvl1(dm);
            recalc.VypocetVdvs1(dm);
        });

    for (data::Dataset *ds : {&dm.Mzd11(), &dm.Prp(), &dm.Vdvl(), &dm.Vdvs()})
        ds->close();
    for (data::Dataset *ds : {&dm.Prp(), &dm.Vdvl(), &dm.Vdvs(), &dm.Mzd11()})
        dm.openTable(*ds);
    dm.Obnovit1();
    dm.NazevDp1();
}

void transferCompany(data::TDM1 &dm, data::IStatementRecalc &recalc, const PayrollData &payroll,
                     const PayrollCompany &company)
{
    // Everything is read before the first write, so a payroll table that
    // fails anywhere leaves the settlement as it was.
    std::optional<CompanyHeader> header;
    PayrollSums sums = PayrollSums::read(payroll.rowsPath(company), payroll.options());
    if (payroll.companyDataChoice(company)) {
        try {
            header = payroll.header(company);
        } catch (const paradox::TableError &e) {
            throw TransferError(u"Údaje z programu Gavrel nelze přenést, nic nebylo změněno.\n\n"_s +
                                e.message());
        }
    }
    writeTransfer(dm, recalc, sums, header);
}

} // namespace transfer
