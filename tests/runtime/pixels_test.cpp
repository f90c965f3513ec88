// The pixel formats, packed and unpacked: pictures read back pixel by pixel at each bit depth, and
// glyphs blitted and copied into them.
#include "support/testing.h"

#include <random>

#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window.h"

namespace mdx::test {
namespace {

constexpr std::uint32_t Black = 0xFF000000;

// The palette as 0xRRGGBB.
constexpr std::uint32_t Palette[16] = {0x000000, 0xFF0000, 0x000080, 0xFF00FF, 0x008000, 0x545454,
                                       0x0000FF, 0x0080FF, 0x804000, 0xFF8000, 0xA8A8A8, 0xFF8080,
                                       0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF};
const auto palette = [](unsigned i) { return Black | Palette[i]; };
const auto rgb = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return Black | r << 16 | g << 8 | b;
};

// A picture of two 8 x 2 cells side by side; the glyph of symbol 0 alternates full and empty
// coverage, starting full in its first row and empty in its second.
struct TwoCells {
    static constexpr Int Width = 16, Height = 2;
    Runtime r;
    t_Window w;
    explicit TwoCells(Int depth, UInt8 seed = 0xA5) {
        w.BitDepth = depth, w.Width = Width, w.Height = Height, w.MemoryStart = 0;
        w.MemoryEnd = bytesperline(depth, Width) * Height - 1;
        w.Font.Format = FontFormatGrey, w.Font.Width = 8, w.Font.Height = 2;
        w.Font.Data = {255, 0, 255, 0, 255, 0, 255, 0, 0, 255, 0, 255, 0, 255, 0, 255};
        // A pattern that no blit writes, so that a stray write shows.
        for (Int i = 0; i <= w.MemoryEnd; ++i)
            r.VideoMemory.push_back(static_cast<UInt8>(seed ^ (i * 37)));
    }
};

// Copying the second cell into a picture of other bytes gives what blitting it there gives: every
// byte and bit the blit writes is copied, and nothing else. (The colours a blit shows at each
// depth: the text engine's output tests.)
TEST(PixelFormats, CopyingACellEqualsBlittingItThereAtEveryDepth) {
    for (Int depth : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        TwoCells picture(depth), copy(depth, 0x3C), blitted(depth, 0x3C);
        ASSERT_TRUE(packsdepth(depth));
        drawGlyph(picture.r, picture.w, 0, 9, 2, 2, 1);
        drawGlyph(blitted.r, blitted.w, 0, 9, 2, 2, 1);
        const Int stride = bytesperline(depth, TwoCells::Width);
        for (Int row = 0; row < TwoCells::Height; ++row)
            copyPixels(depth, picture.r.VideoMemory.data() + row * stride,
                       copy.r.VideoMemory.data() + row * stride, 8, 16);
        EXPECT_EQ(copy.r.VideoMemory, blitted.r.VideoMemory);
    }
    EXPECT_FALSE(packsdepth(2));
}

// Random bytes read as a picture of 37 x 37 pixels, a count of no multiple of four or eight that
// spans several chunks, so that the four-pixel steps and the pixel-by-pixel rest both run: every
// pixel is what its depth's format lays out.
TEST(PixelFormats, EveryPixelFollowsTheFormatOfItsDepth) {
    constexpr std::size_t Count = 37 * 37;
    std::mt19937 random(7);
    std::vector<UInt8> m(4 * Count);
    std::generate(m.begin(), m.end(), [&] { return static_cast<UInt8>(random()); });
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        const Picture picture{m.data(), (Count * static_cast<std::size_t>(depth) + 7) / 8, Count,
                              palettecolours()};
        const std::vector<std::uint32_t> pixels = convertpicture(depth, picture);
        ASSERT_EQ(pixels.size(), Count);
        for (std::size_t i = 0; i < Count; ++i) {
            const std::uint32_t expected =
                depth == 1    ? palette((m[i / 8] >> (7 - i % 8) & 1) != 0 ? 15 : 0)
                : depth == 4  ? palette(i % 2 == 0 ? m[i / 2] >> 4 : m[i / 2] & 15)
                : depth == 8  ? rgb(m[i], m[i], m[i])
                : depth == 16 ? rgb(m[2 * i + 1], m[2 * i + 1], m[2 * i + 1])
                : depth == 24 ? rgb(m[3 * i], m[3 * i + 1], m[3 * i + 2])
                              : rgb(m[4 * i + 1], m[4 * i + 2], m[4 * i + 3]);
            ASSERT_EQ(pixels[i], expected) << depth << " bits, pixel " << i;
        }
    }
}

// The palette as the screen shows it; any other index is opaque black. Colour numbers wrap into
// the palette, negative ones from its top.
TEST(PaletteTest, SixteenColoursAndBlackOutside) {
    for (unsigned i = 0; i < 17; ++i) {
        const t_RGBColor c = t_ColorIndexToRGB(static_cast<Int>(i));
        EXPECT_EQ(rgb(c.Red, c.Green, c.Blue), i < 16 ? palette(i) : Black) << i;
    }
    EXPECT_EQ(t_ColorIndexToRGB(-1), (t_RGBColor{255, 0, 0, 0}));
    for (auto [colour, index] : {std::pair{-1, 15}, {-16, 0}, {-17, 15}, {16, 0}, {35, 3}})
        EXPECT_EQ(colourindex(colour), index) << colour;
}

} // namespace
} // namespace mdx::test
