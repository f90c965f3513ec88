// The picture of a graphic window: its video memory turned into 32-bit pixels.
#pragma once

#include <optional>

#include "base/types.h"
#include "runtime/window_image.h"

namespace mdx {

// The picture of an initialised, visible graphic window; nothing when the runtime is not ready,
// the window is not initialised, hidden or not a graphic window, or its depth is unknown.
// Records the conversion time in UpdateDuration and the finishing time in UpdateFinished.
std::optional<WindowImage> t_WindowImage(UInt8 window);

// The same picture for the pasteboard, with its size in points (one point per pixel); nothing
// for numbers above 7, a window without a view, or when t_WindowImage gives nothing.
struct WindowPicture {
    WindowImage Image;
    Size Points;
};
std::optional<WindowPicture> t_WindowPicture(UInt8 window);

// What a view does when it is drawn: t_WindowImage of its window. For window 0 it also clears
// VerticalBlank for the time of the conversion, so that the refresh thread asks for no further
// redraw meanwhile.
std::optional<WindowImage> viewimage(UInt8 window);

} // namespace mdx
