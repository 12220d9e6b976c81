// New settlement dialog "Nové Qesto".
#pragma once

#include "registry/SettlementList.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace platform {
class IMessages;
}

namespace registry {

// "Nové Qesto": names the entry "&Nové" prepared and creates the settlement.
// Accepted once it exists; "&Zavřít" and Escape leave nothing behind.
class TAu2Form : public QDialog
{
    Q_OBJECT

public:
    TAu2Form(SettlementList &list, const NewSettlement &draft, platform::IMessages &messages,
             QWidget *parent = nullptr);
    QLineEdit *nameEdit() const { return m_name; }
    QPushButton *createButton() const { return m_create; }
    QPushButton *closeButton() const { return m_close; }

private:
    void create();

    SettlementList &m_list;
    NewSettlement m_draft;
    platform::IMessages &m_messages;
    QLineEdit *m_name;
    QPushButton *m_create;
    QPushButton *m_close;
};

} // namespace registry
