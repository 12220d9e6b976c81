#include "settlement/SettlementModule.h"

#include <QFileInfo>

namespace settlement {

namespace {

void recompute(data::TDM1 &dm)
{
    statements::PrepocetVY(dm);
}

} // namespace

SettlementModule::SettlementModule(const QString &dir, const QString &root)
    : dir(dir), name(QFileInfo(dir).fileName()), dm(data::Collaborators::windowless(recalc)),
      rollover(paths, dm, [this] { return name; })
{
    paths.FileDir = root + u'/';
    dm.DM1Create(root);
    dm.setDatabasePath(dir);
}

OpeningReport SettlementModule::open()
{
    return openSettlement(dm, dir, dm.templateDir(), iniFile(), &rollover, recompute);
}

QStringList SettlementModule::notices(const OpeningReport &report) const
{
    QStringList lines;
    if (const QString notice = report.notice(); !notice.isEmpty())
        lines.append(notice);
    if (const QString created = data::TDM1::createdEmptyText(dm.createdEmptyTables()); !created.isEmpty())
        lines.append(created);
    return lines;
}

backup::Reopening SettlementModule::reopening()
{
    return settlement::reopening(dir, dm.templateDir(), iniFile(), &rollover, recompute);
}

} // namespace settlement
