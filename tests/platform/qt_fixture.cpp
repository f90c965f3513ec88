#include "qt_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <future>

#include "base/kwtools.h"
#include "report/report_program.h"
#include "runtime/checked_window.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window_management.h"

namespace mdx::test {

bool pumpuntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() <= timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

void resetruntimeservingevents() {
    std::future<void> reset = std::async(std::launch::async, resetruntime);
    pumpuntil([&] { return reset.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
              60000);
    reset.get();
}

QtLayerTest::QtLayerTest() {
    resetruntimeservingevents();
    installprogram();
    setbundlepath(MIRADEX_TEST_BUNDLE);
    qt::QtWindowLayer::Options options;
    options.Screen = Size{1920, 1080}, options.Keys = qt::KeySource::QtKey;
    layer = std::make_unique<qt::QtWindowLayer>(options);
    setwindowlayer(layer.get());
    rt().TitleBarHeight = layer->titlebarheight();
}

QtLayerTest::~QtLayerTest() {
    resetruntimeservingevents();
    setwindowlayer(nullptr);
    layer.reset();
}

void QtLayerTest::initwindow(UInt8 n, Int width, Int height, Int border, bool withFont) {
    const t_Font font = withFont ? t_LoadFontResource("MenloRegular 16x32.font") : t_Font{};
    t_InitWindow(n, 24, false, width, height, border, border, font, true);
    ASSERT_TRUE(windowready(n));
    // Sizes below 32 would be replaced.
    ASSERT_EQ(std::pair(rt().WindowTable[n].Width.load(), rt().WindowTable[n].Height.load()),
              std::pair(width, height));
    t_WindowVisible(n, true);
}

void QtLayerTest::paintpattern(UInt8 n) {
    const t_Window& w = rt().WindowTable[n];
    for (Int y = 0; y < w.Height; ++y)
        for (Int x = 0; x < w.Width; ++x) {
            const auto at = static_cast<std::size_t>(w.MemoryStart + 3 * (y * w.Width + x));
            for (const auto& [offset, value] : {std::pair{0, x * 7}, {1, y * 11}, {2, x ^ y}})
                rt().VideoMemory[at + offset] = static_cast<UInt8>(value);
        }
}

} // namespace mdx::test
