// Display attributes of a graphic window's text: inverse, colours, the display mode that
// translates codes before they are drawn (t_ApplyDisplayMode, text/output.h), and where printed
// characters go.
#pragma once

#include "base/types.h"

namespace mdx {

void t_Inverse(UInt8 window);
void t_Normal(UInt8 window);
void t_Reverse(UInt8 window);
// Foreground colour `color` mod 16; also the window's drawing colour.
void t_Color(UInt8 window, Int color);
// 0 none, 1 upper half, 2 graphic half, 3 control codes inverse, 4 control codes in colour 1,
// 99 the next code is an escape command; other values act as 0.
void t_DisplayMode(UInt8 window, Int mode);
// 1 into the window, 2 to standard output, anything else nowhere.
void t_RedirectOutput(UInt8 window, Int target);

} // namespace mdx
