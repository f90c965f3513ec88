#include "runtime/checked_window.h"

#include "base/log.h"
#include "runtime/state.h"

namespace mdx {

t_Window* readywindow(Runtime& runtime, UInt8 window, WindowNeeds needs) {
    t_Window* w = windowrecord(runtime, window);
    if (!w || !runtime.MemoryInitialized || !w->Initialized) return nullptr;
    if (needs == WindowNeeds::TextBlock && w->TextMemoryStart < 0) return nullptr;
    return w;
}

bool windowready(UInt8 window) {
    return readywindow(rt(), window, WindowNeeds::Initialised) != nullptr;
}

CheckedWindow checkwindow(std::string_view routine, UInt8 window, WindowNeeds needs) {
    if (window >= GraphicWindowCount) {
        lognotgraphic(routine);
        return {routine, window, nullptr};
    }
    t_Window* w = readywindow(rt(), window, needs);
    if (!w) lognotinitialized(routine, window);
    return {routine, window, w};
}

} // namespace mdx
