#pragma once

#include <QAbstractTableModel>

namespace registry {

class SettlementList;

// The grid's view of the settlement list: "Číslo", "Název", "Adresář" in
// the list's current ordering, in bold.
class SettlementModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SettlementModel(SettlementList &list, QObject *parent = nullptr);

    // After every change of the list or its ordering.
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    SettlementList &m_list;
};

} // namespace registry
