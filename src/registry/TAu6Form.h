// Settlement order dialog "Pozice Qesto".
#pragma once

#include "registry/Positions.h"

#include <QDialog>

class QListWidget;

namespace registry {

// "Pozice Qesto": the user's own order of the settlements. Closing is
// saving: the caller stores lines() however the window was closed.
class TAu6Form : public QDialog
{
    Q_OBJECT

public:
    TAu6Form(const QStringList &lines, int selected, QWidget *parent = nullptr);
    QStringList lines() const { return m_positions.lines(); }
    QListWidget *listWidget() const { return m_view; }

private:
    void apply(void (PositionList::*move)());
    void show_();

    PositionList m_positions;
    QListWidget *m_view;
};

} // namespace registry
