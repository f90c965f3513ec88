// t_InitWindow of the program's window 0, clear included.
#include <benchmark/benchmark.h>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace {

mdx::t_Font programfont() {
    mdx::setbundlepath(MIRADEX_TEST_BUNDLE);
    return mdx::t_LoadFontResource("MenloRegular 16x32.font");
}

// On a fresh runtime: includes creating the 16 MiB video memory.
void BM_InitWindowFresh(benchmark::State& state) {
    mdx::setlogcapture([](std::string_view) {});
    mdx::t_Font font = programfont();
    for (auto _ : state) {
        state.PauseTiming();
        mdx::resetruntime();
        state.ResumeTiming();
        mdx::t_InitWindow(0, 24, true, 1312, 800, 16, 16, font, true);
    }
    mdx::setlogcapture({});
}
BENCHMARK(BM_InitWindowFresh)->Unit(benchmark::kMillisecond);

// Initialising window 0 again: gives its blocks back, places and clears them anew.
void BM_InitWindowAgain(benchmark::State& state) {
    mdx::setlogcapture([](std::string_view) {});
    mdx::resetruntime();
    mdx::t_Font font = programfont();
    mdx::t_InitWindow(0, 24, true, 1312, 800, 16, 16, font, true);
    for (auto _ : state)
        mdx::t_InitWindow(0, 24, true, 1312, 800, 16, 16, font, true);
    mdx::setlogcapture({});
}
BENCHMARK(BM_InitWindowAgain)->Unit(benchmark::kMillisecond);

} // namespace
