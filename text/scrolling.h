// Scrolling the text region of a graphic window by one line and clearing parts of it. Both work
// on the picture and on the two text planes, so that the planes keep describing what is drawn.
#pragma once

#include "base/types.h"

namespace mdx {

// Copies count bytes of the video memory from source to destination; overlapping ranges are
// copied correctly. Nothing happens for count <= 0 or a range that leaves the memory.
void t_MoveMemory(Int source, Int destination, Int count);

// Lines below the region's first line move up one line; the last line becomes blank. Nothing
// happens while the window's ScrollLock is set.
void t_ScrollUp(UInt8 window);
// Lines above the region's last line move down one line; the first line becomes blank.
void t_ScrollDown(UInt8 window);
// Blanks the cursor's line from the cursor to the region's last column.
void t_ClearEndOfLine(UInt8 window);
// Blanks from the cursor to the end of the region; the cursor stays where it was.
void t_ClearEndOfWindow(UInt8 window);

} // namespace mdx
