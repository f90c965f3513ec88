// Showing, hiding, raising and centring windows, and the sizing of the text windows.
#include <gtest/gtest.h>

#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window_management.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

class WindowVisibilityTest : public RuntimeTest {
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
    bool shown(UInt8 n) { return layer.isVisible(layer.window(n)); }
};

TEST_F(WindowVisibilityTest, GraphicWindowRecordFollowsItsWindow) {
    t_Window& w = rt().WindowTable[0];
    t_WindowVisible(0, true);
    EXPECT_TRUE(w.Visible);
    EXPECT_TRUE(shown(0));
    w.UpdateDuration = 17;
    t_WindowVisible(0, false);
    EXPECT_FALSE(w.Visible);
    EXPECT_FALSE(shown(0));
    EXPECT_EQ(w.UpdateDuration, 0); // a hidden window's drawing time no longer counts
    t_WindowVisible(12, true);
    EXPECT_TRUE(shown(12));
    EXPECT_EQ(layer.calls(),
              (std::vector<std::string>{"orderFront 0", "orderOut 0", "orderFront 12"}));
}

TEST_F(WindowVisibilityTest, MissingWindowsAreReported) {
    t_WindowVisible(13, true);
    t_WindowCenter(13);
    t_WindowFront(255);
    layer.removeWindow(11);
    t_WindowVisible(11, false);
    EXPECT_TRUE(layer.calls().empty());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "t_WindowVisible: Window does not exist.",
                               "t_WindowCenter: Window does not exist.",
                               "t_WindowFront: Window does not exist.",
                               "t_WindowVisible: Window does not exist.",
                           }));
}

TEST_F(WindowVisibilityTest, PasteboardWindowTakesThePasteboardsTextWhenShown) {
    layer.setPasteboardText("erste Kopie");
    t_WindowVisible(8, true);
    EXPECT_EQ(layer.text(8), "erste Kopie");
    layer.setPasteboardText("zweite Kopie");
    t_WindowVisible(8, false);
    EXPECT_EQ(layer.text(8), "erste Kopie"); // hiding leaves it
    t_WindowVisible(8, true);
    EXPECT_EQ(layer.text(8), "zweite Kopie");
    layer.setPasteboardImage(WindowImage{1, 1, {0xFF000000}});
    t_WindowVisible(8, true);
    EXPECT_EQ(layer.text(8), ""); // a picture is no text
}

TEST_F(WindowVisibilityTest, TextWindowsWithoutTheirTextViewWarn) {
    for (UInt8 n : {8, 9, 10})
        layer.removeTextView(n);
    t_WindowVisible(8, true);
    t_WindowVisible(9, false);
    t_WindowVisible(10, true);
    EXPECT_EQ(layer.calls(), (std::vector<std::string>{"beep", "beep", "beep"}));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "t_WindowVisible: Pasteboard window is nil, resource undefined.",
                  "t_WindowVisible: Virtual printer window is nil, resource undefined.",
                  "t_WindowVisible: System console window is nil, resource undefined.",
              }));
}

TEST_F(WindowVisibilityTest, TextWindowSizingRaisesVisibleOnesAndSizesTheirScrollView) {
    layer.setFrame(layer.window(10), Rect{10, 20, 500, 428});
    t_WindowSize(10, -1, -1, 600, 300);
    t_WindowVisible(10, true);
    layer.clearCalls();
    t_WindowSize(10, 5, 6, -1, 200);
    EXPECT_EQ(layer.calls(), (std::vector<std::string>{
                                 "orderFront 10",
                                 "setFrame 10 5,6,600,228",
                                 "setScrollViewSize 10 -1,123",
                             }));
    EXPECT_EQ(layer.textView(10).ScrollViewSize, (Size{560, 123}));
}

TEST_F(WindowVisibilityTest, HiddenTextWindowIsSizedWithoutRaisingIt) {
    t_WindowSize(9, 0, 0, 657, 500);
    t_WindowSize(11, 0, 0, 300, 200);
    EXPECT_EQ(layer.calls(), (std::vector<std::string>{
                                 "setFrame 9 0,0,657,528",
                                 "setScrollViewSize 9 617,423",
                                 "setFrame 11 0,0,300,228",
                             }));
    EXPECT_FALSE(shown(9));
}

} // namespace
} // namespace mdx::test
