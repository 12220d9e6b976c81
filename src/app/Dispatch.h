#pragma once

#include <QSet>

#include <array>
#include <functional>

namespace app {

// The statement windows by kind (Dpp1): 1 employment statement, 2 employee
// count, 3 annex of corrections, 4 withholding statement, 5 print selection,
// 6 annex of bonus corrections. Each window attaches the function that
// creates it, shows it modally and destroys it; that function returns the
// kind the user asked to go on to ("<<", ">>", PgUp, PgDn) or 0.
class StatementDispatch
{
public:
    static constexpr int FirstKind = 1;
    static constexpr int LastKind = 6;

    enum class Direction
    {
        Backward,
        Forward
    };

    using ShowWindow = std::function<int()>;

    void attach(int kind, ShowWindow show);
    bool isAttached(int kind) const;
    // Runs before a window of the kind is shown (the employee count starts on
    // its first place of work).
    void setBeforeShow(std::function<void(int)> beforeShow) { m_beforeShow = std::move(beforeShow); }

    // Shows the window of the kind, then each window the closed one names,
    // until one closes without naming another. A kind whose window is already
    // shown, an unknown kind and a kind without a window do nothing.
    void Dpp1(int kind);
    bool isShowing(int kind) const { return m_showing.contains(kind); }

    // The neighbour of a window in the chain 1 - 2 - 3 - 6 - 4 - 5; 0 at
    // either end. The print window goes nowhere.
    static int neighbour(int kind, Direction direction);

private:
    static bool validKind(int kind) { return kind >= FirstKind && kind <= LastKind; }

    std::array<ShowWindow, LastKind + 1> m_windows;
    std::function<void(int)> m_beforeShow;
    QSet<int> m_showing;
};

} // namespace app
