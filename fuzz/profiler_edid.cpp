// libFuzzer entry for the EDID parser; tests/fuzz_corpus/profiler_edid holds its seeds and the
// test suite replays them in every build.
#include <cstddef>
#include <cstdint>

#include "tools/system_profiler/edid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto info = mdx::sysprof::parseedid(data, size);
    if (info && info->preferred && (info->preferred->width <= 0 || info->preferred->height <= 0))
        __builtin_trap();
    return 0;
}
