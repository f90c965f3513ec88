#include "platform/qt/geometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

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

std::vector<QPoint> cascade(const std::vector<QSize>& sizes, const QRect& screen, int step) {
    std::vector<std::size_t> order(sizes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&sizes](std::size_t a, std::size_t b) {
        return sizes[a].width() < sizes[b].width();
    });
    QSize span;
    for (std::size_t place = 0; place < order.size(); ++place)
        span = span.expandedTo(sizes[order[place]] + QSize(1, 1) * int(place) * step);
    const QPoint origin(std::max(screen.left(), screen.center().x() - span.width() / 2),
                        std::max(screen.top(), screen.center().y() - span.height() / 2));
    std::vector<QPoint> corners(sizes.size());
    for (std::size_t place = 0; place < order.size(); ++place)
        corners[order[place]] = origin + QPoint(1, 1) * int(place) * step;
    return corners;
}

PicturePlace placepicture(QSize picture, QSize view, double devicePixelRatio) {
    if (picture.isEmpty() || view.isEmpty() || !(devicePixelRatio > 0)) return {QRectF(), false};
    const double ratio = devicePixelRatio;
    const long deviceWidth = std::lround(view.width() * ratio);
    const long deviceHeight = std::lround(view.height() * ratio);
    const long whole = std::min(deviceWidth / picture.width(), deviceHeight / picture.height());
    const double scale = whole >= 1 ? double(whole)
                                    : std::min(double(deviceWidth) / picture.width(),
                                               double(deviceHeight) / picture.height());
    const double width = picture.width() * scale;
    const double height = picture.height() * scale;
    // Whole device pixels from the view's top left, so that a whole multiple stays sharp.
    const double left = std::floor((deviceWidth - width) / 2);
    const double top = std::floor((deviceHeight - height) / 2);
    return {QRectF(left / ratio, top / ratio, width / ratio, height / ratio), whole < 1};
}

QSize fittedpicture(QSize picture, QSize room, double devicePixelRatio) {
    if (picture.isEmpty() || room.isEmpty() || !(devicePixelRatio > 0)) return {};
    const double ratio = devicePixelRatio;
    const double across = std::floor(room.width() * ratio) / picture.width();
    const double down = std::floor(room.height() * ratio) / picture.height();
    const double fit = std::min(across, down);
    const double scale = fit >= 1 ? std::floor(fit) : fit;
    // Whole logical pixels that hold at least the picture's device pixels.
    const auto logical = [&](int length) {
        return static_cast<int>(std::min(std::ceil(length * scale / ratio - 1e-9), 1e6));
    };
    const QSize size(std::min(logical(picture.width()), room.width()),
                     std::min(logical(picture.height()), room.height()));
    return size.width() > 0 && size.height() > 0 ? size : QSize();
}

} // namespace mdx::qt
