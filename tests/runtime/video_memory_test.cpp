// Window initialisation and the video memory: block placement, checks, block moves, clearing.
#include <gtest/gtest.h>

#include <thread>

#include "base/log.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

// A grey font of the given cell size with one byte of data, enough to be a text font.
t_Font cellfont(Int width, Int height) {
    t_Font font;
    font.Format = FontFormatGrey;
    font.Width = width;
    font.Height = height;
    font.End = 255;
    font.Data.assign(1, 0);
    return font;
}

class VideoMemoryTest : public RuntimeTest {
  protected:
    t_Window& win(UInt8 n) { return rt().WindowTable[n]; }
    UInt8 byte(Int address) { return rt().VideoMemory[static_cast<std::size_t>(address)]; }
    // The log lines of the initialisation; the refresh thread logs its own start whenever it
    // gets to it.
    std::vector<std::string> initlines() const {
        std::vector<std::string> lines;
        for (auto& line : log.lines())
            if (line.rfind("t_WindowAutoUpdateProcess:", 0) != 0) lines.push_back(line);
        return lines;
    }
    void initprogramwindow(UInt8 n = 0, const t_Font& font = cellfont(16, 32)) {
        t_InitWindow(n, 24, true, 1312, 800, 16, 16, font, true);
    }
};

TEST_F(VideoMemoryTest, ProgramWindowWithGeneratedFontTakesTheTopOfMemory) {
    t_Font font = t_LoadFontResource("MenloRegular 16x32.font");
    ASSERT_EQ(font.Width, 16);
    initprogramwindow(0, font);

    const t_Window& w = win(0);
    EXPECT_TRUE(w.Initialized);
    EXPECT_EQ(w.MemoryStart, 0x00CFF400);
    EXPECT_EQ(w.MemoryEnd, 0x00FFFFFF);
    EXPECT_EQ(w.TextMemoryStart, 0x00CFE000);
    EXPECT_EQ(w.TextMemoryEnd, 0x00CFF3FF);
    EXPECT_EQ(rt().HighMemory, 0x00CFDFFF);
    EXPECT_EQ(w.TextWidth, 82);
    EXPECT_EQ(w.TextHeight, 25);
    EXPECT_EQ(w.TextLastColumn, 82);
    EXPECT_EQ(w.TextLastLine, 25);
    EXPECT_EQ(w.TextHpos, 1);
    EXPECT_EQ(w.TextVpos, 1);
    EXPECT_EQ(w.TextColor, 0xC0);
    EXPECT_EQ(w.Font, font);
    EXPECT_EQ(rt().DefaultWindow, 0);
    EXPECT_EQ(initlines(), (std::vector<std::string>{
                               "t_InitWindow: GraphicWindow #0 Start.",
                               "t_InitMemory: Start.",
                               "t_InitMemory: End.",
                               "t_InitWindow: GraphicWindow #0 = 1312 x 800 pixel x 24 bit = "
                               "3.075,00K video-memory = $00CFF400.",
                               "t_InitWindow: GraphicWindow #0 End.",
                           }));
}

TEST_F(VideoMemoryTest, ClearLeavesEverythingOutsideTheCellsUntouched) {
    initprogramwindow();
    const t_Window& w = win(0);
    const Int half = 2560;
    for (Int a = w.MemoryStart; a <= w.MemoryEnd; ++a)
        ASSERT_EQ(byte(a), 0) << a;
    for (Int cell = 0; cell < half; ++cell) {
        bool inGrid = cell < 82 * 25;
        ASSERT_EQ(byte(w.TextMemoryStart + cell), inGrid ? 0x20 : 0xFF) << cell;
        ASSERT_EQ(byte(w.TextMemoryStart + half + cell), inGrid ? 0xC0 : 0xFF) << cell;
    }
    EXPECT_EQ(byte(w.TextMemoryStart - 1), 0xFF);
    for (Int a = VideoMemoryTop + 1; a < VideoMemorySize; ++a)
        EXPECT_EQ(byte(a), 0xFF);
}

TEST_F(VideoMemoryTest, ClearAt32BitsMakesOpaqueBlackPixels) {
    t_InitWindow(1, 32, false, 64, 32, 0, 0, t_Font{}, true);
    const t_Window& w = win(1);
    for (Int a = w.MemoryStart; a < w.MemoryStart + 64 * 32 * 4; a += 4) {
        ASSERT_EQ(byte(a), 0xFF);
        ASSERT_EQ(byte(a + 1) | byte(a + 2) | byte(a + 3), 0);
    }
}

struct PictureCase {
    Int depth;
    Int width;
    Int height;
    Int expectedWidth;
    Int expectedHeight;
    const char* message; // the line between Start and the placement line, or ""
};

TEST_F(VideoMemoryTest, PictureSizesAreCorrectedWithTheirMessage) {
    const PictureCase cases[] = {
        {1, 1001, 64, 1008, 64, "width with 1 bit depth must be a multiple of 8."},
        {4, 1002, 64, 1004, 64, "width with 4 bit depth must be a multiple of 4."},
        {8, 20, 64, 1280, 64, "cannot display 20 horizontal pixel."},
        {8, 8193, 64, 1280, 64, "cannot display 8193 horizontal pixel."},
        {8, 64, 31, 64, 800, "cannot display 31 vertical pixel."},
        {1, 1280, 64, 1280, 64, ""},
        {4, 1280, 64, 1280, 64, ""},
    };
    for (const PictureCase& c : cases) {
        resetruntime();
        log.clear();
        t_InitWindow(0, c.depth, false, c.width, c.height, 0, 0, t_Font{}, true);
        const t_Window& w = win(0);
        EXPECT_TRUE(w.Initialized);
        EXPECT_EQ(w.Width, c.expectedWidth);
        EXPECT_EQ(w.Height, c.expectedHeight);
        std::string expected = std::string("t_InitWindow: GraphicWindow #0 ") + c.message;
        EXPECT_EQ(log.contains(expected), *c.message != '\0') << c.message;
        Int needed = c.expectedHeight * c.expectedWidth * c.depth / 8;
        EXPECT_GE(w.MemoryEnd - w.MemoryStart + 1, needed);
    }
}

TEST_F(VideoMemoryTest, UnsupportedDepthTakesNoMemory) {
    for (Int depth : {2, 64, 0, -8}) {
        resetruntime();
        log.clear();
        t_InitWindow(0, depth, false, 64, 64, 0, 0, t_Font{}, true);
        EXPECT_FALSE(win(0).Initialized);
        EXPECT_EQ(rt().HighMemory, VideoMemoryTop);
        EXPECT_TRUE(log.contains("t_InitWindow: GraphicWindow #0 unsupported " +
                                 std::to_string(depth) + " bit depth."));
    }
}

TEST_F(VideoMemoryTest, TooLargePictureIsRefusedWithTheAmounts) {
    t_InitWindow(0, 32, false, 8192, 8192, 0, 0, t_Font{}, true);
    EXPECT_FALSE(win(0).Initialized);
    EXPECT_EQ(rt().HighMemory, VideoMemoryTop);
    auto lines = initlines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(
        lines[3],
        "t_InitWindow: GraphicWindow #0 has not enough graphic-video-memory (16319K available).");
    EXPECT_EQ(lines[4], "t_InitWindow: Displaying 8192 x 8192 pixel x 32 bit needs "
                        "262.144,00K video-memory.");
}

TEST_F(VideoMemoryTest, BlocksThatFitAloneButNotTogetherAreRefused) {
    // 9,011,200 picture bytes and as many text bytes: each fits the free 16,319K, both do not.
    t_InitWindow(0, 8, false, 8192, 1100, 0, 0, cellfont(2, 1), true);
    EXPECT_FALSE(win(0).Initialized);
    EXPECT_EQ(rt().HighMemory, VideoMemoryTop);
    auto lines = initlines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3],
              "t_InitWindow: GraphicWindow #0 has not enough text-video-memory (7519K available).");
    EXPECT_EQ(lines[4], "t_InitWindow: Displaying 4096 x 1100 characters needs 8.800,00K "
                        "text-video-memory.");
}

TEST_F(VideoMemoryTest, TextLargerThanAllFreeMemoryShowsTheFreeAmount) {
    t_InitWindow(0, 8, false, 8192, 1100, 0, 0, cellfont(1, 1), true);
    EXPECT_FALSE(win(0).Initialized);
    EXPECT_TRUE(log.contains(
        "t_InitWindow: GraphicWindow #0 has not enough text-video-memory (16319K available)."));
}

TEST_F(VideoMemoryTest, FontsWithoutDataOrSizeGiveAGraphicWindow) {
    t_Font zeroWidth = cellfont(0, 32);
    t_Font zeroHeight = cellfont(16, 0);
    for (const t_Font& font : {t_Font{}, zeroWidth, zeroHeight}) {
        resetruntime();
        layer.clearCalls();
        initprogramwindow(0, font);
        const t_Window& w = win(0);
        EXPECT_TRUE(w.Initialized);
        EXPECT_EQ(w.TextWidth, -1);
        EXPECT_EQ(w.TextHeight, -1);
        EXPECT_EQ(w.TextMemoryStart, -1);
        EXPECT_EQ(w.TextMemoryEnd, -1);
        EXPECT_EQ(rt().HighMemory, w.MemoryStart - 1);
        EXPECT_EQ(layer.state(0).Title, "Miradex-Grafik");
    }
}

TEST_F(VideoMemoryTest, FontLargerThanThePictureGivesNoTextBlock) {
    t_InitWindow(0, 8, false, 64, 64, 0, 0, cellfont(128, 32), true);
    EXPECT_TRUE(win(0).Initialized);
    EXPECT_EQ(win(0).TextWidth, 0);
    EXPECT_EQ(win(0).TextMemoryStart, -1);
    EXPECT_EQ(layer.state(0).Title, "Miradex-Grafik");
}

TEST_F(VideoMemoryTest, ReinitialisingMovesTheLowerWindowUpIntact) {
    t_InitWindow(0, 8, false, 256, 64, 0, 0, cellfont(16, 32), true);
    t_InitWindow(1, 8, false, 128, 64, 0, 0, cellfont(16, 32), true);
    t_Window before = win(1);
    const Int size0 = (win(0).MemoryEnd - win(0).MemoryStart + 1) +
                      (win(0).TextMemoryEnd - win(0).TextMemoryStart + 1);
    auto& memory = rt().VideoMemory;
    for (Int a = before.TextMemoryStart; a <= before.MemoryEnd; ++a)
        memory[static_cast<std::size_t>(a)] = static_cast<UInt8>(a * 7);
    const Int highBefore = rt().HighMemory;
    log.clear();

    t_InitWindow(0, 8, false, 256, 64, 0, 0, cellfont(16, 32), true);

    const t_Window& moved = win(1);
    EXPECT_EQ(moved.MemoryStart, before.MemoryStart + size0);
    EXPECT_EQ(moved.TextMemoryStart, before.TextMemoryStart + size0);
    for (Int a = before.TextMemoryStart; a <= before.MemoryEnd; ++a)
        ASSERT_EQ(byte(a + size0), static_cast<UInt8>(a * 7)) << a;
    // Window 0 now has the lowest blocks, and the free memory is one piece again.
    EXPECT_LT(win(0).MemoryEnd, moved.TextMemoryStart);
    EXPECT_EQ(rt().HighMemory, highBefore);
    EXPECT_EQ(initlines()[1], "t_InitWindow: GraphicWindow #0 high memory = $00FFFFFF, graphic "
                              "block size to delete = $00004000.");
    EXPECT_EQ(initlines()[2], "t_InitWindow: GraphicWindow #0 high memory = $00FFFFFF, text "
                              "block size to delete = $00000C00.");
    EXPECT_EQ(initlines()[3], "t_InitWindow: GraphicWindow #0 moving graphic block for win "
                              "#1$00FF9400...00FFB3FF to00FFE000...00FFFFFF");
    EXPECT_EQ(initlines()[4], "t_InitWindow: GraphicWindow #0 moving text block for win "
                              "#1$00FF9000...00FF93FF to$00FFDC00...00FFDFFF");
}

TEST_F(VideoMemoryTest, ReinitialisingKeepsDisplayStateAndRefusedRestartsStayDown) {
    initprogramwindow();
    t_Window& w = win(0);
    w.Visible = true;
    w.TextInverse = true;
    w.TextDisplayMode = 3;
    w.TextRedirectOutput = 2;
    w.TextHpos = 7;
    initprogramwindow();
    EXPECT_TRUE(w.Visible);
    EXPECT_TRUE(w.TextInverse);
    EXPECT_EQ(w.TextDisplayMode, 3);
    EXPECT_EQ(w.TextRedirectOutput, 2);
    EXPECT_EQ(w.TextHpos, 1);
    EXPECT_EQ(rt().HighMemory, 0x00CFDFFF);

    t_InitWindow(0, 2, false, 64, 64, 0, 0, t_Font{}, true);
    EXPECT_FALSE(w.Initialized);
    EXPECT_EQ(rt().HighMemory, VideoMemoryTop);
}

TEST_F(VideoMemoryTest, MissingViewLeavesTheWindowDownAndGivesItsBlocksBack) {
    layer.removeView(2);
    initprogramwindow(2);
    initprogramwindow(2);
    const t_Window& w = win(2);
    EXPECT_FALSE(w.Initialized);
    EXPECT_EQ(w.Font, t_Font{});
    EXPECT_EQ(rt().HighMemory, VideoMemoryTop);
    EXPECT_TRUE(log.contains(
        "t_InitWindow: GraphicWindow #2 could not be initialized, resource undefined."));
    EXPECT_FALSE(log.contains("t_InitWindow: GraphicWindow #2 End."));
}

TEST_F(VideoMemoryTest, WindowSettingsReachTheWindowLayer) {
    rt().TitleBarHeight = 28;
    t_InitWindow(3, 24, false, 320, 200, -1, -1, cellfont(16, 32), false);
    const t_Window& w = win(3);
    EXPECT_EQ(w.TitleHeight, 0);
    EXPECT_EQ(w.BorderWidth, 1920 - 320); // a negative border is the screen minus the picture
    EXPECT_EQ(w.BorderHeight, 1080 - 200);
    EXPECT_TRUE(log.contains("t_InitWindow: GraphicWindow #3 title will be invisible."));
    auto state = layer.state(3);
    EXPECT_FALSE(state.TitleBarVisible);
    EXPECT_EQ(state.Title, "Miradex");
    EXPECT_EQ(state.Background, (t_RGBColor{255, 84, 84, 84}));
    EXPECT_EQ(state.Frame.width, 320 + 2 * 1600);
    EXPECT_EQ(state.ViewFrame, (Rect{1600, 880, 320, 200}));
}

TEST_F(VideoMemoryTest, NonGraphicWindowAndFirstWindowNumber) {
    t_InitWindow(8, 24, false, 64, 64, 0, 0, t_Font{}, true);
    EXPECT_EQ(initlines(),
              std::vector<std::string>{"t_InitWindow: Window is not a graphic window."});
    EXPECT_TRUE(rt().WindowTable.empty());

    t_InitWindow(5, 2, false, 64, 64, 0, 0, t_Font{}, true); // fails, still the first
    initprogramwindow(0);
    EXPECT_EQ(rt().DefaultWindow, 5);
}

TEST_F(VideoMemoryTest, MemoryIsCreatedOnceWhateverTheNumberOfCallers) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] { t_InitMemory(); });
    for (auto& t : threads)
        t.join();
    t_InitMemory();
    EXPECT_EQ(initlines(),
              (std::vector<std::string>{"t_InitMemory: Start.", "t_InitMemory: End."}));
    ASSERT_EQ(rt().WindowTable.size(), 8u);
    EXPECT_EQ(rt().VideoMemory.size(), static_cast<std::size_t>(VideoMemorySize));
    const t_Window& w = rt().WindowTable[4];
    EXPECT_EQ(w.MemoryStart, -1);
    EXPECT_EQ(w.TextMemoryStart, -1);
    EXPECT_EQ(w.RefreshRate, 30);
    EXPECT_TRUE(w.VerticalBlank);
    EXPECT_EQ(w.TextRedirectOutput, 1);
}

TEST(PaletteTest, IndicesOutsideThePaletteAreBlack) {
    EXPECT_EQ(t_ColorIndexToRGB(5), (t_RGBColor{255, 84, 84, 84}));
    EXPECT_EQ(t_ColorIndexToRGB(12), (t_RGBColor{255, 0, 255, 0}));
    EXPECT_EQ(t_ColorIndexToRGB(16), (t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(t_ColorIndexToRGB(-1), (t_RGBColor{255, 0, 0, 0}));
}

} // namespace
} // namespace mdx::test
