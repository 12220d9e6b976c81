#include "statements/StatementKind.h"

#include <algorithm>
#include <array>

namespace statements {

StatementKind neighbour(StatementKind kind, Direction direction)
{
    using K = StatementKind;
    static constexpr std::array chain = {K::Employment,       K::EmployeeCount, K::Corrections,
                                         K::BonusCorrections, K::Withholding,   K::Print};
    const auto it = std::find(chain.begin(), chain.end(), kind);
    if (it == chain.end() || kind == K::Print)
        return K::None;
    if (direction == Direction::Forward)
        return *(it + 1);
    return it == chain.begin() ? K::None : *(it - 1);
}

} // namespace statements
