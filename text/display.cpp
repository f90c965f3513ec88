#include "text/display.h"

#include "runtime/checked_window.h"
#include "runtime/colours.h"

namespace mdx {
namespace {

// The setters need an initialised window; unlike the printing routines, not a text block.
CheckedWindow setterWindow(std::string_view routine, UInt8 window) {
    return checkwindow(routine, window, WindowNeeds::Initialised);
}

} // namespace

void t_Inverse(UInt8 window) {
    if (const CheckedWindow w = setterWindow("t_Inverse", window)) w->TextInverse = true;
}

void t_Normal(UInt8 window) {
    if (const CheckedWindow w = setterWindow("t_Normal", window)) w->TextInverse = false;
}

void t_Reverse(UInt8 window) {
    if (const CheckedWindow w = setterWindow("t_Reverse", window)) w->TextInverse = !w->TextInverse;
}

void t_Color(UInt8 window, Int color) {
    const CheckedWindow w = setterWindow("t_Color", window);
    if (!w) return;
    const Int index = colourindex(color);
    w->TextColor = static_cast<UInt8>((w->TextColor & 15) | index << 4);
    w->RGBColor = t_ColorIndexToRGB(index);
}

void t_DisplayMode(UInt8 window, Int mode) {
    if (const CheckedWindow w = setterWindow("t_DisplayMode", window)) w->TextDisplayMode = mode;
}

void t_RedirectOutput(UInt8 window, Int target) {
    if (const CheckedWindow w = setterWindow("t_RedirectOutput", window))
        w->TextRedirectOutput = target;
}

} // namespace mdx
