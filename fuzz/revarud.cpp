// Reads arbitrary bytes as Revarud Erur files through the parsers and the import onto a small
// report window. The first byte chooses whether the rest is taken as it comes or padded or cut to
// one of the two file sizes; one import per input keeps the fuzzer quick.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "base/log.h"
#include "fuzz_window.h"
#include "report/revarud.h"
#include "runtime/font.h"
#include "runtime/video_memory.h"
#include "scratch.h"

namespace {

// The report window, and what this target needs besides.
std::string preparewindow() {
    preparefuzzwindow();
    std::atexit([] { unlink(scratchpath("revarud").c_str()); });
    return scratchpath("revarud");
}

const std::string& filepath() {
    static const std::string path = preparewindow();
    return path;
}

void import(const mdx::Bytes& file) {
    std::ofstream(filepath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    mdx::importrevarud(filepath());
}

void parse(const mdx::Bytes& file) {
    const mdx::RevarudSlots slots = mdx::revarudsystemslots(file);
    for (const mdx::Text& slot : slots)
        if (slot.Elements.size() > 255) std::abort();
    const mdx::ScsiDevices devices = mdx::revarudscsidevices(file);
    for (std::size_t a = 0; a < devices.size(); ++a)
        if (mdx::scsirow(static_cast<mdx::Int>(a), devices[a]).Elements.size() != 81) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    mdx::Bytes file(data + 1, data + size);
    if (data[0] % 3 == 1) file.resize(mdx::RevarudSystemSize, 0);
    if (data[0] % 3 == 2) file.resize(mdx::RevarudScsiSize, 0);
    parse(file);
    import(file);
    return 0;
}
