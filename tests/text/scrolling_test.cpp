// Scrolling and clearing: the block moves of a full-width region and the cell copies of a
// narrower one must leave exactly the picture and planes that drawing the moved text afresh
// gives, at every bit depth.
#include "support/testing.h"

#include <limits>

#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

using Cell = std::pair<UInt8, UInt8>; // symbol, colour
using Content = std::function<Cell(Int x, Int y)>;

// Different symbols and colours in every cell.
Cell sample(Int x, Int y) {
    return {static_cast<UInt8>('a' + (x + 3 * y) % 26),
            static_cast<UInt8>(((x + y) % 16) << 4 | (y * 5 + x) % 16)};
}

struct Layout {
    Int depth, width, fontWidth;
};

// Every bit depth, and at 1 and 4 bits a font width that lets cells start inside a byte and
// leaves pixels beyond the grid; five lines of cells.
const Layout Layouts[] = {{1, 128, 8},  {4, 128, 8},  {8, 128, 8}, {16, 128, 8},
                          {24, 128, 8}, {32, 128, 8}, {1, 128, 6}, {4, 136, 6}};

class ScrollingTest : public TextTest {
  protected:
    void open(const Layout& l, const Content& content = sample) {
        openwindow(0, l.depth, l.width, 40, patternfont(l.fontWidth, 8));
        for (Int y = 1; y <= win().TextHeight; ++y)
            for (Int x = 1; x <= win().TextWidth; ++x)
                t_PrintSymbol(0, content(x, y).first, content(x, y).second, x, y);
    }
    // The text block and the picture, which lies right above it.
    Bytes snapshot() {
        const auto memory = rt().VideoMemory.begin();
        return Bytes(memory + win().TextMemoryStart, memory + win().MemoryEnd + 1);
    }
};

TEST_F(ScrollingTest, ScrollingEqualsDrawingTheMovedTextAfresh) {
    const Region regions[] = {
        {1, 0, 1, 5},  // full width, whole screen (last column filled in below)
        {1, 0, 2, 4},  // full width, lines 2..4: block moves inside the picture
        {3, 10, 2, 5}, // columns 3..10: cell by cell, the other columns untouched
        {1, 15, 1, 5}, // a left part of the screen: cell by cell
        {3, 10, 3, 3}, // a single line is only blanked
    };
    for (const Layout& l : Layouts)
        for (Region r : regions)
            for (bool up : {true, false}) {
                SCOPED_TRACE(testing::Message() << l.depth << "/" << l.fontWidth << " from "
                                                << r.firstColumn << "," << r.firstLine << up);
                resetruntime();
                open(l);
                if (r.lastColumn == 0) r.lastColumn = win().TextWidth;
                setregion(r);
                win().TextColor = 0x5E;
                win().TextInverse = true; // copies are exact; the blank line shows inverse
                up ? t_ScrollUp(0) : t_ScrollDown(0);
                EXPECT_EQ(textoutput(), "");
                const Bytes actual = snapshot();
                resetruntime();
                open(l, [&](Int x, Int y) {
                    if (x < r.firstColumn || x > r.lastColumn || y < r.firstLine || y > r.lastLine)
                        return sample(x, y);
                    if (y == (up ? r.lastLine : r.firstLine)) return Cell{32, 0xE5};
                    return sample(x, up ? y + 1 : y - 1);
                });
                ASSERT_TRUE(actual == snapshot());
            }
}

// Clearing draws one line glyph by glyph and copies it to the others; the result must be what
// blanking each cell from the cursor to the region's end gives, including the bytes that the
// glyph blitter keeps (the first byte of 16- and 32-bit pixels, pixels beyond the grid), and the
// cursor stays where it was.
TEST_F(ScrollingTest, ClearingInOneFillEqualsClearingCellByCell) {
    const std::tuple<Region, Int, Int> cases[] = {
        {{1, 0, 1, 5}, 1, 1},  // form feed: the whole screen
        {{1, 0, 1, 5}, 7, 2},  // from the middle of a line
        {{3, 10, 2, 5}, 4, 3}, // a narrower region
    };
    for (const Layout& l : Layouts)
        for (auto [region, hpos, vpos] : cases) {
            SCOPED_TRACE(testing::Message() << l.depth << "/" << l.fontWidth << " " << hpos);
            resetruntime();
            open(l);
            Bytes& memory = rt().VideoMemory;
            for (Int a = win().MemoryStart; a <= win().MemoryEnd; ++a)
                memory[static_cast<std::size_t>(a)] = static_cast<UInt8>(a * 37 + (a >> 8));
            if (region.lastColumn == 0) region.lastColumn = win().TextWidth;
            setregion(region);
            setcursor(hpos, vpos);
            win().TextColor = 0x3A;
            win().TextInverse = true;
            const Bytes before = memory;
            t_ClearEndOfWindow(0);
            EXPECT_EQ(cursor(), std::pair(hpos, vpos));
            const Bytes filled = memory;
            memory = before;
            for (Int y = vpos; y <= region.lastLine; ++y)
                for (Int x = y == vpos ? hpos : region.firstColumn; x <= region.lastColumn; ++x)
                    t_PrintSymbol(0, 32, 0x3A, x, y);
            ASSERT_TRUE(filled == memory);
        }
}

// A second clear of a blank window, or a scroll of it, is skipped; anything drawn in between is
// cleared and scrolled as ever.
TEST_F(ScrollingTest, ABlankWindowIsLeftAsItIsUntilSomethingIsDrawn) {
    open(Layouts[4]);
    t_ClearEndOfWindow(0);
    const Bytes blank = snapshot();
    t_ClearEndOfWindow(0);
    t_ScrollUp(0);
    t_ScrollDown(0);
    t_PrintSymbol(0, 'x', 0xC0, win().TextWidth, win().TextHeight);
    t_ClearEndOfWindow(0);
    EXPECT_TRUE(snapshot() == blank);
    t_PrintSymbol(0, 'x', 0xC0, 1, 2);
    t_ScrollUp(0);
    EXPECT_EQ(character(1, 1), 'x');
    win().TextColor = 0x5E; // blank in another colour is not the same blank
    t_ClearEndOfWindow(0);
    EXPECT_EQ(attribute(3, 3), 0x5E);
}

TEST_F(ScrollingTest, MoveMemoryCopiesOverlappingRangesAndRefusesOutsideOnes) {
    open(Layouts[4]);
    const Int at = 0x1000, end = VideoMemorySize, huge = std::numeric_limits<Int>::max();
    const std::tuple<Int, Int, Int, std::string> cases[] = {
        {at, at + 2, 5, "01012347"},     {at + 2, at, 5, "23456567"},
        {at, at + 1, 0, "01234567"},     {at, at + 1, -3, "01234567"},
        {at, -1, 2, "01234567"},         {-1, at, 2, "01234567"},
        {end - 2, at, 3, "01234567"},    {at, end - 2, 3, "01234567"},
        {at, end - 2, huge, "01234567"}, {end - 2, at, 2, "\377\377234567"},
    };
    for (const auto& [source, destination, count, result] : cases) {
        for (Int i = 0; i < 8; ++i)
            byte(at + i) = static_cast<UInt8>('0' + i);
        t_MoveMemory(source, destination, count);
        EXPECT_EQ(std::string(&byte(at), &byte(at) + 8), result)
            << source << " " << destination << " " << count;
    }
}

} // namespace
} // namespace mdx::test
