#pragma once

// The readers of hand-typed periods and dates live with the checks before
// filing, which read the same texts; the filing uses them under its own name.
#include "statements/FormTexts.h"

namespace filing {

using statements::filingDate;
using statements::monthsNamed;
using statements::parseDayDate;
using statements::parseMonth;
using statements::parsePeriod;
using statements::Period;

} // namespace filing
