// Reads arbitrary bytes as Revarud Erur files: as they come, and padded or cut to each of the
// two file sizes, both through the parsers and through the import onto a small report window.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "base/log.h"
#include "fuzz_window.h"
#include "report/report_hooks.h"
#include "report/revarud.h"
#include "runtime/font.h"
#include "runtime/video_memory.h"

namespace {

// The report window, and what this target needs besides.
std::string preparewindow() {
    preparefuzzwindow();
    std::string path = "/tmp/miradex-fuzz-revarud-" + std::to_string(getpid());
    std::atexit([] { unlink(("/tmp/miradex-fuzz-revarud-" + std::to_string(getpid())).c_str()); });
    return path;
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
    const mdx::Bytes file(data, data + size);
    parse(file);
    for (std::size_t fullsize : {mdx::RevarudSystemSize, mdx::RevarudScsiSize}) {
        mdx::Bytes fitted = file;
        fitted.resize(fullsize, 0);
        parse(fitted);
        import(fitted);
    }
    import(file);
    return 0;
}
