// The one sink for log lines: "routine: text", one write and flush per line.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "base/types.h"

namespace mdx {

// Writes one complete line (a line end is added) and flushes it at once. Lines of different
// threads never interleave. Control characters in the line, C0 and C1 (U+0080..U+009F, two bytes
// in UTF-8), are written byte by byte as "\x" and two hexadecimal digits, so that one call is
// always one line and outside text cannot steer a terminal.
void logline(std::string_view line);

// Writes text without a line end (the tool library's logtext and output redirection use it).
void logtext(std::string_view text);

// Where lines go: standard output by default; batch mode sends them to standard error.
void setlogstream(std::FILE* stream);

// Tests capture lines instead of printing them. Pass an empty function to stop capturing.
void setlogcapture(std::function<void(std::string_view)> capture);

// "<routine>: Window is not a graphic window."
void lognotgraphic(std::string_view routine);
// "<routine>: Window #<n> not initialized."
void lognotinitialized(std::string_view routine, Int window);
// "<routine>: Window does not exist."
void lognowindow(std::string_view routine);

// Eight upper-case hexadecimal digits of the low 32 bits, as in "$00CFF400".
std::string hex8(Int value);

} // namespace mdx
