// The text cursor of a graphic window and the carriage return (the control characters that move
// it are carried out by t_PrintControl, text/output.h). Columns count from 1 and are
// relative to the text region for t_Htab; lines are absolute screen lines.
#pragma once

#include "base/types.h"

namespace mdx {

// Cursor to `column` of the text region; ignored unless it stays on the screen.
void t_Htab(UInt8 window, Int column);
// Cursor to screen line `line`; ignored unless 1 <= line <= TextHeight.
void t_Vtab(UInt8 window, Int line);
void t_CursorHome(UInt8 window);
void t_CursorEnd(UInt8 window);
// One step in each direction inside the text region, wrapping at the sides and scrolling at the
// top and bottom.
void t_CursorUp(UInt8 window);
void t_CursorDown(UInt8 window);
void t_CursorLeft(UInt8 window);
void t_CursorRight(UInt8 window);
// Cursor to the region's first column, one line down; scrolls at the region's bottom line.
void t_Cr(UInt8 window);

} // namespace mdx
