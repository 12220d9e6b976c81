// Password dialog "Heslo pro Qesto …".
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace registry {

class SettlementList;

// "Heslo pro Qesto " + name: adds a password ("&Přidat") or changes it
// ("&Změnit", the old one must be typed first).
class TAu3Form : public QDialog
{
    Q_OBJECT

public:
    explicit TAu3Form(SettlementList &list, QWidget *parent = nullptr);

    bool adding() const { return m_adding; }
    QLineEdit *firstEdit() const { return m_first; }
    QLineEdit *secondEdit() const { return m_second; }
    QPushButton *actionButton() const { return m_action; }

private:
    void act();

    SettlementList &m_list;
    bool m_adding = true;
    QLineEdit *m_first;
    QLineEdit *m_second;
    QPushButton *m_action;
};

} // namespace registry
