// Cursor control: the control characters, moves at the edges of the text region, tabulation.
#include <gtest/gtest.h>

#include <limits>

#include "base/log.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

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
    void expectcursor(Int x, Int y) {
        EXPECT_EQ(win().TextHpos, x);
        EXPECT_EQ(win().TextVpos, y);
    }
};

struct ControlCase {
    UInt8 code;
    Int startMode;
    bool startInverse;
    Int hpos, vpos;
    bool inverse;
    Int mode;
    Screen screen;
};

// Each control code printed with the cursor at column 3 of line 2.
TEST_F(CursorTest, ControlCharactersCarryOutTheirAction) {
    const Screen cleared{"abcdefgh", "ij      ", Blank, Blank};
    const ControlCase cases[] = {
        {0, 0, false, 3, 2, false, 0, Letters},
        {6, 0, false, 3, 2, false, 0, Letters},
        {7, 0, false, 3, 2, false, 0, Letters},
        {8, 0, false, 2, 2, false, 0, Letters},
        {9, 0, false, 3, 2, false, 0, Letters},
        {10, 0, false, 3, 3, false, 0, Letters},
        {11, 0, false, 3, 2, false, 0, cleared},
        {12, 0, false, 1, 1, false, 0, Screen(4, Blank)},
        {13, 0, false, 1, 3, false, 0, Letters},
        {14, 0, true, 3, 2, false, 0, Letters},
        {15, 0, false, 3, 2, true, 0, Letters},
        {16, 0, false, 3, 2, false, 0, Letters},
        {17, 0, false, 3, 2, true, 0, Letters},
        {17, 0, true, 3, 2, false, 0, Letters},
        {18, 0, false, 1, 2, false, 0, Letters},
        {19, 2, false, 3, 2, false, 0, Letters},
        {20, 0, false, 3, 2, false, 1, Letters},
        {21, 0, false, 3, 2, false, 0, Letters},
        {22, 0, false, 3, 2, false, 0, {Blank, "abcdefgh", "ijklmnop", "qrstuvwx"}},
        {23, 0, false, 3, 2, false, 0, {"ijklmnop", "qrstuvwx", "yzABCDEF", Blank}},
        {24, 0, false, 3, 2, false, 0, Letters},
        {25, 0, false, 1, 1, false, 0, Letters},
        {26, 0, false, 1, 2, false, 0, {"abcdefgh", Blank, "qrstuvwx", "yzABCDEF"}},
        {27, 0, false, 3, 2, false, 99, Letters},
        {28, 0, false, 4, 2, false, 0, Letters},
        {29, 0, false, 3, 2, false, 0, {"abcdefgh", "ij      ", "qrstuvwx", "yzABCDEF"}},
        {30, 0, false, 3, 1, false, 0, Letters},
        {31, 0, false, 3, 2, false, 2, Letters},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(int{c.code});
        fill(Letters);
        setcursor(3, 2);
        win().TextDisplayMode = c.startMode;
        win().TextInverse = c.startInverse;
        layer.clearCalls();
        t_Print(0, std::string(1, static_cast<char>(c.code)));
        expectcursor(c.hpos, c.vpos);
        EXPECT_EQ(win().TextInverse, c.inverse);
        EXPECT_EQ(win().TextDisplayMode, c.mode);
        EXPECT_EQ(rows(), c.screen);
        EXPECT_EQ(layer.count("beep"), c.code == 7 ? 1 : 0);
    }
    EXPECT_TRUE(textlines().empty());
}

TEST_F(CursorTest, ClearingUsesTheCurrentColoursAndInverse) {
    setcursor(5, 4);
    win().TextColor = 0x3A;
    t_Print(0, "\x0f\x1d"); // inverse on, clear to the end of the line
    EXPECT_EQ(rows()[3], "yzAB    ");
    EXPECT_EQ(attribute(4, 4), 0xC0);
    for (Int x = 5; x <= 8; ++x)
        EXPECT_EQ(attribute(x, 4), 0xA3) << x;
    expectcursor(5, 4);
    setcursor(2, 4);
    t_Print(0, "\x0b"); // on the last line only the rest of that line is cleared
    EXPECT_EQ(rows(), (Screen{"abcdefgh", "ijklmnop", "qrstuvwx", "y       "}));
    expectcursor(2, 4);
}

TEST_F(CursorTest, StepsWrapAtTheSidesAndScrollAtTopAndBottom) {
    setcursor(8, 4);
    t_CursorRight(0);
    expectcursor(1, 4);
    EXPECT_EQ(rows(), (Screen{"ijklmnop", "qrstuvwx", "yzABCDEF", Blank}));
    fill(Letters);
    setcursor(1, 1);
    t_CursorLeft(0);
    expectcursor(8, 1);
    EXPECT_EQ(rows(), (Screen{Blank, "abcdefgh", "ijklmnop", "qrstuvwx"}));
    setcursor(1, 3);
    t_CursorLeft(0);
    expectcursor(8, 2);
    t_CursorDown(0);
    t_CursorDown(0);
    expectcursor(8, 4);
    t_CursorUp(0);
    expectcursor(8, 3);
}

TEST_F(CursorTest, HorizontalTabsCountFromTheRegionVerticalOnesFromTheScreen) {
    resetruntime();
    openwindow(0, 24, 256, 64); // 32 x 8
    win().TextFirstColumn = 5;
    win().TextLastColumn = 20;
    win().TextFirstLine = 3;
    const std::pair<Int, Int> htabs[] = {{1, 5}, {28, 32}, {29, 32}, {0, 32}, {-5, 32}, {10, 14}};
    for (auto [column, expected] : htabs) {
        t_Htab(0, column);
        EXPECT_EQ(win().TextHpos, expected) << column;
    }
    const std::pair<Int, Int> vtabs[] = {{1, 1}, {8, 8}, {0, 8}, {9, 8}, {4, 4}};
    for (auto [line, expected] : vtabs) {
        t_Vtab(0, line);
        EXPECT_EQ(win().TextVpos, expected) << line;
    }
    t_CursorHome(0);
    EXPECT_EQ(win().TextHpos, 5);
    EXPECT_EQ(win().TextVpos, 3);
    t_CursorEnd(0);
    EXPECT_EQ(win().TextHpos, 20);
    EXPECT_EQ(win().TextVpos, 8);
    EXPECT_TRUE(textlines().empty());
}

TEST_F(CursorTest, PrintTabFillsUpToTheColumnThroughTheDisplayMode) {
    fill(Screen(4, Blank));
    setcursor(3, 1);
    t_PrintTab(0, 2, '.');
    t_PrintTab(0, 3, '.');
    expectcursor(3, 1);
    t_PrintTab(0, 7, '.');
    expectcursor(7, 1);
    t_DisplayMode(0, 1);
    t_PrintTab(0, 9, '-'); // translated to 173, and it wraps at the line's end
    expectcursor(1, 2);
    EXPECT_EQ(rows()[0], "  ....\xad\xad");
}

// A column far beyond the screen fills at most one screen and returns.
TEST_F(CursorTest, PrintTabToAFarColumnStops) {
    setcursor(1, 1);
    t_PrintTab(0, std::numeric_limits<Int>::max(), '.');
    EXPECT_EQ(rows(), (Screen{"........", "........", "........", Blank}));
    expectcursor(1, 4);
    t_PrintTab(0, std::numeric_limits<Int>::min(), '.');
    expectcursor(1, 4);
}

TEST_F(CursorTest, ControlCodesFollowTheRedirection) {
    setcursor(3, 2);
    t_RedirectOutput(0, 2);
    t_PrintControl(0, 10);
    t_PrintControl(0, 7);
    t_RedirectOutput(0, 0);
    t_PrintControl(0, 12);
    expectcursor(3, 2);
    EXPECT_EQ(rows(), Letters);
    EXPECT_EQ(layer.count("beep"), 0);
    EXPECT_EQ(textoutput(), "\n\a");
    log.clear();
    win(6).TextRedirectOutput = 2;
    t_PrintControl(6, 'x'); // passed on as a character even without a window
    win(6).TextRedirectOutput = 5;
    t_PrintControl(6, 'y');
    EXPECT_EQ(textoutput(), "x");
}

} // namespace
} // namespace mdx::test
