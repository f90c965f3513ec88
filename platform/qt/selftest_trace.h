// For tests of the whole program on a real X server: with MIRADEX_SELFTEST_TRACE=<file> the Qt
// layer appends one line per key, click and document it hands to the runtime, and the first line
// of each text the shown pasteboard window takes from the clipboard, so that a test
// driving the program from outside can see what arrived. Without the variable nothing is written.
#pragma once

#include <string>

namespace mdx::qt {

inline constexpr const char* SelfTestTraceVariable = "MIRADEX_SELFTEST_TRACE";

void selftesttrace(const std::string& line);

} // namespace mdx::qt
