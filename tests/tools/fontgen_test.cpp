#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "runtime/font.h"
#include "runtime/lzw.h"
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

std::vector<UInt8> column(int code, int x) {
    std::vector<UInt8> values;
    for (int y = 0; y < CellHeight; ++y)
        values.push_back(pixel(code, x, y));
    return values;
}

std::vector<UInt8> row(int code, int y) {
    std::vector<UInt8> values;
    for (int x = 0; x < CellWidth; ++x)
        values.push_back(pixel(code, x, y));
    return values;
}

bool rowhasink(int code, int y, UInt8 threshold = 1) {
    const std::vector<UInt8> line = row(code, y);
    return std::any_of(line.begin(), line.end(), [&](UInt8 v) { return v >= threshold; });
}

// First or last row holding solid ink (at least half coverage), so that antialiasing fringes of
// round letters do not count.
int solidrow(int code, bool fromTop) {
    for (int i = 0; i < CellHeight; ++i) {
        const int y = fromTop ? i : CellHeight - 1 - i;
        if (rowhasink(code, y, 128)) return y;
    }
    return -1;
}

Bytes readfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FontgenFile, HeaderFieldsAndCompressedTable) {
    Bytes file = makefontfile(table());
    ASSERT_GT(file.size(), 17u);
    // Format, table size 131072, codes 0 to 255, cells of 16 x 32.
    const std::array<UInt8, 16> header = {16, 'k', 'w', 'f', 'n', 102, 0, 2,
                                          0,  0,   0,   255, 16,  32,  0, 0};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
    ASSERT_EQ(table().size(), 131072u);
    EXPECT_EQ(lzwdecode(Bytes(file.begin() + 17, file.end()), file[16]), table());
    EXPECT_LT(file.size(), table().size() / 2) << "the compression should pay for itself";
}

class FontgenBuiltFont : public test::RuntimeTest {};

// The runtime's own font tests check its fields; here: the bundle holds exactly this generator's
// output, and the runtime reads back the table it was made from.
TEST_F(FontgenBuiltFont, BundleHoldsTheGeneratorsFontAndTheRuntimeReadsItsTable) {
    const std::string name = "MenloRegular 16x32.font";
    Bytes built = readfile(std::string(MIRADEX_TEST_BUNDLE) + "/Contents/Resources/" + name);
    ASSERT_FALSE(built.empty()) << "the build did not write the font";
    EXPECT_TRUE(built == makefontfile(table())) << "generation is not reproducible";
    EXPECT_TRUE(t_LoadFontResource(name).Data == table());
    EXPECT_TRUE(log.lines().empty());
}

TEST(FontgenGlyphs, EveryCodeButTheSpaceHasInk) {
    for (int code = 0; code < GlyphCount; ++code) {
        bool ink = false;
        for (int y = 0; y < CellHeight; ++y)
            ink = ink || rowhasink(code, y);
        EXPECT_EQ(ink, code != ' ') << "code " << code;
    }
}

TEST(FontgenGlyphs, TextGlyphsAreWholeAndKeepClearOfTheTopAndBottomRows) {
    constexpr int pad = 12;
    const TextRasteriser text(defaultsource());
    for (int code = 0; code < GlyphCount; ++code) {
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
        EXPECT_FALSE(rowhasink(code, 0) || rowhasink(code, CellHeight - 1)) << "code " << code;
    }
    EXPECT_EQ(solidrow('H', false), text.baseline() - 1);
}

// The lines that leave each frame piece through its left, right, top and bottom edge: '.' none,
// 's' single, 'd' double, 'h' heavy, '-' dashed.
struct Piece {
    int code;
    const char* arms;
};

constexpr Piece Pieces[] = {
    {0x86, ".s.s"}, {0x87, "s..s"}, {0x88, ".ss."}, {0x89, "s.s."}, {0x8A, "..ss"},
    {0x8B, "..dd"}, {0x8C, "ss.."}, {0x8D, "dd.."}, {0x8E, ".d.d"}, {0x8F, "d..d"},
    {0x90, ".dd."}, {0x91, "d.d."}, {0x92, ".sss"}, {0x93, "s.ss"}, {0x94, "ss.s"},
    {0x95, "sss."}, {0x96, "ssss"}, {0x97, ".ddd"}, {0x98, "d.dd"}, {0x99, "dd.d"},
    {0x9A, "hh.."}, {0x9B, "--.."}, {0x9C, "..hh"}, {0x9D, "..--"}, {0x9E, "ddd."},
};

// Lengths of the runs of the value along a line of pixels.
std::vector<int> runs(const std::vector<UInt8>& line, UInt8 value = 255) {
    std::vector<int> lengths;
    int run = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == value) {
            ++run;
        } else if (run > 0) {
            lengths.push_back(run);
            run = 0;
        }
    }
    return lengths;
}

// An arm leaves runs of full ink as wide as its lines on its edge, centred so that vertical and
// horizontal pieces meet in the middle. A dashed line leaves the cell in the gap between two
// dashes and shows nothing there.
TEST(FontgenFramePieces, ArmsReachTheEdgesWithTheirLineWidth) {
    for (const Piece& p : Pieces) {
        const std::vector<UInt8> edges[4] = {column(p.code, 0), column(p.code, CellWidth - 1),
                                             row(p.code, 0), row(p.code, CellHeight - 1)};
        for (int side = 0; side < 4; ++side) {
            SCOPED_TRACE(::testing::Message() << "code " << p.code << " side " << side);
            const char arm = p.arms[side];
            const std::vector<int> expected = arm == 's'   ? std::vector<int>{2}
                                              : arm == 'd' ? std::vector<int>{2, 2}
                                              : arm == 'h' ? std::vector<int>{4}
                                                           : std::vector<int>{};
            EXPECT_EQ(runs(edges[side]), expected);
            if (arm == '.' || arm == '-') {
                EXPECT_EQ(runs(edges[side], 0), std::vector<int>{int(edges[side].size())});
            }
            EXPECT_TRUE(std::equal(edges[side].begin(), edges[side].end(), edges[side].rbegin()));
        }
    }
}

TEST(FontgenFramePieces, BlocksFillTheCellAndTileSeamlessly) {
    for (int y = 0; y < CellHeight; ++y)
        for (int x = 0; x < CellWidth; ++x) {
            ASSERT_EQ(pixel(0x7F, x, y), 255);
            // The shaded block alternates full and empty pixels in both directions, across the
            // cell's edges too (the neighbour's first column follows the last).
            const UInt8 here = pixel(0x81, x, y);
            ASSERT_TRUE(here == 0 || here == 255);
            ASSERT_NE(here, pixel(0x81, (x + 1) % CellWidth, y)) << x << "," << y;
            ASSERT_NE(here, pixel(0x81, x, (y + 1) % CellHeight)) << x << "," << y;
        }
}

TEST(FontgenErrors, UnusableInputIsReportedNotFatal) {
    test::TempDir dir;
    EXPECT_THROW(makeglyphtable(dir.file("missing.ttf")), Error);
    std::ofstream(dir.file("junk.ttf")) << "not a font at all";
    EXPECT_THROW(makeglyphtable(dir.file("junk.ttf")), Error);
    EXPECT_THROW(writefile(dir.file("no/such/dir/x.font"), Bytes{1}), Error);
    EXPECT_THROW(writesheet(dir.file("no/such/dir/x.png"), table()), Error);
}

} // namespace
} // namespace mdx::fontgen
