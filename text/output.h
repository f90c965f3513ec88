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
