#include "runtime/state.h"

#include <atomic>

namespace mdx {
namespace {

std::shared_ptr<Runtime>& slot() {
    static std::shared_ptr<Runtime> current = std::make_shared<Runtime>();
    return current;
}

} // namespace

Runtime& rt() {
    return *std::atomic_load(&slot());
}

std::shared_ptr<Runtime> currentruntime() {
    return std::atomic_load(&slot());
}

// The old runtime's refresh thread ends after its current pass once its flag is cleared.
void resetruntime() {
    auto old = std::atomic_exchange(&slot(), std::make_shared<Runtime>());
    old->AutoUpdateRunning = false;
}

bool windowready(UInt8 window) {
    Runtime& r = rt();
    return window < GraphicWindowCount && r.MemoryInitialized &&
           r.WindowTable.size() == GraphicWindowCount && r.WindowTable[window].Initialized;
}

} // namespace mdx
