// Character output: the glyph blitter at every bit depth, the text planes, printing strings and
// Text at the cursor, redirection and the failure lines.
#include <gtest/gtest.h>

#include "base/kwtools.h"
#include "runtime/colours.h"
#include "runtime/image.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

std::uint32_t rgb(Int r, Int g, Int b) {
    return 0xFF000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

// What a pixel of coverage g shows at a bit depth, worked out from the blending rule alone.
std::uint32_t expectedPixel(Int depth, Int fore, Int back, Int g) {
    auto blend = [g](Int b, Int f) { return ((255 - g) * b) / 255 + (g * f) / 255; };
    auto grey = [](Int i) { return (Palette16Red[i] + Palette16Green[i] + Palette16Blue[i]) / 3; };
    auto palette = [](Int i) { return rgb(Palette16Red[i], Palette16Green[i], Palette16Blue[i]); };
    const Int r = blend(Palette16Red[back], Palette16Red[fore]), v = blend(grey(back), grey(fore));
    const Int gr = blend(Palette16Green[back], Palette16Green[fore]);
    const Int b = blend(Palette16Blue[back], Palette16Blue[fore]);
    switch (depth) {
    case 1: return palette((r + gr + b) / 3 >= 128 ? 15 : 0);
    case 4:
        return palette(t_NearestColorIndex(static_cast<UInt8>(r), static_cast<UInt8>(gr),
                                           static_cast<UInt8>(b)));
    case 8:
    case 16: return rgb(v, v, v);
    default: return rgb(r, gr, b);
    }
}

class OutputTest : public TextTest {
  protected:
    WindowImage image() { return t_WindowImage(0).value_or(WindowImage{0, 0, {}}); }
    // Fills the picture with a byte pattern so that untouched pixels are not simply black.
    void scribble() {
        const Int size = static_cast<Int>(picture().size());
        for (Int i = 0; i < size; ++i)
            byte(win().MemoryStart + i) = static_cast<UInt8>(i * 7 + 0x35);
    }
};

// Every pixel of the printed cells comes out as the blending rule gives it, at every depth and
// for cells that start inside a byte at 1 and 4 bits (light grey on dark blue at coverage 100
// tells the two divisions of the rule from one division of the sum; orange, whose channels
// average 127.67, must show black at 1 bit); every pixel around them
// keeps what it showed, and the byte of a 16- or 32-bit pixel that holds no colour is never
// written.
TEST_F(OutputTest, GlyphIsBlendedAtEveryDepthAndNothingElseChanges) {
    for (Int fontWidth : {6, 8, 13})
        for (Int depth : {1, 4, 8, 16, 24, 32}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " font " << fontWidth);
            resetruntime();
            openwindow(0, depth, 64, 32, patternfont(fontWidth, 8));
            scribble();
            const WindowImage before = image();
            const Bytes bytes = picture();
            t_PrintSymbol(0, 'A', 0xA2, 2, 3);
            t_PrintSymbol(0, 'A', 0x29, 3, 3);
            const WindowImage after = image();
            const Bytes written = picture();
            ASSERT_EQ(after.Pixels.size(), 64u * 32u);
            for (Int y = 0; y < 32; ++y)
                for (Int x = 0; x < 64; ++x) {
                    const Int column = x / fontWidth + 1;
                    const bool inCell = (column == 2 || column == 3) && y >= 16 && y < 24;
                    const auto i = static_cast<std::size_t>(y * 64 + x);
                    const UInt8 colour = column == 2 ? 0xA2 : 0x29;
                    const std::uint32_t expected =
                        inCell ? expectedPixel(depth, colour >> 4, colour & 15,
                                               patterncoverage('A', y - 16, x % fontWidth))
                               : before.Pixels[i];
                    ASSERT_EQ(after.Pixels[i], expected) << x << "," << y;
                }
            for (std::size_t i = 0; depth % 16 == 0 && i < bytes.size(); i += depth / 8)
                ASSERT_EQ(written[i], bytes[i]) << i;
            EXPECT_EQ(std::tuple(row(3).substr(0, 4), attribute(2, 3), attribute(3, 3)),
                      std::tuple(" AA ", 0xA2, 0x29));
            EXPECT_EQ(textoutput(), "");
        }
}

// A code outside Start..End or beyond Data, or a font that is not uncompressed grey, draws no
// pixel; the planes take the cell all the same.
TEST_F(OutputTest, UndrawableGlyphsLeavePixelsButFillThePlanes) {
    const std::string notgrey = "t_PrintSymbol: Font format must be uncompressed grey for "
                                "text-printing.";
    const std::tuple<Int, UInt8, std::string> cases[] = {
        // clang-format off
        {FontFormatGrey, 10, ""}, {FontFormatGrey, 127, ""}, {FontFormatGrey, 101, ""},
        {FontFormatGrey, 100, ""}, // the last glyph in Data is drawn
        {0, 'F', notgrey}, {102, 'F', notgrey}, {7, 'F', "t_PrintSymbol: Illegal font format."}};
    // clang-format on
    for (const auto& [format, code, line] : cases) {
        resetruntime();
        t_Font font = patternfont(8, 8, 32, 126);
        font.Format = format;
        font.Data.resize(101 * 64); // glyphs 0..100 only
        openwindow(0, 24, 64, 32, font);
        scribble();
        const Bytes before = picture();
        t_PrintSymbol(0, code, 0x3C, 2, 2);
        EXPECT_EQ(std::tuple(picture() != before, character(2, 2), attribute(2, 2), textoutput()),
                  std::tuple(code == 100, code, 0x3C, line.empty() ? line : line + "\n"))
            << int{code};
    }
}

TEST_F(OutputTest, NearestColourPrefersTheLowestIndexOnTies) {
    const std::tuple<UInt8, UInt8, UInt8, Int> cases[] = {
        {63, 63, 63, 0},     {64, 64, 64, 5},     {127, 127, 127, 5},  {128, 128, 128, 10},
        {191, 191, 191, 10}, {192, 192, 192, 15}, {0, 0, 64, 0},       {0, 0, 192, 6},
        {0, 64, 192, 6},     {128, 64, 1, 8},     {255, 128, 129, 11}, {0, 255, 254, 14},
    };
    for (const auto& [r, g, b, index] : cases)
        EXPECT_EQ(t_NearestColorIndex(r, g, b), index) << int{r} << "," << int{g} << "," << int{b};
}

TEST_F(OutputTest, PrintSymbolRefusesCellsOutsideThePicture) {
    openwindow(0, 24, 68, 36); // 8 x 4 cells; the extra pixels hold no cell
    const Bytes before = picture();
    std::string expected;
    for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {9, 1}, {1, 5}, {-3, 2}}) {
        t_PrintSymbol(0, 'E', 0xF0, x, y);
        expected += "t_PrintSymbol: Window #0 illegal coordinates (x = " + std::to_string(x) +
                    ", y = " + std::to_string(y) + ").\n";
    }
    EXPECT_EQ(picture(), before);
    EXPECT_EQ(textoutput(), expected);
    EXPECT_EQ(rows(), (std::vector<std::string>(4, std::string(8, ' '))));
    t_PrintSymbol(0, 'E', 0xF0, 8, 4);
    EXPECT_EQ(character(8, 4), 'E');
}

// 1 draws, 2 writes the characters to standard output without a line end, anything else drops
// them; the cursor moves in every case.
TEST_F(OutputTest, RedirectionSendsCharactersToTheirTarget) {
    for (Int target : {0, 1, 2, 3, -1}) {
        SCOPED_TRACE(target);
        resetruntime();
        openwindow(0, 24, 64, 32);
        t_RedirectOutput(0, target);
        const Bytes before = picture();
        t_Print(0, "A\xc3\xa9");
        EXPECT_EQ(
            std::tuple(win().TextHpos, textoutput(), picture() != before, row(1).substr(0, 2)),
            std::tuple(3, target == 2 ? "A\xc3\xa9" : "", target == 1,
                       target == 1 ? "A\xe9" : "  "));
    }
    win(3).TextRedirectOutput = 2; // window 3 has no memory, yet its output still goes out
    log.clear();
    t_PrintSymbol(3, 0xFC, 0xC0, 1, 1);
    EXPECT_EQ(textoutput(), "\xc3\xbc");
}

// The string form decodes UTF-8; every byte of a malformed sequence (cut short, a surrogate, an
// overlong form such as C0 AF for '/', beyond U+10FFFF) stands for itself, and a scalar beyond
// the font shows as '?'. The Text form prints bytes.
TEST_F(OutputTest, StringAndTextFormsDifferInTheirUnits) {
    openwindow(0, 24, 128, 32); // 16 x 4 cells
    t_Print(0, "\xc3\xa9|\xe9|\xc3|\xed\xa0\x80|\xe2\x82\xac");
    EXPECT_EQ(row(1), "\xe9|\xe9|\xc3|\xed\xa0\x80|?     ");
    setcursor(1, 2);
    t_Print(0, totext("\xc3\xa9|\xe2\x82\xac"));
    EXPECT_EQ(row(2), "\xc3\xa9|\xe2\x82\xac" + std::string(10, ' '));
    setcursor(1, 3);
    t_Print(0, "\xc0\xaf|\xe0\x80\xaf|\xf0\x80\x80\xaf|\xf4\x90\x80\x80");
    EXPECT_EQ(row(3), "\xc0\xaf|\xe0\x80\xaf|\xf0\x80\x80\xaf|\xf4\x90\x80\x80");
    setcursor(1, 4);
    t_Print(0, std::string("a\0b", 3));
    EXPECT_EQ(row(4).substr(0, 3), "ab "); // code 0 is a control code that does nothing
}

} // namespace
} // namespace mdx::test
