// The screen image: pixels at every bit depth, the cases that give no image, the time stamps.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "base/clock.h"
#include "runtime/image.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

constexpr std::uint32_t Black = 0xFF000000;
constexpr std::uint32_t White = 0xFFFFFFFF;

class ImageTest : public RuntimeTest {
  protected:
    // A visible window without text grid; the log starts empty afterwards.
    t_Window& initwindow(UInt8 n, Int depth, Int width, Int height) {
        t_InitWindow(n, depth, false, width, height, 0, 0, t_Font{}, true);
        t_Window& w = rt().WindowTable[n];
        w.Visible = true;
        log.clear();
        layer.clearCalls();
        return w;
    }
    void poke(const t_Window& w, std::initializer_list<UInt8> bytes) {
        std::memcpy(rt().VideoMemory.data() + w.MemoryStart, bytes.begin(), bytes.size());
    }
};

// Pixel (x, y) read straight from the memory layout, one pixel at a time.
std::uint32_t expectedpixel(const t_Window& w, Int x, Int y) {
    const UInt8* m = rt().VideoMemory.data() + w.MemoryStart;
    const Int i = y * w.Width + x;
    auto rgb = [](UInt8 r, UInt8 g, UInt8 b) {
        return Black | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
    };
    auto palette = [&](int c) {
        t_RGBColor p = t_ColorIndexToRGB(c);
        return rgb(p.Red, p.Green, p.Blue);
    };
    switch (w.BitDepth) {
    case 1: return palette((m[i / 8] >> (7 - x % 8)) & 1 ? 15 : 0);
    case 4: return palette(x % 2 == 0 ? m[i / 2] >> 4 : m[i / 2] & 15);
    case 8: return rgb(m[i], m[i], m[i]);
    case 16: return rgb(m[2 * i + 1], m[2 * i + 1], m[2 * i + 1]);
    case 24: return rgb(m[3 * i], m[3 * i + 1], m[3 * i + 2]);
    default: return rgb(m[4 * i + 1], m[4 * i + 2], m[4 * i + 3]);
    }
}

TEST_F(ImageTest, FirstPixelsAtEveryDepth) {
    struct Case {
        Int depth;
        std::initializer_list<UInt8> bytes;
        std::vector<std::uint32_t> pixels;
    };
    const Case cases[] = {
        {1,
         {0x80, 0x01},
         {White, Black, Black, Black, Black, Black, Black, Black, Black, Black, Black, Black, Black,
          Black, Black, White}},
        {4, {0x1C, 0x2F}, {0xFFFF0000, 0xFF00FF00, 0xFF000080, White}},
        {8, {0x00, 0x7F, 0xFF}, {Black, 0xFF7F7F7F, White}},
        {16, {0x12, 0x80, 0xFF, 0x00}, {0xFF808080, Black}},
        {24, {0x10, 0x20, 0x30, 0xFF, 0x00, 0x01}, {0xFF102030, 0xFFFF0001}},
        {32, {0x00, 0x10, 0x20, 0x30, 0x77, 0xA0, 0xB0, 0xC0}, {0xFF102030, 0xFFA0B0C0}},
    };
    for (const Case& c : cases) {
        const t_Window& w = initwindow(static_cast<UInt8>(c.depth % 8), c.depth, 64, 32);
        poke(w, c.bytes);
        auto image = t_WindowImage(static_cast<UInt8>(c.depth % 8));
        ASSERT_TRUE(image) << c.depth;
        EXPECT_EQ(image->Width, 64);
        EXPECT_EQ(image->Height, 32);
        ASSERT_EQ(image->Pixels.size(), 64u * 32u);
        std::vector<std::uint32_t> first(image->Pixels.begin(),
                                         image->Pixels.begin() + std::ssize(c.pixels));
        EXPECT_EQ(first, c.pixels) << c.depth;
    }
    EXPECT_TRUE(log.lines().empty());
}

// Random memory, odd sizes (chunk and four-pixel boundaries fall mid-line, the last pixels end
// the block) and every pixel compared with the memory layout.
TEST_F(ImageTest, EveryPixelFollowsTheMemoryLayout) {
    std::mt19937 random(7);
    for (Int depth : {1, 4, 8, 16, 24, 32}) {
        resetruntime();
        const Int width = depth == 1 ? 104 : 36;
        t_Window& w = initwindow(0, depth, width, 37);
        auto& memory = rt().VideoMemory;
        for (Int a = w.MemoryStart; a <= w.MemoryEnd; ++a)
            memory[static_cast<std::size_t>(a)] = static_cast<UInt8>(random());
        auto image = t_WindowImage(0);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->Pixels.size(), static_cast<std::size_t>(width * 37));
        for (Int y = 0; y < 37; ++y)
            for (Int x = 0; x < width; ++x)
                ASSERT_EQ(image->Pixels[static_cast<std::size_t>(y * width + x)],
                          expectedpixel(w, x, y))
                    << "depth " << depth << " at " << x << "," << y;
    }
}

TEST_F(ImageTest, FreshWindowsAreBlack) {
    for (Int depth : {24, 32}) {
        resetruntime();
        initwindow(0, depth, 320, 200);
        auto image = t_WindowImage(0);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Pixels, std::vector<std::uint32_t>(320 * 200, Black)) << depth;
    }
}

TEST_F(ImageTest, NoImageWithoutAReadyVisibleGraphicWindow) {
    EXPECT_FALSE(t_WindowImage(0)); // before the runtime exists: silently nothing
    EXPECT_TRUE(log.lines().empty());

    t_Window& w = initwindow(0, 24, 64, 32);
    w.Visible = false;
    EXPECT_FALSE(t_WindowImage(0));
    EXPECT_TRUE(log.lines().empty());

    EXPECT_FALSE(t_WindowImage(3));
    EXPECT_FALSE(t_WindowImage(3));
    EXPECT_FALSE(t_WindowImage(8));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "t_WindowImage: Graphic window #3 not initialized.",
                               "t_WindowImage: Graphic window #3 not initialized.",
                               "t_WindowImage: Window is not a graphic window.",
                           }));
}

TEST_F(ImageTest, BrokenRecordsGiveNoImageAndNoStrayRead) {
    t_Window& w = initwindow(0, 24, 64, 32);
    const t_Window good = w;
    w.BitDepth = 2;
    EXPECT_FALSE(t_WindowImage(0));
    w = good;
    w.MemoryStart = VideoMemorySize - 16; // the picture would run past the memory
    w.MemoryEnd = VideoMemorySize + 6000;
    EXPECT_FALSE(t_WindowImage(0));
    w = good;
    w.Height = 100; // more lines than the block holds
    EXPECT_FALSE(t_WindowImage(0));
    w = good;
    w.Width = 0;
    EXPECT_FALSE(t_WindowImage(0));
    const std::string nodata = "t_WindowImage: Data could not be collected, image could not be "
                               "created.";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"t_WindowImage: Illegal bit depth.", nodata,
                                                     nodata, nodata}));
    EXPECT_EQ(w.UpdateFinished, 0);
}

TEST_F(ImageTest, ConversionRecordsItsDurationAndEnd) {
    t_Window& w = initwindow(0, 24, 1312, 800);
    w.UpdateDuration = -1;
    const Int before = absolutetimems();
    ASSERT_TRUE(t_WindowImage(0));
    const Int after = absolutetimems();
    EXPECT_GE(w.UpdateDuration, 0);
    EXPECT_LE(w.UpdateDuration, (after - before + 1) * 1000);
    EXPECT_GE(w.UpdateFinished, before);
    EXPECT_LE(w.UpdateFinished, after);
}

TEST_F(ImageTest, PictureIsTheImageWithItsSizeInPoints) {
    const t_Window& w = initwindow(2, 8, 96, 48);
    poke(w, {0x42});
    auto picture = t_WindowPicture(2);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Points, (Size{96, 48}));
    EXPECT_EQ(picture->Image.Pixels, t_WindowImage(2)->Pixels);
    EXPECT_EQ(picture->Image.Pixels[0], 0xFF424242);

    EXPECT_FALSE(t_WindowPicture(8));
    layer.removeView(2);
    EXPECT_FALSE(t_WindowPicture(2));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ImageTest, WindowZeroIsBlankingOnlyWhileItsViewDraws) {
    t_Window& w = initwindow(0, 24, 64, 32);
    ASSERT_TRUE(viewimage(0));
    EXPECT_TRUE(w.VerticalBlank);
    // A drawing that finds nothing to show ends its blanking all the same.
    w.Visible = false;
    EXPECT_FALSE(viewimage(0));
    EXPECT_TRUE(w.VerticalBlank);
}

} // namespace
} // namespace mdx::test
