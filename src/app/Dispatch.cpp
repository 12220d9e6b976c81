#include "app/Dispatch.h"

namespace app {

void StatementDispatch::attach(StatementKind kind, ShowWindow show)
{
    if (validKind(kind))
        m_windows[size_t(kind)] = std::move(show);
}

bool StatementDispatch::isAttached(StatementKind kind) const
{
    return validKind(kind) && bool(m_windows[size_t(kind)]);
}

void StatementDispatch::Dpp1(StatementKind kind)
{
    // The chain is walked here rather than by each window calling the next
    // from its own close, so a long walk through the editors never nests
    // modal windows.
    while (isAttached(kind) && !isShowing(kind)) {
        if (m_beforeShow)
            m_beforeShow(kind);
        m_showing[size_t(kind)] = true;
        StatementKind next = StatementKind::None;
        try {
            next = m_windows[size_t(kind)]();
        } catch (...) {
            m_showing[size_t(kind)] = false;
            throw;
        }
        m_showing[size_t(kind)] = false;
        kind = next;
    }
}

} // namespace app
