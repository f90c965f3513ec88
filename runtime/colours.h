// Colours of a graphic window.
#pragma once

#include "base/types.h"

namespace mdx {

// Sets the border colour to palette colour `color` mod 16 (16 and 17 are 0 and 1 again) and gives
// the window that background.
void t_ColorBorder(UInt8 window, Int color);

} // namespace mdx
