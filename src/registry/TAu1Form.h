// Rename dialog "Název Qesto č. …".
#pragma once

#include <QDialog>

class QLineEdit;

namespace registry {

class SettlementList;

// "Název Qesto č. " + number: the name of the current entry. Every way of
// closing stores the name.
class TAu1Form : public QDialog
{
    Q_OBJECT

public:
    explicit TAu1Form(SettlementList &list, QWidget *parent = nullptr);
    QLineEdit *nameEdit() const { return m_name; }
    void done(int result) override;

private:
    SettlementList &m_list;
    QLineEdit *m_name;
};

} // namespace registry
