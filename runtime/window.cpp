#include "runtime/window.h"

#include "runtime/window_layer.h"

namespace mdx {

Int colourindex(Int color) {
    return ((color % 16) + 16) % 16;
}

t_RGBColor t_ColorIndexToRGB(Int index) {
    if (index < 0 || index > 15) return t_RGBColor{255, 0, 0, 0};
    auto i = static_cast<std::size_t>(index);
    return t_RGBColor{255, Palette16Red[i], Palette16Green[i], Palette16Blue[i]};
}

Handle t_WindowView(UInt8 window) {
    if (window >= GraphicWindowCount) return {};
    Handle view;
    onMainThread([&] { view = windowlayer().view(window); });
    return view;
}

Handle t_WindowObject(UInt8 window) {
    if (window > MainWindowNumber) return {};
    Handle object;
    onMainThread([&] { object = windowlayer().window(window); });
    return object;
}

} // namespace mdx
