// Placing, sizing and titling the application's windows by window number. Every window-layer
// call runs on the main thread.
#pragma once

#include <string>

#include "base/types.h"

namespace mdx {

// Text geometry, frame geometry and screen size of a window, by item number 0..20.
Int t_WindowPos(UInt8 window, Int item);
// Sets the window's frame; -1 in any argument keeps the current value.
void t_WindowSize(UInt8 window, Int x, Int y, Int width, Int height);
// From another thread the title change is queued and the call returns at once.
void t_WindowTitle(UInt8 window, const std::string& title);
void t_WindowTitleVisible(UInt8 window, bool visible);
void t_WindowCenter(UInt8 window);
void t_WindowFront(UInt8 window);
void t_WindowVisible(UInt8 window, bool visible);

} // namespace mdx
