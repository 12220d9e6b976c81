#pragma once

// An open settlement beside a payroll data root, for the transfer's tests.

#include "PayrollFixture.h"
#include "SettlementFixture.h"

#include "ScriptedMessages.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"
#include "transfer/TransferSession.h"

#include <QTemporaryDir>

namespace payrolltest {

using namespace Qt::StringLiterals;
using platform::ScriptedMessages;

// A data root with one open settlement "D1" and a payroll data root beside
// it ("Gavrel 2015") with the companies F1 and F2.
struct Fixture
{
    QTemporaryDir tmp;
    QString root;
    QString settlement;
    QString payroll;
    statements::StatementRecalc recalc;
    data::TDM1 dm{data::Collaborators::windowless(recalc)};
    ScriptedMessages messages;

    explicit Fixture(const QString &password = {})
    {
        root = tmp.filePath(u"Qesto 2015"_s);
        settlement = dm1test::makeCurrentSettlement(root);
        payroll = tmp.filePath(u"Gavrel 2015"_s);
        payrolltest::Company legal{1, u"Stavby"_s, u"F1"_s};
        payrolltest::Company person{2, u"Novák"_s, u"F2"_s};
        person.dic = u"CZ7001011234"_s;
        person.ul.clear();
        person.fa = u"Jan Novák - stavby Brno"_s;
        ok = payrolltest::writePayroll(payroll, {legal, person}, password);
        dm.DM1Create(root);
        dm.setDatabasePath(settlement);
        dm.OtevritTabulky();
    }

    transfer::TransferEnvironment environment(const QString &password = {})
    {
        transfer::TransferEnvironment env;
        env.dm = &dm;
        env.recalc = &recalc;
        env.messages = &messages;
        env.resolveTemplate = [](const QString &t, bool *good) {
            *good = !t.isEmpty();
            return t.isEmpty() ? u"Nastavte správně cestu."_s : t;
        };
        env.toTemplate = [](const QString &p) { return p; };
        env.programDir = tmp.filePath(u"Program"_s) + u'/';
        env.localRoot = root + u'/';
        env.dataRoot = root + u'/';
        env.settlementIni = settlement + u"/D1.ini"_s;
        env.settlementDir = u"D1"_s;
        env.payrollPassword = password;
        return env;
    }

    double vdvl(const QString &name) { return dm.Vdvl().fieldByName(name)->asFloat(); }
    double vdvs(const QString &name) { return dm.Vdvs().fieldByName(name)->asFloat(); }
    QString prp(const QString &name) { return dm.Prp().fieldByName(name)->asString(); }

    bool ok = false;
};

} // namespace payrolltest
