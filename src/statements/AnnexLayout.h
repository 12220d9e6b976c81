#pragma once

#include "statements/FormLayout.h"

namespace statements {

// The two annexes of corrections as pages of identical rows: row number,
// the one-letter kind of the correction, the periods and dates as free text
// and the amount. Page 1 and page 2 split the rows the window shows.
FormLayout vpkvLayout();
FormLayout vpkbLayout();

} // namespace statements
