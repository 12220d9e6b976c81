#pragma once

#include <functional>

namespace settlement {

// The hourglass on for a scope, and off however the work inside ends.
class BusyScope
{
public:
    explicit BusyScope(const std::function<void(bool)> &busy) : m_busy(busy)
    {
        if (m_busy)
            m_busy(true);
    }
    ~BusyScope()
    {
        if (m_busy)
            m_busy(false);
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    const std::function<void(bool)> &m_busy;
};

} // namespace settlement
