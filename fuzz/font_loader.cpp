// Feeds arbitrary bytes to the font-file parser as if they had been read from disk.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/log.h"
#include "runtime/font.h"

namespace {

// The parser logs a line for most inputs; the lines are of no interest here.
[[maybe_unused]] bool silenced = [] {
    mdx::setlogcapture([](std::string_view) {});
    return true;
}();

bool iscompressed(mdx::Int format) {
    return format == mdx::FontFormatPlainLZW || format == mdx::FontFormatGreyLZW;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mdx::Bytes file(data, data + size);
    mdx::t_Font font = mdx::parsefontfile(file, "fuzz.font");
    // A loaded font is never left compressed, and only a full header gives it data.
    if (iscompressed(font.Format)) std::abort();
    if (!font.Data.empty() && (size < 14 || font.HeaderSize != data[0])) std::abort();
    return 0;
}
