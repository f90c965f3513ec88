// Shared helpers of the application-frame tests: window 0 as the program makes it, polling with
// a generous bound for what other threads do, and the report's entry points put back afterwards.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "app/events.h"
#include "app/menus.h"
#include "app/program.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {

// Polls for up to ten seconds; generous, because the machine may be busy.
inline bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class AppTest : public RuntimeTest {
  protected:
    ~AppTest() override { setprogramentries({}); }

    // Window 0 at the program's size with the bundle's font, shown.
    void initscreen() {
        rt().TitleBarHeight = 28;
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, t_LoadFontResource("MenloRegular 16x32.font"),
                     true);
        rt().WindowTable[0].Visible = true;
        log.clear();
        layer.clearCalls();
    }
};

} // namespace mdx::test
