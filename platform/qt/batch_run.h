// The batch run: no window reaches the screen, the queued events are handled in order, then the
// screen text of window 0 goes to standard output and the process ends.
#pragma once

#include <string>

#include "platform/qt/command_line.h"

namespace mdx::qt {

// Runs the batch to its end (needs a QApplication on the offscreen platform); never returns.
[[noreturn]] void runbatch(const CommandLine& commandLine);

// The screen text as the batch prints it: carriage returns become line feeds, every line loses
// its trailing spaces, and a non-empty text ends with a line feed.
std::string batchtext(const std::string& screen);

} // namespace mdx::qt
