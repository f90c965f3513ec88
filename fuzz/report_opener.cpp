// Opens arbitrary bytes as a saved report on a small report window, saves the screen that it
// leaves and opens that again.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "base/log.h"
#include "fuzz_window.h"
#include "report/documents.h"
#include "report/report.h"
#include "runtime/font.h"
#include "runtime/video_memory.h"
#include "scratch.h"

namespace {

const std::string& folder() {
    static const std::string path = scratchpath("opener");
    return path;
}

void removefolder() {
    unlink((folder() + "/bericht.mirdx").c_str());
    unlink((folder() + "/wieder.mirdx").c_str());
    rmdir(folder().c_str());
}

// The report window, and what this target needs besides.
bool preparewindow() {
    preparefuzzwindow();
    mkdir(folder().c_str(), 0700);
    std::atexit(removefolder);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool ready = preparewindow();
    const std::string path = folder() + "/bericht.mirdx";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    mdx::openreport(path);
    // An empty screen is not saved.
    if (mdx::reporttext().empty()) return 0;
    const std::string again = folder() + "/wieder.mirdx";
    if (!mdx::savereportto(again)) std::abort();
    mdx::openreport(again);
    if (mdx::modelname() != "wieder") std::abort();
    return 0;
}
