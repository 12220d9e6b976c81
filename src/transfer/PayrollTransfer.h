#pragma once

#include "platform/Error.h"
#include "transfer/Payroll.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace data {
class IStatementRecalc;
class TDM1;
} // namespace data

namespace transfer {

// A transfer that could not be carried out; the settlement is unchanged.
// The text is Czech and ready for a message box.
class TransferError : public platform::Error
{
public:
    using platform::Error::Error;
};

// The messages of the transfer.
namespace messages {
QString confirm();
QString done();
QString oldVersion();
QString cannotShow();
QString unresolvedPath();
} // namespace messages

// The name a transfer's change of the settlement is recorded under.
QString operationName();

// One row of Mzd11: the payroll rows of one month summed as the settlement
// stores them. Dan and Danz are whole crowns; the other sums are rounded to
// whole crowns after every row added, as posting each row would round them.
struct MonthSum
{
    int O = 0;
    QDate Dv;                 // of the month's first row
    std::optional<bool> Prdb; // of the month's first row (empty when the row had none)
    qint64 Dan = 0;
    qint64 Danz = 0; // tax of the withholding rows
    double Znd = 0;
    double Snd = 0;
    double Bon = 0;
    double Dps = 0;

    double Dpsbo() const { return Dps - Bon > 0 ? Dps - Bon : 0; }
    bool operator==(const MonthSum &) const = default;
};

// The payroll company's monthly rows summed by month, in the order the
// months first appear. Reading holds one small sum per month, however many
// rows the table has.
class PayrollSums
{
public:
    // Streams "Mzd1.DB". A table that cannot be opened, or lacks one of the
    // fields summed, is from a payroll version before 5 (the old-version
    // message); a table that fails part-way throws its engine message.
    // Both throw TransferError.
    static PayrollSums read(const QString &mzd1Path, const paradox::OpenOptions &options);

    // One payroll row added (amounts as stored; absent values count as 0).
    void add(int o, const QDate &dv, std::optional<bool> prdb, qint64 dan, double znd, double snd, double bon,
             double dps);

    const QList<MonthSum> &months() const { return m_months; }
    // The sum of month o, or nullptr.
    const MonthSum *month(int o) const;

private:
    // The month's sum, or nullptr when the month has had no row yet.
    MonthSum *find(int o)
    {
        if (m_index.empty() || o < -32768 || o > 32767)
            return nullptr;
        const int slot = m_index[std::size_t(o + 32768)];
        return slot == 0 ? nullptr : &m_months[slot - 1];
    }
    // A month's first row starts its sum with its date and mark.
    MonthSum &start(int o, const QDate &dv, std::optional<bool> prdb);
    static void accumulate(MonthSum &m, bool withholding, qint64 dan, double znd, double snd, double bon,
                           double dps);

    QList<MonthSum> m_months;
    std::vector<int> m_index; // position in m_months + 1 by O + 32768; 0 for none
};

// The company data copied into Prp: the tax ID, whether the payer is a
// legal person (the tax ID's digits after the country prefix equal the
// company ID), the name and the one-line address.
struct CompanyIdentity
{
    QString Dic;
    bool legalPerson = false;
    QString name;
    QString address;
};
CompanyIdentity identityOf(const CompanyHeader &header);

// Writes the sums into the open settlement: the company data when given,
// Mzd11 emptied and refilled, the seven monthly targets of Vdvl and Vdvs
// (zeros for months without rows), both statements recomputed, the tables
// reopened and refreshed. Throws data::DatabaseError.
void writeTransfer(data::TDM1 &dm, data::IStatementRecalc &recalc, const PayrollSums &sums,
                   const std::optional<CompanyHeader> &company);

// The whole transfer of one payroll company as the window's button runs it
// after the question: reads everything first, then writes. Throws
// TransferError (nothing written) or data::DatabaseError.
void transferCompany(data::TDM1 &dm, data::IStatementRecalc &recalc, const PayrollData &payroll,
                     const PayrollCompany &company);

} // namespace transfer
