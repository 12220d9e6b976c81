#include "CliCommands.h"
#include "CliSettlement.h"

#include "transfer/TransferSession.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

Result importPayroll(const QString &dir, const QString &payrollDataDb, int companyNumber, bool companyData,
                     const QString &password)
{
    return guarded([&] {
        Module m(locate(dir));
        m.open();

        transfer::TransferEnvironment env;
        env.dm = &m.dm;
        env.recalc = &m.recalc;
        env.payrollPassword = password;
        transfer::TransferSession session(env);
        session.setRememberedNumber(companyNumber);
        if (!session.showCompanies(QFileInfo(payrollDataDb).absoluteFilePath()))
            return failure(session.lastMessage());
        if (!session.currentCompany() || session.currentCompany()->Cislo != companyNumber)
            return failure(u"Firma číslo %1 v seznamu firem programu Gavrel není."_s.arg(companyNumber));
        // As the window's check box does when it is left.
        session.storeCompanyDataChoice(companyData);
        const bool done = session.transfer(false);
        m.dm.Disconnect();
        if (!done)
            return failure(session.lastMessage());
        Result r;
        r.output = session.lastMessage().toUtf8() + '\n';
        return r;
    });
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
        return failure(
            u"Použití: qesto-cli import-payroll ADRESÁŘ DATA_DB_GAVREL ČÍSLO_FIRMY [--company-data] "
            u"[--password HESLO]"_s);
    return importPayroll(args[0], args[1], cislo, companyData, password);
}

} // namespace cli
