// Character output on the text screen of a graphic window: printing at the cursor through the
// display mode (text/display.h sets it), its escape commands, the control characters and tabs.
// They call each other (a tab prints fill characters, an escape command tabs), so they live in
// one file above the cells, the cursor, the scrolling and the display attributes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/types.h"
#include "text/cells.h"
#include "text/cursor.h"

namespace mdx {

struct Text;

// The control codes that t_PrintControl carries out; 16, 21 and 24 and the codes below 7 do
// nothing.
enum class ControlCode : UInt8 {
    Bell = 7,
    CursorLeft = 8,
    Tab = 9, // tabulation is t_PrintTab's and the escape commands' work
    CursorDown = 10,
    ClearToEndOfWindow = 11,
    ClearWindow = 12, // cursor home, then clear
    Return = 13,
    Normal = 14,
    Inverse = 15,
    Reverse = 17,
    FirstColumn = 18,
    ModeNone = 19,
    ModeUpperHalf = 20,
    ScrollDown = 22,
    ScrollUp = 23,
    Home = 25,
    ClearLine = 26,
    Escape = 27, // the next code is an escape command
    CursorRight = 28,
    ClearToEndOfLine = 29,
    CursorUp = 30,
    ModeGraphicHalf = 31,
};
// The first code that is printed rather than carried out.
inline constexpr UInt8 FirstPrintableCode = 32;
// Control-S: the key that holds the output (text/output.cpp asks PauseOutput for it).
inline constexpr UInt8 PauseKeyCode = 19;

// The escape commands: the code printed after ControlCode::Escape. 64..79 set the foreground
// colour (code - 64), 80..95 the background colour (code - 80), 110..127 the border colour
// (code - 110, so 126 and 127 wrap round to colours 0 and 1).
enum class EscapeCommand : Int {
    ForegroundFirst = 64,
    ForegroundLast = 79,
    BackgroundFirst = 80,
    BackgroundLast = 95,
    CursorEnd = 101,
    LastColumn = 102,
    Tab10 = 105,
    Tab20 = 106,
    Tab40 = 107,
    BorderFirst = 110,
    BorderLast = 127,
};

// Printing asks the pause installed as PauseOutput (runtime/upcalls.h) before a new line and
// after each t_Print.

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

// A code after the display mode, with the inverse flag and attribute that the caller restores
// after drawing it. Code is -1 when an escape command was carried out, -2 when the window could
// not be used.
struct DisplayTranslation {
    Int Code;
    bool Inverse;
    UInt8 Attribute;
};
DisplayTranslation t_ApplyDisplayMode(UInt8 window, Int code);

// Carries out control character `code` (7 to 31); other codes do nothing.
void t_PrintControl(UInt8 window, UInt8 code);
// Prints `fill` with t_PrintChar until the cursor reaches absolute column `column`.
void t_PrintTab(UInt8 window, Int column, UInt8 fill);

} // namespace mdx
