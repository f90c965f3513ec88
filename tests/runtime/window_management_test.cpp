// Window geometry by item number, sizing, titles and the border colour.
#include <gtest/gtest.h>

#include "runtime/colours.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window_management.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

class WindowManagementTest : public RuntimeTest {
  protected:
    void SetUp() override {
        rt().TitleBarHeight = 28;
        t_Font font;
        font.Width = 16;
        font.Height = 32;
        font.Data.assign(1, 0);
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, font, true);
        log.clear();
        layer.clearCalls();
    }
};

TEST_F(WindowManagementTest, GraphicWindowItemsComeFromTheRecord) {
    const std::pair<Int, Int> items[] = {
        {0, 1},     {1, 1},    {2, 82},  {3, 25},    {4, 82},   {5, 25},   {6, 82},
        {7, 25},    {8, 1312}, {9, 800}, {10, 1344}, {11, 832}, {12, 860}, {15, 1920},
        {16, 1080}, {17, 28},  {18, 16}, {19, 16},   {21, 0},   {-1, 0},
    };
    for (auto [item, expected] : items)
        EXPECT_EQ(t_WindowPos(0, item), expected) << item;
    Rect frame = layer.state(0).Frame;
    EXPECT_EQ(t_WindowPos(0, 13), static_cast<Int>(frame.x));
    EXPECT_EQ(t_WindowPos(0, 20), static_cast<Int>(frame.y));
    EXPECT_EQ(t_WindowPos(0, 14), 1080 - static_cast<Int>(frame.y) - 860);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(WindowManagementTest, HiddenTitleBarShrinksTheFrame) {
    t_WindowTitleVisible(0, false);
    EXPECT_EQ(t_WindowPos(0, 12), 800 + 2 * 16);
    EXPECT_EQ(layer.calls(), std::vector<std::string>{"setTitleBarVisible 0 0"});
}

TEST_F(WindowManagementTest, TextWindowItemsComeFromItsFrame) {
    layer.setFrame(layer.window(9), Rect{10, 20, 657, 500});
    const std::pair<Int, Int> items[] = {{0, 0},   {1, 0},   {2, 656}, {3, 499},  {4, 657},
                                         {5, 500}, {8, 657}, {9, 472}, {11, 472}, {17, 28},
                                         {18, 0},  {13, 10}, {20, 20}};
    for (auto [item, expected] : items)
        EXPECT_EQ(t_WindowPos(9, item), expected) << item;
}

TEST_F(WindowManagementTest, SizeKeepsWhatIsGivenAsMinusOne) {
    layer.setFrame(layer.window(0), Rect{40, 60, 1, 1});
    layer.clearCalls();
    t_WindowSize(0, -1, -1, -1, -1);
    EXPECT_EQ(layer.calls(), (std::vector<std::string>{"setFrame 0 40,60,1344,860",
                                                       "setViewFrame 0 16,16,1312,800"}));
    layer.clearCalls();
    t_WindowSize(0, 50, 50, 688, 432);
    EXPECT_EQ(layer.calls(), (std::vector<std::string>{"setFrame 0 50,50,720,492",
                                                       "setViewFrame 0 16,16,688,432"}));
    EXPECT_EQ(rt().WindowTable[0].Width, 1312); // the picture keeps its size
}

TEST_F(WindowManagementTest, MissingWindowsAndUninitialisedOnesAreReported) {
    EXPECT_EQ(t_WindowPos(13, 0), 0);
    t_WindowSize(13, 0, 0, 10, 10);
    t_WindowTitle(13, "x");
    t_WindowTitleVisible(13, true);
    t_WindowSize(3, 0, 0, 10, 10);
    layer.removeWindow(10);
    t_WindowTitle(10, "Konsole");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "t_WindowPos: Window does not exist.",
                               "t_WindowSize: Window does not exist.",
                               "t_WindowTitle: Window does not exist.",
                               "t_WindowTitleVisible: Window does not exist.",
                               "t_WindowSize: Window #3 not initialized.",
                               "t_WindowTitle: Window does not exist.",
                           }));
    EXPECT_TRUE(layer.calls().empty());
}

TEST_F(WindowManagementTest, BorderColourWrapsAtSixteen) {
    t_ColorBorder(0, 16);
    t_ColorBorder(0, 9);
    t_ColorBorder(8, 1);
    t_ColorBorder(4, 1);
    EXPECT_EQ(rt().WindowTable[0].RGBColorBorder, (t_RGBColor{255, 255, 128, 0}));
    EXPECT_EQ(layer.calls(), (std::vector<std::string>{"setBackgroundColor 0 255,0,0,0",
                                                       "setBackgroundColor 0 255,255,128,0"}));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"t_ColorBorder: Window is not a graphic window.",
                                        "t_ColorBorder: Window #4 not initialized."}));
}

TEST(WindowPosBeforeMemoryTest, GraphicWindowUsesItsFrameBeforeTheRuntimeExists) {
    resetruntime();
    FakeWindowLayer layer;
    setwindowlayer(&layer);
    rt().TitleBarHeight = 28;
    layer.setFrame(layer.window(0), Rect{0, 0, 700, 500});
    EXPECT_EQ(t_WindowPos(0, 0), 0);
    EXPECT_EQ(t_WindowPos(0, 6), 0);
    EXPECT_EQ(t_WindowPos(0, 18), 0);
    EXPECT_EQ(t_WindowPos(0, 10), 700);
    EXPECT_EQ(t_WindowPos(0, 9), 472);
    setwindowlayer(nullptr);
}

} // namespace
} // namespace mdx::test
