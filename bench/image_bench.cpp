// The screen image of the program's window against a plain copy of as many bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "base/log.h"
#include "runtime/image.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace {

constexpr std::size_t ImageBytes = 1312 * 800 * 4; // 4,198,400

// Window 0 as the program makes it, visible, its picture filled with a byte pattern.
void setupwindow(mdx::Int depth) {
    mdx::setlogcapture([](std::string_view) {});
    mdx::resetruntime();
    mdx::t_InitWindow(0, depth, false, 1312, 800, 16, 16, mdx::t_Font{}, true);
    mdx::t_Window& w = mdx::rt().WindowTable[0];
    w.Visible = true;
    auto& memory = mdx::rt().VideoMemory;
    for (mdx::Int a = w.MemoryStart; a <= w.MemoryEnd; ++a)
        memory[static_cast<std::size_t>(a)] = static_cast<mdx::UInt8>(a * 31);
}

void teardown() {
    mdx::resetruntime();
    mdx::setlogcapture({});
}

void BM_WindowImage(benchmark::State& state) {
    setupwindow(state.range(0));
    for (auto _ : state) {
        auto image = mdx::t_WindowImage(0);
        benchmark::DoNotOptimize(image->Pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ImageBytes));
    teardown();
}
BENCHMARK(BM_WindowImage)->Arg(1)->Arg(4)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

// The program's depth, next to the copy it is measured against.
void BM_WindowImage24(benchmark::State& state) {
    setupwindow(24);
    for (auto _ : state) {
        auto image = mdx::t_WindowImage(0);
        benchmark::DoNotOptimize(image->Pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ImageBytes));
    teardown();
}
BENCHMARK(BM_WindowImage24)->Unit(benchmark::kMicrosecond);

void BM_Memcpy4198400(benchmark::State& state) {
    std::vector<unsigned char> from(ImageBytes, 0x5A);
    std::vector<unsigned char> to(ImageBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), ImageBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ImageBytes));
}
BENCHMARK(BM_Memcpy4198400)->Unit(benchmark::kMicrosecond);

} // namespace
