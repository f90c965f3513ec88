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

const TextRasteriser& rasteriser() {
    static const TextRasteriser text(defaultsource());
    return text;
}

UInt8 pixel(int code, int x, int y) {
    return table()[static_cast<std::size_t>(code) * GlyphBytes +
                   static_cast<std::size_t>(y * CellWidth + x)];
}

bool hasink(int code) {
    for (int y = 0; y < CellHeight; ++y)
        for (int x = 0; x < CellWidth; ++x)
            if (pixel(code, x, y) != 0) return true;
    return false;
}

bool rowhasink(int code, int y, UInt8 threshold = 1) {
    for (int x = 0; x < CellWidth; ++x)
        if (pixel(code, x, y) >= threshold) return true;
    return false;
}

// First and last row holding solid ink (at least half coverage), so that antialiasing fringes
// of round letters do not count.
int topsolidrow(int code) {
    for (int y = 0; y < CellHeight; ++y)
        if (rowhasink(code, y, 128)) return y;
    return -1;
}

int bottomsolidrow(int code) {
    for (int y = CellHeight - 1; y >= 0; --y)
        if (rowhasink(code, y, 128)) return y;
    return -1;
}

Bytes readfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string BuiltFontName = "MenloRegular 16x32.font";

TEST(FontgenFile, HeaderFieldsAndCompressedTable) {
    Bytes file = makefontfile(table());
    ASSERT_GT(file.size(), 17u);
    const std::array<UInt8, 16> header = {16, 'k', 'w', 'f', 'n', 102, 0, 2, 0, 0, // 131072
                                          0,  255, 16,  32,  0,   0};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));

    ASSERT_EQ(table().size(), 131072u);
    Bytes packed(file.begin() + 17, file.end());
    EXPECT_EQ(lzwdecode(packed, file[16]), table());
    EXPECT_LT(file.size(), table().size() / 2) << "the compression should pay for itself";
}

class FontgenBuiltFont : public test::RuntimeTest {};

TEST_F(FontgenBuiltFont, BundleHoldsTheGeneratorsFontAndTheRuntimeLoadsIt) {
    Bytes built =
        readfile(std::string(MIRADEX_TEST_BUNDLE) + "/Contents/Resources/" + BuiltFontName);
    ASSERT_FALSE(built.empty()) << "the build did not write the font";
    EXPECT_TRUE(built == makefontfile(table())) << "generation is not reproducible";

    t_Font font = t_LoadFontResource(BuiltFontName);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(font.Format, FontFormatGrey);
    EXPECT_EQ(font.Start, 0);
    EXPECT_EQ(font.End, 255);
    EXPECT_EQ(font.Width, 16);
    EXPECT_EQ(font.Height, 32);
    EXPECT_TRUE(font.Data == table());
}

TEST(FontgenGlyphs, EveryCodeButTheSpaceHasInk) {
    for (int code = 0; code < GlyphCount; ++code)
        EXPECT_EQ(hasink(code), code != ' ') << "code " << code;
}

TEST(FontgenGlyphs, TextGlyphsAreWholeAndKeepClearOfTheTopAndBottomRows) {
    constexpr int pad = 12;
    for (int code = 0; code < GlyphCount; ++code) {
        std::optional<char32_t> codepoint = textcodepoint(code);
        if (!codepoint) continue;
        // The same glyph drawn with room around the cell: every bit of its ink must lie inside.
        Canvas roomy(CellWidth + 2 * pad, CellHeight + 2 * pad);
        rasteriser().draw(*codepoint, roomy, pad, pad);
        int inside = 0;
        int total = 0;
        for (int y = 0; y < roomy.height(); ++y) {
            for (int x = 0; x < roomy.width(); ++x) {
                int cx = x - pad;
                int cy = y - pad;
                bool incell = cx >= 0 && cx < CellWidth && cy >= 0 && cy < CellHeight;
                total += roomy.at(x, y);
                if (incell) {
                    inside += roomy.at(x, y);
                    ASSERT_EQ(roomy.at(x, y), pixel(code, cx, cy)) << "code " << code;
                }
            }
        }
        EXPECT_EQ(inside, total) << "code " << code << " is cut off";
        EXPECT_FALSE(rowhasink(code, 0)) << "code " << code;
        EXPECT_FALSE(rowhasink(code, CellHeight - 1)) << "code " << code;
    }
}

TEST(FontgenGlyphs, LettersStandOnOneBaselineWithRoomForAccentsAndDescenders) {
    const int baseline = bottomsolidrow('H');
    EXPECT_EQ(baseline, rasteriser().baseline() - 1);
    // Flat-bottomed glyphs, the visible-space mark among them.
    const int flats[] = {'x', 'E', 'z', 'k', 'L', 0xC4, 0xC5, 0xC9, 0xDF, 0xE4, 0xA0};
    for (int code : flats)
        EXPECT_EQ(bottomsolidrow(code), baseline) << "code " << code;
    const int descenders[] = {'g', 'j', 'p', 'q', 'y', 0xE7, 0xFF};
    for (int code : descenders)
        EXPECT_GE(bottomsolidrow(code), baseline + 4) << "code " << code;
    const int accented[] = {0xC4, 0xC5, 0xC9, 0xD6, 0xDC};
    for (int code : accented)
        EXPECT_LT(topsolidrow(code), topsolidrow('A') - 2) << "code " << code;
    // Capitals fill a good part of the cell: a size chosen far too small shows here.
    EXPECT_GE(baseline - topsolidrow('H'), 16);
}

TEST(FontgenGlyphs, SymmetricGlyphsAreCentredAcrossTheCell) {
    const int symmetric[] = {'H', 'O', 'I', 'i', '|', 'x', 0xC4, 0xF6};
    for (int code : symmetric) {
        long weight = 0;
        long moment = 0;
        for (int y = 0; y < CellHeight; ++y)
            for (int x = 0; x < CellWidth; ++x) {
                weight += pixel(code, x, y);
                moment += pixel(code, x, y) * (2 * x + 1); // twice the pixel centre
            }
        ASSERT_GT(weight, 0);
        double centre = static_cast<double>(moment) / static_cast<double>(weight) / 2;
        EXPECT_NEAR(centre, CellWidth / 2.0, 1.0) << "code " << code;
    }
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

// Lengths of the runs of full ink along an edge.
std::vector<int> runs(const std::vector<UInt8>& edge) {
    std::vector<int> lengths;
    int run = 0;
    for (std::size_t i = 0; i <= edge.size(); ++i) {
        if (i < edge.size() && edge[i] == 255) {
            ++run;
        } else if (run > 0) {
            lengths.push_back(run);
            run = 0;
        }
    }
    return lengths;
}

// What an arm leaves on its edge: runs of full ink as wide as its lines. A dashed line leaves the
// cell in the gap between two dashes and shows nothing there.
std::vector<int> expectedruns(char arm) {
    switch (arm) {
    case 's': return {2};
    case 'd': return {2, 2};
    case 'h': return {4};
    default: return {};
    }
}

bool blank(const std::vector<UInt8>& edge) {
    return std::all_of(edge.begin(), edge.end(), [](UInt8 v) { return v == 0; });
}

TEST(FontgenFramePieces, ArmsReachTheEdgesWithTheirLineWidth) {
    for (const Piece& p : Pieces) {
        const std::vector<UInt8> edges[4] = {column(p.code, 0), column(p.code, CellWidth - 1),
                                             row(p.code, 0), row(p.code, CellHeight - 1)};
        for (int side = 0; side < 4; ++side) {
            char arm = p.arms[side];
            EXPECT_EQ(runs(edges[side]), expectedruns(arm))
                << "code " << p.code << " side " << side;
            if (arm == '.' || arm == '-') {
                EXPECT_TRUE(blank(edges[side])) << "code " << p.code << " side " << side;
            }
            // Lines are centred, so that vertical and horizontal pieces meet in the middle.
            std::vector<UInt8> mirrored(edges[side].rbegin(), edges[side].rend());
            EXPECT_EQ(edges[side], mirrored) << "code " << p.code << " side " << side;
        }
    }
}

TEST(FontgenFramePieces, NeighboursJoinWithoutAGap) {
    for (const Piece& a : Pieces) {
        for (const Piece& b : Pieces) {
            // a to the left of b, and a above b.
            if (a.arms[1] != '.' && a.arms[1] == b.arms[0]) {
                EXPECT_EQ(column(a.code, CellWidth - 1), column(b.code, 0))
                    << a.code << " left of " << b.code;
            }
            if (a.arms[3] != '.' && a.arms[3] == b.arms[2]) {
                EXPECT_EQ(row(a.code, CellHeight - 1), row(b.code, 0))
                    << a.code << " above " << b.code;
            }
        }
    }
}

// Lengths of the gaps between ink along a line of pixels.
std::vector<int> gaps(const std::vector<UInt8>& line) {
    std::vector<UInt8> inverted;
    for (UInt8 v : line)
        inverted.push_back(v == 0 ? 255 : 0);
    std::vector<int> lengths = runs(inverted);
    if (!line.empty() && line.front() == 0) lengths.erase(lengths.begin());
    if (!line.empty() && line.back() == 0 && !lengths.empty()) lengths.pop_back();
    return lengths;
}

TEST(FontgenFramePieces, DashesRunOnEvenlyIntoTheNextCell) {
    struct Case {
        int code;
        std::vector<UInt8> line; // through the middle of the dashes
    };
    const Case cases[] = {{0x9B, row(0x9B, CellHeight / 2)}, {0x9D, column(0x9D, CellWidth / 2)}};
    for (const Case& c : cases) {
        std::vector<UInt8> two = c.line;
        two.insert(two.end(), c.line.begin(), c.line.end());
        std::vector<int> lengths = gaps(two);
        ASSERT_GE(lengths.size(), 3u) << "code " << c.code;
        EXPECT_TRUE(std::all_of(lengths.begin(), lengths.end(),
                                [&](int g) { return g == lengths.front(); }))
            << "code " << c.code;
    }
}

TEST(FontgenFramePieces, BlocksFillTheCellAndTileSeamlessly) {
    for (int y = 0; y < CellHeight; ++y) {
        for (int x = 0; x < CellWidth; ++x) {
            ASSERT_EQ(pixel(0x7F, x, y), 255);
            // The shaded block alternates full and empty pixels in both directions, across the
            // cell's edges too (the neighbour's first column follows the last).
            UInt8 here = pixel(0x81, x, y);
            ASSERT_TRUE(here == 0 || here == 255);
            ASSERT_NE(here, pixel(0x81, (x + 1) % CellWidth, y)) << x << "," << y;
            ASSERT_NE(here, pixel(0x81, x, (y + 1) % CellHeight)) << x << "," << y;
        }
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

TEST(FontgenSheet, IsAPngLargeEnoughForEveryPixel) {
    test::TempDir dir;
    writesheet(dir.file("sheet.png"), table());
    Bytes png = readfile(dir.file("sheet.png"));
    ASSERT_GT(png.size(), 24u);
    const std::array<UInt8, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    auto bigendian = [&](std::size_t at) {
        return (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
    };
    // The header chunk follows the signature: width and height.
    EXPECT_GE(bigendian(16), 16 * CellWidth);
    EXPECT_GE(bigendian(20), 16 * CellHeight);
}

} // namespace
} // namespace mdx::fontgen
