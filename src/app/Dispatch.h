#pragma once

#include "statements/StatementKind.h"

#include <array>
#include <functional>

namespace app {

using statements::StatementKind;

// The statement windows by kind (Dpp1). Each window attaches the function
// that creates it, shows it modally and destroys it; that function returns
// the kind the user asked to go on to ("<<", ">>", PgUp, PgDn) or None.
class StatementDispatch
{
public:
    using Direction = statements::Direction;
    using ShowWindow = std::function<StatementKind()>;

    void attach(StatementKind kind, ShowWindow show);
    bool isAttached(StatementKind kind) const;
    // Runs before a window of the kind is shown (the employee count starts on
    // its first place of work).
    void setBeforeShow(std::function<void(StatementKind)> beforeShow)
    {
        m_beforeShow = std::move(beforeShow);
    }

    // Shows the window of the kind, then each window the closed one names,
    // until one closes without naming another. A kind whose window is already
    // shown, an unknown kind and a kind without a window do nothing.
    void Dpp1(StatementKind kind);
    bool isShowing(StatementKind kind) const { return validKind(kind) && m_showing[size_t(kind)]; }

    static StatementKind neighbour(StatementKind kind, Direction direction)
    {
        return statements::neighbour(kind, direction);
    }

private:
    static constexpr int LastKind = int(StatementKind::BonusCorrections);
    static bool validKind(StatementKind kind) { return int(kind) >= 1 && int(kind) <= LastKind; }

    std::array<ShowWindow, LastKind + 1> m_windows;
    std::function<void(StatementKind)> m_beforeShow;
    std::array<bool, LastKind + 1> m_showing{};
};

} // namespace app
