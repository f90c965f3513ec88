// The cells of a graphic window's text screen: drawing a symbol into a cell and its two text
// planes, filling blocks of cells, and the checks every text routine starts with. The bottom of
// the text engine: it uses the runtime only.
#pragma once

#include "base/types.h"
#include "runtime/window.h"

namespace mdx {

struct Runtime;

// Draws `symbol` into cell (x, y) with attribute `color` (foreground in the high nibble) and
// records it in the text planes; the cursor does not move. Honours TextRedirectOutput.
void t_PrintSymbol(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y);

// The palette index nearest to a colour; greys map onto the four grey entries.
Int t_NearestColorIndex(UInt8 red, UInt8 green, UInt8 blue);

// Fills cells firstColumn..lastColumn of lines firstLine..lastLine with one symbol in one colour,
// every pixel and log line as t_PrintSymbol cell by cell, row by row, would make them. When that
// draws every cell without a word, the first line is drawn glyph by glyph and copied to the others
// in one pass, and the answer is true.
bool fillcells(UInt8 window, UInt8 symbol, UInt8 color, Int firstColumn, Int lastColumn,
               Int firstLine, Int lastLine);

// Draws a cell straight into the window, whatever TextRedirectOutput says. The scroll routines
// use it: moving what is on screen is not printing.
void drawcell(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y);

// Where window `window` (0..7) sends printed characters. Before the window table exists every
// window counts as drawing into itself.
OutputTarget redirectiontarget(const Runtime& runtime, UInt8 window);

// Output redirected to standard output: the character of that code point in UTF-8, no line end.
void writeredirected(UInt8 code);

} // namespace mdx
