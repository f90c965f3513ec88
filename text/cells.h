// The cells of a graphic window's text screen: drawing a symbol into a cell and its two text
// planes, filling blocks of cells, and the checks every text routine starts with. The bottom of
// the text engine: it uses the runtime only.
#pragma once

#include <string_view>

#include "base/types.h"

namespace mdx {

// Draws `symbol` into cell (x, y) with attribute `color` (foreground in the high nibble) and
// records it in the text planes; the cursor does not move. Honours TextRedirectOutput.
void t_PrintSymbol(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y);

// The palette index nearest to a colour; greys map onto the four grey entries.
Int t_NearestColorIndex(UInt8 red, UInt8 green, UInt8 blue);

// Checks shared by the text routines: logs "<routine>: Window is not a graphic window." or
// "<routine>: Window #n not initialized." and returns false unless the window is initialised and
// has a text block.
bool textwindowready(UInt8 window);
bool checktextwindow(std::string_view routine, UInt8 window);

// Fills cells firstColumn..lastColumn of lines firstLine..lastLine with one symbol in one colour,
// every pixel and log line as t_PrintSymbol cell by cell, row by row, would make them. When that
// draws every cell without a word, the first line is drawn glyph by glyph and copied to the others
// in one pass, and the answer is true.
bool fillcells(UInt8 window, UInt8 symbol, UInt8 color, Int firstColumn, Int lastColumn,
               Int firstLine, Int lastLine);

// Draws a cell straight into the window, whatever TextRedirectOutput says. The scroll routines
// use it: moving what is on screen is not printing.
void drawcell(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y);

// Output redirected to standard output: the character of that code point in UTF-8, no line end.
void writeredirected(UInt8 code);

} // namespace mdx
