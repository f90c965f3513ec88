// Tests of the Qt window layer on the offscreen platform: a fresh runtime with the real layer
// installed (on a stand-in screen of 1920 x 1080), log lines captured.
#pragma once

#include "support/testing.h"

#include <memory>

#include "platform/qt/qt_window_layer.h"
#include "support/log_capture.h"

namespace mdx::test {

class QtLayerTest : public ::testing::Test {
  protected:
    QtLayerTest();
    ~QtLayerTest() override;

    // Initialises graphic window n at 24 bits without auto-update, with the test bundle's font
    // when withFont, and shows it.
    void initwindow(UInt8 n, Int width, Int height, Int border, bool withFont = false);
    // The 24-bit picture of window n gets a pattern that differs from pixel to pixel.
    void paintpattern(UInt8 n);

    std::unique_ptr<qt::QtWindowLayer> layer;
    LogCapture log;
};

// Serves the main thread's events until done gives true; false after timeoutMs.
bool pumpuntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Replaces the runtime from another thread while the main thread serves events: the runtime's
// threads may be waiting for the main thread when they are told to end.
void resetruntimeservingevents();

} // namespace mdx::test
