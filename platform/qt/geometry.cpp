#include "platform/qt/geometry.h"

#include <cmath>

namespace mdx::qt {
namespace {

// Points become whole pixels; sizes never go negative.
int pixels(double points) {
    if (!std::isfinite(points)) return 0;
    constexpr double Limit = 1 << 24; // far beyond any screen, far inside int
    return static_cast<int>(std::lround(std::clamp(points, -Limit, Limit)));
}

} // namespace

QRect totopleft(const Rect& rect, int areaHeight) {
    const int width = std::max(0, pixels(rect.width));
    const int height = std::max(0, pixels(rect.height));
    const int y = pixels(rect.y);
    return QRect(pixels(rect.x), areaHeight - (y + height), width, height);
}

Rect tobottomleft(const QRect& rect, int areaHeight) {
    return Rect{static_cast<double>(rect.x()),
                static_cast<double>(areaHeight - (rect.y() + rect.height())),
                static_cast<double>(rect.width()), static_cast<double>(rect.height())};
}

} // namespace mdx::qt
