// The pixel formats of the graphic windows, in one place: how a picture line holds its pixels at
// each bit depth, written by the glyph blit (packing) and read by the screen image (unpacking).
//   1 bit   eight pixels a byte, the first in the top bit; 1 is white
//   4 bits  two pixels a byte, the first in the high half; an index into the 16-colour palette
//   8 bits  one grey level a byte
//   16 bits the grey level in the second byte of two
//   24 bits red, green, blue
//   32 bits red, green, blue in bytes 1..3; byte 0 is kept
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/types.h"

namespace mdx {

struct Runtime;  // runtime/state.h
struct t_Window; // runtime/window.h

// ---- Unpacking ---------------------------------------------------------------------------------

using Colours = std::array<std::uint32_t, 16>;

// The graphic block of a window as the conversion sees it. Pixel i is counted line by line
// from the top left; the lines follow each other without a gap.
struct Picture {
    const UInt8* bytes = nullptr;
    std::size_t size = 0; // bytes that may be read
    std::size_t pixels = 0;
    Colours colours{}; // used at depth 4
};

// The 16 palette colours as 0xFFRRGGBB.
Colours palettecolours();
// The picture's pixels as 0xFFRRGGBB words; depth one of the six above.
std::vector<std::uint32_t> convertpicture(int depth, const Picture& p);

// ---- Packing ------------------------------------------------------------------------------------

// The index of the palette colour nearest to a colour; greys go to the four palette greys.
Int nearestpaletteindex(UInt8 red, UInt8 green, UInt8 blue);
// Whether glyphs can be drawn at this depth (one of the six above).
bool packsdepth(Int depth);
// The whole picture of the window, `stride` bytes a line, lies inside its graphic block and the
// video memory.
bool pictureInMemory(const Runtime& r, const t_Window& w, Int stride);
// Draws the glyph of `symbol` of the window's (grey) font into cell (x, y), counted from 1, in
// palette colours fore on back: each coverage value blends the two and is stored as the depth
// stores it. Nothing is drawn for a glyph beyond the font's data or a picture outside memory.
void drawGlyph(Runtime& r, const t_Window& w, UInt8 symbol, int fore, int back, Int x, Int y);
// Copies pixels first..last-1 of a picture line, exactly the bytes and bits that the glyph blit
// of the depth writes.
void copyPixels(Int depth, const UInt8* from, UInt8* to, Int first, Int last);

// Bytes per picture line at a bit depth, 0 for depths the runtime does not know.
constexpr Int bytesperline(Int bitDepth, Int width) {
    switch (bitDepth) {
    case 1: return width / 8;
    case 4: return width / 2;
    case 8: return width;
    case 16: return 2 * width;
    case 24: return 3 * width;
    case 32: return 4 * width;
    default: return 0;
    }
}

} // namespace mdx
