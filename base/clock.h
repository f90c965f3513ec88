// The absolute reference clock: time since 2001-01-01 00:00:00 UTC, the base of every time stamp
// in the window records.
#pragma once

#include "base/types.h"

namespace mdx {

// Whole milliseconds and microseconds since the reference date (truncated).
Int absolutetimems();
Int absolutetimeus();

} // namespace mdx
