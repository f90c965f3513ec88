#include "runtime/checked_window.h"

#include <utility>

#include "base/log.h"
#include "runtime/state.h"

namespace mdx {

const t_Window* windowrecord(const Runtime& runtime, UInt8 window) {
    if (window >= GraphicWindowCount || runtime.WindowTable.size() != GraphicWindowCount)
        return nullptr;
    return &runtime.WindowTable[window];
}

t_Window* windowrecord(Runtime& runtime, UInt8 window) {
    return const_cast<t_Window*>(windowrecord(std::as_const(runtime), window));
}

t_Window* readywindow(Runtime& runtime, UInt8 window, WindowNeeds needs) {
    t_Window* w = windowrecord(runtime, window);
    if (!w || !runtime.MemoryInitialized || !w->Initialized) return nullptr;
    if (needs == WindowNeeds::TextBlock && w->TextMemoryStart < 0) return nullptr;
    return w;
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
