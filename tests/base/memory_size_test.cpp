// The installed memory that the report and the bundled profiler both print, from copied
// /sys/devices/system/memory and /proc/meminfo files: the online blocks when the kernel has
// them, else MemTotal, either rounded up to a size that memory is sold in.
#include "support/testing.h"

#include "base/memory_size.h"
#include "support/files.h"
#include "support/runtime_fixture.h"

namespace mdx {
namespace {

constexpr std::uint64_t KiB = 1024, MiB = 1024 * KiB, GiB = 1024 * MiB;

// A machine's files: blocks of 128 MiB ("8000000" in hexadecimal) of which `online` are online
// and `offline` not, and MemTotal in kB (none when 0).
struct Machine {
    const char* what;
    const char* blocksize;
    int online, offline;
    std::uint64_t totalkib;
    std::uint64_t installed;
};

void maketree(const test::TempDir& dir, const Machine& machine) {
    const std::string memory = dir.file("sys/devices/system/memory/");
    if (machine.blocksize != nullptr)
        test::writefile(memory + "block_size_bytes", machine.blocksize);
    for (int block = 0; block < machine.online + machine.offline; ++block)
        test::writefile(memory + "memory" + std::to_string(block) + "/online",
                        block < machine.online ? "1\n" : "0\n");
    if (machine.totalkib > 0)
        test::writefile(dir.file("proc/meminfo"),
                        "MemTotal:       " + std::to_string(machine.totalkib) +
                            " kB\nMemFree: 1 kB\n");
}

TEST(InstalledMemory, BlocksElseTheKernelTotalRoundedToWhatIsSold) {
    constexpr const char* Blocks128MiB = "8000000\n";
    // clang-format off
    const Machine machines[] = {
        {"3,840 MiB of blocks", Blocks128MiB, 30, 0, 3734040, 3840 * MiB},
        {"15.5 GiB of blocks beside a smaller total", Blocks128MiB, 124, 4, 15226880, 16 * GiB},
        {"offline blocks do not count", Blocks128MiB, 4, 60, 8000000, 512 * MiB},
        {"a block size that is no number", "zz\n", 4, 0, 16318408, 16 * GiB},
        {"blocks without a block size", nullptr, 8, 0, 16318408, 16 * GiB},
        {"nothing to read", nullptr, 0, 0, 0, 0},
    };
    // clang-format on
    for (const Machine& machine : machines) {
        test::TempDir dir;
        maketree(dir, machine);
        EXPECT_EQ(installedmemory(dir.path()), machine.installed) << machine.what;
    }
}

// The rounding alone at the edges of its steps: a power of two stays, one byte more takes the
// next eighth; sizes too small for eighths and the largest number stay as they are.
TEST(InstalledMemory, RoundingAtTheEdgesOfItsSteps) {
    // clang-format off
    const std::pair<std::uint64_t, std::uint64_t> cases[] = {
        {32 * GiB - 1, 32 * GiB}, {32 * GiB, 32 * GiB}, {32 * GiB + 1, 36 * GiB},
        {GiB * 617 / 10, 64 * GiB}, {GiB + KiB, GiB + 128 * MiB}, {943718 * KiB, 960 * MiB},
        {504 * GiB, 512 * GiB}, {0, 0}, {1, 1}, {7, 7}, {17, 18}, {~0ULL, ~0ULL}};
    // clang-format on
    for (const auto& [total, installed] : cases)
        EXPECT_EQ(installedfromtotal(total), installed) << total;
}

} // namespace
} // namespace mdx
