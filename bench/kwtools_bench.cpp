#include <benchmark/benchmark.h>

#include "base/kwtools.h"

namespace {

// The profiler text is searched key by key; this mimics one long report.
mdx::Text profilertext() {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "      Entry " + std::to_string(i) + ": value\r";
    text += "      Model Name: Test Machine\r";
    return mdx::totext(text);
}

void BM_KeyValueInLongText(benchmark::State& state) {
    mdx::Text text = profilertext();
    mdx::Text key = mdx::totext("Model Name: ");
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::keyvalue(text, key, 13, 1));
}
BENCHMARK(BM_KeyValueInLongText);

void BM_FormatReal(benchmark::State& state) {
    double x = 3075.123456;
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::formatreal(' ', 12, 2, true, x));
}
BENCHMARK(BM_FormatReal);

void BM_ToStringWithStrayBytes(benchmark::State& state) {
    mdx::Text text;
    for (int i = 0; i < 65536; ++i)
        text.Elements.push_back(static_cast<mdx::UInt8>(i));
    for (auto _ : state)
        benchmark::DoNotOptimize(mdx::tostring(text));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.Elements.size()));
}
BENCHMARK(BM_ToStringWithStrayBytes);

} // namespace
