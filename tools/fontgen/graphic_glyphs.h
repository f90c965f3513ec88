// The runtime's graphic characters 127..160: blocks, arrows and frame pieces, drawn by hand so
// that the frame pieces join their neighbours edge to edge.
#pragma once

#include "tools/fontgen/canvas.h"

namespace mdx::fontgen {

inline constexpr int FirstGraphicCode = 127;
inline constexpr int LastGraphicCode = 160;

// The glyph of a graphic character as a cell-sized canvas. baseline is the text's baseline row
// (the row below it), which the visible-space mark sits on. Codes outside 127..160 give a blank
// cell.
Canvas graphicglyph(int code, int baseline);

} // namespace mdx::fontgen
