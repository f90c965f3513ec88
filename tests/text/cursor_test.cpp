// Cursor control and display modes: the control characters, moves at the edges of the text
// region, tabulation, the display modes' translations and the escape commands.
#include "support/testing.h"

#include <limits>

#include "runtime/image.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

using namespace std::string_literals;
using Screen = std::vector<std::string>;

const std::string Blank(8, ' ');
const Screen Letters{"abcdefgh", "ijklmnop", "qrstuvwx", "yzABCDEF"};

class CursorTest : public TextTest {
  protected:
    // An 8 x 4 screen filled with Letters.
    void SetUp() override {
        openwindow(0, 24, 64, 32);
        fill(Letters);
    }
    void fill(const Screen& screen) {
        for (Int y = 1; y <= 4; ++y)
            for (Int x = 1; x <= 8; ++x)
                t_PrintSymbol(0, static_cast<UInt8>(screen[y - 1][x - 1]), 0xC0, x, y);
    }
    void expectcursor(Int x, Int y) { EXPECT_EQ(cursor(), std::pair(x, y)); }
    void expectshown(Int x, Int y, const Screen& screen) {
        EXPECT_EQ(std::pair(cursor(), rows()), std::pair(std::pair(x, y), screen));
    }
};

// What the screen shows after a control code: Letters as they were, or changed.
// clang-format off
enum Shown { Same, ClearedBelow, AllBlank, ScrolledDown, ScrolledUp, LineBlank, RestBlank,
             LastOne };
const Screen Shows[] = {Letters, {"abcdefgh", "ij      ", Blank, Blank}, Screen(4, Blank),
    {Blank, "abcdefgh", "ijklmnop", "qrstuvwx"}, {"ijklmnop", "qrstuvwx", "yzABCDEF", Blank},
    {"abcdefgh", Blank, "qrstuvwx", "yzABCDEF"}, {"abcdefgh", "ij      ", "qrstuvwx", "yzABCDEF"},
    {"abcdefgh", "ijklmnop", "qrstuvwx", "y       "}};
// clang-format on

// A control code printed at column x of line y (3, 2 unless given), with the inverse flag and
// display mode before: the cursor, the inverse flag and display mode after, and the screen.
// clang-format off
struct Control { UInt8 code; Int hpos, vpos, x = 3, y = 2; Shown shown = Same; bool inverse = false;
                 Int mode = 0; bool inverseBefore = false; Int modeBefore = 0; };
// clang-format on

// Every control code that has an action, and two that have none, from column 3 of line 2; then
// the steps left (8), right (28), up (30) and down (10) onto and over the screen's edges.
TEST_F(CursorTest, ControlCharactersCarryOutTheirAction) {
    // clang-format off
    const Control cases[] = {
        {0, 3, 2}, {7, 3, 2}, {8, 2, 2}, {9, 3, 2}, {10, 3, 3}, {11, 3, 2, 3, 2, ClearedBelow},
        {12, 1, 1, 3, 2, AllBlank}, {13, 1, 3}, {14, 3, 2, 3, 2, Same, 0, 0, 1},
        {15, 3, 2, 3, 2, Same, 1}, {17, 3, 2, 3, 2, Same, 1}, {17, 3, 2, 3, 2, Same, 0, 0, 1},
        {18, 1, 2}, {19, 3, 2, 3, 2, Same, 0, 0, 0, 2}, {20, 3, 2, 3, 2, Same, 0, 1},
        {22, 3, 2, 3, 2, ScrolledDown}, {23, 3, 2, 3, 2, ScrolledUp}, {24, 3, 2}, {25, 1, 1},
        {26, 1, 2, 3, 2, LineBlank}, {27, 3, 2, 3, 2, Same, 0, 99}, {28, 4, 2},
        {29, 3, 2, 3, 2, RestBlank}, {30, 3, 1}, {31, 3, 2, 3, 2, Same, 0, 2},
        {11, 2, 4, 2, 4, LastOne}, // on the last line only the rest of that line is cleared
        {8, 8, 1, 1, 1, ScrolledDown}, {8, 1, 1, 2, 1}, {8, 8, 2, 1, 3}, {28, 8, 2, 7, 2},
        {28, 1, 3, 8, 2}, {28, 1, 4, 8, 4, ScrolledUp}, {30, 3, 1, 3, 1, ScrolledDown},
        {30, 3, 3, 3, 4}, {10, 3, 4, 3, 4, ScrolledUp}, {10, 3, 4, 3, 3}};
    // clang-format on
    for (const Control& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.code} << " at " << c.x << "," << c.y);
        fill(Letters);
        setcursor(c.x, c.y);
        win().TextDisplayMode = c.modeBefore;
        win().TextInverse = c.inverseBefore;
        layer.clearCalls();
        t_Print(0, std::string(1, static_cast<char>(c.code)));
        EXPECT_EQ(std::tuple(cursor(), win().TextInverse, win().TextDisplayMode, rows()),
                  std::tuple(std::pair(c.hpos, c.vpos), c.inverse, c.mode, Shows[c.shown]));
        EXPECT_EQ(layer.count("beep"), c.code == 7 ? 1 : 0);
    }
    EXPECT_EQ(textoutput(), "");
}

TEST_F(CursorTest, HorizontalTabsCountFromTheRegionVerticalOnesFromTheScreen) {
    resetruntime();
    openwindow(0, 24, 256, 64); // 32 x 8
    setregion({5, 20, 3, 8});
    // Columns 1, 2, the last but one and the last that the region's margin leaves, beyond them;
    // lines 1, 2, the last but one and the last, beyond them (each leaves the cursor unchanged).
    // clang-format off
    const std::tuple<Int, Int, Int, Int> cases[] = {{1, 1, 5, 1}, {2, 2, 6, 2}, {27, 7, 31, 7},
        {28, 8, 32, 8}, {29, 0, 32, 8}, {0, 9, 32, 8}, {-5, 4, 32, 4}, {10, 4, 14, 4}};
    // clang-format on
    for (const auto& [column, line, hpos, vpos] : cases) {
        t_Htab(0, column);
        t_Vtab(0, line);
        EXPECT_EQ(cursor(), std::pair(hpos, vpos)) << column << "," << line;
    }
    t_CursorHome(0);
    expectcursor(5, 3);
    t_CursorEnd(0);
    expectcursor(20, 8);
}

// Filled up to the column through the display mode, wrapping at the line's end; a column far
// beyond the screen fills at most one screen and returns.
TEST_F(CursorTest, PrintTabFillsUpToTheColumn) {
    fill(Screen(4, Blank));
    setcursor(3, 1);
    t_PrintTab(0, 2, '.');
    t_PrintTab(0, 3, '.');
    expectcursor(3, 1);
    t_PrintTab(0, 7, '.');
    t_DisplayMode(0, 1);
    t_PrintTab(0, 9, '-'); // translated to 173
    expectcursor(1, 2);
    EXPECT_EQ(rows()[0], "  ....\xad\xad");
    t_DisplayMode(0, 0);
    t_PrintTab(0, std::numeric_limits<Int>::max(), '.');
    expectshown(1, 4, Screen{"........", "........", "........", Blank});
    t_PrintTab(0, std::numeric_limits<Int>::min(), '.');
    expectcursor(1, 4);
}

// Scrolling is no output: with the characters sent to standard output, neither the block moves
// of a full-width region nor the cell copies of a narrower one write anything there.
TEST_F(CursorTest, ControlCodesFollowTheRedirectionAndScrollingWritesNothing) {
    setcursor(3, 2);
    t_RedirectOutput(0, 2);
    t_PrintControl(0, 10);
    t_PrintControl(0, 7);
    t_RedirectOutput(0, 0);
    t_PrintControl(0, 12);
    EXPECT_EQ(std::tuple(cursor(), rows(), layer.count("beep"), textoutput()),
              std::tuple(std::pair<Int, Int>(3, 2), Letters, 0, "\n\a"s));
    t_RedirectOutput(0, 2);
    for (const Region& r : {Region{1, 8, 1, 4}, Region{3, 6, 2, 4}}) {
        setregion(r);
        setcursor(r.firstColumn, r.lastLine);
        t_ScrollUp(0);
        t_ScrollDown(0);
        t_Cr(0);
        setcursor(r.firstColumn, r.firstLine);
        t_CursorUp(0);
    }
    EXPECT_EQ(textoutput(), "\n\a");
}

// An 80 x 4 screen.
class DisplayTest : public TextTest {
  protected:
    void SetUp() override { openwindow(0, 24, 640, 32); }
    void fillline(Int y, char c) {
        for (Int x = 1; x <= 80; ++x)
            t_PrintSymbol(0, static_cast<UInt8>(c), 0xC0, x, y);
    }
};

// The input, the start of line 1, the colour and display mode after and the first cell's colour
// (0xC0 and 0 unless given; the character after a colour command is drawn in the new colour), at
// the ends of both colour ranges. 63, 103, 104, 96, 100, 108 and 109 are no commands.
TEST_F(DisplayTest, EscapeColourCommandsChangeTheAttributeAndPrintNothing) {
    // clang-format off
    struct Escape { std::string input, printed; UInt8 color = 0xC0; Int mode = 0, first = 0xC0; };
    const Escape cases[] = {
        {"\033Ax", "x ", 0x10, 0, 0x10}, {"\033@", "  ", 0x00}, {"\033O", "  ", 0xF0},
        {"\033P", "  "}, {"\033_", "  ", 0xCF}, {"\033?", "? ", 0xC0, 99}, {"\033a", "a ", 0xC0, 99},
        {"\033aA", "a ", 0x10}, {"\033gh`d", "gh`d", 0xC0, 99}, {"\033lm", "lm", 0xC0, 99}};
    // clang-format on
    for (const auto& [input, printed, color, mode, first] : cases) {
        fillline(1, ' ');
        setcursor(1, 1);
        win().TextColor = 0xC0;
        win().TextDisplayMode = 0;
        t_Print(0, input);
        EXPECT_EQ(std::tuple(row(1).substr(0, printed.size()), win().TextColor,
                             win().TextDisplayMode, attribute(1, 1)),
                  std::tuple(printed, color, mode, first))
            << input;
    }
}

// Tabs fill with spaces up to the next stop, counted from the screen's first column; a stop
// beyond the last column less the region's left margin clears the rest of the line and goes to
// the region's first column on the next line. Escape f goes to the screen's last column. The
// region's first column, the cursor, the command; the cursor after.
TEST_F(DisplayTest, TabCommandsFillToTheNextStopOrEndTheLine) {
    // The last row: the stop at the last column less the margin is still reached.
    // clang-format off
    const std::tuple<Int, Int, Int, char, Int, Int> cases[] = {
        {1, 9, 1, 'i', 11, 1}, {1, 10, 1, 'i', 21, 1}, {1, 69, 1, 'i', 71, 1},
        {1, 70, 1, 'i', 1, 2}, {1, 59, 1, 'j', 61, 1}, {1, 60, 1, 'j', 1, 2}, {1, 39, 1, 'k', 41, 1},
        {1, 40, 1, 'k', 1, 2}, {1, 75, 4, 'i', 1, 4}, {1, 3, 2, 'f', 80, 2}, {1, 3, 2, 'e', 80, 4},
        {15, 59, 1, 'i', 61, 1}, {15, 60, 1, 'i', 15, 2}, {15, 40, 1, 'j', 61, 1},
        {15, 40, 1, 'k', 15, 2}, {15, 20, 2, 'f', 80, 2}, {10, 61, 1, 'i', 71, 1}};
    // clang-format on
    for (const auto& [firstColumn, column, line, command, hpos, vpos] : cases) {
        SCOPED_TRACE(testing::Message() << firstColumn << ": " << column << "," << line << command);
        for (Int y = 1; y <= 4; ++y)
            fillline(y, 'x');
        setregion({firstColumn, 80, 1, 4});
        setcursor(column, line);
        t_Print(0, std::string{27, command});
        EXPECT_EQ(std::tuple(win().TextHpos, win().TextVpos, win().TextDisplayMode),
                  std::tuple(hpos, vpos, 0));
        const bool scrolled = line == 4 && command == 'i';
        const Int end = vpos != line || scrolled ? 80 : hpos - 1;
        std::string expected(80, 'x');
        if (command >= 'i') std::fill(expected.begin() + column - 1, expected.begin() + end, ' ');
        EXPECT_EQ(row(scrolled ? 3 : line), expected);
    }
}

TEST_F(DisplayTest, BorderCommandsSetTheBorderColour) {
    for (auto [command, colour] : {std::pair{'n', 0}, {'}', 15}, {'~', 0}, {'\x7f', 1}, {'r', 4}}) {
        layer.clearCalls();
        t_Print(0, std::string{27, command});
        EXPECT_EQ(win().RGBColorBorder, t_ColorIndexToRGB(colour)) << command;
        EXPECT_EQ(layer.count("setBackgroundColor 0 ") + win().TextHpos, 2);
    }
    win().TextColor = 0x0F; // the background nibble stays whole
    t_Color(0, -1);         // a negative colour counts from the top of the palette, here 15
    EXPECT_EQ(std::pair(win().TextColor, win().RGBColor),
              std::pair(UInt8{0xFF}, t_ColorIndexToRGB(15)));
}

// t_PrintChar draws the code as the display mode translates it, at the bounds of each mode's
// ranges; control codes are drawn, never carried out. Modes 3 and 4 mark a control code, inverse
// or in colour 1, for that one character. The mode, the code; the glyph and attribute drawn
// (0xC0 unless given).
TEST_F(DisplayTest, DisplayModesTranslateCodesBeforeDrawing) {
    // clang-format off
    struct Mode { Int mode; UInt8 code, glyph; Int colour = 0xC0; };
    const Mode cases[] = {
        {1, 32, 160}, {1, 127, 255}, {1, 31, 31}, {1, 128, 128}, {2, 97, 129}, {2, 127, 159},
        {2, 96, 128}, {2, 64, 0}, {2, 95, 31}, {2, 63, 63}, {2, 128, 128}, {0, 65, 65}, {5, 65, 65},
        {-1, 65, 65}, {0, 13, 13}, {3, 0, 64, 0x0C}, {3, 31, 95, 0x0C}, {3, 32, 32}, {4, 0, 64, 0x10},
        {4, 26, 90, 0x10}, {4, 32, 32}, {4, 200, 200}};
    // clang-format on
    for (const auto& [mode, code, glyph, colour] : cases) {
        setcursor(1, 1);
        win().TextColor = 0xC0;
        t_DisplayMode(0, mode);
        t_PrintChar(0, code);
        EXPECT_EQ(
            std::tuple(character(1, 1), attribute(1, 1), win().TextDisplayMode, win().TextInverse),
            std::tuple(glyph, colour, mode, false))
            << mode << " " << int{code};
    }
    EXPECT_EQ(layer.count("beep"), 0);
    // In mode 4 the '?' for a scalar beyond the font is in colour 1 too, and the drawing colour
    // stays colour 1.
    t_Print(0, "\xe2\x82\xac");
    EXPECT_EQ(std::tuple(character(2, 1), attribute(2, 1), win().RGBColor),
              std::tuple('?', 0x10, t_ColorIndexToRGB(1)));
}

} // namespace
} // namespace mdx::test
