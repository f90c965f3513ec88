#include "runtime/window_layer.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace mdx {
namespace {

std::atomic<WindowLayer*> installed{nullptr};

// Every program, test and fuzz target installs a layer before its first window; reaching here
// without one is a fault of the caller, told once on standard error before the program ends.
[[noreturn]] void refuseWithoutLayer() {
    std::fputs("windowlayer: keine Fensterschicht installiert\n", stderr);
    std::fflush(stderr);
    std::abort();
}

} // namespace

WindowLayer& windowlayer() {
    WindowLayer* layer = installed.load();
    if (layer == nullptr) refuseWithoutLayer();
    return *layer;
}

bool haswindowlayer() {
    return installed.load() != nullptr;
}

void setwindowlayer(WindowLayer* layer) {
    installed.store(layer);
}

void onMainThread(const std::function<void()>& work) {
    WindowLayer& layer = windowlayer();
    if (layer.isMainThread())
        work();
    else
        layer.runOnMain(work, true);
}

} // namespace mdx
