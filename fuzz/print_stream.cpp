// Prints arbitrary bytes on the report window: control codes, escape commands and display modes
// as the report, opened documents and imports carry them. The first byte picks the display mode
// and the form of t_Print (Unicode scalars or single bytes). Whatever is printed, the video memory
// below the window's blocks must keep its 0xFF.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/kwtools.h"
#include "fuzz_window.h"
#include "runtime/state.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"

namespace {

constexpr mdx::Int GuardBytes = 4096;

bool guardintact() {
    const mdx::Runtime& r = mdx::rt();
    const mdx::t_Window& w = r.WindowTable[0];
    const mdx::Int lowest = std::min<mdx::Int>(w.MemoryStart, w.TextMemoryStart);
    const auto* memory = r.VideoMemory.data();
    return std::all_of(memory + lowest - GuardBytes, memory + lowest,
                       [](mdx::UInt8 b) { return b == 0xFF; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool ready = (preparefuzzwindow(), true);
    if (size == 0) return 0;
    mdx::t_Normal(0);
    mdx::t_CursorHome(0);
    mdx::t_DisplayMode(0, data[0] % 5);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 0x80)
        mdx::t_Print(0, bytes);
    else
        mdx::t_Print(0, mdx::totext(bytes));
    if (!guardintact()) std::abort();
    return 0;
}
