// Shared helpers of the application-frame tests: window 0 as the program makes it.
#pragma once

#include "app/events.h"
#include "app/menus.h"
#include "app/program.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/eventually.h"
#include "support/runtime_fixture.h"

namespace mdx::test {

class AppTest : public RuntimeTest {
  protected:
    // Window 0 at the program's size with the bundle's font, shown.
    void SetUp() override {
        rt().TitleBarHeight = 28;
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, t_LoadFontResource("MenloRegular 16x32.font"),
                     true);
        rt().WindowTable[0].Visible = true;
        log.clear();
        layer.clearCalls();
    }
};

} // namespace mdx::test
