#include "tools/fontgen/canvas.h"

#include <algorithm>

namespace mdx::fontgen {

namespace {
constexpr int SamplesPerAxis = 8;
constexpr int SamplesPerPixel = SamplesPerAxis * SamplesPerAxis;
} // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

UInt8 Canvas::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<std::size_t>(y * width_ + x)];
}

void Canvas::plot(int x, int y, UInt8 coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    UInt8& pixel = pixels_[static_cast<std::size_t>(y * width_ + x)];
    pixel = std::max(pixel, coverage);
}

void Canvas::fill(int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            plot(x, y, 255);
}

void Canvas::fillshape(const std::function<bool(double x, double y)>& inside) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            int hits = 0;
            for (int sy = 0; sy < SamplesPerAxis; ++sy)
                for (int sx = 0; sx < SamplesPerAxis; ++sx)
                    if (inside(x + (sx + 0.5) / SamplesPerAxis, y + (sy + 0.5) / SamplesPerAxis))
                        ++hits;
            plot(x, y, static_cast<UInt8>((hits * 255 + SamplesPerPixel / 2) / SamplesPerPixel));
        }
    }
}

bool Canvas::hasink() const {
    return std::any_of(pixels_.begin(), pixels_.end(), [](UInt8 p) { return p != 0; });
}

} // namespace mdx::fontgen
