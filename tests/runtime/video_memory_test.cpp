// Window initialisation and the video memory: block placement, checks, block
// moves, clearing; the palette.
#include "support/testing.h"

#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "text/text_fixture.h"

namespace mdx::test {
namespace {

class VideoMemoryTest : public TextTest {
  protected:
    void initprogramwindow(UInt8 n = 0, const t_Font& font = cellfont(16, 32)) {
        t_InitWindow(n, 24, true, 1312, 800, 16, 16, font, true);
    }
    // Window 0 of the given size without a font, in a fresh runtime with an empty
    // log.
    const t_Window& initfresh(Int depth, Int width, Int height, const t_Font& font = {}) {
        resetruntime();
        log.clear();
        t_InitWindow(0, depth, false, width, height, 0, 0, font, true);
        return win(0);
    }
};

// Picture block, text block and the memory left below them; grid, region,
// cursor and colour; every cell of both planes and the bytes around the blocks.
TEST_F(VideoMemoryTest, ProgramWindowWithGeneratedFontTakesTheTopOfMemoryCleared) {
    t_Font font = t_LoadFontResource("MenloRegular 16x32.font");
    initprogramwindow(0, font);
    const t_Window& w = win(0);
    EXPECT_EQ((std::vector<Int>{w.MemoryStart, w.MemoryEnd, w.TextMemoryStart, w.TextMemoryEnd,
                                rt().HighMemory}),
              (std::vector<Int>{0x00CFF400, 0x00FFFFFF, 0x00CFE000, 0x00CFF3FF, 0x00CFDFFF}));
    EXPECT_EQ((std::vector<Int>{w.TextWidth, w.TextHeight, w.TextLastColumn, w.TextLastLine,
                                w.TextHpos, w.TextVpos, w.TextColor}),
              (std::vector<Int>{82, 25, 82, 25, 1, 1, 0xC0}));
    EXPECT_TRUE(log.contains("t_InitWindow: GraphicWindow #0 = 1312 x 800 pixel x 24 bit = "
                             "3.075,00K video-memory = $00CFF400."));
    for (Int a = w.MemoryStart; a <= w.MemoryEnd; ++a)
        ASSERT_EQ(byte(a), 0) << a;
    for (Int cell = 0, half = 2560; cell < half; ++cell) {
        ASSERT_EQ(byte(w.TextMemoryStart + cell), cell < 82 * 25 ? 0x20 : 0xFF) << cell;
        ASSERT_EQ(byte(w.TextMemoryStart + half + cell), cell < 82 * 25 ? 0xC0 : 0xFF) << cell;
    }
    for (Int a = VideoMemoryTop + 1; a < VideoMemorySize; ++a)
        EXPECT_EQ(byte(a), 0xFF);
    // At 32 bits the clear makes opaque black pixels.
    t_InitWindow(1, 32, false, 64, 32, 0, 0, t_Font{}, true);
    for (Int a = win(1).MemoryStart; a < win(1).MemoryStart + 64 * 32 * 4; a += 4)
        ASSERT_EQ(std::tuple(byte(a), byte(a + 1) | byte(a + 2) | byte(a + 3)), std::tuple(255, 0));
}

// Sizes a window cannot have are corrected with the line that says so; an unknown depth, a
// picture larger than the free memory, picture and text blocks that fit alone but not together,
// and a text block larger than all free memory leave the window down without memory, and the log
// says why.
TEST_F(VideoMemoryTest, SizesAreCorrectedAndWindowsThatCannotBeMadeTakeNoMemory) {
    const std::string window = "t_InitWindow: GraphicWindow #0 ",
                      display = "t_InitWindow: Displaying ";
    // Depth, picture, cell width of a one-line font (0: no font), the picture made (0: none), the
    // lines.
    const std::tuple<Int, Int, Int, Int, Int, Int, std::string> cases[] = {
        {1, 1001, 64, 0, 1008, 64, window + "width with 1 bit depth must be a multiple of 8."},
        {4, 1002, 64, 0, 1004, 64, window + "width with 4 bit depth must be a multiple of 4."},
        {8, 20, 64, 0, 1280, 64, window + "cannot display 20 horizontal pixel."},
        {8, 8193, 64, 0, 1280, 64, window + "cannot display 8193 horizontal pixel."},
        {8, 64, 31, 0, 64, 800, window + "cannot display 31 vertical pixel."},
        {2, 64, 64, 0, 0, 0, window + "unsupported 2 bit depth."},
        {32, 8192, 8192, 0, 0, 0,
         window + "has not enough graphic-video-memory (16319K available).\n" + display +
             "8192 x 8192 pixel x 32 bit needs 262.144,00K video-memory."},
        // 9,011,200 picture bytes and as many text bytes: each fits the free 16,319K, both not.
        {8, 8192, 1100, 2, 0, 0,
         window + "has not enough text-video-memory (7519K available).\n" + display +
             "4096 x 1100 characters needs 8.800,00K text-video-memory."},
        {8, 8192, 1100, 1, 0, 0, window + "has not enough text-video-memory (16319K available)."}};
    for (const auto& [depth, width, height, cell, madeWidth, madeHeight, lines] : cases) {
        const t_Window& w = initfresh(depth, width, height, cell ? cellfont(cell, 1) : t_Font{});
        EXPECT_NE(textoutput().find(lines + "\n"), std::string::npos) << lines;
        if (madeWidth == 0) {
            EXPECT_EQ(std::pair(w.Initialized.load(), rt().HighMemory.load()),
                      std::pair(false, VideoMemoryTop));
            continue;
        }
        EXPECT_EQ(std::tuple(w.Initialized.load(), w.Width, w.Height),
                  std::tuple(true, madeWidth, madeHeight));
        EXPECT_GE(w.MemoryEnd - w.MemoryStart + 1, madeWidth * madeHeight * depth / 8);
    }
}

// A font without data or without a cell size, or larger than the picture, gives
// a graphic window without a text block.
TEST_F(VideoMemoryTest, FontsWithoutUsableCellsGiveAGraphicWindow) {
    for (const auto& [width, height] : {std::pair<Int, Int>{-1, 0}, {0, 32}, {16, 0}, {2048, 32}}) {
        const t_Font font = width < 0 ? t_Font{} : cellfont(width, height);
        resetruntime();
        initprogramwindow(0, font);
        const t_Window& w = win(0);
        EXPECT_EQ(std::tuple(w.Initialized.load(), w.TextWidth, w.TextMemoryStart, w.TextMemoryEnd,
                             rt().HighMemory.load()),
                  std::tuple(true, font.Width > 1312 ? 0 : -1, -1, -1, w.MemoryStart - 1));
    }
}

TEST_F(VideoMemoryTest, ReinitialisingMovesTheLowerWindowUpIntact) {
    t_InitWindow(0, 8, false, 256, 64, 0, 0, cellfont(16, 32), true);
    t_InitWindow(1, 8, false, 128, 64, 0, 0, cellfont(16, 32), true);
    t_Window before = win(1);
    const Int size0 = (win(0).MemoryEnd - win(0).MemoryStart + 1) +
                      (win(0).TextMemoryEnd - win(0).TextMemoryStart + 1);
    for (Int a = before.TextMemoryStart; a <= before.MemoryEnd; ++a)
        rt().VideoMemory[static_cast<std::size_t>(a)] = static_cast<UInt8>(a * 7);
    const Int highBefore = rt().HighMemory;
    t_InitWindow(0, 8, false, 256, 64, 0, 0, cellfont(16, 32), true);
    const t_Window& moved = win(1);
    EXPECT_EQ(std::pair(moved.MemoryStart.load(), moved.TextMemoryStart),
              std::pair(before.MemoryStart + size0, before.TextMemoryStart + size0));
    for (Int a = before.TextMemoryStart; a <= before.MemoryEnd; ++a)
        ASSERT_EQ(byte(a + size0), static_cast<UInt8>(a * 7)) << a;
    // Window 0 now has the lowest blocks, and the free memory is one piece again.
    EXPECT_EQ(std::pair(win(0).MemoryEnd < moved.TextMemoryStart, rt().HighMemory.load()),
              std::pair(true, highBefore));
}

// The display state survives; a refused restart leaves the window down and its
// memory free, and so does a missing view.
TEST_F(VideoMemoryTest, ReinitialisingKeepsDisplayStateAndRefusedRestartsStayDown) {
    initprogramwindow();
    t_Window& w = win(0);
    w.Visible = true;
    w.TextInverse = true;
    w.TextDisplayMode = 3;
    w.TextRedirectOutput = 2;
    w.TextHpos = 7;
    initprogramwindow();
    EXPECT_EQ(std::tuple(w.Visible.load(), w.TextInverse, w.TextDisplayMode,
                         w.TextRedirectOutput.load(), w.TextHpos, rt().HighMemory),
              std::tuple(true, true, 3, 2, 1, 0x00CFDFFF));
    t_InitWindow(0, 2, false, 64, 64, 0, 0, t_Font{}, true);
    EXPECT_EQ(std::pair(w.Initialized.load(), rt().HighMemory.load()),
              std::pair(false, VideoMemoryTop));

    layer.removeView(2);
    initprogramwindow(2);
    initprogramwindow(2);
    EXPECT_EQ(std::tuple(win(2).Initialized.load(), win(2).Font, rt().HighMemory.load()),
              std::tuple(false, t_Font{}, VideoMemoryTop));
    EXPECT_TRUE(log.contains(
        "t_InitWindow: GraphicWindow #2 could not be initialized, resource undefined."));
}

TEST_F(VideoMemoryTest, WindowSettingsReachTheWindowLayer) {
    rt().TitleBarHeight = 28;
    t_InitWindow(3, 24, false, 320, 200, -1, -1, cellfont(16, 32), false);
    // A negative border is the screen minus the picture.
    EXPECT_EQ(
        (std::tuple<Int, Int, Int>(win(3).TitleHeight, win(3).BorderWidth, win(3).BorderHeight)),
        std::tuple(0, 1920 - 320, 1080 - 200));
    auto state = layer.state(3);
    EXPECT_EQ(std::tuple(state.TitleBarVisible, state.Frame.width, state.ViewFrame),
              std::tuple(false, 320 + 2 * 1600, Rect{1600, 880, 320, 200}));
}

// Four threads and then the program create the memory: it is made once, with
// records that hold no blocks yet. The first window asked for is the default
// window even when it fails.
TEST_F(VideoMemoryTest, MemoryIsCreatedOnceWhateverTheNumberOfCallers) {
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([] { t_InitMemory(); });
    }
    t_InitMemory();
    EXPECT_EQ(textoutput(), "t_InitMemory: Start.\nt_InitMemory: End.\n");
    ASSERT_EQ(rt().WindowTable.size(), 8u);
    EXPECT_EQ(rt().WindowTable[4].MemoryStart, -1);
    t_InitWindow(5, 2, false, 64, 64, 0, 0, t_Font{}, true);
    initprogramwindow(0);
    EXPECT_EQ(rt().DefaultWindow, 5);
}

} // namespace
} // namespace mdx::test
