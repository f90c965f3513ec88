// Conversions between the runtime's rectangles (points, origin at the bottom left, y upward) and
// Qt's (pixels of the logical coordinate system, origin at the top left, y downward).
#pragma once

#include <QRect>

#include "base/types.h"

namespace mdx::qt {

// A rectangle given from the bottom of an area of the given height, as Qt places it.
QRect totopleft(const Rect& rect, int areaHeight);

// A Qt rectangle in an area of the given height, measured from the area's bottom.
Rect tobottomleft(const QRect& rect, int areaHeight);

} // namespace mdx::qt
