// Redraws on request, the refresh thread's pacing and handshake, its start and stop, the clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
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

// Requests spaced at least `interval` whole milliseconds apart are more than interval - 1 ms
// apart, so a span of `elapsed` ms holds at most this many (plus one for slack).
Int mostrequests(Int elapsed, Int interval) {
    return elapsed / std::max<Int>(1, interval - 1) + 2;
}

int threadsnamed(const std::string& name) {
    int n = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string line;
        if (std::getline(comm, line) && line == name) ++n;
    }
    return n;
}

class UpdateTest : public RuntimeTest {
  protected:
    t_Window& initwindow(UInt8 n, bool autoUpdate) {
        t_InitWindow(n, 8, autoUpdate, 64, 32, 0, 0, nofont_, true);
        return rt().WindowTable[n];
    }
    int requests(UInt8 n) const { return layer.count("redrawLater " + std::to_string(n)); }

    // Redraw requests per window over about `ms` milliseconds, and how long that really took.
    struct Counted {
        std::array<int, 8> requests{};
        Int elapsed = 0;
    };
    Counted countrequests(int ms) {
        Counted c;
        const auto start = Clock::now();
        layer.clearCalls();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        for (UInt8 n = 0; n < 8; ++n)
            c.requests[n] = requests(n);
        c.elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() + 1;
        return c;
    }
    int loglines(const std::string& line) const {
        const auto lines = log.lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

  private:
    const t_Font nofont_;
};

TEST_F(UpdateTest, AutoUpdatedWindowsAreRedrawnAtMostAtTheirRate) {
    initwindow(0, true);
    t_Window& slow = initwindow(1, true);
    slow.RefreshRate = 10;
    initwindow(2, false);
    ASSERT_TRUE(eventually([&] { return requests(0) > 0 && requests(1) > 0; }));

    const Counted c = countrequests(500);
    EXPECT_LE(c.requests[0], mostrequests(c.elapsed, 1000 / 30)) << c.elapsed << " ms";
    EXPECT_LE(c.requests[1], mostrequests(c.elapsed, 1000 / 10)) << c.elapsed << " ms";
    EXPECT_EQ(c.requests[2], 0);
    EXPECT_EQ(layer.count("redrawNow"), 0); // the thread only ever asks for a deferred redraw

    t_WindowAutoUpdate(0, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(5)); // a pass under way may still ask
    EXPECT_EQ(countrequests(150).requests[0], 0);
}

TEST_F(UpdateTest, RatesOfZeroAndBelowAskForNothingAndHighRatesDoNotFlood) {
    const std::array<Int, 4> rates{0, -5, 100000, 30};
    for (UInt8 n = 0; n < rates.size(); ++n)
        initwindow(n, true).RefreshRate = rates[n];
    ASSERT_TRUE(eventually([&] { return requests(3) > 0; })); // the thread lives on
    log.clear();

    const Counted c = countrequests(300);
    EXPECT_EQ(c.requests[0], 0);
    EXPECT_EQ(c.requests[1], 0);
    EXPECT_LE(c.requests[2], mostrequests(c.elapsed, 1)) << c.elapsed << " ms";
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(UpdateTest, WindowZeroWaitsForItsDrawingWhileTheOthersDoNot) {
    t_Window& w0 = initwindow(0, true);
    initwindow(1, true);
    w0.VerticalBlank = false; // window 0's view is drawing
    std::this_thread::sleep_for(std::chrono::milliseconds(5));

    const Counted c = countrequests(300);
    EXPECT_EQ(c.requests[0], 0);
    EXPECT_TRUE(eventually([&] { return requests(1) > 0; }));

    w0.VerticalBlank = true;
    EXPECT_TRUE(eventually([&] { return requests(0) > 0; }));
}

TEST_F(UpdateTest, AClockSetBackDoesNotStopTheRedraws) {
    t_Window& w = initwindow(0, true);
    w.UpdateStarted = absolutetimems() + 3600000; // the last request seems to lie ahead
    EXPECT_TRUE(eventually([&] { return w.UpdateStarted <= absolutetimems(); }));
}

TEST_F(UpdateTest, AMissingViewIsReportedOnceAnInterval) {
    initwindow(1, true);
    layer.removeView(1);
    const std::string line =
        "t_WindowAutoUpdateProcess: Window #1 view is nil, resource undefined.";
    ASSERT_TRUE(eventually([&] { return loglines(line) > 0; }));

    log.clear();
    const Counted c = countrequests(300);
    EXPECT_LE(loglines(line), mostrequests(c.elapsed, 1000 / 30)) << c.elapsed << " ms";
    EXPECT_EQ(c.requests[1], 0);
}

TEST_F(UpdateTest, OneThreadPerRuntimeWhateverTheNumberOfStarts) {
    for (UInt8 n = 0; n < 4; ++n)
        initwindow(n, true);
    std::vector<std::thread> starters;
    for (int i = 0; i < 4; ++i)
        starters.emplace_back([runtime = currentruntime()] { startautoupdate(runtime); });
    for (auto& t : starters)
        t.join();
    EXPECT_EQ(loglines("t_WindowAutoUpdateProcess: Start."), 1);
    EXPECT_EQ(rt().RefreshThreads.running(), 1);
    EXPECT_EQ(threadsnamed("t_WindowAutoUpd"), 1); // the system keeps 15 bytes of the name
    EXPECT_TRUE(rt().AutoUpdateRunning);

    // Cleared from outside, the thread ends after its pass; the next initialisation starts anew.
    rt().AutoUpdateRunning = false;
    EXPECT_TRUE(eventually([] { return rt().RefreshThreads.running() == 0; }));
    EXPECT_EQ(loglines("t_WindowAutoUpdateProcess: End."), 1);
    initwindow(5, true);
    EXPECT_EQ(loglines("t_WindowAutoUpdateProcess: Start."), 2);
}

TEST_F(UpdateTest, ThreadLogsItsStartInOrderAndResetWaitsForItsEnd) {
    initwindow(0, true);
    const auto lines = log.lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3], "t_WindowAutoUpdateProcess: Start."); // after the memory is made

    std::shared_ptr<Runtime> old = currentruntime();
    resetruntime();
    EXPECT_EQ(old->RefreshThreads.running(), 0);
    EXPECT_FALSE(old->AutoUpdateRunning);
    EXPECT_EQ(log.lines().back(), "t_WindowAutoUpdateProcess: End.");
    layer.clearCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(layer.calls().empty());
}

TEST_F(UpdateTest, UpdateOnRequestDrawsNowOrLater) {
    t_WindowUpdate(0, false); // no runtime yet: silently nothing
    EXPECT_TRUE(layer.calls().empty());

    t_Window& w = initwindow(0, false);
    w.Visible = true;
    log.clear();
    layer.clearCalls();
    t_WindowUpdate(0, false);
    EXPECT_GT(w.UpdateFinished, 0); // drawn before the call returned
    t_WindowUpdate(0, true);
    t_WindowUpdate(3, false); // not initialised: asked all the same, the view draws nothing
    t_WindowUpdate(8, true);
    layer.removeView(0);
    t_WindowUpdate(0, true);
    EXPECT_EQ(layer.calls(),
              (std::vector<std::string>{"redrawNow 0", "redrawLater 0", "redrawNow 3"}));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "t_WindowImage: Graphic window #3 not initialized.",
                               "t_WindowUpdate: Window is not a graphic window.",
                               "t_WindowUpdate: Window #0 view is nil, resource undefined.",
                           }));
}

TEST_F(UpdateTest, AutoUpdateSwitchNeedsAnInitialisedGraphicWindow) {
    t_WindowAutoUpdate(0, true); // no runtime yet
    t_Window& w = initwindow(0, false);
    log.clear();
    t_WindowAutoUpdate(0, true);
    EXPECT_TRUE(w.AutoUpdate);
    t_WindowAutoUpdate(0, false);
    EXPECT_FALSE(w.AutoUpdate);
    t_WindowAutoUpdate(9, true);
    t_WindowAutoUpdate(3, true);
    EXPECT_FALSE(rt().WindowTable[3].AutoUpdate);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "t_WindowAutoUpdate: Window is not a graphic window.",
                               "t_WindowAutoUpdate: Window #3 not initialized.",
                           }));
}

TEST(AbsoluteClockTest, CountsFromTheStartOf2001) {
    const Int us = absolutetimeus();
    const Int ms = absolutetimems();
    const std::time_t unix = std::time(nullptr);
    EXPECT_NEAR(static_cast<double>(ms / 1000 + 978307200), static_cast<double>(unix), 2.0);
    EXPECT_GE(ms, us / 1000);
    EXPECT_LE(ms - us / 1000, 1000);
}

} // namespace
} // namespace mdx::test
