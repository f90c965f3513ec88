// Placing, sizing and titling the application's windows by window number. Every window-layer
// call runs on the main thread.
#pragma once

#include <string>

#include "base/types.h"

namespace mdx {

// The items of t_WindowPos. For a graphic window the first eight describe its text region (in
// cells); for every other window they describe its frame (0 and 1 are 0, 2 and 3 the last point,
// the others alternate width and height).
enum class WindowItem : Int {
    TextFirstColumn = 0,
    TextFirstLine = 1,
    TextLastColumn = 2,
    TextLastLine = 3,
    TextColumns = 4,
    TextLines = 5,
    TextWidth = 6,
    TextHeight = 7,
    DrawingWidth = 8, // the picture's size, without borders and title bar
    DrawingHeight = 9,
    FrameWidth = 10,
    FrameHeightBelowTitle = 11,
    FrameHeight = 12,
    FrameX = 13,
    FrameTopFromScreenTop = 14,
    ScreenWidth = 15,
    ScreenHeight = 16,
    TitleHeight = 17,
    BorderWidth = 18,
    BorderHeight = 19,
    FrameY = 20,
};

// Text geometry, frame geometry and screen size of a window, by item number 0..20 (a WindowItem);
// 0 for other numbers.
Int t_WindowPos(UInt8 window, Int item);
inline Int t_WindowPos(UInt8 window, WindowItem item) {
    return t_WindowPos(window, static_cast<Int>(item));
}
// Sets the window's frame; -1 in any argument keeps the current value.
void t_WindowSize(UInt8 window, Int x, Int y, Int width, Int height);
// From another thread the title change is queued and the call returns at once.
void t_WindowTitle(UInt8 window, const std::string& title);
void t_WindowTitleVisible(UInt8 window, bool visible);
void t_WindowCenter(UInt8 window);
void t_WindowFront(UInt8 window);
void t_WindowVisible(UInt8 window, bool visible);

} // namespace mdx
