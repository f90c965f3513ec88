#include "runtime/colours.h"

#include "base/log.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"

namespace mdx {

void t_ColorBorder(UInt8 window, Int color) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_ColorBorder");
        return;
    }
    if (!windowready(window)) {
        lognotinitialized("t_ColorBorder", window);
        return;
    }
    t_Window& w = *windowrecord(rt(), window);
    w.RGBColorBorder = t_ColorIndexToRGB(colourindex(color));
    Handle object = w.Window;
    t_RGBColor border = w.RGBColorBorder;
    if (object) onMainThread([&] { windowlayer().setBackgroundColor(object, border); });
    markchanged(window);
}

} // namespace mdx
