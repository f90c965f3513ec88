// The memory a machine has installed, where the kernel names only the total it manages. One
// function for the report and the bundled profiler command, so that both give the same size.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

namespace mdx {

// A size (bytes) rounded up to a size that memory is sold in. What the kernel sees leaves out
// what the firmware, the kernel image and graphics keep for themselves, a share that grows with
// the memory: the step is an eighth of the largest power of two not above the size, so 31.3 GiB
// gives 32, 19.5 gives 20, 94 gives 96, 504 gives 512 and 1.9 gives 2. A power of two and a
// whole number of steps (384 MiB, 3,840 MiB) stay as they are. 0 stays 0.
constexpr std::uint64_t installedfromtotal(std::uint64_t bytes) {
    if (bytes == 0) return 0;
    const std::uint64_t step = std::bit_floor(bytes) >= 8 ? std::bit_floor(bytes) / 8 : 1;
    if (bytes > std::numeric_limits<std::uint64_t>::max() - step) return bytes;
    return (bytes + step - 1) / step * step;
}

// The memory installed in the machine whose /sys and /proc lie below root ("" is the running
// system): the online blocks of /sys/devices/system/memory times their block size, else
// MemTotal of /proc/meminfo, rounded up by installedfromtotal either way (the blocks leave out
// firmware and graphics carve-outs too: 15.5 GiB of blocks on a 16 GB laptop). 0 when neither
// can be read.
std::uint64_t installedmemory(const std::string& root = "");

// The pieces, for reading copied files.
// Block size from the hexadecimal text of block_size_bytes; 0 when it is no number.
std::uint64_t memoryblocksize(const std::string& text);
// MemTotal of a meminfo text in bytes; 0 when absent.
std::uint64_t memtotal(const std::string& meminfo);

} // namespace mdx
