#include "runtime/colours.h"

#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"

namespace mdx {

void t_ColorBorder(UInt8 window, Int color) {
    const CheckedWindow w = checkwindow("t_ColorBorder", window, WindowNeeds::Initialised);
    if (!w) return;
    w->RGBColorBorder = t_ColorIndexToRGB(colourindex(color));
    Handle object = w->Window;
    t_RGBColor border = w->RGBColorBorder;
    if (object) onMainThread([&] { windowlayer().setBackgroundColor(object, border); });
    markchanged(window);
}

} // namespace mdx
