// Password prompt "Zadejte heslo".
#pragma once

#include "registry/RegistryHooks.h"

#include <QDialog>

class QLineEdit;

namespace registry {

// "Zadejte heslo": created once at start-up and reused for every protected
// settlement.
class TAu4Form : public QDialog, public IPasswordPrompt
{
    Q_OBJECT

public:
    explicit TAu4Form(QWidget *parent = nullptr);
    QLineEdit *passwordEdit() const { return m_edit; }

    // Shows the prompt modally; the text typed, whatever way it was closed.
    QString askPassword() override;

private:
    QLineEdit *m_edit;
};

} // namespace registry
