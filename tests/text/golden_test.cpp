// Golden images: one small window per glyph blitter (1, 4, 8, 24 and 32 bits; 16 bits shares the
// grey blitter with 8), drawn with the real font and compared pixel for pixel with the reference
// pictures in tests/golden/. A mismatch writes the picture drawn now into the build folder as
// golden-actual-<name>.
//
// MIRADEX_REBASELINE=1 rewrites the references from what is drawn now.
#include "support/testing.h"

#include "runtime/font.h"
#include "runtime/image.h"
#include "support/png_io.h"
#include "text/display.h"
#include "text/output.h"
#include "text_fixture.h"

namespace mdx::test {
namespace {

void compare(const std::string& name) {
    auto rendered = t_WindowImage(0);
    ASSERT_TRUE(rendered.has_value());
    const std::string reference = std::string(MIRADEX_SOURCE_DIR) + "/tests/golden/" + name;
    const char* rebaseline = std::getenv("MIRADEX_REBASELINE");
    EXPECT_TRUE(!rebaseline || std::string(rebaseline) != "1" || writepng(reference, *rendered));
    const auto expected = readpng(reference);
    ASSERT_TRUE(expected.has_value()) << reference << " is missing; MIRADEX_REBASELINE=1 writes it";
    const bool same = rendered->Width == expected->Width && rendered->Height == expected->Height &&
                      rendered->Pixels == expected->Pixels;
    const auto actual =
        std::filesystem::path(MIRADEX_TEST_BUNDLE).parent_path() / ("golden-actual-" + name);
    if (!same) writepng(actual.string(), *rendered);
    EXPECT_TRUE(same) << name << " differs; the picture drawn now is " << actual.string();
}

using GoldenTest = TextTest;

// Twelve by two cells: letters, umlauts, inverse text and an escape colour on the first line,
// frame pieces in four colour pairs on the second. Spaces and the letters' blank columns give the
// 24-bit blitter's runs of pure background.
TEST_F(GoldenTest, SmallWindowAtEachBlitter) {
    for (Int depth : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE(depth);
        resetruntime();
        openwindow(0, depth, 192, 64, t_LoadFontResource("MenloRegular 16x32.font"));
        ASSERT_EQ(win().TextWidth, 12);
        t_Print(0, "Gr\xc3\xbc\xc3\x9f");
        t_Inverse(0);
        t_Print(0, " Ab ");
        t_Normal(0);
        t_Print(0, "\033A\033Z$%&");
        const UInt8 pairs[] = {0xC0, 0xF2, 0x1D, 0x7A};
        for (Int i = 0; i < 12; ++i)
            t_PrintSymbol(0, static_cast<UInt8>(0x86 + i), pairs[i % 4], i + 1, 2);
        compare("window" + std::to_string(depth) + ".png");
    }
}

} // namespace
} // namespace mdx::test
