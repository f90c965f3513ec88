// Golden images: one test screen drawn with the real font at 24, 4 and 1 bits and compared pixel
// for pixel with the reference pictures in tests/golden/.
//
// MIRADEX_REBASELINE=1 rewrites the references from what is drawn now.
// MIRADEX_GOLDEN_OUT=<dir> writes every rendered picture there, and for a mismatch a diff picture
// (differing pixels red, equal ones dimmed).
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>

#include "runtime/font.h"
#include "runtime/image.h"
#include "support/png_io.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string referencepath(const std::string& name) {
    return std::string(MIRADEX_SOURCE_DIR) + "/tests/golden/" + name;
}

WindowImage diffimage(const WindowImage& actual, const WindowImage& expected) {
    WindowImage diff{actual.Width, actual.Height, actual.Pixels};
    for (std::size_t i = 0; i < diff.Pixels.size(); ++i) {
        const bool same = i < expected.Pixels.size() && expected.Pixels[i] == actual.Pixels[i];
        diff.Pixels[i] = same ? 0xFF000000u | (actual.Pixels[i] >> 2 & 0x3F3F3Fu) : 0xFFFF0000u;
    }
    return diff;
}

class GoldenTest : public TextTest {
  protected:
    void drawframes();
    void drawscreen(Int depth);
    void compare(const std::string& name);
};

void box(Int left, Int top, Int right, Int bottom, const std::array<UInt8, 6>& parts) {
    const auto [topLeft, topRight, bottomLeft, bottomRight, vertical, horizontal] = parts;
    for (Int x = left + 1; x < right; ++x) {
        t_PrintSymbol(0, horizontal, 0xE0, x, top);
        t_PrintSymbol(0, horizontal, 0xE0, x, bottom);
    }
    for (Int y = top + 1; y < bottom; ++y) {
        t_PrintSymbol(0, vertical, 0xE0, left, y);
        t_PrintSymbol(0, vertical, 0xE0, right, y);
    }
    t_PrintSymbol(0, topLeft, 0xE0, left, top);
    t_PrintSymbol(0, topRight, 0xE0, right, top);
    t_PrintSymbol(0, bottomLeft, 0xE0, left, bottom);
    t_PrintSymbol(0, bottomRight, 0xE0, right, bottom);
}

void GoldenTest::drawframes() {
    // A single frame split by a line, with junctions where two columns meet it, and a double
    // frame beside it.
    box(2, 19, 40, 24, {0x86, 0x87, 0x88, 0x89, 0x8A, 0x8C});
    for (Int x = 3; x < 40; ++x)
        t_PrintSymbol(0, 0x8C, 0xE0, x, 21);
    t_PrintSymbol(0, 0x92, 0xE0, 2, 21);
    t_PrintSymbol(0, 0x93, 0xE0, 40, 21);
    for (Int y : {22, 23}) {
        t_PrintSymbol(0, 0x8A, 0xE0, 20, y);
        t_PrintSymbol(0, 0x8A, 0xE0, 30, y);
    }
    t_PrintSymbol(0, 0x8A, 0xE0, 30, 20);
    t_PrintSymbol(0, 0x94, 0xE0, 20, 21);
    t_PrintSymbol(0, 0x95, 0xE0, 20, 24);
    t_PrintSymbol(0, 0x94, 0xE0, 30, 19);
    t_PrintSymbol(0, 0x96, 0xE0, 30, 21);
    t_PrintSymbol(0, 0x95, 0xE0, 30, 24);
    box(44, 19, 70, 23, {0x8E, 0x8F, 0x90, 0x91, 0x8B, 0x8D});
    for (Int x = 45; x < 70; ++x)
        t_PrintSymbol(0, 0x8D, 0xE0, x, 21);
    t_PrintSymbol(0, 0x97, 0xE0, 44, 21);
    t_PrintSymbol(0, 0x98, 0xE0, 70, 21);
    t_PrintSymbol(0, 0x99, 0xE0, 57, 19);
    t_PrintSymbol(0, 0x8B, 0xE0, 57, 20);
    t_PrintSymbol(0, 0x9E, 0xE0, 57, 21);
}

// Every glyph in four colour pairs, inverse text, frames, umlauts and escape colours; then one
// scroll moves it all up a line.
void GoldenTest::drawscreen(Int depth) {
    resetruntime();
    openwindow(0, depth, 1312, 800, t_LoadFontResource("MenloRegular 16x32.font"));
    ASSERT_EQ(win().TextWidth, 82);
    t_Print(0, "Zeichensatz 0..255 in vier Farbpaaren");
    const UInt8 pairs[] = {0xC0, 0xF2, 0x1D, 0x7A};
    for (Int p = 0; p < 4; ++p)
        for (Int code = 0; code < 256; ++code)
            t_PrintSymbol(0, static_cast<UInt8>(code), pairs[p], 2 + code % 64,
                          2 + p * 4 + code / 64);
    t_Vtab(0, 18);
    t_Htab(0, 2);
    t_Inverse(0);
    t_Print(0, "Invers: Hardware-Bericht");
    t_Normal(0);
    t_Print(0, " und wieder normal");
    drawframes();
    t_Vtab(0, 20);
    t_Htab(0, 4);
    t_Print(0, "Umlaute: \xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f\xc3\x84\xc3\x96\xc3\x9c");
    t_Vtab(0, 22);
    t_Htab(0, 46);
    t_Print(0, "Prozessor = 8 Kerne");
    t_Vtab(0, 25);
    t_Htab(0, 2);
    t_Print(0, "Farben:");
    for (char background = 'P'; background <= '_'; ++background)
        t_Print(0, std::string{27, background, ' ', ' '});
    t_Print(0, "\x1b"
               "P\x1b"
               "M Ende");
    t_ScrollUp(0);
    EXPECT_TRUE(textlines().empty());
}

void GoldenTest::compare(const std::string& name) {
    auto rendered = t_WindowImage(0);
    ASSERT_TRUE(rendered.has_value());
    const std::string out = environment("MIRADEX_GOLDEN_OUT");
    if (!out.empty()) {
        std::filesystem::create_directories(out);
        EXPECT_TRUE(writepng(out + "/" + name, *rendered));
    }
    if (environment("MIRADEX_REBASELINE") == "1") {
        ASSERT_TRUE(writepng(referencepath(name), *rendered));
    }
    const auto reference = readpng(referencepath(name));
    ASSERT_TRUE(reference.has_value())
        << referencepath(name) << " is missing; MIRADEX_REBASELINE=1 writes it";
    ASSERT_EQ(rendered->Width, reference->Width);
    ASSERT_EQ(rendered->Height, reference->Height);
    std::size_t differing = 0;
    std::size_t first = 0;
    for (std::size_t i = rendered->Pixels.size(); i-- > 0;)
        if (rendered->Pixels[i] != reference->Pixels[i]) {
            ++differing;
            first = i;
        }
    if (differing != 0 && !out.empty())
        writepng(out + "/diff-" + name, diffimage(*rendered, *reference));
    EXPECT_EQ(differing, 0u) << "first at x = " << first % 1312 << ", y = " << first / 1312;
}

TEST_F(GoldenTest, TestScreenAt24Bits) {
    drawscreen(24);
    compare("screen24.png");
}

TEST_F(GoldenTest, TestScreenAt4Bits) {
    drawscreen(4);
    compare("screen4.png");
}

TEST_F(GoldenTest, TestScreenAt1Bit) {
    drawscreen(1);
    compare("screen1.png");
}

} // namespace
} // namespace mdx::test
