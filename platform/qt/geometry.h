// Conversions between the runtime's rectangles (points, origin at the bottom left, y upward) and
// Qt's (pixels of the logical coordinate system, origin at the top left, y downward).
#pragma once

#include <QRect>

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

} // namespace mdx::qt
