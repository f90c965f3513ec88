// Reading the character grid of a graphic window back as text.
#pragma once

#include <string>

#include "base/types.h"

namespace mdx {

// The window's character grid as UTF-8 text, byte b of a cell becoming the code point U+00bb,
// with separator after every line. With a separator the text is tidied up: it is split at
// carriage returns (whatever the separator), trailing spaces of each line and trailing empty
// lines go, and the lines are joined with carriage returns. "" when the window cannot be read.
std::string t_GetScreen(UInt8 window, const std::string& separator);

// Replaces the runtime's private graphic characters (U+007F to U+00A0: frame pieces, arrows and
// the like) by plain ones; every other character, and bytes that are not UTF-8, stay as they are.
std::string plainscreentext(const std::string& text);

} // namespace mdx
