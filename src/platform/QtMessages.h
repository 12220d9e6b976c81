// Message boxes on screen.
#pragma once

#include "platform/Messages.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// Message boxes with Czech buttons and the application's name as title.
class QtMessages : public IMessages
{
public:
    // The window the boxes are centred on and modal to; it may come later
    // (the main window exists only after start-up) and may go first, when
    // the boxes are shown without one.
    explicit QtMessages(QWidget *dialogParent = nullptr) : m_parent(dialogParent) {}
    void setDialogParent(QWidget *dialogParent) { m_parent = dialogParent; }

    void error(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    Answer question(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace platform
