#include "app/Dispatch.h"

#include <algorithm>

namespace app {

void StatementDispatch::attach(int kind, ShowWindow show)
{
    if (validKind(kind))
        m_windows[size_t(kind)] = std::move(show);
}

bool StatementDispatch::isAttached(int kind) const
{
    return validKind(kind) && bool(m_windows[size_t(kind)]);
}

void StatementDispatch::Dpp1(int kind)
{
    // The chain is walked here rather than by each window calling the next
    // from its own close, so a long walk through the editors never nests
    // modal windows.
    while (isAttached(kind) && !isShowing(kind)) {
        if (m_beforeShow)
            m_beforeShow(kind);
        m_showing.insert(kind);
        int next = 0;
        try {
            next = m_windows[size_t(kind)]();
        } catch (...) {
            m_showing.remove(kind);
            throw;
        }
        m_showing.remove(kind);
        kind = next;
    }
}

int StatementDispatch::neighbour(int kind, Direction direction)
{
    // Order of the chain; the print window (5) is reached only forwards.
    static constexpr std::array<int, 6> chain = {1, 2, 3, 6, 4, 5};
    const auto it = std::find(chain.begin(), chain.end(), kind);
    if (it == chain.end() || kind == 5)
        return 0;
    if (direction == Direction::Forward)
        return *(it + 1);
    return it == chain.begin() ? 0 : *(it - 1);
}

} // namespace app
