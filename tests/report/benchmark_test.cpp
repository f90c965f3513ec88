// The benchmark's arithmetic and bookkeeping: the exact number of additions, the GFLOPs figure
// and its rounding in the report's number form, the log character, the additions taken from the
// environment and the guards for a processor count of 0 and an elapsed time of 0. How fast the
// loop runs is measured in bench/, not here.
#include <gtest/gtest.h>

#include <sched.h>

#include <cmath>
#include <cstdlib>
#include <optional>

#include "base/kwtools.h"
#include "report/benchmark.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

// Sets MIRADEX_BENCH_ADDITIONS for one test and puts the old value back.
class AdditionsSetting {
  public:
    explicit AdditionsSetting(const std::optional<std::string>& value) {
        if (const char* old = std::getenv(Name)) old_ = old;
        apply(value);
    }
    ~AdditionsSetting() { apply(old_); }
    AdditionsSetting(const AdditionsSetting&) = delete;
    AdditionsSetting& operator=(const AdditionsSetting&) = delete;

  private:
    static constexpr const char* Name = "MIRADEX_BENCH_ADDITIONS";
    static void apply(const std::optional<std::string>& value) {
        if (value)
            setenv(Name, value->c_str(), 1);
        else
            unsetenv(Name);
    }
    std::optional<std::string> old_;
};

std::string printed(double gflops) {
    return formatreal(32, 1, 2, true, gflops);
}

TEST(BenchmarkFigures, WorkersFollowTheProcessorsTheProcessMayUse) {
    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &before)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const Int counts[] = {benchmarkworkers(64), benchmarkworkers(1), benchmarkworkers(0)};
    sched_setaffinity(0, sizeof before, &before);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[2], 1);
    EXPECT_EQ(benchmarkworkers(1), 1);
}

TEST(BenchmarkFigures, AdditionsAreCountedExactly) {
    for (std::uint64_t count : {0ull, 1ull, 7ull, 8ull, 9ull, 17ull, 1000003ull})
        EXPECT_EQ(addones(count), static_cast<double>(count)) << count;
}

TEST(BenchmarkFigures, ResultsRoundHalfUpToTwoDecimals) {
    const struct {
        Int Elapsed;
        std::string Text;
    } cases[] = {{2500000, "4,00"}, {2497000, "4,00"}, {2496000, "4,01"}, {1000, "10.000,00"}};
    for (const auto& c : cases)
        EXPECT_EQ(printed(gigaflops(1e10, c.Elapsed) + 0.005), c.Text) << c.Elapsed;
    EXPECT_DOUBLE_EQ(gigaflops(1e10, 2500000), 4.0);
    // A clock that did not move (or went back) counts as one microsecond: the figure stays finite.
    for (Int elapsed : {Int{0}, Int{-5}, Int{1}})
        EXPECT_DOUBLE_EQ(gigaflops(1e10, elapsed), 1e7) << elapsed;
}

TEST(BenchmarkFigures, TheLogCharacterFollowsTheIntegerPartOfTheSum) {
    const std::pair<double, char> cases[] = {{1e10, '.'}, {1.0, '.'},  {0.99, '-'},  {0.0, '-'},
                                             {-0.5, '-'}, {-1.0, ','}, {1e300, '.'}, {-1e300, ','}};
    for (const auto& [sum, mark] : cases)
        EXPECT_EQ(accumulatormark(sum), mark) << sum;
}

TEST(BenchmarkFigures, AdditionsComeFromTheEnvironment) {
    const std::pair<std::optional<std::string>, std::uint64_t> cases[] = {
        {std::nullopt, 10000000000ull},
        {"1000000", 1000000},
        {"1e6", 1000000},
        {"0", 0},
        {"", 10000000000ull},
        {"abc", 10000000000ull},
        {"-5", 10000000000ull},
        {"2.5", 10000000000ull},
        {"12x", 10000000000ull},
        {"1e16", 10000000000ull},
        {"nan", 10000000000ull},
        {"inf", 10000000000ull}};
    for (const auto& [value, additions] : cases) {
        const AdditionsSetting setting(value);
        EXPECT_EQ(benchmarkadditions(), additions) << value.value_or("(unset)");
    }
}

class BenchmarkRun : public RuntimeTest {};

// Each measurement writes exactly one character; a processor count of 0 still measures one
// worker, and many workers all report back.
TEST_F(BenchmarkRun, EachMeasurementLogsOneCharacterAndGivesAFiniteFigure) {
    const AdditionsSetting setting(std::string("100000"));
    const struct {
        std::function<double()> Measure;
        std::string Mark;
    } cases[] = {
        {singlecorebenchmark, "."},
        {[] { return multicorebenchmark(1); }, "."},
        {[] { return multicorebenchmark(0); }, "."},
        {[] { return multicorebenchmark(-3); }, "."},
        {[] { return multicorebenchmark(16); }, "."},
    };
    for (const auto& c : cases) {
        log.clear();
        const double gflops = c.Measure();
        EXPECT_EQ(log.text(), c.Mark);
        EXPECT_TRUE(std::isfinite(gflops));
        EXPECT_GT(gflops, 0.0);
    }
}

TEST_F(BenchmarkRun, NoAdditionsLeaveTheSumAtZero) {
    const AdditionsSetting setting(std::string("0"));
    EXPECT_DOUBLE_EQ(singlecorebenchmark(), 0.005);
    EXPECT_DOUBLE_EQ(multicorebenchmark(4), 0.0);
    EXPECT_EQ(log.text(), "--");
}

} // namespace
} // namespace mdx::test
