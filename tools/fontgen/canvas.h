// A grey coverage bitmap (0 background .. 255 full ink) that glyphs are drawn into.
#pragma once

#include <functional>

#include "base/types.h"

namespace mdx::fontgen {

class Canvas {
  public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const Bytes& pixels() const { return pixels_; }

    // 0 outside the canvas.
    UInt8 at(int x, int y) const;
    // Adds ink: a pixel keeps the larger of its coverage and the new one. Ignored outside.
    void plot(int x, int y, UInt8 coverage);
    // Full ink on the columns x0 .. x1-1 of the rows y0 .. y1-1.
    void fill(int x0, int y0, int x1, int y1);
    // Antialiased fill of a shape given by its inside test in pixel coordinates (pixel (x, y)
    // covers x .. x+1, y .. y+1), sampled 8 x 8 times per pixel.
    void fillshape(const std::function<bool(double x, double y)>& inside);

    bool hasink() const;

  private:
    int width_;
    int height_;
    Bytes pixels_;
};

} // namespace mdx::fontgen
