// Message boxes on screen.
#pragma once

#include "platform/Messages.h"

class QWidget;

namespace platform {

// Message boxes with Czech buttons and the application's name as title.
class QtMessages : public IMessages
{
public:
    // parent may change later (the main window exists only after start-up).
    explicit QtMessages(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void error(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    Answer question(const QString &text) override;

private:
    QWidget *m_parent;
};

} // namespace platform
