// The bounded runner of helper commands (the vendor's tool for NVIDIA video memory) and the
// reading of that tool's answer.
#include "support/testing.h"

#include "tools/system_profiler/run_command.h"

namespace mdx::sysprof {
namespace {

using namespace std::chrono_literals;

std::optional<std::string> shell(const std::string& script, std::chrono::milliseconds limit = 5s,
                                 std::size_t cap = 1 << 20) {
    return runbounded("/bin/sh", {"-c", script}, limit, cap);
}

// Output of a command that ends well; nothing for a failure, a missing program, a command that
// runs past its time (also one that closed its output first); output cut at the cap.
TEST(ProfilerCommand, OutputOnlyOfCommandsThatEndWellInTime) {
    EXPECT_EQ(shell("echo 16376; echo 8192 >&2; echo 24564"), "16376\n24564\n");
    EXPECT_EQ(shell("echo partial; exit 3"), std::nullopt);
    EXPECT_EQ(runbounded("/nonexistent/nvidia-smi", {}, 5s), std::nullopt);
    EXPECT_EQ(shell("echo early; sleep 30", 300ms), std::nullopt);
    EXPECT_EQ(shell("exec >&-; sleep 30", 300ms), std::nullopt);
    EXPECT_EQ(shell("head -c 100000 /dev/zero", 5s, 1000)->size(), 1000u);
    EXPECT_TRUE(!findcommand("sh").empty() && findcommand("no-such-command-here").empty());
    // The tool's answer: MiB per card, rounded up to whole GiB from 1 GiB on; lines that are no
    // number give 0.
    constexpr std::uint64_t MiB = 1048576;
    const std::pair<std::string, std::vector<std::uint64_t>> cases[] = {
        {"16376\n24564\n", {16384 * MiB, 24576 * MiB}},
        {"49140\r\n", {49152 * MiB}},
        {"512\n1024\n", {512 * MiB, 1024 * MiB}},
        {"[N/A]\n\n8188\n", {0, 8192 * MiB}},
        {"", {}}};
    for (const auto& [text, sizes] : cases)
        EXPECT_EQ(parsenvidiamemory(text), sizes) << text;
}

} // namespace
} // namespace mdx::sysprof
