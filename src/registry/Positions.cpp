#include "registry/Positions.h"

namespace registry {

PositionList::PositionList(QStringList lines, int selected) : m_lines(std::move(lines))
{
    setSelected(selected);
}

void PositionList::setSelected(int index)
{
    m_selected = index >= 0 && index < m_lines.size() ? index : (m_lines.isEmpty() ? -1 : 0);
}

void PositionList::moveTo(int target)
{
    if (m_selected < 0 || target < 0 || target >= m_lines.size() || target == m_selected)
        return;
    m_lines.move(m_selected, target);
    m_selected = target;
}

void PositionList::moveUp()
{
    moveTo(m_selected - 1);
}

void PositionList::moveDown()
{
    moveTo(m_selected + 1);
}

void PositionList::moveFirst()
{
    moveTo(0);
}

void PositionList::moveLast()
{
    moveTo(int(m_lines.size()) - 1);
}

} // namespace registry
