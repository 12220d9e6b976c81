#include "transfer/Payroll.h"

#include "data/TableDefs.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"

#include <algorithm>

using namespace Qt::StringLiterals;
namespace FileOps = platform::FileOps;

namespace transfer {

namespace {

bool sameDir(const QString &a, const QString &b)
{
    return QString::compare(FileOps::withoutTrailingSeparator(a).replace(u'/', u'\\'),
                            FileOps::withoutTrailingSeparator(b).replace(u'/', u'\\'),
                            Qt::CaseInsensitive) == 0;
}

QString textOf(const paradox::Table &table, const QString &field)
{
    const int i = table.fieldIndex(field);
    return i < 0 || table.recordCount() == 0 ? QString() : table.value(0, i).toString().trimmed();
}

QDate dateOf(const paradox::Table &table, const QString &field)
{
    const int i = table.fieldIndex(field);
    return i < 0 || table.recordCount() == 0 ? QDate() : table.value(0, i).toDate();
}

} // namespace

QString searchPayrollData(const QString &programDir, const QString &localRoot, int taxYear)
{
    QString found;
    QString last;
    const QStringList bases{FileOps::parentOf(FileOps::withTrailingSeparator(programDir)),
                            FileOps::parentOf(FileOps::withTrailingSeparator(localRoot))};
    for (int year = 2002; year <= taxYear; ++year) {
        for (const QString &base : bases) {
            const QString candidate = base + u"Gavrel "_s + QString::number(year) + u'\\';
            last = candidate;
            if (base.isEmpty() || sameDir(candidate, localRoot))
                continue;
            if (FileOps::fileExists(candidate + names::dataFile()) &&
                FileOps::fileExists(candidate + names::iniFile()))
                found = candidate;
        }
    }
    if (found.isEmpty())
        return last + names::dataFile();

    // A networked payroll installation keeps its data on the shared root.
    const platform::IniFile ini(FileOps::resolve(found + names::iniFile()));
    if (ini.readString(u"Gavrel", u"Net") == u"1") {
        const QString shared = ini.readString(u"Gavrel", u"Path").trimmed();
        if (!shared.isEmpty())
            return FileOps::withTrailingSeparator(shared) + names::dataFile();
    }
    return found + names::dataFile();
}

QString findPayrollData(const QString &storedPath, const QString &programDir, const QString &localRoot,
                        int taxYear)
{
    if (QString::compare(storedPath, u"Nastavte správně cestu."_s, Qt::CaseInsensitive) != 0 &&
        !storedPath.isEmpty() && FileOps::fileExists(storedPath))
        return storedPath;
    return searchPayrollData(programDir, localRoot, taxYear);
}

// ---------------------------------------------------------------- PayrollData

PayrollData::PayrollData(const QString &dataDbPath, const paradox::OpenOptions &options)
    : m_dataDb(dataDbPath), m_root(FileOps::directoryOf(dataDbPath)), m_options(options)
{
    // The payroll program's files are read, never written.
    m_options.mode = paradox::OpenMode::Shared;
    m_options.readOnly = true;
    if (m_root.isEmpty())
        m_root = FileOps::withTrailingSeparator(FileOps::currentDir());
}

std::unique_ptr<paradox::Table> PayrollData::openTable(const QString &path) const
{
    return paradox::Table::open(FileOps::resolve(path), m_options);
}

QList<PayrollCompany> PayrollData::companies() const
{
    const auto table = openTable(m_dataDb);
    const int cislo = table->fieldIndex(u"Cislo"_s);
    const int nazev = table->fieldIndex(u"Nazev"_s);
    const int adresar = table->fieldIndex(u"Adresar"_s);
    if (cislo < 0 || adresar < 0)
        throw paradox::TableError(
            paradox::TableError::Kind::Unsupported,
            u"Tabulka %1 není seznamem firem programu Gavrel."_s.arg(names::dataFile()));
    QList<PayrollCompany> list;
    for (paradox::RowCursor c = table->rows(); c.next();) {
        const paradox::RowView &r = c.row();
        PayrollCompany company{r.intValue(cislo), nazev < 0 ? QString() : r.text(nazev).trimmed(),
                               r.text(adresar).trimmed()};
        // A directory that is not a plain name would lead outside the
        // payroll data, where the company-data choice would be written.
        if (FileOps::isPlainName(company.Adresar))
            list.append(company);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const PayrollCompany &a, const PayrollCompany &b) { return a.Cislo < b.Cislo; });
    return list;
}

QString PayrollData::companyDir(const PayrollCompany &company) const
{
    return m_root + company.Adresar + u'\\';
}

QString PayrollData::companyIni(const PayrollCompany &company) const
{
    return companyDir(company) + company.Adresar + u".ini"_s;
}

QString PayrollData::rowsPath(const PayrollCompany &company) const
{
    return companyDir(company) + names::rowsFile();
}

CompanyHeader PayrollData::header(const PayrollCompany &company) const
{
    CompanyHeader h;
    const auto mhl = openTable(companyDir(company) + names::headerFile());
    h.Ico = textOf(*mhl, u"Ico"_s);
    h.Dic = textOf(*mhl, u"Dic"_s);
    h.Fa = textOf(*mhl, u"Fa"_s);
    h.Ul = textOf(*mhl, u"Ul"_s);
    h.Mi = textOf(*mhl, u"Mi"_s);
    h.Psc = textOf(*mhl, u"Psc"_s);
    h.Dzr = dateOf(*mhl, u"Dzr"_s);
    h.Dkr = dateOf(*mhl, u"Dkr"_s);
    h.Fa1 = h.Fa;
    if (h.Fa1.isEmpty()) {
        const auto mtus = openTable(companyDir(company) + names::fullNameFile());
        h.Fa1 = textOf(*mtus, u"Fa1"_s);
    }
    return h;
}

bool PayrollData::companyDataChoice(const PayrollCompany &company) const
{
    return platform::IniFile(FileOps::resolve(companyIni(company)))
        .readBool(names::companySection(), names::companyKey(), false);
}

void PayrollData::storeCompanyDataChoice(const PayrollCompany &company, bool transfer) const
{
    platform::IniFile ini(FileOps::resolve(companyIni(company)));
    if (ini.readBool(names::companySection(), names::companyKey(), false) != transfer)
        ini.writeBool(names::companySection(), names::companyKey(), transfer);
}

} // namespace transfer
