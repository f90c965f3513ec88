// Reading the big-endian numbers of the file formats the tests check (sound and font files).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/types.h"

namespace mdx::test {

// The four bytes from `offset` as one big-endian number; 0 when they do not all exist.
inline std::uint32_t bigendian32(const Bytes& bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | bytes[offset + i];
    return value;
}

} // namespace mdx::test
