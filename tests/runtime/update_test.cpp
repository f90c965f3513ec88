// Redraws on request, the refresh thread's pacing and handshake, its start and
// stop, the clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

#include "base/clock.h"
#include "runtime/state.h"
#include "runtime/update.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

using Clock = std::chrono::steady_clock;

// Polls for up to ten seconds; generous, because the machine may be busy.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Requests spaced at least `interval` whole milliseconds apart are more than
// interval - 1 ms apart, so a span of `elapsed` ms holds at most this many
// (plus one for slack).
Int mostrequests(Int elapsed, Int interval) {
    return elapsed / std::max<Int>(1, interval - 1) + 2;
}

class UpdateTest : public RuntimeTest {
  protected:
    t_Window& initwindow(UInt8 n, bool autoUpdate, Int rate = 30) {
        t_InitWindow(n, 8, autoUpdate, 64, 32, 0, 0, nofont_, true);
        rt().WindowTable[n].RefreshRate = rate;
        return rt().WindowTable[n];
    }
    int requests(UInt8 n) const { return layer.count("redrawLater " + std::to_string(n)); }
    // Keeps every window changing, as a program that draws all the time, until
    // window `n` has been asked for `count` redraws (ten seconds at most); the
    // milliseconds that took.
    Int changeuntil(UInt8 n, int count) {
        const auto start = Clock::now();
        layer.clearCalls();
        EXPECT_TRUE(eventually([&] {
            markallchanged(rt());
            return requests(n) >= count;
        })) << "window "
            << int{n};
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() +
               1;
    }
    int loglines(const std::string& line) const {
        return static_cast<int>(std::ranges::count(log.lines(), line));
    }

  private:
    const t_Font nofont_;
};

// Window 1 at 20 redraws a second is the clock: while it is asked four times,
// window 0 at 100 a second is asked at most at its rate, window 2 without
// automatic redraws and windows at rates of 0 and below never, and a rate far
// above a thousand does not flood. Switched off, window 0 is asked no more (a
// pass under way may still ask once).
TEST_F(UpdateTest, AutoUpdatedWindowsAreRedrawnAtMostAtTheirRate) {
    initwindow(0, true, 100);
    initwindow(1, true, 20);
    initwindow(2, false);
    initwindow(3, true, 0);
    initwindow(4, true, -5);
    initwindow(5, true, 100000);
    const Int elapsed = changeuntil(1, 4);
    EXPECT_GE(elapsed, 3 * 49);
    for (auto [n, interval] : {std::pair{0, 10}, {1, 50}, {5, 1}})
        EXPECT_LE(requests(n), mostrequests(elapsed, interval)) << n << " in " << elapsed << " ms";
    EXPECT_EQ(requests(2) + requests(3) + requests(4), 0);
    EXPECT_EQ(layer.count("redrawNow"),
              0); // the thread only ever asks for a deferred redraw

    t_WindowAutoUpdate(0, false);
    changeuntil(1, 3);
    EXPECT_LE(requests(0), 1);
}

TEST_F(UpdateTest, WindowZeroWaitsForItsDrawingWhileTheOthersDoNot) {
    t_Window& w0 = initwindow(0, true);
    initwindow(1, true);
    w0.VerticalBlank = false; // window 0's view is drawing
    changeuntil(1, 2);        // passes begun before are over
    changeuntil(1, 3);
    EXPECT_EQ(requests(0), 0);
    w0.VerticalBlank = true;
    changeuntil(0, 1);
}

TEST_F(UpdateTest, AClockSetBackDoesNotStopTheRedraws) {
    t_Window& w = initwindow(0, true);
    w.UpdateStarted = absolutetimems() + 3600000; // the last request seems to lie ahead
    EXPECT_TRUE(eventually([&] { return w.UpdateStarted <= absolutetimems(); }));
}

TEST_F(UpdateTest, AMissingViewIsReportedOnceAnInterval) {
    initwindow(1, true, 100);
    layer.removeView(1);
    const std::string line =
        "t_WindowAutoUpdateProcess: Window #1 view is nil, resource undefined.";
    ASSERT_TRUE(eventually([&] { return loglines(line) > 0; }));
    layer.clearCalls(); // a request made before the view went may have come
    const auto start = Clock::now();
    const int first = loglines(line);
    ASSERT_TRUE(eventually([&] { return loglines(line) >= first + 3; }));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(2 * 9));
    EXPECT_EQ(requests(1), 0);
}

// The thread logs its start after the memory is made, whatever the number of
// starts; cleared from outside, it ends after its pass and the next
// initialisation starts anew; a reset of the runtime waits for its end.
TEST_F(UpdateTest, OneThreadPerRuntimeWhateverTheNumberOfStarts) {
    initwindow(0, true);
    ASSERT_GE(log.lines().size(), 4u);
    EXPECT_EQ(log.lines()[3], "t_WindowAutoUpdateProcess: Start.");
    {
        std::vector<std::jthread> starters;
        for (int i = 0; i < 4; ++i)
            starters.emplace_back([runtime = currentruntime()] { startautoupdate(runtime); });
    }
    initwindow(1, true);
    EXPECT_EQ(loglines("t_WindowAutoUpdateProcess: Start."), 1);
    EXPECT_EQ(rt().RefreshThreads.running(), 1);

    rt().AutoUpdateRunning = false;
    rt().RefreshWake.signal();
    EXPECT_TRUE(eventually([] { return rt().RefreshThreads.running() == 0; }));
    EXPECT_EQ(loglines("t_WindowAutoUpdateProcess: End."), 1);
    initwindow(5, true);
    EXPECT_EQ(loglines("t_WindowAutoUpdateProcess: Start."), 2);

    std::shared_ptr<Runtime> old = currentruntime();
    resetruntime();
    EXPECT_EQ(old->RefreshThreads.running(), 0);
    EXPECT_FALSE(old->AutoUpdateRunning);
    EXPECT_EQ(log.lines().back(), "t_WindowAutoUpdateProcess: End.");
}

// Now: drawn before the call returns; later: asked for. A window that is not
// initialised is asked all the same, and its view draws nothing. Before the
// runtime exists nothing happens.
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

TEST(AbsoluteClockTest, CountsFromTheStartOf2001) {
    const Int us = absolutetimeus(), ms = absolutetimems();
    EXPECT_NEAR(static_cast<double>(ms / 1000 + 978307200), static_cast<double>(std::time({})), 2);
    EXPECT_TRUE(ms >= us / 1000 && ms - us / 1000 <= 1000);
}

} // namespace
} // namespace mdx::test
