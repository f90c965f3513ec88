// system_profiler: prints the machine's hardware facts, read from Linux's /sys and /proc, as
// indented "Key: Value" sections. See "system_profiler -h".
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/system_profiler/number_locale.h"
#include "tools/system_profiler/profiler.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const char* root = std::getenv("MIRADEX_SYSROOT");
    // Measures are written in the user's number format, as the locale variables name it.
    char point = mdx::sysprof::decimalpoint(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"),
                                            std::getenv("LANG"));
    return mdx::sysprof::runprofiler(arguments, root == nullptr ? "" : root, std::cout, std::cerr,
                                     point);
}
