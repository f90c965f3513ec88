// Character output: the glyph blitter at every bit depth, the text planes, printing strings and
// Text at the cursor, redirection and the failure lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/colours.h"
#include "runtime/image.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

Int blend(Int g, Int back, Int fore) {
    return ((255 - g) * back) / 255 + (g * fore) / 255;
}

std::uint32_t rgb(Int r, Int g, Int b) {
    return 0xFF000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

std::uint32_t paletteColour(Int index) {
    return rgb(Palette16Red[index], Palette16Green[index], Palette16Blue[index]);
}

// What a pixel of coverage g shows at a bit depth, worked out from the blending rule alone.
std::uint32_t expectedPixel(Int depth, Int fore, Int back, Int g) {
    const Int r = blend(g, Palette16Red[back], Palette16Red[fore]);
    const Int gr = blend(g, Palette16Green[back], Palette16Green[fore]);
    const Int b = blend(g, Palette16Blue[back], Palette16Blue[fore]);
    auto grey = [](Int i) { return (Palette16Red[i] + Palette16Green[i] + Palette16Blue[i]) / 3; };
    switch (depth) {
    case 1: return (r + gr + b) / 3 >= 128 ? paletteColour(15) : paletteColour(0);
    case 4:
        return paletteColour(t_NearestColorIndex(static_cast<UInt8>(r), static_cast<UInt8>(gr),
                                                 static_cast<UInt8>(b)));
    case 8:
    case 16: {
        const Int v = blend(g, grey(back), grey(fore));
        return rgb(v, v, v);
    }
    default: return rgb(r, gr, b);
    }
}

struct Region {
    Int firstColumn, lastColumn, firstLine, lastLine;
};

class OutputTest : public TextTest {
  protected:
    WindowImage image(UInt8 n = 0) {
        auto picture = t_WindowImage(n);
        EXPECT_TRUE(picture.has_value());
        return picture.value_or(WindowImage{0, 0, {}});
    }
    // Fills the picture with a byte pattern so that untouched pixels are not simply black.
    void scribble(UInt8 n = 0) {
        const t_Window& w = win(n);
        const Int size = bytesperline(w.BitDepth, w.Width) * w.Height;
        for (Int i = 0; i < size; ++i)
            byte(w.MemoryStart + i) = static_cast<UInt8>(i * 7 + 0x35);
    }
};

// Every pixel of the printed cells comes out as the blending rule gives it, at every depth and
// for cells that start inside a byte at 1 and 4 bits; every pixel around them keeps what it
// showed. The two colour pairs are printed one after the other.
TEST_F(OutputTest, GlyphIsBlendedAtEveryDepthAndNothingElseChanges) {
    struct Printed {
        Int x;
        UInt8 colour;
    };
    const Printed printed[] = {{2, 0xA2}, {3, 0x2A}};
    for (Int fontWidth : {6, 8, 13})
        for (Int depth : {1, 4, 8, 16, 24, 32}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " font " << fontWidth);
            resetruntime();
            openwindow(0, depth, 64, 32, patternfont(fontWidth, 8));
            scribble();
            const WindowImage before = image();
            for (const Printed& p : printed)
                t_PrintSymbol(0, 'A', p.colour, p.x, 3);
            const WindowImage after = image();
            ASSERT_EQ(after.Pixels.size(), 64u * 32u);
            for (Int y = 0; y < 32; ++y)
                for (Int x = 0; x < 64; ++x) {
                    const Int column = x / fontWidth + 1;
                    const bool inCell = (column == 2 || column == 3) && y >= 16 && y < 24;
                    const auto i = static_cast<std::size_t>(y * 64 + x);
                    const UInt8 colour = column == 2 ? 0xA2 : 0x2A;
                    const std::uint32_t expected =
                        inCell ? expectedPixel(depth, colour >> 4, colour & 15,
                                               patterncoverage('A', y - 16, x % fontWidth))
                               : before.Pixels[i];
                    ASSERT_EQ(after.Pixels[i], expected) << x << "," << y;
                }
            EXPECT_EQ(row(3).substr(0, 4), " AA ");
            EXPECT_EQ(attribute(2, 3), 0xA2);
            EXPECT_EQ(attribute(3, 3), 0x2A);
            EXPECT_TRUE(textlines().empty());
        }
}

// Light grey on dark blue at coverage 100: the two terms are divided separately, which gives
// blue 142 where one division of the sum would give 143.
TEST_F(OutputTest, BlendDividesBothTermsSeparately) {
    openwindow(0, 24, 64, 32);
    ASSERT_EQ(patterncoverage('A', 1, 4), 100);
    t_PrintSymbol(0, 'A', 0xA2, 3, 2);
    const Int pixel = win().MemoryStart + (9 * 64 + 20) * 3;
    EXPECT_EQ(byte(pixel), 65);
    EXPECT_EQ(byte(pixel + 1), 65);
    EXPECT_EQ(byte(pixel + 2), 142);
    resetruntime();
    openwindow(0, 8, 64, 32);
    t_PrintSymbol(0, 'A', 0xA2, 3, 2);
    EXPECT_EQ(byte(win().MemoryStart + 9 * 64 + 20), 90); // greys 168 and 42
}

TEST_F(OutputTest, InverseExchangesColoursAndStoresWhatWasDrawn) {
    openwindow(0, 24, 64, 32);
    t_Inverse(0);
    t_PrintSymbol(0, 'B', 0x1F, 1, 1);
    const WindowImage picture = image();
    EXPECT_EQ(picture.Pixels[0], rgb(255, 255, 255)); // row 0 is full coverage: colour 15
    EXPECT_EQ(picture.Pixels[64], rgb(255, 0, 0));    // column 0 is empty: colour 1
    EXPECT_EQ(attribute(1, 1), 0xF1);
    EXPECT_EQ(character(1, 1), 'B');
}

TEST_F(OutputTest, MissingGlyphsLeavePixelsButFillThePlanes) {
    t_Font font = patternfont(8, 8, 32, 126);
    font.Data.resize(static_cast<std::size_t>(101 * 64)); // glyphs 0..100 only
    openwindow(0, 24, 64, 32, font);
    scribble();
    const Bytes before = picture();
    const std::pair<UInt8, UInt8> cells[] = {{10, 0x12}, {127, 0x34}, {101, 0x56}, {200, 0x78}};
    Int x = 1;
    for (auto [code, colour] : cells)
        t_PrintSymbol(0, code, colour, x++, 1);
    EXPECT_EQ(picture(), before);
    EXPECT_EQ(row(1).substr(0, 4), "\x0a\x7f\x65\xc8");
    EXPECT_EQ(attribute(1, 1), 0x12);
    EXPECT_EQ(attribute(4, 1), 0x78);
    t_PrintSymbol(0, 100, 0xF0, 5, 1); // the last glyph inside Data is drawn
    EXPECT_NE(picture(), before);
    EXPECT_TRUE(textlines().empty());
}

// 16 bits: only the second byte of a pixel; 32 bits: never byte 0 (alpha).
TEST_F(OutputTest, HiddenBytesOfAPixelAreNeverWritten) {
    for (Int depth : {16, 32}) {
        resetruntime();
        openwindow(0, depth, 64, 32);
        const Int size = bytesperline(depth, 64) * 32;
        for (Int i = 0; i < size; ++i)
            byte(win().MemoryStart + i) = 0xAB;
        for (Int x = 1; x <= 8; ++x)
            for (Int y = 1; y <= 4; ++y)
                t_PrintSymbol(0, static_cast<UInt8>(x * 5 + y), 0xF1, x, y);
        const Int step = depth / 8;
        Int changed = 0;
        for (Int i = 0; i < size; ++i) {
            if (i % step == 0) {
                ASSERT_EQ(byte(win().MemoryStart + i), 0xAB) << depth << " " << i;
            }
            changed += byte(win().MemoryStart + i) != 0xAB;
        }
        EXPECT_GT(changed, size / step / 2) << depth;
    }
}

// Colour 12 (pure green) averages 85: text in the window's default colours cannot be seen at
// 1 bit. White on black sets exactly the pixels of coverage 128 and more.
TEST_F(OutputTest, OneBitPixelsFollowTheAverageThreshold) {
    openwindow(0, 1, 64, 32);
    t_PrintSymbol(0, 'C', 0xC0, 1, 1);
    for (Int y = 0; y < 8; ++y)
        EXPECT_EQ(byte(win().MemoryStart + y * 8), 0) << y;
    t_PrintSymbol(0, 'C', 0xF0, 2, 1);
    for (Int y = 0; y < 8; ++y) {
        UInt8 expected = 0;
        for (Int x = 0; x < 8; ++x)
            if (patterncoverage('C', y, x) >= 128) expected |= static_cast<UInt8>(0x80 >> x);
        EXPECT_EQ(byte(win().MemoryStart + y * 8 + 1), expected) << y;
    }
}

TEST_F(OutputTest, NearestColourPrefersTheLowestIndexOnTies) {
    struct Case {
        UInt8 r, g, b;
        Int index;
    };
    const Case cases[] = {
        {63, 63, 63, 0},     {64, 64, 64, 5},     {127, 127, 127, 5}, {128, 128, 128, 10},
        {191, 191, 191, 10}, {192, 192, 192, 15}, {255, 0, 0, 1},     {0, 0, 64, 0},
        {0, 64, 0, 0},       {0, 0, 192, 6},      {0, 64, 192, 6},    {0, 64, 240, 6},
        {128, 64, 1, 8},     {255, 128, 129, 11}, {0, 255, 254, 14},  {1, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t_NearestColorIndex(c.r, c.g, c.b), c.index)
            << int{c.r} << "," << int{c.g} << "," << int{c.b};
}

TEST_F(OutputTest, PrintSymbolRefusesCellsOutsideThePicture) {
    openwindow(0, 24, 68, 36); // 8 x 4 cells; the extra pixels hold no cell
    const Bytes before = picture();
    const std::pair<Int, Int> cells[] = {{0, 1}, {1, 0}, {9, 1}, {1, 5}, {-3, 2}};
    for (auto [x, y] : cells)
        t_PrintSymbol(0, 'E', 0xF0, x, y);
    EXPECT_EQ(picture(), before);
    EXPECT_EQ(textlines(), (std::vector<std::string>{
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 0, y = 1).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 1, y = 0).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 9, y = 1).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 1, y = 5).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = -3, y = 2).",
                           }));
    EXPECT_EQ(rows(), (std::vector<std::string>(4, std::string(8, ' '))));
    t_PrintSymbol(0, 'E', 0xF0, 8, 4);
    EXPECT_EQ(character(8, 4), 'E');
}

TEST_F(OutputTest, FontsNotInGreyFormatDrawNothingButFillThePlanes) {
    const std::pair<Int, const char*> formats[] = {
        {0, "t_PrintSymbol: Font format must be uncompressed grey for text-printing."},
        {100, "t_PrintSymbol: Font format must be uncompressed grey for text-printing."},
        {102, "t_PrintSymbol: Font format must be uncompressed grey for text-printing."},
        {7, "t_PrintSymbol: Illegal font format."},
    };
    for (auto [format, line] : formats) {
        resetruntime();
        t_Font font = patternfont();
        font.Format = format;
        openwindow(0, 24, 64, 32, font);
        const Bytes before = picture();
        t_PrintSymbol(0, 'F', 0x3C, 2, 2);
        EXPECT_EQ(picture(), before);
        EXPECT_EQ(character(2, 2), 'F');
        EXPECT_EQ(attribute(2, 2), 0x3C);
        EXPECT_EQ(textlines(), std::vector<std::string>{line});
        EXPECT_EQ(win().Font.Format, format);
    }
}

// Every routine of the text engine: a number above 7, then a window that is not initialised.
TEST_F(OutputTest, EveryRoutineReportsWindowsItCannotUse) {
    using Routine = std::function<void(UInt8)>;
    const std::pair<const char*, Routine> routines[] = {
        {"t_PrintSymbol", [](UInt8 w) { t_PrintSymbol(w, 'A', 0xC0, 1, 1); }},
        {"t_PrintChar", [](UInt8 w) { t_PrintChar(w, 'A'); }},
        {"t_Print", [](UInt8 w) { t_Print(w, "A"); }},
        {"t_Print", [](UInt8 w) { t_Print(w, totext("A")); }},
        {"t_Cr", t_Cr},
        {"t_Htab", [](UInt8 w) { t_Htab(w, 1); }},
        {"t_Vtab", [](UInt8 w) { t_Vtab(w, 1); }},
        {"t_CursorHome", t_CursorHome},
        {"t_CursorEnd", t_CursorEnd},
        {"t_CursorUp", t_CursorUp},
        {"t_CursorDown", t_CursorDown},
        {"t_CursorLeft", t_CursorLeft},
        {"t_CursorRight", t_CursorRight},
        {"t_PrintControl", [](UInt8 w) { t_PrintControl(w, 10); }},
        {"t_PrintTab", [](UInt8 w) { t_PrintTab(w, 5, ' '); }},
        {"t_ScrollUp", t_ScrollUp},
        {"t_ScrollDown", t_ScrollDown},
        {"t_ClearEndOfLine", t_ClearEndOfLine},
        {"t_ClearEndOfWindow", t_ClearEndOfWindow},
        {"t_Inverse", t_Inverse},
        {"t_Normal", t_Normal},
        {"t_Reverse", t_Reverse},
        {"t_Color", [](UInt8 w) { t_Color(w, 1); }},
        {"t_ColorBorder", [](UInt8 w) { t_ColorBorder(w, 1); }},
        {"t_DisplayMode", [](UInt8 w) { t_DisplayMode(w, 1); }},
        {"t_RedirectOutput", [](UInt8 w) { t_RedirectOutput(w, 1); }},
        {"t_ApplyDisplayMode", [](UInt8 w) { t_ApplyDisplayMode(w, 1); }},
    };
    openwindow(0, 24, 64, 32);
    for (const auto& [name, routine] : routines) {
        log.clear();
        routine(8);
        routine(3);
        EXPECT_EQ(textlines(),
                  (std::vector<std::string>{std::string(name) + ": Window is not a graphic window.",
                                            std::string(name) + ": Window #3 not initialized."}));
    }
    EXPECT_EQ(win(3).TextDisplayMode, 0);
    EXPECT_EQ(win(3).TextRedirectOutput, 1);
}

// Before any window exists, with no text block, and with a font without glyph data.
TEST_F(OutputTest, PrintingNeedsATextBlockAndGlyphData) {
    t_Print(0, "AB");
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    EXPECT_EQ(textlines(), (std::vector<std::string>{"t_Print: Window #0 not initialized.",
                                                     "t_PrintSymbol: Window #0 not initialized."}));
    openwindow(1, 24, 64, 32);
    t_InitWindow(2, 24, false, 64, 32, 0, 0, t_Font{}, true);
    log.clear();
    t_PrintSymbol(2, 'A', 0xC0, 1, 1);
    t_Cr(2);
    win(1).Font.Data.clear();
    t_Print(1, "A");
    t_PrintSymbol(1, 'A', 0xC0, 1, 1);
    EXPECT_EQ(textlines(), (std::vector<std::string>{
                               "t_PrintSymbol: Window #2 not initialized.",
                               "t_Cr: Window #2 not initialized.",
                               "t_Print: Window #1 has no text font.",
                               "t_PrintSymbol: Window #1 not initialized.",
                           }));
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
        EXPECT_EQ(win().TextHpos, 3);
        EXPECT_EQ(textoutput(), target == 2 ? "A\xc3\xa9" : "");
        EXPECT_EQ(picture() != before, target == 1);
        EXPECT_EQ(row(1).substr(0, 2), target == 1 ? "A\xe9" : "  ");
    }
    win(3).TextRedirectOutput = 2; // window 3 has no memory, yet its output still goes out
    log.clear();
    t_PrintSymbol(3, 0xFC, 0xC0, 1, 1);
    EXPECT_EQ(textoutput(), "\xc3\xbc");
}

// The string form decodes UTF-8; malformed bytes stand for themselves. The Text form prints
// bytes.
TEST_F(OutputTest, StringAndTextFormsDifferInTheirUnits) {
    openwindow(0, 24, 128, 32); // 16 x 4 cells
    t_Print(0, "\xc3\xa9|\xe9|\xc3|\xed\xa0\x80|\xe2\x82\xac");
    EXPECT_EQ(row(1), "\xe9|\xe9|\xc3|\xed\xa0\x80|?     ");
    setcursor(1, 2);
    t_Print(0, totext("\xc3\xa9|\xe2\x82\xac"));
    EXPECT_EQ(row(2), "\xc3\xa9|\xe2\x82\xac" + std::string(10, ' '));
    setcursor(1, 3);
    t_Print(0, std::string("a\0b", 3));
    EXPECT_EQ(row(3).substr(0, 3), "ab "); // code 0 is a control code that does nothing
    EXPECT_EQ(win().TextHpos, 3);
}

TEST_F(OutputTest, ScalarsBeyondTheFontShowAQuestionMarkInColourOneInModeFour) {
    openwindow(0, 24, 128, 32);
    t_Print(0, "\xe2\x82\xac");
    EXPECT_EQ(character(1, 1), '?');
    EXPECT_EQ(attribute(1, 1), 0xC0);
    t_DisplayMode(0, 4);
    t_Print(0, "\xe2\x82\xac"
               "B");
    EXPECT_EQ(character(2, 1), '?');
    EXPECT_EQ(attribute(2, 1), 0x10);
    EXPECT_EQ(attribute(3, 1), 0xC0); // the colour was for the substitute only
    EXPECT_EQ(win().TextColor, 0xC0);
    EXPECT_EQ(win().RGBColor, t_ColorIndexToRGB(1));
}

TEST_F(OutputTest, LastColumnWrapsAndTheBottomRightCellScrolls) {
    openwindow(0, 24, 64, 32); // 8 x 4
    t_Print(0, "abcdefgh");
    EXPECT_EQ(win().TextHpos, 1);
    EXPECT_EQ(win().TextVpos, 2);
    t_Print(0, "ijklmnopqrstuvwxyz012345");
    EXPECT_EQ(rows(), (std::vector<std::string>{"ijklmnop", "qrstuvwx", "yz012345", "        "}));
    EXPECT_EQ(win().TextHpos, 1);
    EXPECT_EQ(win().TextVpos, 4);
}

TEST_F(OutputTest, PrintCharDrawsControlCodesAndCarriageReturnRunsThem) {
    openwindow(0, 24, 64, 32);
    t_PrintChar(0, 13);
    t_PrintChar(0, 7);
    EXPECT_EQ(row(1).substr(0, 2), "\r\a");
    EXPECT_EQ(win().TextHpos, 3);
    EXPECT_EQ(layer.count("beep"), 0);
    t_Print(0, "x\ry");
    EXPECT_EQ(row(1).substr(0, 3), "\r\ax");
    EXPECT_EQ(row(2).substr(0, 1), "y");
}

// Any byte stream, control codes, escape commands and display modes included, keeps the cursor
// in the text region and writes nothing outside the window's picture and text cells.
TEST_F(OutputTest, ArbitraryBytesStayInsideTheWindow) {
    const Region regions[] = {{1, 8, 1, 4}, {3, 6, 2, 3}};
    for (const Region& region : regions) {
        resetruntime();
        openwindow(0, 4, 64, 32);
        t_Window& w = win();
        w.TextFirstColumn = region.firstColumn;
        w.TextLastColumn = region.lastColumn;
        w.TextFirstLine = region.firstLine;
        w.TextLastLine = region.lastLine;
        setcursor(region.firstColumn, region.firstLine);
        const Bytes memory = rt().VideoMemory;
        std::uint32_t seed = 12345;
        for (int round = 0; round < 300; ++round) {
            Text chunk;
            for (int i = 0; i < 40; ++i) {
                seed = seed * 1664525u + 1013904223u;
                const UInt8 value = static_cast<UInt8>(seed >> 24);
                chunk.Elements.push_back(seed % 3 == 0 ? value % 32 : value); // many control codes
            }
            if (round % 5 == 0) t_DisplayMode(0, (seed >> 8) % 5);
            if (round % 2 == 0)
                t_Print(0, chunk);
            else
                t_Print(0, tostring(chunk));
            ASSERT_GE(w.TextHpos, region.firstColumn);
            ASSERT_LE(w.TextHpos, region.lastColumn);
            ASSERT_GE(w.TextVpos, region.firstLine);
            ASSERT_LE(w.TextVpos, region.lastLine);
        }
        // Put back what the window may change; then nothing else may differ.
        Bytes after = rt().VideoMemory;
        const Int cells = w.TextWidth * w.TextHeight;
        auto restore = [&](Int first, Int count) {
            std::copy_n(memory.begin() + first, count, after.begin() + first);
        };
        restore(w.MemoryStart, 32 * 32);
        restore(w.TextMemoryStart, cells);
        restore(w.TextMemoryStart + half(), cells);
        EXPECT_TRUE(after == memory);
        EXPECT_TRUE(textlines().empty());
    }
}

} // namespace
} // namespace mdx::test
