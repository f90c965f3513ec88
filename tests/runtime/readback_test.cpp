// Reading the character grid back as text, and the plain form of the graphic characters.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

class ReadbackTest : public RuntimeTest {
  protected:
    // The program's 82 x 25 screen, cleared to spaces.
    void SetUp() override {
        t_Font font;
        font.Format = FontFormatGrey;
        font.Width = 16;
        font.Height = 32;
        font.End = 255;
        font.Data.assign(1, 0);
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, font, true);
        log.clear();
    }
    // Writes character codes into the grid from column `column` of line `line` on.
    void put(Int line, Int column, const std::string& codes) {
        const t_Window& w = rt().WindowTable[0];
        const Int at = w.TextMemoryStart + (line - 1) * w.TextWidth + (column - 1);
        std::memcpy(rt().VideoMemory.data() + at, codes.data(), codes.size());
    }
};

TEST_F(ReadbackTest, WithASeparatorTrailingBlanksAndEmptyLinesGo) {
    EXPECT_EQ(t_GetScreen(0, "\r"), ""); // all blank: one empty line, no separator

    put(1, 1, "Hello");
    EXPECT_EQ(t_GetScreen(0, "\r"), "Hello");

    put(1, 80, "end");
    put(3, 2, "x y");
    put(25, 82, "z");
    EXPECT_EQ(t_GetScreen(0, "\r"), "Hello" + std::string(74, ' ') + "end\r\r x y" +
                                        std::string(22, '\r') + std::string(81, ' ') + "z");
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ReadbackTest, WithoutSeparatorEveryCellIsKept) {
    put(1, 1, "Hello");
    const std::string screen = t_GetScreen(0, "");
    ASSERT_EQ(screen.size(), 2050u);
    EXPECT_EQ(screen, "Hello" + std::string(2045, ' '));
}

TEST_F(ReadbackTest, CodesAboveSevenBitsBecomeLatinOneCharacters) {
    put(1, 1, std::string("\xE4\x80\x00\x7F", 4));
    EXPECT_EQ(t_GetScreen(0, "\r"), std::string("\xC3\xA4\xC2\x80\x00\x7F", 6));
}

// The clean-up always splits at carriage returns: other separators are kept with the blanks
// before them, and only the very end loses its spaces.
TEST_F(ReadbackTest, OnlyCarriageReturnsSplitLines) {
    put(1, 1, "ab");
    std::string expected;
    for (int line = 1; line <= 25; ++line)
        expected += (line == 1 ? "ab" + std::string(80, ' ') : std::string(82, ' ')) + "\n";
    EXPECT_EQ(t_GetScreen(0, "\n"), expected);
    std::string crlf = "ab"; // lines 2 to 25 lose their blanks, not the line feed before them
    for (int line = 2; line <= 26; ++line)
        crlf += "\r\n";
    EXPECT_EQ(t_GetScreen(0, "\r\n"), crlf);
}

TEST_F(ReadbackTest, UnreadableWindowsGiveNothing) {
    t_InitWindow(1, 8, false, 64, 64, 0, 0, t_Font{}, true); // no text grid
    log.clear();
    EXPECT_EQ(t_GetScreen(8, "\r"), "");
    EXPECT_EQ(t_GetScreen(3, "\r"), "");
    EXPECT_EQ(t_GetScreen(1, ""), "");
    rt().WindowTable[0].TextWidth = 5000; // a grid larger than its block is not read
    EXPECT_EQ(t_GetScreen(0, ""), "");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "t_GetScreen: Window is not a graphic window.",
                               "t_GetScreen: Window #3 not initialized.",
                               "t_GetScreen: Window #1 not initialized.",
                               "t_GetScreen: Window #0 not initialized.",
                           }));
    resetruntime();
    EXPECT_EQ(t_GetScreen(0, "\r"), "");
}

TEST(PlainScreenTextTest, GraphicCharactersBecomePlainOnes) {
    // U+007F to U+00A0 in order.
    const std::string plain = "#*#<=>O++++||--++++++++++++--||+=\xCB\xBD";
    std::string graphic = "\x7F";
    for (int c = 0x80; c <= 0xA0; ++c)
        graphic += {'\xC2', static_cast<char>(c)};
    EXPECT_EQ(plainscreentext(graphic), plain);

    const std::pair<std::string, std::string> cases[] = {
        {"\xC2\x88\xC2\x8C\xC2\x8C\xC2\x88", "+--+"}, // a frame's top
        {"\xC2\x8A Hi \xC2\x8A", "| Hi |"},
        {"a\xC3\xA4\xC2\xA1\xE2\x82\xAC~", "a\xC3\xA4\xC2\xA1\xE2\x82\xAC~"}, // kept
        {"\xC2", "\xC2"},                                                     // cut short
        {"\xC2\x41\x80", "\xC2\x41\x80"},                                     // not UTF-8
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(plainscreentext(text), expected) << text;
}

} // namespace
} // namespace mdx::test
