// The benchmark program's start: the windows of the lower layers need a window layer, and the
// benchmarks measure without one on screen, so the headless layer is installed for the whole run.
#include <benchmark/benchmark.h>

#include "runtime/headless_window_layer.h"
#include "runtime/window_layer.h"

int main(int argc, char** argv) {
    mdx::HeadlessWindowLayer layer;
    mdx::setwindowlayer(&layer);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    mdx::setwindowlayer(nullptr);
    return 0;
}
