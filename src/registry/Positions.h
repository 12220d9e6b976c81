#pragma once

#include <QStringList>

namespace registry {

// The lines of the positions window "Pozice Qesto" and their moves. Each
// move keeps the moved line selected and does nothing at the end it would
// leave by.
class PositionList
{
public:
    PositionList(QStringList lines, int selected);

    const QStringList &lines() const { return m_lines; }
    int selected() const { return m_selected; }
    void setSelected(int index);

    void moveUp();
    void moveDown();
    void moveFirst();
    void moveLast();

private:
    void moveTo(int target);

    QStringList m_lines;
    int m_selected = -1;
};

} // namespace registry
