// system_profiler: prints the machine's hardware facts, read from Linux's /sys and /proc, as
// indented "Key: Value" sections. See "system_profiler -h".
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/system_profiler/profiler.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const char* root = std::getenv("MIRADEX_SYSROOT");
    return mdx::sysprof::runprofiler(arguments, root == nullptr ? "" : root, std::cout, std::cerr);
}
