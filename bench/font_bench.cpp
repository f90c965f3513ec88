// Decoding and loading a full 16 x 32 grey font from memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "runtime/font.h"
#include "runtime/lzw.h"

namespace {

using mdx::Bytes;
using mdx::UInt8;

constexpr int GlyphWidth = 16;
constexpr int GlyphHeight = 32;

// Coverage of a pixel by a ring and a slanted stroke whose sizes depend on the code, with soft
// edges, so the data has the runs and grey fringes of a rasterised font.
UInt8 coverage(int code, int x, int y) {
    double cx = x + 0.5 - 8, cy = y + 0.5 - 17;
    double radius = 3 + code % 5;
    double ring = std::abs(std::hypot(cx, cy * (1 + code % 3 * 0.25)) - radius);
    double stroke = std::abs(cx - (cy * (code % 7 - 3)) / 8);
    double distance = std::min(ring, stroke + (code % 2) * 4);
    return static_cast<UInt8>(255 * std::clamp(1.5 - distance, 0.0, 1.0));
}

Bytes syntheticglyphs() {
    Bytes data(256 * GlyphWidth * GlyphHeight, 0);
    for (int code = 33; code < 256; ++code)
        for (int y = 6; y < 28; ++y)
            for (int x = 0; x < GlyphWidth; ++x)
                data[(code * GlyphHeight + y) * GlyphWidth + x] = coverage(code, x, y);
    return data;
}

Bytes compressedfontfile(const Bytes& glyphs) {
    mdx::LzwStream stream = mdx::lzwencode(glyphs);
    Bytes file{16, 'k', 'w', 'f', 'n', 102, 0, 0, 0, 0, 32, 255, GlyphWidth, GlyphHeight, 0, 0};
    file.push_back(static_cast<UInt8>(stream.Width));
    file.insert(file.end(), stream.Packed.begin(), stream.Packed.end());
    return file;
}

void BM_LzwDecodeFont(benchmark::State& state) {
    Bytes glyphs = syntheticglyphs();
    mdx::LzwStream stream = mdx::lzwencode(glyphs);
    state.counters["width"] = static_cast<double>(stream.Width);
    state.counters["packed"] = static_cast<double>(stream.Packed.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::lzwdecode(stream.Packed, stream.Width));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(glyphs.size()));
}
BENCHMARK(BM_LzwDecodeFont);

void BM_LzwEncodeFont(benchmark::State& state) {
    Bytes glyphs = syntheticglyphs();
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::lzwencode(glyphs));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(glyphs.size()));
}
BENCHMARK(BM_LzwEncodeFont);

void BM_ParseCompressedFontFile(benchmark::State& state) {
    Bytes file = compressedfontfile(syntheticglyphs());
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::parsefontfile(file, "bench.font"));
}
BENCHMARK(BM_ParseCompressedFontFile);

// The font the build generated, when there is one.
void BM_ParseGeneratedFontFile(benchmark::State& state) {
    std::ifstream in(MIRADEX_TEST_BUNDLE "/Contents/Resources/MenloRegular 16x32.font",
                     std::ios::binary);
    Bytes file{std::istreambuf_iterator<char>(in), {}};
    if (file.empty()) state.SkipWithError("no generated font in the bundle");
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::parsefontfile(file, "bench.font"));
}
BENCHMARK(BM_ParseGeneratedFontFile);

} // namespace
