#pragma once

#include "paradox/Table.h"

#include <QDate>
#include <QList>
#include <QString>

// The payroll program's data as the transfer reads them: its company list
// "Data.DB", its "Gavrel.ini", and per company the header "Mhl.DB" with
// "Mtus.DB", the monthly rows "Mzd1.DB" and the company's INI file. Every
// table is opened shared and read-only; the only thing ever written is the
// company-data choice in the company's INI file.
namespace transfer {

// One entry of the payroll company list.
struct PayrollCompany
{
    int Cislo = 0;
    QString Nazev;
    QString Adresar;

    bool operator==(const PayrollCompany &) const = default;
};

// What the window shows of the selected company and what the company-data
// transfer copies.
struct CompanyHeader
{
    QString Ico;
    QString Dic;
    QString Fa;
    QString Ul;
    QString Mi;
    QString Psc;
    QDate Dzr;
    QDate Dkr;
    QString Fa1; // Fa, or the full name from "Mtus.DB" when Fa is empty

    bool operator==(const CompanyHeader &) const = default;
};

// The file names and INI keys of the payroll program.
namespace names {
inline QString dataFile()
{
    return QStringLiteral("Data.DB");
}
inline QString iniFile()
{
    return QStringLiteral("Gavrel.ini");
}
inline QString headerFile()
{
    return QStringLiteral("Mhl.DB");
}
inline QString fullNameFile()
{
    return QStringLiteral("Mtus.DB");
}
inline QString rowsFile()
{
    return QStringLiteral("Mzd1.DB");
}
inline QString companySection()
{
    return QStringLiteral("Qesto");
}
inline QString companyKey()
{
    return QStringLiteral("Firma");
}
} // namespace names

// Where the payroll "Data.DB" is when no usable path is stored: for every
// year from 2002 to taxYear the directory "Gavrel <year>" beside the program
// directory and beside the local data root (a candidate equal to the local
// data root is skipped); the last one holding both "Data.DB" and
// "Gavrel.ini" wins. Without a find, the second candidate of the last year.
// A networked payroll installation ("Gavrel.ini" [Gavrel] "Net" = 1 with a
// "Path") is followed to its shared data root.
QString searchPayrollData(const QString &programDir, const QString &localRoot, int taxYear);

// The stored path when it names an existing file, otherwise the search.
QString findPayrollData(const QString &storedPath, const QString &programDir, const QString &localRoot,
                        int taxYear);

// The payroll data root of one "Data.DB". Failures throw
// paradox::TableError with the engine's Czech message.
class PayrollData
{
public:
    PayrollData(const QString &dataDbPath, const paradox::OpenOptions &options);

    // The data root, ending with "\".
    const QString &root() const { return m_root; }
    const paradox::OpenOptions &options() const { return m_options; }

    // The company list in the order of Cislo.
    QList<PayrollCompany> companies() const;

    QString companyDir(const PayrollCompany &company) const;
    QString companyIni(const PayrollCompany &company) const;
    QString rowsPath(const PayrollCompany &company) const;

    // The first row of "Mhl.DB" with the name from "Mtus.DB"; fields an
    // older payroll version lacks read as empty.
    CompanyHeader header(const PayrollCompany &company) const;

    // [Qesto] "Firma" of the company's INI file (default false).
    bool companyDataChoice(const PayrollCompany &company) const;
    // Writes the choice only when it differs from the stored one, so the
    // payroll data stay as they are when nothing was changed. Throws
    // platform::Error when the INI file cannot be written.
    void storeCompanyDataChoice(const PayrollCompany &company, bool transfer) const;

private:
    std::unique_ptr<paradox::Table> openTable(const QString &path) const;

    QString m_dataDb;
    QString m_root;
    paradox::OpenOptions m_options;
};

} // namespace transfer
