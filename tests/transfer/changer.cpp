// The child of the crash harness: runs one operation that changes several
// tables of a settlement, through a file layer that ends the process just
// before its Nth file change, as a kill or a power cut at that moment would
// (nothing is flushed, nothing cleaned up). With N = -1 it runs to the end
// and prints how many file changes there were. "changer payroll DIR" writes
// the payroll data the harness transfers into DIR, for scripts.
//
//   changer transfer|recalc|upgrade|rollover|pending|restore <settlement dir> <N> [payroll Data.DB|archive]
#include "PayrollFixture.h"

#include "backup/BackupJobs.h"
#include "data/TDM1.h"
#include "settlement/NewYear.h"
#include "settlement/SettlementOpening.h"
#include "statements/Recalc.h"
#include "transfer/Payroll.h"
#include "transfer/PayrollTransfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

class StopBeforeStep final : public paradox::FileLayer
{
public:
    explicit StopBeforeStep(int stopAt) : m_stopAt(stopAt) {}
    int steps() const { return m_steps; }

    bool copy(const QString &from, const QString &to, QString &error) const override
    {
        step();
        return FileLayer::copy(from, to, error);
    }
    bool rename(const QString &from, const QString &to, QString &error) const override
    {
        step();
        return FileLayer::rename(from, to, error);
    }
    bool remove(const QString &path, QString &error) const override
    {
        step();
        return FileLayer::remove(path, error);
    }
    bool beforeWrite(const QString &path, QString &error) const override
    {
        step();
        return FileLayer::beforeWrite(path, error);
    }

private:
    void step() const
    {
        if (m_steps++ == m_stopAt)
            std::_Exit(99);
    }

    int m_stopAt;
    mutable int m_steps = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("payroll")) {
        std::printf("%s\n", qPrintable(payrolltest::writeHarnessPayroll(args[2])));
        return 0;
    }
    if (args.size() < 4)
        return 1;
    const QString operation = args[1];
    const QString dir = QDir::cleanPath(args[2]);
    auto layer = std::make_shared<StopBeforeStep>(args[3].toInt());
    try {
        statements::StatementRecalc recalc;
        data::TDM1 dm(data::Collaborators::windowless(recalc));
        const QString root = QFileInfo(dir).absolutePath();
        const QString name = QFileInfo(dir).fileName();
        dm.DM1Create(root);
        dm.setDatabasePath(dir);
        dm.setFileLayer(layer);
        settlement::AppPaths paths;
        paths.FileDir = root + u'/';
        settlement::NewYearRollover rollover(paths, dm, [&name] { return name; });
        // The random kills are timed from here.
        std::printf("S\n");
        std::fflush(stdout);
        // The one opening, which carries out a pending rollover.
        settlement::openSettlement(dm, dir, dm.templateDir(), dir + u'/' + name + u".ini", &rollover,
                                   [](data::TDM1 &d) { statements::PrepocetVY(d); });
        if (operation == QLatin1String("rollover")) {
            rollover.NovyRok2(1);
        } else if (operation == QLatin1String("recalc")) {
            statements::PrepocetVY(dm);
        } else if (operation == QLatin1String("transfer") && args.size() > 4) {
            const transfer::PayrollData payroll(args[4], {});
            transfer::transferCompany(dm, recalc, payroll, payroll.companies().first());
        } else if (operation == QLatin1String("restore") && args.size() > 4) {
            const backup::Outcome restored = backup::restoreOpenSettlement(
                dm, dir, name, args[4],
                settlement::reopening(dir, dm.templateDir(), dir + u'/' + name + u".ini", &rollover,
                                      [](data::TDM1 &d) { statements::PrepocetVY(d); }));
            if (!restored.ok)
                throw platform::Error(restored.message);
        } else if (operation != QLatin1String("upgrade") && operation != QLatin1String("pending")) {
            return 1;
        }
        dm.Disconnect();
    } catch (const platform::Error &e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 2;
    }
    std::printf("%d\n", layer->steps());
    return 0;
}
