// The report's floating-point measurement against what the processor can do.
//
// The machine's cycle counters cannot be read and its reported clock is not its real one, so the
// double-addition loop is timed against a chain of dependent integer additions of the same length
// in the same run: an integer addition takes one cycle, so the ratio of the two times is the
// cycles per double addition. At the processor's latency limit it equals the latency of one
// double addition (2 cycles on recent cores, 3 or 4 on older ones).
//
// The second benchmark runs both measurements of the report and sets the multi-core figure
// against the single-core one times the processor count.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/log.h"
#include "report/benchmark.h"

namespace {

using Clock = std::chrono::steady_clock;

// One integer addition whose result the compiler must take as unknown, so that it can neither
// fold the chain into one addition nor drop it.
inline void addoneinteger(std::uint64_t& x) {
    x += 1;
    asm volatile("" : "+r"(x));
}

// Built like the double loop: blocks of eight additions, then the rest.
std::uint64_t integerchain(std::uint64_t count) {
    std::uint64_t x = 0;
#pragma GCC unroll 1
    for (std::uint64_t blocks = count / 8; blocks > 0; --blocks) {
        addoneinteger(x);
        addoneinteger(x);
        addoneinteger(x);
        addoneinteger(x);
        addoneinteger(x);
        addoneinteger(x);
        addoneinteger(x);
        addoneinteger(x);
    }
#pragma GCC unroll 1
    for (std::uint64_t rest = count % 8; rest > 0; --rest)
        addoneinteger(x);
    return x;
}

// A cross-check of the cycle reference: a chain of integer multiplications, which take three
// cycles on every current x86-64 core, must come out at three integer additions each.
inline void multiplyonce(std::uint64_t& x, std::uint64_t factor) {
    x *= factor;
    asm volatile("" : "+r"(x));
}

std::uint64_t multiplychain(std::uint64_t count) {
    std::uint64_t x = 1;
    std::uint64_t factor = 3;
    asm volatile("" : "+r"(factor));
#pragma GCC unroll 1
    for (std::uint64_t blocks = count / 8; blocks > 0; --blocks) {
        multiplyonce(x, factor);
        multiplyonce(x, factor);
        multiplyonce(x, factor);
        multiplyonce(x, factor);
        multiplyonce(x, factor);
        multiplyonce(x, factor);
        multiplyonce(x, factor);
        multiplyonce(x, factor);
    }
    return x;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void CyclesPerDoubleAddition(benchmark::State& state) {
    const auto additions = static_cast<std::uint64_t>(state.range(0));
    double doubleTime = 0.0;
    double integerTime = 0.0;
    double multiplyTime = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(mdx::addones(additions));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(integerchain(additions));
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(multiplychain(additions));
        const auto t3 = Clock::now();
        doubleTime += seconds(t1 - t0);
        integerTime += seconds(t2 - t1);
        multiplyTime += seconds(t3 - t2);
    }
    const double total = static_cast<double>(additions) * static_cast<double>(state.iterations());
    state.counters["cycles_per_double_add"] = doubleTime / integerTime;
    state.counters["cycles_per_integer_multiply"] = multiplyTime / integerTime;
    state.counters["ns_per_double_add"] = doubleTime * 1e9 / total;
    state.counters["ns_per_integer_add"] = integerTime * 1e9 / total;
}
BENCHMARK(CyclesPerDoubleAddition)->Arg(1 << 27)->Unit(benchmark::kMillisecond)->UseRealTime();

// The report's own measurements with MIRADEX_BENCH_ADDITIONS (2e9 per worker unless set).
void MultiCoreAgainstSingleCore(benchmark::State& state) {
    setenv("MIRADEX_BENCH_ADDITIONS", "2000000000", 0);
    mdx::setlogcapture([](std::string_view) {}); // the measurements' log characters
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    double single = 0.0;
    double multi = 0.0;
    for (auto _ : state) {
        single = mdx::singlecorebenchmark() - 0.005;
        multi = mdx::multicorebenchmark(processors);
    }
    mdx::setlogcapture({});
    state.counters["processors"] = static_cast<double>(processors);
    state.counters["single_core_gflops"] = single;
    state.counters["multi_core_gflops"] = multi;
    state.counters["multi_over_processors_x_single"] =
        multi / (static_cast<double>(processors) * single);
}
BENCHMARK(MultiCoreAgainstSingleCore)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
