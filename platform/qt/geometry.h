// Conversions between the runtime's rectangles (points, origin at the bottom left, y upward) and
// Qt's (pixels of the logical coordinate system, origin at the top left, y downward).
#pragma once

#include <QRect>
#include <QRectF>

#include <vector>

#include "base/types.h"

namespace mdx::qt {

// A rectangle given from the bottom of an area of the given height, as Qt places it.
QRect totopleft(const Rect& rect, int areaHeight);

// A Qt rectangle in an area of the given height, measured from the area's bottom.
Rect tobottomleft(const QRect& rect, int areaHeight);

// The top-left corners of windows of the given sizes placed as a cascade, each one `step` right
// of and below the one before, narrower windows first: every window's left and right edges then
// lie further right than those of the windows before it, so that none covers another whole. The
// cascade is centred on the screen, and where it is larger, starts at the screen's top left.
std::vector<QPoint> cascade(const std::vector<QSize>& sizes, const QRect& screen, int step);

// Where a picture goes in a view, in the view's logical pixels.
struct PicturePlace {
    QRectF Area;
    bool Smooth = false; // scaled down by a fraction: filtered rather than sampled
};

// The picture (in its own pixels) in a view of the given logical size on a screen of the given
// device pixel ratio: centred, at the largest whole multiple of its size in device pixels that
// fits, so that each of its pixels covers whole device pixels; a view too small for it shows it
// shrunk evenly in both directions. Never stretched more one way than the other.
PicturePlace placepicture(QSize picture, QSize view, double devicePixelRatio);

// The largest size, in logical pixels, at which a picture fits into room on a screen of the given
// device pixel ratio with its aspect kept: the largest whole multiple of its size in device pixels
// where one fits, so that it stays sharp and a scale factor never makes it smaller than at
// factor 1; below that, scaled down evenly. Empty when nothing fits.
QSize fittedpicture(QSize picture, QSize room, double devicePixelRatio);

} // namespace mdx::qt
