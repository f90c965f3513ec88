// The Qt tests run on the offscreen platform with one application object for the process.
#include "support/testing.h"

#include <QApplication>

#include <cstdio>

#ifdef MIRADEX_COVERAGE
extern "C" void __gcov_dump(); // _Exit skips the flush of the coverage counters at exit
#endif

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    // The runtime's threads of the last test may still wait for the main thread: no teardown.
    std::fflush(nullptr);
#ifdef MIRADEX_COVERAGE
    __gcov_dump();
#endif
    std::_Exit(result);
}
