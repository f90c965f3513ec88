// Display modes, escape commands and the colour and inverse setters.
#include <gtest/gtest.h>

#include <thread>

#include "base/log.h"
#include "runtime/colours.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

constexpr char Esc = 27;

class DisplayTest : public TextTest {
  protected:
    void SetUp() override { openwindow(0, 24, 640, 32); } // 80 x 4
    std::string esc(char command) { return std::string{Esc, command}; }
    void fillline(Int y, char c) {
        for (Int x = 1; x <= 80; ++x)
            t_PrintSymbol(0, static_cast<UInt8>(c), 0xC0, x, y);
    }
};

struct EscapeCase {
    std::string input;
    std::string printed; // the start of line 1
    UInt8 color;
    Int mode;
};

TEST_F(DisplayTest, EscapeColourCommandsChangeTheAttributeAndPrintNothing) {
    const EscapeCase cases[] = {
        {"\x1b"
         "Ax",
         "x ", 0x10, 0},
        {"\x1b"
         "Q",
         "  ", 0xC1, 0},
        {"\x1b"
         "Z",
         "  ", 0xCA, 0},
        {"\x1b"
         "O\x1b"
         "P",
         "  ", 0xF0, 0},
        {"\x1b"
         "a",
         "a ", 0xC0, 99},
        {"\x1b"
         "aA",
         "a ", 0x10, 0},
        {"\x1b"
         "gh`d",
         "gh`d", 0xC0, 99}, // 103, 104, 96 and 100 are not commands
        {"\x1b"
         "lm",
         "lm", 0xC0, 99}, // nor are 108 and 109
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.input);
        fillline(1, ' ');
        setcursor(1, 1);
        win().TextColor = 0xC0;
        win().TextDisplayMode = 0;
        t_Print(0, c.input);
        EXPECT_EQ(row(1).substr(0, c.printed.size()), c.printed);
        EXPECT_EQ(win().TextColor, c.color);
        EXPECT_EQ(win().TextDisplayMode, c.mode);
    }
    setcursor(1, 1);
    win().TextDisplayMode = 0;
    t_Print(0, "\x1b"
               "AB");
    EXPECT_EQ(attribute(1, 1), 0x10); // the next character is drawn in the new colour
}

struct TabCase {
    Int column, line;
    char command;
    Int hpos, vpos;
};

// Tabs fill with spaces up to the next stop, or near the right edge clear the rest of the line
// and go to the next one.
TEST_F(DisplayTest, TabCommandsFillToTheNextStopOrEndTheLine) {
    const TabCase cases[] = {
        {1, 1, 'i', 11, 1}, {10, 1, 'i', 21, 1}, {69, 1, 'i', 71, 1}, {70, 1, 'i', 1, 2},
        {75, 1, 'i', 1, 2}, {80, 1, 'i', 1, 2},  {1, 1, 'j', 21, 1},  {59, 1, 'j', 61, 1},
        {60, 1, 'j', 1, 2}, {1, 1, 'k', 41, 1},  {39, 1, 'k', 41, 1}, {40, 1, 'k', 1, 2},
        {75, 4, 'i', 1, 4}, {3, 2, 'f', 80, 2},  {3, 2, 'e', 80, 4},
    };
    for (const TabCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.column << "," << c.line << " " << c.command);
        for (Int y = 1; y <= 4; ++y)
            fillline(y, 'x');
        setcursor(c.column, c.line);
        t_Print(0, esc(c.command));
        EXPECT_EQ(win().TextHpos, c.hpos);
        EXPECT_EQ(win().TextVpos, c.vpos);
        EXPECT_EQ(win().TextDisplayMode, 0);
        EXPECT_EQ(win().TextColor, 0xC0);
        const bool scrolled = c.line == 4 && c.command == 'i';
        const bool lineEnded = c.vpos != c.line || scrolled;
        const Int line = scrolled ? 3 : c.line;
        std::string expected(80, 'x');
        if (c.command == 'i' || c.command == 'j' || c.command == 'k') {
            const Int end = lineEnded ? 80 : c.hpos - 1;
            expected.replace(static_cast<std::size_t>(c.column - 1),
                             static_cast<std::size_t>(end - c.column + 1),
                             static_cast<std::size_t>(end - c.column + 1), ' ');
        }
        EXPECT_EQ(row(line), expected);
    }
    EXPECT_TRUE(textlines().empty());
}

TEST_F(DisplayTest, BorderCommandsSetTheBorderColour) {
    const std::pair<char, Int> cases[] = {{'n', 0}, {'}', 15}, {'~', 0}, {'\x7f', 1}, {'r', 4}};
    for (auto [command, colour] : cases) {
        layer.clearCalls();
        t_Print(0, esc(command));
        EXPECT_EQ(win().RGBColorBorder, t_ColorIndexToRGB(colour)) << command;
        EXPECT_EQ(layer.count("setBackgroundColor 0 "), 1);
        EXPECT_EQ(win().TextHpos, 1);
    }
}

struct ModeCase {
    Int mode;
    UInt8 code;
    UInt8 glyph;
};

TEST_F(DisplayTest, DisplayModesTranslateCodesBeforeDrawing) {
    const ModeCase cases[] = {
        {1, 65, 193},  {1, 32, 160}, {1, 127, 255}, {1, 31, 31},  {1, 128, 128}, {2, 97, 129},
        {2, 127, 159}, {2, 96, 128}, {2, 65, 1},    {2, 64, 0},   {2, 95, 31},   {2, 63, 63},
        {2, 128, 128}, {0, 65, 65},  {5, 65, 65},   {-1, 65, 65}, {3, 65, 65},   {4, 200, 200},
    };
    for (const ModeCase& c : cases) {
        setcursor(1, 1);
        t_DisplayMode(0, c.mode);
        t_PrintChar(0, c.code);
        EXPECT_EQ(character(1, 1), c.glyph) << c.mode << " " << int{c.code};
        EXPECT_EQ(attribute(1, 1), 0xC0);
        EXPECT_EQ(win().TextDisplayMode, c.mode);
    }
}

// Modes 3 and 4 show control codes as letters, inverse or in colour 1, for that one character.
TEST_F(DisplayTest, ControlCodesShowAsMarkedLettersInModesThreeAndFour) {
    t_DisplayMode(0, 3);
    t_Print(0, "\x01"
               "b");
    t_PrintChar(0, 2);
    EXPECT_EQ(row(1).substr(0, 3), "AbB");
    EXPECT_EQ(attribute(1, 1), 0x0C);
    EXPECT_EQ(attribute(2, 1), 0xC0);
    EXPECT_EQ(attribute(3, 1), 0x0C);
    EXPECT_FALSE(win().TextInverse);
    t_DisplayMode(0, 4);
    t_Print(0, "\x1a"
               "c");
    EXPECT_EQ(row(1).substr(3, 2), "Zc");
    EXPECT_EQ(attribute(4, 1), 0x10);
    EXPECT_EQ(attribute(5, 1), 0xC0);
    EXPECT_EQ(win().TextColor, 0xC0);
    EXPECT_EQ(win().RGBColor, t_ColorIndexToRGB(1)); // the drawing colour is not restored
}

TEST_F(DisplayTest, ColourSettersTakeTheColourModuloSixteen) {
    win().TextColor = 0x37;
    const std::pair<Int, UInt8> colours[] = {{18, 0x27}, {15, 0xF7}, {-1, 0xF7}, {-16, 0x07}};
    for (auto [colour, expected] : colours) {
        t_Color(0, colour);
        EXPECT_EQ(win().TextColor, expected) << colour;
        EXPECT_EQ(win().RGBColor, t_ColorIndexToRGB(expected >> 4)) << colour;
    }
    t_ColorBorder(0, 16);
    EXPECT_EQ(win().RGBColorBorder, (t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(layer.calls().back(), "setBackgroundColor 0 255,0,0,0");
    t_Reverse(0);
    EXPECT_TRUE(win().TextInverse);
    t_Reverse(0);
    EXPECT_FALSE(win().TextInverse);
    t_Inverse(0);
    t_Inverse(0);
    EXPECT_TRUE(win().TextInverse);
    t_Normal(0);
    EXPECT_FALSE(win().TextInverse);
}

TEST_F(DisplayTest, SettersWorkWithoutATextBlockButTranslationDoesNot) {
    t_InitWindow(2, 24, false, 64, 32, 0, 0, t_Font{}, true);
    log.clear();
    t_Color(2, 3);
    t_RedirectOutput(2, 7);
    EXPECT_EQ(win(2).TextColor, 0x30);
    EXPECT_EQ(win(2).TextRedirectOutput, 7);
    const DisplayTranslation t = t_ApplyDisplayMode(2, 'A');
    EXPECT_EQ(t.Code, -2);
    EXPECT_FALSE(t.Inverse);
    EXPECT_EQ(t.Attribute, 0xF0);
    EXPECT_EQ(textlines(),
              std::vector<std::string>{"t_ApplyDisplayMode: Window #2 not initialized."});
}

// The keys that switch the output target act on the main thread while the program prints; the
// thread sanitizer build checks that the two never race.
TEST_F(DisplayTest, OutputTargetMaySwitchWhilePrinting) {
    std::thread keys([] {
        for (int i = 0; i < 200; ++i)
            t_RedirectOutput(0, i % 2 == 0 ? 3 : 1);
    });
    for (int i = 0; i < 200; ++i)
        t_Print(0, "x");
    keys.join();
    t_RedirectOutput(0, 1);
    EXPECT_EQ(rt().WindowTable[0].TextRedirectOutput, 1);
}

} // namespace
} // namespace mdx::test
