// The picture of a graphic window as 32-bit pixels: the type the image routines (runtime/image.h)
// make and the window layer (runtime/window_layer.h) puts on the pasteboard.
#pragma once

#include <cstdint>
#include <vector>

#include "base/types.h"

namespace mdx {

// Width x Height pixels, rows from the top, each pixel 0xFFRRGGBB in a 32-bit word (alpha in the
// most significant byte). Written out big-endian these are the bytes 255, red, green, blue; a
// toolkit image in 32-bit RGB format can wrap Pixels without copying.
struct WindowImage {
    Int Width;
    Int Height;
    std::vector<std::uint32_t> Pixels;
};

} // namespace mdx
