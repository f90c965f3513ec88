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
    // Picture block, text block, the memory left below them.
    EXPECT_EQ((std::vector<Int>{w.MemoryStart, w.MemoryEnd, w.TextMemoryStart, w.TextMemoryEnd,
                                rt().HighMemory}),
              (std::vector<Int>{0x00CFF400, 0x00FFFFFF, 0x00CFE000, 0x00CFF3FF, 0x00CFDFFF}));
    // Grid, text region, cursor.
    EXPECT_EQ((std::vector<Int>{w.TextWidth, w.TextHeight, w.TextLastColumn, w.TextLastLine,
                                w.TextHpos, w.TextVpos}),
              (std::vector<Int>{82, 25, 82, 25, 1, 1}));
    EXPECT_EQ(w.TextColor, 0xC0);
    EXPECT_EQ(w.Font, font);
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

// A width or height the window cannot have is corrected, with the line that says so.
TEST_F(VideoMemoryTest, PictureSizesAreCorrectedWithTheirMessage) {
    const std::tuple<Int, Int, Int, Int, Int, std::string> cases[] = {
        {1, 1001, 64, 1008, 64, "width with 1 bit depth must be a multiple of 8."},
        {4, 1002, 64, 1004, 64, "width with 4 bit depth must be a multiple of 4."},
        {8, 20, 64, 1280, 64, "cannot display 20 horizontal pixel."},
        {8, 8193, 64, 1280, 64, "cannot display 8193 horizontal pixel."},
        {8, 64, 31, 64, 800, "cannot display 31 vertical pixel."},
        {1, 1280, 64, 1280, 64, ""},
        {4, 1280, 64, 1280, 64, ""},
    };
    for (const auto& [depth, width, height, expectedWidth, expectedHeight, message] : cases) {
        resetruntime();
        log.clear();
        t_InitWindow(0, depth, false, width, height, 0, 0, t_Font{}, true);
        const t_Window& w = win(0);
        EXPECT_TRUE(w.Initialized);
        EXPECT_EQ(w.Width, expectedWidth);
        EXPECT_EQ(w.Height, expectedHeight);
        EXPECT_EQ(initlines().size(), message.empty() ? 5u : 6u) << message;
        EXPECT_TRUE(message.empty() || log.contains("t_InitWindow: GraphicWindow #0 " + message));
        EXPECT_GE(w.MemoryEnd - w.MemoryStart + 1, expectedWidth * expectedHeight * depth / 8);
    }
}

// An unknown depth, a picture larger than the free memory, picture and text blocks that fit
// alone but not together, and a text block larger than all free memory: the window stays down,
// takes no memory, and the log says why.
TEST_F(VideoMemoryTest, WindowsThatCannotBeMadeTakeNoMemory) {
    const std::string window = "t_InitWindow: GraphicWindow #0 ";
    // Depth, picture, cell width of a one-line font (0: no font), lines.
    const std::tuple<Int, Int, Int, Int, std::vector<std::string>> cases[] = {
        {2, 64, 64, 0, {window + "unsupported 2 bit depth."}},
        {64, 64, 64, 0, {window + "unsupported 64 bit depth."}},
        {0, 64, 64, 0, {window + "unsupported 0 bit depth."}},
        {-8, 64, 64, 0, {window + "unsupported -8 bit depth."}},
        {32,
         8192,
         8192,
         0,
         {window + "has not enough graphic-video-memory (16319K available).",
          "t_InitWindow: Displaying 8192 x 8192 pixel x 32 bit needs 262.144,00K video-memory."}},
        // 9,011,200 picture bytes and as many text bytes: each fits the free 16,319K, both not.
        {8,
         8192,
         1100,
         2,
         {window + "has not enough text-video-memory (7519K available).",
          "t_InitWindow: Displaying 4096 x 1100 characters needs 8.800,00K text-video-memory."}},
        {8, 8192, 1100, 1, {window + "has not enough text-video-memory (16319K available)."}}};
    for (const auto& [depth, width, height, cell, lines] : cases) {
        resetruntime();
        log.clear();
        t_InitWindow(0, depth, false, width, height, 0, 0, cell ? cellfont(cell, 1) : t_Font{},
                     true);
        EXPECT_FALSE(win(0).Initialized);
        EXPECT_EQ(rt().HighMemory, VideoMemoryTop);
        for (const std::string& line : lines)
            EXPECT_TRUE(log.contains(line)) << line;
    }
}

// A font without data or without a cell size, or larger than the picture, gives a graphic
// window without a text block.
TEST_F(VideoMemoryTest, FontsWithoutUsableCellsGiveAGraphicWindow) {
    for (const t_Font& font : {t_Font{}, cellfont(0, 32), cellfont(16, 0), cellfont(2048, 32)}) {
        resetruntime();
        layer.clearCalls();
        initprogramwindow(0, font);
        const t_Window& w = win(0);
        EXPECT_TRUE(w.Initialized);
        EXPECT_EQ(w.TextWidth, font.Width > 1312 ? 0 : -1);
        EXPECT_EQ(w.TextMemoryStart, -1);
        EXPECT_EQ(w.TextMemoryEnd, -1);
        EXPECT_EQ(rt().HighMemory, w.MemoryStart - 1);
        EXPECT_EQ(layer.state(0).Title, "Miradex-Grafik");
    }
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

// Four threads and then the program create the memory: it is made once, with records that
// hold no blocks yet. The first window asked for is the default window even when it fails.
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
    EXPECT_EQ(rt().WindowTable[4].MemoryStart, -1);
    t_InitWindow(5, 2, false, 64, 64, 0, 0, t_Font{}, true);
    initprogramwindow(0);
    EXPECT_EQ(rt().DefaultWindow, 5);
}

// The sixteen colours of the palette as the screen shows them; any other index is
// opaque black.
TEST(PaletteTest, SixteenColoursAndBlackOutside) {
    const UInt8 palette[16][3] = {{0, 0, 0},    {255, 0, 0},   {0, 0, 128},     {255, 0, 255},
                                  {0, 128, 0},  {84, 84, 84},  {0, 0, 255},     {0, 128, 255},
                                  {128, 64, 0}, {255, 128, 0}, {168, 168, 168}, {255, 128, 128},
                                  {0, 255, 0},  {255, 255, 0}, {0, 255, 255},   {255, 255, 255}};
    for (Int i = 0; i < 16; ++i)
        EXPECT_EQ(t_ColorIndexToRGB(i),
                  (t_RGBColor{255, palette[i][0], palette[i][1], palette[i][2]}))
            << i;
    EXPECT_EQ(t_ColorIndexToRGB(16), (t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(t_ColorIndexToRGB(-1), (t_RGBColor{255, 0, 0, 0}));
}

} // namespace
} // namespace mdx::test
