// Display attributes of a graphic window's text: inverse, colours, the display mode that
// translates codes before they are drawn, and where printed characters go.
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

// A code after the display mode, with the inverse flag and attribute that the caller restores
// after drawing it. Code is -1 when an escape command was carried out, -2 when the window could
// not be used.
struct DisplayTranslation {
    Int Code;
    bool Inverse;
    UInt8 Attribute;
};
DisplayTranslation t_ApplyDisplayMode(UInt8 window, Int code);

} // namespace mdx
