// The text engine on the program's window 0 (1312 x 800 pixels, 24 bits, 16 x 32 font): the
// glyph blitter, a full-width scroll and a screenful of text.
#include <benchmark/benchmark.h>

#include <string>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "text/cursor.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace {

// A fresh runtime with window 0 as the program sets it up; log lines are dropped.
void openprogramwindow() {
    mdx::setlogcapture([](std::string_view) {});
    mdx::resetruntime();
    mdx::setbundlepath(MIRADEX_TEST_BUNDLE);
    const mdx::t_Font font = mdx::t_LoadFontResource("MenloRegular 16x32.font");
    mdx::t_InitWindow(0, 24, false, 1312, 800, 16, 16, font, true);
}

// One glyph per iteration, walking over the screen with changing codes and two colour pairs.
void BM_PrintSymbol24(benchmark::State& state) {
    openprogramwindow();
    mdx::Int cell = 0;
    for (auto _ : state) {
        const auto code = static_cast<mdx::UInt8>(32 + cell % 95);
        const mdx::UInt8 colour = (cell / 82) % 2 ? 0xC0 : 0xF2;
        mdx::t_PrintSymbol(0, code, colour, 1 + cell % 82, 1 + (cell / 82) % 25);
        cell = (cell + 1) % (82 * 25);
    }
    state.SetItemsProcessed(state.iterations());
    mdx::setlogcapture({});
}
BENCHMARK(BM_PrintSymbol24);

// The whole screen moves up a line: three block moves and one line of blank glyphs.
void BM_ScrollUpFullWidth(benchmark::State& state) {
    openprogramwindow();
    for (auto _ : state)
        mdx::t_ScrollUp(0);
    state.SetItemsProcessed(state.iterations());
    mdx::setlogcapture({});
}
BENCHMARK(BM_ScrollUpFullWidth)->Unit(benchmark::kMicrosecond);

// 82 x 25 characters from the home position; the last one wraps and scrolls once.
void BM_PrintFullScreen(benchmark::State& state) {
    openprogramwindow();
    std::string text;
    for (int i = 0; i < 82 * 25; ++i)
        text.push_back(static_cast<char>('!' + i % 90));
    for (auto _ : state) {
        mdx::t_CursorHome(0);
        mdx::t_Print(0, text);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    mdx::setlogcapture({});
}
BENCHMARK(BM_PrintFullScreen)->Unit(benchmark::kMicrosecond);

} // namespace
