// Redraws on request, the refresh thread's choice of windows, its start and stop, the clock.
#include "support/testing.h"

#include <ctime>

#include "base/clock.h"
#include "runtime/state.h"
#include "runtime/update.h"
#include "runtime/video_memory.h"
#include "support/eventually.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

class UpdateTest : public RuntimeTest {
  protected:
    t_Window& initwindow(UInt8 n, bool autoUpdate, Int rate = 100) {
        t_InitWindow(n, 8, autoUpdate, 64, 32, 0, 0, t_Font{}, true);
        rt().WindowTable[n].RefreshRate = rate;
        return rt().WindowTable[n];
    }
    int requests(UInt8 n) const { return layer.count("redrawLater " + std::to_string(n)); }
};

// While window 1 changes all the time it is asked again and again, only ever for a deferred
// redraw; window 3, idle, is not; nor are window 2 without automatic redraws, window 4 at rate 0
// and window 0 while its view draws (VerticalBlank cleared), which is asked once that drawing is
// over. The first round lets the thread deal with the initialisations.
TEST_F(UpdateTest, OnlyChangedAutoUpdatedWindowsAreRedrawn) {
    t_Window& w0 = initwindow(0, true);
    initwindow(1, true);
    initwindow(2, false);
    initwindow(3, true);
    initwindow(4, true, 0);
    w0.VerticalBlank = false;
    for (int round = 0; round < 2; ++round) {
        layer.clearCalls();
        ASSERT_TRUE(eventually([&] {
            markchanged(0);
            markchanged(1);
            return requests(1) >= 3;
        }));
    }
    EXPECT_EQ(requests(0) + requests(2) + requests(3) + requests(4) + layer.count("redrawNow"), 0)
        << testing::PrintToString(layer.calls());
    w0.VerticalBlank = true;
    EXPECT_TRUE(eventually([&] { return requests(0) > 0; }));
}

// The clock counts from the start of 2001. A redraw stamp is put ahead while the window waits
// for nothing, as a clock set back leaves it.
TEST_F(UpdateTest, AClockSetBackDoesNotStopTheRedraws) {
    const Int us = absolutetimeus(), ms = absolutetimems();
    EXPECT_NEAR(static_cast<double>(ms / 1000 + 978307200), static_cast<double>(std::time({})), 2);
    EXPECT_TRUE(ms >= us / 1000 && ms - us / 1000 <= 1000);
    t_Window& w = initwindow(0, false);
    w.UpdateStarted = absolutetimems() + 3600000; // the last request seems to lie ahead
    t_WindowAutoUpdate(0, true);
    EXPECT_TRUE(eventually([&] { return w.UpdateStarted <= absolutetimems(); }));
}

// However many start it at once, a runtime has one refresh thread; a reset waits for its end.
TEST_F(UpdateTest, OneThreadPerRuntimeEndingWithItsReset) {
    initwindow(0, true);
    {
        std::vector<std::jthread> starters;
        for (int i = 0; i < 4; ++i)
            starters.emplace_back([runtime = currentruntime()] { startautoupdate(runtime); });
    }
    initwindow(1, true);
    EXPECT_EQ(std::ranges::count(log.lines(), "t_WindowAutoUpdateProcess: Start."), 1);
    EXPECT_EQ(rt().RefreshThreads.running(), 1);
    std::shared_ptr<Runtime> old = currentruntime();
    resetruntime();
    EXPECT_EQ(old->RefreshThreads.running(), 0);
    EXPECT_EQ(log.lines().back(), "t_WindowAutoUpdateProcess: End.");
}

// Now: drawn before the call returns; later: asked for. A window that is not initialised is asked
// all the same, and its view draws nothing. Before the runtime exists nothing happens.
TEST_F(UpdateTest, UpdateOnRequestDrawsNowOrLater) {
    t_WindowUpdate(0, false);
    EXPECT_TRUE(layer.calls().empty());
    t_Window& w = initwindow(0, false);
    w.Visible = true;
    layer.clearCalls();
    t_WindowUpdate(0, false);
    EXPECT_GT(w.UpdateFinished, 0);
    t_WindowUpdate(0, true);
    t_WindowUpdate(3, false);
    EXPECT_EQ(layer.calls(),
              (std::vector<std::string>{"redrawNow 0", "redrawLater 0", "redrawNow 3"}));
}

} // namespace
} // namespace mdx::test
