// Scrolling and clearing: the block moves of a full-width region and the cell copies of a
// narrower one must leave exactly the picture and planes that drawing the moved text afresh
// gives, at every bit depth.
#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "base/log.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

struct Cell {
    UInt8 symbol;
    UInt8 colour;
};
using Content = std::map<std::pair<Int, Int>, Cell>; // (x, y) -> cell

struct Region {
    Int firstColumn, lastColumn, firstLine, lastLine;
};

struct Snapshot {
    Bytes picture;
    std::vector<std::string> rows;
    std::vector<UInt8> attributes;
    bool operator==(const Snapshot&) const = default;
};

struct Layout {
    Int depth;
    Int width;
    Int height;
    Int fontWidth;
};

class ScrollingTest : public TextTest {
  protected:
    void open(const Layout& l) {
        openwindow(0, l.depth, l.width, l.height, patternfont(l.fontWidth, 8));
    }
    // Different symbols and colours in every cell.
    Content sample() {
        Content content;
        for (Int y = 1; y <= win().TextHeight; ++y)
            for (Int x = 1; x <= win().TextWidth; ++x)
                content[{x, y}] = Cell{static_cast<UInt8>('a' + (x + 3 * y) % 26),
                                       static_cast<UInt8>(((x + y) % 16) << 4 | (y * 5 + x) % 16)};
        return content;
    }
    void draw(const Content& content) {
        for (const auto& [at, cell] : content)
            t_PrintSymbol(0, cell.symbol, cell.colour, at.first, at.second);
    }
    void setregion(const Region& r) {
        win().TextFirstColumn = r.firstColumn;
        win().TextLastColumn = r.lastColumn;
        win().TextFirstLine = r.firstLine;
        win().TextLastLine = r.lastLine;
    }
    Snapshot snapshot() {
        Snapshot s{picture(), rows(), {}};
        for (Int y = 1; y <= win().TextHeight; ++y)
            for (Int x = 1; x <= win().TextWidth; ++x)
                s.attributes.push_back(attribute(x, y));
        return s;
    }
    // Draws `content` in a fresh window of the same layout and returns what that leaves.
    Snapshot drawnafresh(const Layout& l, const Content& content) {
        resetruntime();
        open(l);
        draw(content);
        return snapshot();
    }
};

// The content after one scroll of the region: each line of the region takes the line below (up)
// or above (down); the line that opens is blank in `blank`.
Content scrolled(Content content, const Region& r, bool up, Cell blank) {
    const Content before = content;
    for (Int y = r.firstLine; y <= r.lastLine; ++y)
        for (Int x = r.firstColumn; x <= r.lastColumn; ++x) {
            const bool opens = up ? y == r.lastLine : y == r.firstLine;
            content[{x, y}] = opens ? blank : before.at({x, up ? y + 1 : y - 1});
        }
    return content;
}

const Layout Layouts[] = {
    {1, 128, 40, 8},  {4, 128, 40, 8},  {8, 128, 40, 8}, {16, 128, 40, 8},
    {24, 128, 40, 8}, {32, 128, 40, 8}, {1, 128, 40, 6}, {4, 136, 40, 6}, // pixels beyond the grid
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
                SCOPED_TRACE(testing::Message()
                             << "depth " << l.depth << " font " << l.fontWidth << " columns "
                             << r.firstColumn << ".." << r.lastColumn << " lines " << r.firstLine
                             << ".." << r.lastLine << (up ? " up" : " down"));
                resetruntime();
                open(l);
                if (r.lastColumn == 0) r.lastColumn = win().TextWidth;
                const Content content = sample();
                draw(content);
                setregion(r);
                win().TextColor = 0x5E;
                win().TextInverse = true; // copies are exact; the blank line shows inverse
                up ? t_ScrollUp(0) : t_ScrollDown(0);
                EXPECT_TRUE(win().TextInverse);
                EXPECT_TRUE(textlines().empty());
                const Snapshot actual = snapshot();
                const Snapshot expected = drawnafresh(l, scrolled(content, r, up, Cell{32, 0xE5}));
                ASSERT_EQ(actual.rows, expected.rows);
                ASSERT_EQ(actual.attributes, expected.attributes);
                ASSERT_TRUE(actual.picture == expected.picture);
            }
}

TEST_F(ScrollingTest, LockedWindowsAreSkippedSilently) {
    open({24, 64, 32, 8});
    draw(sample());
    const Snapshot before = snapshot();
    win().ScrollLock = true;
    win(5).ScrollLock = true;
    t_ScrollUp(0);
    t_ScrollDown(0);
    t_ScrollUp(5);
    t_ScrollDown(5);
    t_Print(0, "\x17\x16");
    setcursor(5, 4);
    t_Cr(0); // the cursor stays on the bottom line, where new text overwrites the old
    EXPECT_EQ(win().TextHpos, 1);
    EXPECT_EQ(win().TextVpos, 4);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(textlines().empty());
    t_ScrollUp(9);
    EXPECT_EQ(textlines(), std::vector<std::string>{"t_ScrollUp: Window is not a graphic window."});
}

TEST_F(ScrollingTest, ClearingBlanksFromTheCursorAndKeepsIt) {
    open({24, 128, 40, 8});
    const Content content = sample();
    draw(content);
    setregion({3, 10, 2, 4});
    setcursor(6, 3);
    t_ClearEndOfWindow(0);
    EXPECT_EQ(win().TextHpos, 6);
    EXPECT_EQ(win().TextVpos, 3);
    Content expected = content;
    for (Int x = 6; x <= 10; ++x)
        expected[{x, 3}] = Cell{32, 0xC0};
    for (Int x = 3; x <= 10; ++x)
        expected[{x, 4}] = Cell{32, 0xC0};
    const Snapshot actual = snapshot();
    EXPECT_EQ(actual, drawnafresh({24, 128, 40, 8}, expected));
}

// Clearing draws one line glyph by glyph and copies it to the others; the bytes that the glyph
// blitter keeps (the first byte of 16- and 32-bit pixels, pixels beyond the grid) must stay too.
TEST_F(ScrollingTest, ClearingInOneFillEqualsClearingCellByCell) {
    struct Case {
        Region region;
        Int hpos, vpos;
    };
    const Case cases[] = {
        {{1, 0, 1, 5}, 1, 1},  // form feed: the whole screen
        {{1, 0, 1, 5}, 7, 2},  // from the middle of a line
        {{3, 10, 2, 5}, 4, 3}, // a narrower region
    };
    for (const Layout& l : Layouts)
        for (Case c : cases) {
            SCOPED_TRACE(testing::Message() << "depth " << l.depth << " font " << l.fontWidth
                                            << " from " << c.hpos << "," << c.vpos);
            resetruntime();
            open(l);
            Bytes& memory = rt().VideoMemory;
            for (Int a = win().MemoryStart; a <= win().MemoryEnd; ++a)
                memory[static_cast<std::size_t>(a)] = static_cast<UInt8>(a * 37 + (a >> 8));
            draw(sample());
            if (c.region.lastColumn == 0) c.region.lastColumn = win().TextWidth;
            setregion(c.region);
            setcursor(c.hpos, c.vpos);
            win().TextColor = 0x3A;
            win().TextInverse = true;
            const Bytes before = memory;
            t_ClearEndOfWindow(0);
            const Bytes filled = memory;
            memory = before;
            for (Int y = c.vpos; y <= c.region.lastLine; ++y)
                for (Int x = y == c.vpos ? c.hpos : c.region.firstColumn; x <= c.region.lastColumn;
                     ++x)
                    t_PrintSymbol(0, 32, 0x3A, x, y);
            ASSERT_TRUE(filled == memory);
        }
}

// A second clear of a blank window, or a scroll of it, changes nothing and so asks for no
// redraw; anything drawn in between is cleared and scrolled as ever.
TEST_F(ScrollingTest, ABlankWindowIsLeftAsItIsUntilSomethingIsDrawn) {
    open({24, 128, 40, 8});
    draw(sample());
    t_ClearEndOfWindow(0);
    const Snapshot blank = snapshot();
    const auto changes = [] { return rt().WindowChanges[0].load(); };
    const std::uint64_t cleared = changes();
    t_ClearEndOfWindow(0);
    t_ScrollUp(0);
    t_ScrollDown(0);
    EXPECT_EQ(changes(), cleared);

    t_PrintSymbol(0, 'x', 0xC0, win().TextWidth, win().TextHeight);
    t_ClearEndOfWindow(0);
    EXPECT_EQ(snapshot(), blank);
    t_PrintSymbol(0, 'x', 0xC0, 1, 2);
    t_ScrollUp(0);
    EXPECT_EQ(row(1)[0], 'x');
    win().TextColor = 0x5E; // blank in another colour is not the same blank
    t_ClearEndOfWindow(0);
    EXPECT_EQ(attribute(3, 3), 0x5E);
}

TEST_F(ScrollingTest, MoveMemoryCopiesOverlappingRangesAndRefusesOutsideOnes) {
    open({24, 64, 32, 8});
    const Int base = 0x1000;
    auto load = [&] {
        for (Int i = 0; i < 8; ++i)
            byte(base + i) = static_cast<UInt8>('0' + i);
    };
    auto bytes = [&] {
        std::string text;
        for (Int i = 0; i < 8; ++i)
            text.push_back(static_cast<char>(byte(base + i)));
        return text;
    };
    struct Case {
        Int source, destination, count;
        const char* result;
    };
    const Int size = VideoMemorySize;
    const Case cases[] = {
        {base, base + 2, 5, "01012347"},
        {base + 2, base, 5, "23456567"},
        {base, base + 1, 0, "01234567"},
        {base, base + 1, -3, "01234567"},
        {base, -1, 2, "01234567"},
        {-1, base, 2, "01234567"},
        {size - 2, base, 3, "01234567"},
        {base, size - 2, 3, "01234567"},
        {base, size - 2, std::numeric_limits<Int>::max(), "01234567"},
        {size - 2, base, 2,
         "\xff\xff"
         "234567"},
    };
    for (const Case& c : cases) {
        load();
        t_MoveMemory(c.source, c.destination, c.count);
        EXPECT_EQ(bytes(), c.result) << c.source << " " << c.destination << " " << c.count;
    }
}

} // namespace
} // namespace mdx::test
