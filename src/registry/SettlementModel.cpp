#include "registry/SettlementModel.h"

#include "registry/SettlementList.h"

#include <QFont>

using namespace Qt::StringLiterals;

namespace registry {

SettlementModel::SettlementModel(SettlementList &list, QObject *parent)
    : QAbstractTableModel(parent), m_list(list)
{}

void SettlementModel::reload()
{
    beginResetModel();
    endResetModel();
}

int SettlementModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.count();
}

int SettlementModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant SettlementModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.count())
        return {};
    if (role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole)
        return {};
    const Settlement &s = m_list.entries().at(index.row());
    switch (index.column()) {
    case 0:
        return s.Cislo;
    case 1:
        return s.Nazev;
    default:
        return s.Adresar;
    }
}

QVariant SettlementModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles = {u"Číslo"_s, u"Název"_s, u"Adresář"_s};
    return titles.value(section);
}

} // namespace registry
