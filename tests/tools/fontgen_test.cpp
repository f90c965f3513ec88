#include "support/testing.h"

#include <utility>

#include "base/kwtools.h"
#include "runtime/font.h"
#include "support/runtime_fixture.h"
#include "tools/fontgen/fontgen.h"
#include "tools/fontgen/text_glyphs.h"

namespace mdx::fontgen {
namespace {

const Bytes& table() {
    static const Bytes glyphs = makeglyphtable(defaultsource());
    return glyphs;
}

UInt8 pixel(int code, int x, int y) {
    return table()[static_cast<std::size_t>(code) * GlyphBytes +
                   static_cast<std::size_t>(y * CellWidth + x)];
}

// The pixels of a column (x) or a row (y) of a glyph.
std::vector<UInt8> line(int code, int x, int y) {
    std::vector<UInt8> values;
    for (int i = 0; i < (x < 0 ? CellWidth : CellHeight); ++i)
        values.push_back(x < 0 ? pixel(code, i, y) : pixel(code, x, i));
    return values;
}

// The runs of full ink along an edge, as "2 2 "; any pixel neither full nor empty spoils it.
std::string inkruns(const std::vector<UInt8>& edge) {
    std::string runs;
    int run = 0;
    for (std::size_t i = 0; i <= edge.size(); ++i) {
        const UInt8 v = i < edge.size() ? edge[i] : 0;
        if (v != 0 && v != 255) return "partial ink";
        if (v == 255) ++run;
        if (v == 0 && run > 0) runs += std::to_string(std::exchange(run, 0)) + " ";
    }
    return runs;
}

class FontgenBuiltFont : public test::RuntimeTest {};

// The bundle holds exactly this generator's output, which the runtime reads back (the header's
// fields: the runtime's font tests; its cells of 16 x 32: the golden pictures drawn with it).
TEST_F(FontgenBuiltFont, BundleHoldsTheGeneratorsFontAndTheRuntimeReadsItsTable) {
    const Bytes file = makefontfile(table());
    EXPECT_LT(file.size(), table().size() / 2) << "the compression should pay for itself";
    const std::string name = "MenloRegular 16x32.font";
    EXPECT_TRUE(
        getbinaryfromfile(std::string(MIRADEX_TEST_BUNDLE) + "/Contents/Resources/" + name) == file)
        << "the build did not write the font, or generation is not reproducible";
    EXPECT_TRUE(t_LoadFontResource(name).Data == table() && log.lines().empty());
    // Unusable input and unwritable output are reported, not fatal.
    test::TempDir dir;
    EXPECT_THROW(makeglyphtable(dir.file("missing.ttf")), Error);
    EXPECT_THROW(writefile(dir.file("no/such/dir/x.font"), Bytes{1}), Error);
    EXPECT_THROW(writesheet(dir.file("no/such/dir/x.png"), table()), Error);
}

// Every code but the space has ink; the text glyphs lie whole inside their cells.
TEST(FontgenGlyphs, TextGlyphsAreWholeAndKeepClearOfTheTopAndBottomRows) {
    constexpr int pad = 12;
    const TextRasteriser text(defaultsource());
    std::string blank;
    for (int code = 0; code < GlyphCount; ++code) {
        if (std::all_of(table().begin() + code * GlyphBytes,
                        table().begin() + (code + 1) * GlyphBytes, [](UInt8 v) { return v == 0; }))
            blank += std::to_string(code) + " ";
        std::optional<char32_t> codepoint = textcodepoint(code);
        if (!codepoint) continue;
        // The same glyph drawn with room around the cell: every bit of its ink must lie inside.
        Canvas roomy(CellWidth + 2 * pad, CellHeight + 2 * pad);
        text.draw(*codepoint, roomy, pad, pad);
        int outside = 0;
        for (int y = 0; y < roomy.height(); ++y)
            for (int x = 0; x < roomy.width(); ++x) {
                const int cx = x - pad, cy = y - pad;
                if (cx >= 0 && cx < CellWidth && cy >= 0 && cy < CellHeight)
                    ASSERT_EQ(roomy.at(x, y), pixel(code, cx, cy)) << "code " << code;
                else
                    outside += roomy.at(x, y);
            }
        EXPECT_EQ(outside, 0) << "code " << code << " is cut off";
        EXPECT_EQ(inkruns(line(code, -1, 0)) + inkruns(line(code, -1, CellHeight - 1)), "")
            << "code " << code << " touches the top or bottom row";
    }
    EXPECT_EQ(blank, "32 ");
}

// The lines that leave each frame piece from 0x92 on through its left, right, top and bottom
// edge: '.' none, 's' single, 'd' double, 'h' heavy, '-' dashed (the pieces before are drawn in
// the golden pictures). An arm leaves runs of full ink as wide as its lines on its edge, centred
// so that vertical and horizontal pieces meet in the middle; a dashed line leaves the cell in the
// gap between two dashes and shows nothing there. The full and the shaded blocks fill their cells
// and tile seamlessly.
TEST(FontgenFramePieces, ArmsReachTheEdgesWithTheirLineWidth) {
    const char* const arms[] = {".sss", "s.ss", "ss.s", "sss.", "ssss", ".ddd", "d.dd",
                                "dd.d", "hh..", "--..", "..hh", "..--", "ddd."};
    const std::map<char, std::string> runs = {
        {'.', ""}, {'-', ""}, {'s', "2 "}, {'d', "2 2 "}, {'h', "4 "}};
    for (int code = 0x92; code <= 0x9E; ++code)
        for (int side = 0; side < 4; ++side) {
            const std::vector<UInt8> edge = side < 2
                                                ? line(code, side * (CellWidth - 1), 0)
                                                : line(code, -1, (side - 2) * (CellHeight - 1));
            EXPECT_EQ(inkruns(edge), runs.at(arms[code - 0x92][side]))
                << "code " << code << " side " << side;
            EXPECT_TRUE(std::equal(edge.begin(), edge.end(), edge.rbegin()));
        }
    // The full block fills its cell.
    for (int y = 0; y < CellHeight; ++y)
        for (int x = 0; x < CellWidth; ++x) {
            ASSERT_EQ(pixel(0x7F, x, y), 255);
            // The shaded block alternates full and empty pixels in both directions, across the
            // cell's edges too (the neighbour's first column follows the last).
            const UInt8 here = pixel(0x81, x, y);
            ASSERT_TRUE(here == 0 || here == 255);
            ASSERT_TRUE(here != pixel(0x81, (x + 1) % CellWidth, y) &&
                        here != pixel(0x81, x, (y + 1) % CellHeight))
                << x << "," << y;
        }
}

} // namespace
} // namespace mdx::fontgen
