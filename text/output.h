// Character output on the text screen of a graphic window: the glyph blitter, printing at the
// cursor, and carriage return.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/types.h"

namespace mdx {

struct Text;

// Printing asks the pause installed as PauseOutput (runtime/upcalls.h) before a new line and
// after each t_Print.

// Draws `symbol` into cell (x, y) with attribute `color` (foreground in the high nibble) and
// records it in the text planes; the cursor does not move. Honours TextRedirectOutput.
void t_PrintSymbol(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y);

// The palette index nearest to a colour; greys map onto the four grey entries.
Int t_NearestColorIndex(UInt8 red, UInt8 green, UInt8 blue);

// Prints one code at the cursor through the display mode and advances the cursor. Control codes
// are drawn as glyphs, not executed.
void t_PrintChar(UInt8 window, UInt8 code);

// Prints text at the cursor and executes control codes. The string form works on Unicode scalars
// (a byte that is not part of valid UTF-8 counts as the scalar of its own value); the Text form
// on single bytes.
void t_Print(UInt8 window, std::string_view text);
void t_Print(UInt8 window, const std::string& text);
void t_Print(UInt8 window, const char* text);
void t_Print(UInt8 window, const Text& text);

// Cursor to the region's first column, one line down; scrolls at the region's bottom line.
void t_Cr(UInt8 window);

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
