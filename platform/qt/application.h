// The desktop program around the window layer. No Qt type in this header: the entry point
// includes it: the Qt application, the runtime's lifecycle, the
// documents of the command line and of later starts, the menus' own actions.
#pragma once

#include <chrono>

#include "platform/qt/command_line.h"

namespace mdx::qt {

// Runs the program for a command line whose action is Run; never returns. mainEntered is the
// time at which main began (for the start-up time that the self-test reports).
[[noreturn]] void runapplication(char* programName, const CommandLine& commandLine,
                                 std::chrono::steady_clock::time_point mainEntered);

} // namespace mdx::qt
