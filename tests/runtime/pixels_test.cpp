// The pixel formats, packed and unpacked: a glyph of full and empty coverage blitted at each bit
// depth reads back as the foreground and background colours that depth can show, and the pixels
// around the glyph's cell keep what they held.
#include "support/testing.h"

#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace mdx::test {
namespace {

constexpr std::uint32_t Black = 0xFF000000;
constexpr std::uint32_t White = 0xFFFFFFFF;

std::uint32_t palette(int i) {
    return Black | std::uint32_t{Palette16Red[i]} << 16 | std::uint32_t{Palette16Green[i]} << 8 |
           Palette16Blue[i];
}
std::uint32_t grey(int i) {
    const std::uint32_t level = (Palette16Red[i] + Palette16Green[i] + Palette16Blue[i]) / 3;
    return Black | level * 0x010101u;
}

// A picture of two 8 x 2 cells side by side; the glyph of symbol 0 alternates full and empty
// coverage, starting full in its first row and empty in its second.
struct TwoCells {
    static constexpr Int Width = 16, Height = 2;
    Runtime r;
    t_Window w;
    explicit TwoCells(Int depth, UInt8 seed = 0xA5) {
        w.BitDepth = depth;
        w.Width = Width;
        w.Height = Height;
        w.MemoryStart = 0;
        w.MemoryEnd = bytesperline(depth, Width) * Height - 1;
        w.Font.Format = FontFormatGrey;
        w.Font.Width = 8;
        w.Font.Height = 2;
        for (Int i = 0; i < 16; ++i)
            w.Font.Data.push_back((i / 8 + i) % 2 == 0 ? 255 : 0);
        // A pattern that no blit writes, so that a stray write shows.
        for (Int i = 0; i <= w.MemoryEnd; ++i)
            r.VideoMemory.push_back(static_cast<UInt8>(seed ^ (i * 37)));
    }
    std::vector<std::uint32_t> pixels() const {
        Picture p{r.VideoMemory.data(), r.VideoMemory.size(),
                  static_cast<std::size_t>(Width * Height), palettecolours()};
        return convertpicture(static_cast<int>(w.BitDepth), p);
    }
};

TEST(PixelFormats, GlyphColoursRoundTripAtEveryDepth) {
    struct Case {
        Int Depth;
        int Fore, Back;
        std::uint32_t ShownFore, ShownBack;
    };
    // clang-format off
    const Case cases[] = {
        {1, 15, 0, White, Black}, {1, 10, 9, White, Black}, // orange averages 127: black
        {4, 9, 2, palette(9), palette(2)}, {4, 5, 12, palette(5), palette(12)},
        {8, 15, 0, grey(15), grey(0)}, {16, 3, 14, grey(3), grey(14)},
        {24, 9, 2, palette(9), palette(2)}, {32, 12, 10, palette(12), palette(10)},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Depth << " bits, " << c.Fore << " on " << c.Back);
        TwoCells picture(c.Depth);
        ASSERT_TRUE(packsdepth(c.Depth));
        const std::vector<std::uint32_t> before = picture.pixels();
        drawGlyph(picture.r, picture.w, 0, c.Fore, c.Back, 2, 1);
        const std::vector<std::uint32_t> after = picture.pixels();
        for (Int y = 0; y < TwoCells::Height; ++y) {
            for (Int x = 0; x < TwoCells::Width; ++x) {
                const auto i = static_cast<std::size_t>(y * TwoCells::Width + x);
                if (x < 8)
                    EXPECT_EQ(after[i], before[i]) << "left cell " << x << "," << y;
                else
                    EXPECT_EQ(after[i], (x + y) % 2 == 0 ? c.ShownFore : c.ShownBack)
                        << x << "," << y;
            }
        }
    }
}

// Copying the second cell from a blitted picture into one of other bytes gives what blitting it
// there gives: every byte and bit the blit writes is copied, and nothing else.
TEST(PixelFormats, CopiedPixelsAreExactlyTheBlittedOnes) {
    for (Int depth : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        TwoCells from(depth), to(depth, 0x3C), blitted(depth, 0x3C);
        drawGlyph(from.r, from.w, 0, 15, 2, 2, 1);
        drawGlyph(blitted.r, blitted.w, 0, 15, 2, 2, 1);
        const Int stride = bytesperline(depth, TwoCells::Width);
        for (Int row = 0; row < TwoCells::Height; ++row)
            copyPixels(depth, from.r.VideoMemory.data() + row * stride,
                       to.r.VideoMemory.data() + row * stride, 8, 16);
        EXPECT_EQ(to.r.VideoMemory, blitted.r.VideoMemory);
    }
    EXPECT_FALSE(packsdepth(2));
}

} // namespace
} // namespace mdx::test
