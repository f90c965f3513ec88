// Decodes arbitrary code streams (first byte: code width) and checks that encoding the result
// gives a stream that decodes to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "runtime/lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::span<const std::uint8_t> packed(data + 1, size - 1);
    mdx::Bytes decoded = mdx::lzwdecode(packed, data[0]);
    mdx::LzwStream stream = mdx::lzwencode(decoded);
    if (mdx::lzwdecode(stream.Packed, stream.Width) != decoded) std::abort();
    return 0;
}
