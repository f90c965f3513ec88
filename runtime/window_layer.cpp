#include "runtime/window_layer.h"

#include <atomic>

#include "runtime/headless_window_layer.h"

namespace mdx {
namespace {

std::atomic<WindowLayer*> installed{nullptr};

WindowLayer& fallback() {
    static HeadlessWindowLayer layer;
    return layer;
}

} // namespace

WindowLayer& windowlayer() {
    WindowLayer* layer = installed.load();
    return layer ? *layer : fallback();
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
