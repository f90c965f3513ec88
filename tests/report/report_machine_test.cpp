// The machine facts at the report's end (the installed memory of the profiler's copied trees is
// E2eFixtureReport's): the memory numbers and the system version from os-release texts, and the
// benchmark's arithmetic and bookkeeping (the exact number of additions, the GFLOPs figure and
// its rounding in the report's number form, the log character, the additions taken from the
// environment and the guards for a processor count of 0 and an elapsed time of 0). How fast the
// loop runs is measured in bench/, not here.
#include "support/testing.h"

#include <sched.h>

#include <clocale>
#include <cmath>

#include "base/kwtools.h"
#include "base/memory_size.h"
#include "report/benchmark.h"
#include "report/machine.h"
#include "support/runtime_fixture.h"
#include "support/scoped_env.h"

namespace mdx::test {
namespace {

TEST(Machine, NumberTextsWhateverTheLocaleAndTheSystemVersion) {
    std::setlocale(LC_ALL, ""); // the user's locale, as a Qt program has it
    const std::pair<std::string, std::uint64_t> sizes[] = {
        {"8000000\n", 134217728}, {"0x80000aF", 0x80000af}, {"", 0}, {"zz\n", 0}, {"0\n", 0},
        {"ffffffffffffffffff", 0}};
    for (const auto& [text, size] : sizes)
        EXPECT_EQ(memoryblocksize(text), size) << text;
    EXPECT_EQ(std::tuple(memtotal("MemTotal:\t 1.024 kB\n"), memtotal("MemTotalx: 5 kB\n"),
                         memtotal("MemTotal: 99999999999999999999 kB\n")),
              std::tuple(1024u, 0u, 0u));
    std::setlocale(LC_ALL, "C");
    // The system version: os-release's PRETTY_NAME, unquoted.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"NAME=\"Debian\"\nPRETTY_NAME=\"Debian 12\"\n", "Debian 12"},
        {"PRETTY_NAME='Arch Linux'", "Arch Linux"}, {"PRETTY_NAME=\"", "\""},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"", "Say \"hi\" \\ $HOME"},
        {"PRETTY_NAME=\"first\"\nPRETTY_NAME=\"second\"", "second"},
        {"  PRETTY_NAME=\"indented\"\r\n", "indented"}, {"XPRETTY_NAME=\"no\"\nNAME=Linux", ""}};
    // clang-format on
    for (const auto& [text, name] : cases)
        EXPECT_EQ(prettyname(text), name) << text;
    EXPECT_EQ(versionstring("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64"),
              "Version Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0-18-amd64)");
}

constexpr const char* Additions = "MIRADEX_BENCH_ADDITIONS";

TEST(BenchmarkFigures, WorkersFollowTheProcessorsTheProcessMayUse) {
    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    int cpu = 0;
    while (!CPU_ISSET(cpu, &before))
        ++cpu;
    CPU_SET(cpu, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const std::vector<Int> counts{benchmarkworkers(64), benchmarkworkers(1), benchmarkworkers(0)};
    sched_setaffinity(0, sizeof before, &before);
    EXPECT_EQ(counts, std::vector<Int>(3, 1));
}

// The exact number of additions and how many the environment asks for, the figure rounded half
// up to two decimals, and the log character from the integer part of the sum.
TEST(BenchmarkFigures, AdditionsFromTheEnvironmentRoundingAndLogCharacter) {
    for (std::uint64_t count : {0ull, 7ull, 8ull, 9ull, 1000003ull})
        EXPECT_EQ(addones(count), static_cast<double>(count)) << count;
    const std::pair<Int, std::string> cases[] = {
        {2500000, "4,00"}, {2497000, "4,00"}, {2496000, "4,01"}, {1000, "10.000,00"}};
    for (const auto& [elapsed, text] : cases)
        EXPECT_EQ(formatreal(32, 1, 2, true, gigaflops(1e10, elapsed) + 0.005), text) << elapsed;
    // A clock that did not move (or went back) counts as one microsecond: the figure stays finite.
    for (Int elapsed : {Int{0}, Int{-5}, Int{1}})
        EXPECT_DOUBLE_EQ(gigaflops(1e10, elapsed), 1e7) << elapsed;
    const std::pair<double, char> marks[] = {{1.0, '.'},  {0.99, '-'},  {-0.5, '-'},
                                             {-1.0, ','}, {1e300, '.'}, {-1e300, ','}};
    for (const auto& [sum, mark] : marks)
        EXPECT_EQ(accumulatormark(sum), mark) << sum;
    // The number of additions comes from the environment.
    const std::pair<std::optional<std::string>, std::uint64_t> environments[] = {
        {"1000000", 1000000},           {"1e6", 1000000},         {"0", 0},
        {std::nullopt, 10000000000ull}, {"-5", 10000000000ull},   {"2.5", 10000000000ull},
        {"12x", 10000000000ull},        {"1e16", 10000000000ull}, {"nan", 10000000000ull}};
    for (const auto& [value, additions] : environments) {
        const ScopedEnv setting(Additions, value);
        EXPECT_EQ(benchmarkadditions(), additions) << value.value_or("(unset)");
    }
}

class BenchmarkRun : public RuntimeTest {};

// Each measurement writes exactly one character; a processor count of 0 still measures one
// worker, and many workers all report back.
TEST_F(BenchmarkRun, EachMeasurementLogsOneCharacterAndGivesAFiniteFigure) {
    const ScopedEnv setting(Additions, "100000");
    const std::function<double()> measures[] = {singlecorebenchmark,
                                                [] { return multicorebenchmark(0); },
                                                [] { return multicorebenchmark(16); }};
    for (const auto& measure : measures) {
        log.clear();
        const double gflops = measure();
        EXPECT_TRUE(log.text() == "." && std::isfinite(gflops) && gflops > 0.0) << log.text();
    }
    // No additions leave the sum at zero.
    const ScopedEnv none(Additions, "0");
    log.clear();
    const double single = singlecorebenchmark(), multi = multicorebenchmark(4);
    EXPECT_EQ(std::tuple(single, multi, log.text()), std::tuple(0.005, 0.0, "--"));
}

} // namespace
} // namespace mdx::test
