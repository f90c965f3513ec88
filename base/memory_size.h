// The memory a machine has installed, where the kernel names only the total it manages. Shared
// by the report and the bundled profiler command, so that both give the same size.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>

namespace mdx {

// MemTotal (bytes) rounded up to a size that memory is sold in. MemTotal leaves out what the
// firmware, the kernel image and graphics keep for themselves, a share that grows with the
// memory: the step is an eighth of the largest power of two not above the total, so 31.3 GiB
// gives 32, 19.5 gives 20, 94 gives 96, 504 gives 512 and 1.9 gives 2. A power of two stays
// as it is. 0 stays 0.
constexpr std::uint64_t installedfromtotal(std::uint64_t bytes) {
    if (bytes == 0) return 0;
    const std::uint64_t step = std::bit_floor(bytes) >= 8 ? std::bit_floor(bytes) / 8 : 1;
    if (bytes > std::numeric_limits<std::uint64_t>::max() - step) return bytes;
    return (bytes + step - 1) / step * step;
}

} // namespace mdx
