#include "CliCommands.h"

#include "data/DataError.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"
#include "transfer/TransferSession.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

Result failed(const QString &message)
{
    Result r;
    r.exitCode = 2;
    r.error = message;
    return r;
}

Result importPayroll(const QString &dir, const QString &payrollDataDb, int companyNumber, bool companyData,
                     const QString &password)
{
    const QString settlement = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    if (!QFileInfo(settlement).isDir())
        return failed(u"Adresář %1 neexistuje."_s.arg(QDir::toNativeSeparators(settlement)));
    try {
        // The data module as the program prepares it for the settlement.
        data::TDM1 dm;
        statements::StatementRecalc recalc(dm);
        dm.DM1Create(QFileInfo(settlement).absolutePath());
        dm.setDatabasePath(settlement);
        dm.setStatementRecalc(&recalc);
        dm.OtevritTabulky();
        if (dm.upgradeFlags().any())
            statements::PrepocetVY(dm);

        transfer::TransferEnvironment env;
        env.dm = &dm;
        env.recalc = &recalc;
        env.payrollPassword = password;
        transfer::TransferSession session(env);
        session.setRememberedNumber(companyNumber);
        if (!session.showCompanies(QFileInfo(payrollDataDb).absoluteFilePath()))
            return failed(session.lastMessage());
        if (!session.currentCompany() || session.currentCompany()->Cislo != companyNumber)
            return failed(u"Firma číslo %1 v seznamu firem programu Gavrel není."_s.arg(companyNumber));
        // As the window's check box does when it is left.
        session.storeCompanyDataChoice(companyData);
        const bool done = session.transfer(false);
        dm.Disconnect();
        if (!done)
            return failed(session.lastMessage());
        Result r;
        r.output = session.lastMessage().toUtf8() + '\n';
        return r;
    } catch (const data::DatabaseError &e) {
        return failed(e.message());
    }
}

} // namespace

Result importPayroll(const QStringList &args)
{
    bool valid = args.size() >= 3;
    const int cislo = valid ? args[2].toInt(&valid) : 0;
    bool companyData = false;
    QString password;
    for (qsizetype i = 3; i < args.size(); ++i) {
        if (args[i] == u"--company-data")
            companyData = true;
        else if (args[i] == u"--password" && i + 1 < args.size())
            password = args[++i];
        else
            valid = false;
    }
    if (!valid)
        return failed(
            u"Použití: qesto-cli import-payroll ADRESÁŘ DATA_DB_GAVREL ČÍSLO_FIRMY [--company-data] "
            u"[--password HESLO]"_s);
    return importPayroll(args[0], args[1], cislo, companyData, password);
}

} // namespace cli
