// Window geometry by item number, sizing, titles, showing and hiding; and the lines with which
// every window routine of the runtime refuses a window it cannot use.
#include "support/testing.h"

#include "runtime/colours.h"
#include "runtime/image.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/update.h"
#include "runtime/video_memory.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"
#include "support/runtime_fixture.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text/text_windows.h"

namespace mdx::test {
namespace {

// The program's window 0: 1312 x 800 pixels in a 16-point border, 82 x 25 cells of 16 x 32.
class WindowManagementTest : public RuntimeTest {
  protected:
    void SetUp() override {
        rt().TitleBarHeight = 28;
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, cellfont(16, 32), true);
        log.clear();
        layer.clearCalls();
    }
    bool shown(UInt8 n) { return layer.isVisible(layer.window(n)); }
};

// Window 0's items come from its record, a text window's from its frame. (Window 0's frame items
// with the real window layer: LayerTest.)
TEST_F(WindowManagementTest, WindowItemsComeFromTheRecordOrTheFrame) {
    const std::pair<Int, Int> items[] = {
        {0, 1},     {1, 1},     {2, 82},   {3, 25},  {4, 82},    {5, 25},
        {6, 82},    {7, 25},    {8, 1312}, {9, 800}, {10, 1344}, {11, 832},
        {15, 1920}, {16, 1080}, {18, 16},  {19, 16}, {21, 0},    {-1, 0},
    };
    for (auto [item, expected] : items)
        EXPECT_EQ(t_WindowPos(0, item), expected) << item;
    layer.setFrame(layer.window(9), Rect{10, 20, 657, 500});
    const std::pair<Int, Int> textitems[] = {{0, 0},   {1, 0},   {2, 656}, {3, 499},  {4, 657},
                                             {5, 500}, {8, 657}, {9, 472}, {11, 472}, {17, 28},
                                             {18, 0},  {13, 10}, {20, 20}};
    for (auto [item, expected] : textitems)
        EXPECT_EQ(t_WindowPos(9, item), expected) << item;
    EXPECT_TRUE(log.lines().empty());
}

// -1 keeps what the window has. A visible text window is raised and its scroll view sized with
// the frame; a hidden one is sized without raising it, and the preferences window (11) has no
// scroll view. (Window 0, whose picture keeps its size whatever the frame: LayerTest and
// ViewPaintTest.)
TEST_F(WindowManagementTest, SizeKeepsWhatIsGivenAsMinusOne) {
    layer.setFrame(layer.window(10), Rect{10, 20, 500, 428});
    t_WindowSize(10, -1, -1, 600, 300);
    t_WindowVisible(10, true);
    layer.clearCalls();
    t_WindowSize(10, 5, 6, -1, 200);
    t_WindowSize(9, 0, 0, 657, 500);
    t_WindowSize(11, 0, 0, 300, 200);
    EXPECT_EQ(layer.calls(),
              (std::vector<std::string>{"orderFront 10", "setFrame 10 5,6,600,228",
                                        "setScrollViewSize 10 -1,123", "setFrame 9 0,0,657,528",
                                        "setScrollViewSize 9 617,423", "setFrame 11 0,0,300,228"}));
    EXPECT_EQ(layer.textView(10).ScrollViewSize, (Size{560, 123}));
    EXPECT_FALSE(shown(9));
}

// Showing and hiding window 0 through the menus is checked with the menu choices.
TEST_F(WindowManagementTest, AHiddenWindowsDrawingTimeNoLongerCounts) {
    rt().WindowTable[0].UpdateDuration = 17;
    t_WindowVisible(0, false);
    EXPECT_EQ(rt().WindowTable[0].UpdateDuration, 0);
}

// Each routine that checks the window itself with its lines: window numbers above 7 for the
// graphic routines, windows that do not exist or are not initialised, a graphic window without
// character grid, missing views and text views (those beep as well); the shared check once for
// each routine that uses it. None of them asks the window layer for anything else.
TEST_F(WindowManagementTest, EveryRoutineReportsWindowsItCannotUse) {
    t_InitWindow(1, 8, false, 64, 64, 0, 0, t_Font{}, true); // no character grid
    layer.removeWindow(11);
    layer.removeView(2);
    for (UInt8 n : {8, 9, 10})
        layer.removeTextView(n);
    layer.clearCalls();
    rt().WindowTable[0].Font.Data.clear(); // a character grid without glyphs
    const std::string none = "Window does not exist.", init = " not initialized.",
                      nil = "nil, resource undefined.", w3 = "Window #3" + init,
                      ng = "Window is not a graphic window.", pr = "Virtual printer window is ";
    // clang-format off
#define C(routine, args, line) {[] { routine args; }, std::string(#routine ": ") + (line)}
    const std::pair<std::function<void()>, std::string> cases[] = {
        C(t_WindowPos, (13, 0), none), C(t_WindowSize, (3, 0, 0, 10, 10), w3),
        C(t_WindowSize, (13, 0, 0, 10, 10), none), C(t_WindowVisible, (11, false), none),
        C(t_WindowFront, (255), none), C(t_WindowVisible, (8, true), "Pasteboard window is " + nil),
        C(t_WindowVisible, (9, false), pr + nil), C(p_SetPrinter, ("x"), pr + nil),
        C(t_WindowVisible, (10, true), "System console window is " + nil),
        C(t_InitWindow, (8, 24, false, 64, 64, 0, 0, t_Font{}, true), ng),
        C(t_WindowImage, (3), "Graphic window #3" + init), C(t_WindowImage, (8), ng),
        C(t_WindowUpdate, (2, true), "Window #2 view is " + nil), C(t_WindowUpdate, (8, true), ng),
        C(t_GetScreen, (1, ""), "Window #1" + init), C(t_GetScreen, (8, "\r"), ng),
        C(t_PrintSymbol, (3, 'A', 0xC0, 1, 1), w3), C(t_PrintSymbol, (8, 'A', 0xC0, 1, 1), ng),
        C(t_PrintSymbol, (0, 'A', 0xC0, 1, 1), "Window #0" + init), C(t_PrintControl, (8, 10), ng),
        C(t_PrintControl, (3, 10), w3), C(t_Print, (0, "A"), "Window #0 has no text font."),
        // through the shared check: each routine once, and each of its lines once
        C(t_Cr, (8), ng), C(t_ScrollUp, (8), ng), C(t_WindowAutoUpdate, (3, true), w3),
        C(t_Print, (1, "A"), "Window #1" + init), C(t_DisplayMode, (3, 1), w3),
        C(t_ColorBorder, (3, 1), w3)};
#undef C
    // clang-format on
    for (const auto& [call, line] : cases) {
        log.clear();
        call();
        EXPECT_EQ(log.lines(), std::vector{line});
    }
    EXPECT_EQ(layer.calls(), std::vector<std::string>(3, "beep"));
    EXPECT_FALSE(rt().WindowTable[3].AutoUpdate);
}

// Nothing stands in for a missing window layer: the fault is told, not hidden behind a fallback.
TEST(WindowLayerSeam, AskingBeforeALayerIsInstalledEndsWithALine) {
    ASSERT_FALSE(haswindowlayer());
    EXPECT_DEATH(windowlayer(), "windowlayer: keine Fensterschicht installiert");
}

} // namespace
} // namespace mdx::test
