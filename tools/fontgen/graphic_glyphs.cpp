// The graphic characters, with the plain character that screen read-back turns each into:
//
//   0x7F  full block                        #
//   0x80  five-pointed star                 *
//   0x81  shaded block (pixel checkerboard) #
//   0x82  left arrow                        <
//   0x83  double bar (heavy equals sign)    =
//   0x84  right arrow                       >
//   0x85  circle                            O
//   0x86  single corner, down and right     +
//   0x87  single corner, down and left      +
//   0x88  single corner, up and right       +
//   0x89  single corner, up and left        +
//   0x8A  single vertical line              |
//   0x8B  double vertical line              |
//   0x8C  single horizontal line            -
//   0x8D  double horizontal line            -
//   0x8E  double corner, down and right     +
//   0x8F  double corner, down and left      +
//   0x90  double corner, up and right       +
//   0x91  double corner, up and left        +
//   0x92  single T, vertical and right      +
//   0x93  single T, vertical and left       +
//   0x94  single T, horizontal and down     +
//   0x95  single T, horizontal and up       +
//   0x96  single cross                      +
//   0x97  double T, vertical and right      +
//   0x98  double T, vertical and left       +
//   0x99  double T, horizontal and down     +
//   0x9A  heavy horizontal line             -
//   0x9B  dashed horizontal line            -
//   0x9C  heavy vertical line               |
//   0x9D  dashed vertical line              |
//   0x9E  double T, horizontal and up       +
//   0x9F  heavy double horizontal line      =
//   0xA0  visible space                     (U+02FD)
//
// Lines are centred in the cell and run to its very edges, so that pieces placed side by side or
// one above the other join without a gap. A single line is 2 pixels thick; a double line is two
// such lines 4 pixels apart.
#include "tools/fontgen/graphic_glyphs.h"

#include <array>
#include <cmath>
#include <numbers>

#include "tools/fontgen/fontgen.h"

namespace mdx::fontgen {

namespace {

constexpr int Thickness = 2;
// Single lines: rows 15..16 and columns 7..8, the middle of the cell.
constexpr int SingleRow = (CellHeight - Thickness) / 2;
constexpr int SingleColumn = (CellWidth - Thickness) / 2;
// Double lines: two single lines with a 4-pixel gap around the middle.
constexpr int DoubleGap = 4;
constexpr int UpperRow = CellHeight / 2 - DoubleGap / 2 - Thickness;
constexpr int LowerRow = CellHeight / 2 + DoubleGap / 2;
constexpr int LeftColumn = CellWidth / 2 - DoubleGap / 2 - Thickness;
constexpr int RightColumn = CellWidth / 2 + DoubleGap / 2;

enum class Line { None, Single, Double };

// The lines that leave a frame piece through each of its four edges.
struct Arms {
    Line left = Line::None;
    Line right = Line::None;
    Line up = Line::None;
    Line down = Line::None;
};

void drawsinglearms(Canvas& c, const Arms& a) {
    constexpr int rowEnd = SingleRow + Thickness;
    constexpr int columnEnd = SingleColumn + Thickness;
    // Each arm covers the centre square too, so that corners are closed.
    if (a.left == Line::Single) c.fill(0, SingleRow, columnEnd, rowEnd);
    if (a.right == Line::Single) c.fill(SingleColumn, SingleRow, CellWidth, rowEnd);
    if (a.up == Line::Single) c.fill(SingleColumn, 0, columnEnd, rowEnd);
    if (a.down == Line::Single) c.fill(SingleColumn, SingleRow, columnEnd, CellHeight);
}

// Each line of a double arm stops where it meets the matching line of a perpendicular arm: the
// inner lines form the inner corners, the outer lines run on to meet the far line.
void drawdoublearms(Canvas& c, const Arms& a) {
    const bool left = a.left == Line::Double;
    const bool right = a.right == Line::Double;
    const bool up = a.up == Line::Double;
    const bool down = a.down == Line::Double;
    constexpr int t = Thickness;
    if (left) {
        c.fill(0, UpperRow, (up ? LeftColumn : RightColumn) + t, UpperRow + t);
        c.fill(0, LowerRow, (down ? LeftColumn : RightColumn) + t, LowerRow + t);
    }
    if (right) {
        c.fill(up ? RightColumn : LeftColumn, UpperRow, CellWidth, UpperRow + t);
        c.fill(down ? RightColumn : LeftColumn, LowerRow, CellWidth, LowerRow + t);
    }
    if (up) {
        c.fill(LeftColumn, 0, LeftColumn + t, (left ? UpperRow : LowerRow) + t);
        c.fill(RightColumn, 0, RightColumn + t, (right ? UpperRow : LowerRow) + t);
    }
    if (down) {
        c.fill(LeftColumn, left ? LowerRow : UpperRow, LeftColumn + t, CellHeight);
        c.fill(RightColumn, right ? LowerRow : UpperRow, RightColumn + t, CellHeight);
    }
}

Canvas frame(Arms arms) {
    Canvas c(CellWidth, CellHeight);
    drawsinglearms(c, arms);
    drawdoublearms(c, arms);
    return c;
}

constexpr Line N = Line::None;
constexpr Line S = Line::Single;
constexpr Line D = Line::Double;

struct Point2 {
    double x;
    double y;
};

// Even-odd rule.
template <std::size_t Count>
bool insidepolygon(const std::array<Point2, Count>& p, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = Count - 1; i < Count; j = i++) {
        bool crosses = (p[i].y > y) != (p[j].y > y);
        if (crosses && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            inside = !inside;
    }
    return inside;
}

Canvas star() {
    constexpr double cx = CellWidth / 2.0;
    constexpr double cy = CellHeight / 2.0 + 0.5; // the points hang low, so lift the middle
    constexpr double outer = 7.5;
    constexpr double inner = outer * 0.381966; // the classic pentagram proportion
    std::array<Point2, 10> points{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        double radius = i % 2 == 0 ? outer : inner;
        double angle = static_cast<double>(i) * std::numbers::pi / 5;
        points[i] = {cx + radius * std::sin(angle), cy - radius * std::cos(angle)};
    }
    Canvas c(CellWidth, CellHeight);
    c.fillshape([&](double x, double y) { return insidepolygon(points, x, y); });
    return c;
}

// An arrow pointing left; mirrored for the right one.
Canvas arrow(bool pointsleft) {
    constexpr double mid = CellHeight / 2.0;
    const std::array<Point2, 3> head = {{{1, mid}, {8.5, mid - 6}, {8.5, mid + 6}}};
    Canvas c(CellWidth, CellHeight);
    c.fillshape([&](double x, double y) {
        double fromleft = pointsleft ? x : CellWidth - x;
        bool shaft =
            fromleft >= 7 && fromleft <= 15 && y >= SingleRow && y <= SingleRow + Thickness;
        return shaft || insidepolygon(head, fromleft, y);
    });
    return c;
}

Canvas circle() {
    constexpr double cx = CellWidth / 2.0;
    constexpr double cy = CellHeight / 2.0;
    Canvas c(CellWidth, CellHeight);
    c.fillshape([&](double x, double y) {
        double r = std::hypot(x - cx, y - cy);
        return r <= 7 && r >= 5;
    });
    return c;
}

Canvas checkerboard() {
    Canvas c(CellWidth, CellHeight);
    for (int y = 0; y < CellHeight; ++y)
        for (int x = (y % 2); x < CellWidth; x += 2)
            c.plot(x, y, 255);
    return c;
}

// Two bars around the middle, thicker than a double line and clear of the cell's edges.
Canvas doublebar() {
    Canvas c(CellWidth, CellHeight);
    c.fill(2, 11, CellWidth - 2, 14);
    c.fill(2, 18, CellWidth - 2, 21);
    return c;
}

Canvas heavydoubleline() {
    Canvas c(CellWidth, CellHeight);
    c.fill(0, 10, CellWidth, 13);
    c.fill(0, 19, CellWidth, 22);
    return c;
}

Canvas heavyline(bool horizontal) {
    Canvas c(CellWidth, CellHeight);
    if (horizontal)
        c.fill(0, CellHeight / 2 - Thickness, CellWidth, CellHeight / 2 + Thickness);
    else
        c.fill(CellWidth / 2 - Thickness, 0, CellWidth / 2 + Thickness, CellHeight);
    return c;
}

// Dashes of 6 pixels with gaps of 2, the gaps split over the cell's edges so that the pattern
// continues evenly from one cell into the next.
Canvas dashedline(bool horizontal) {
    constexpr int period = 8;
    constexpr int dash = 6;
    Canvas c(CellWidth, CellHeight);
    if (horizontal) {
        for (int x = 1; x < CellWidth; x += period)
            c.fill(x, SingleRow, x + dash, SingleRow + Thickness);
    } else {
        for (int y = 1; y < CellHeight; y += period)
            c.fill(SingleColumn, y, SingleColumn + Thickness, y + dash);
    }
    return c;
}

// An open box lying on the baseline.
Canvas visiblespace(int baseline) {
    Canvas c(CellWidth, CellHeight);
    c.fill(2, baseline - Thickness, CellWidth - 2, baseline);
    c.fill(2, baseline - 7, 2 + Thickness, baseline);
    c.fill(CellWidth - 2 - Thickness, baseline - 7, CellWidth - 2, baseline);
    return c;
}

Canvas fullblock() {
    Canvas c(CellWidth, CellHeight);
    c.fill(0, 0, CellWidth, CellHeight);
    return c;
}

} // namespace

Canvas graphicglyph(int code, int baseline) {
    switch (code) {
    case 0x7F: return fullblock();
    case 0x80: return star();
    case 0x81: return checkerboard();
    case 0x82: return arrow(true);
    case 0x83: return doublebar();
    case 0x84: return arrow(false);
    case 0x85: return circle();
    case 0x86: return frame({N, S, N, S});
    case 0x87: return frame({S, N, N, S});
    case 0x88: return frame({N, S, S, N});
    case 0x89: return frame({S, N, S, N});
    case 0x8A: return frame({N, N, S, S});
    case 0x8B: return frame({N, N, D, D});
    case 0x8C: return frame({S, S, N, N});
    case 0x8D: return frame({D, D, N, N});
    case 0x8E: return frame({N, D, N, D});
    case 0x8F: return frame({D, N, N, D});
    case 0x90: return frame({N, D, D, N});
    case 0x91: return frame({D, N, D, N});
    case 0x92: return frame({N, S, S, S});
    case 0x93: return frame({S, N, S, S});
    case 0x94: return frame({S, S, N, S});
    case 0x95: return frame({S, S, S, N});
    case 0x96: return frame({S, S, S, S});
    case 0x97: return frame({N, D, D, D});
    case 0x98: return frame({D, N, D, D});
    case 0x99: return frame({D, D, N, D});
    case 0x9A: return heavyline(true);
    case 0x9B: return dashedline(true);
    case 0x9C: return heavyline(false);
    case 0x9D: return dashedline(false);
    case 0x9E: return frame({D, D, D, N});
    case 0x9F: return heavydoubleline();
    case 0xA0: return visiblespace(baseline);
    default: return Canvas(CellWidth, CellHeight);
    }
}

} // namespace mdx::fontgen
