// Facts that Linux machines other than the copied trees show: the cards that NVIDIA's own tool
// names, matched to the cards of its driver whatever stands before them, and RISC-V processors
// named from whatever the kernel tells of them.
#include "support/testing.h"

#include "support/files.h"
#include "support/runtime_fixture.h"
#include "support/scoped_env.h"
#include "tools/system_profiler/profiler.h"

namespace mdx::sysprof {
namespace {

using test::writefile;

const std::string Fixtures = SYSTEM_PROFILER_TESTS "/fixtures/";

std::string profile(const std::string& root, const std::string& type) {
    std::ostringstream out, err;
    EXPECT_EQ(runprofiler({"--root", root, type}, "", out, err, '.'), 0) << err.str();
    return out.str();
}

// A section's lines, from its name ("    NVIDIA GeForce RTX 4090:") to the next section.
std::string section(const std::string& text, const std::string& name) {
    const std::size_t start = text.find("\n    " + name + ":\n");
    if (start == std::string::npos) return {};
    std::size_t end = start;
    do
        end = text.find("\n\n    ", end + 1);
    while (end != std::string::npos && text[end + 6] == ' ');
    return text.substr(start + 1, end == std::string::npos ? end : end - start);
}

// The vendor's tool lists its cards in PCI address order: its first line belongs to the first
// card of its driver, not to the first graphics device of the machine (the processor's own here).
// A copied tree is never answered by this machine's tool, only by a stand-in put in
// MIRADEX_COMMAND_PATH. The cards come with the most video memory first.
TEST(ProfilerGraphics, NvidiaToolLinesGoToTheCardsOfItsDriver) {
    const std::string tree = Fixtures + "nvidia-pair";
    const std::string before = profile(tree, "SPDisplaysDataType");
    EXPECT_EQ(before.find("VRAM"), std::string::npos) << before;

    test::TempDir bin;
    test::writescript(bin.file("nvidia-smi"), "printf '8188\\n24564\\n'\n");
    test::ScopedEnv path{"MIRADEX_COMMAND_PATH", bin.path()};
    const std::string after = profile(tree, "SPDisplaysDataType");
    const std::string first = section(after, "NVIDIA GeForce RTX 4090");
    const std::string second = section(after, "NVIDIA GeForce RTX 3090");
    EXPECT_NE(first.find("VRAM (Total): 8 GB\n"), std::string::npos) << after;
    EXPECT_NE(second.find("VRAM (Total): 24 GB\n"), std::string::npos) << after;
    EXPECT_LT(after.find("RTX 3090:"), after.find("RTX 4090:"));
    EXPECT_LT(after.find("RTX 4090:"), after.find("Intel UHD Graphics 770:"));
}

// A RISC-V processor has a name whatever the kernel tells: the device tree's cores (switched-off
// ones left out), else the board's chip, else /proc/cpuinfo's "uarch", else the instruction set.
// The copied trees riscv-board and riscv-cpuinfo name theirs from the cores and from "uarch".
TEST(ProfilerCpu, RiscvProcessorNames) {
    struct Row {
        std::string_view cpuinfo;
        std::string_view board; // the board's compatible list, NUL-separated; none when empty
        std::string_view name;
    };
    using namespace std::string_view_literals;
    // clang-format off
    const Row rows[] = {
        {"processor\t: 0\nuarch\t: thead,c910\n", "", "T-Head C910"},
        {"processor\t: 0\nhart\t: 0\nisa\t: rv64imafdcv_zicsr_zifencei\n", "", "RISC-V rv64imafdcv"},
        {"processor\t: 0\nhart\t: 2\n", "", "RISC-V"},
        {"processor\t: 0\nhart\t: 1\n", "starfive,visionfive-2-v1.3b\0starfive,jh7110"sv,
         "StarFive JH7110"},
    };
    // clang-format on
    for (const Row& row : rows) {
        test::TempDir root;
        writefile(root.file("proc/cpuinfo"), std::string(row.cpuinfo));
        if (!row.board.empty())
            writefile(root.file("sys/firmware/devicetree/base/compatible"),
                      std::string(row.board) + '\0');
        EXPECT_NE(profile(root.path(), "SPHardwareDataType")
                      .find("      Processor Name: " + std::string(row.name) + "\n"),
                  std::string::npos)
            << row.cpuinfo;
    }
}

} // namespace
} // namespace mdx::sysprof
