// How long a menu choice waits before the program thread takes it up: from queuing "Ablage > Neu"
// until the program's report entry is called, with the program thread idle before each choice.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/menus.h"
#include "app/program.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "report/report_program.h"
#include "runtime/state.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<Clock::rep> TakenAt{0};

void waitforprogramidle() {
    while (!mdx::programidle())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void BM_MenuChoiceTakenUp(benchmark::State& state) {
    mdx::setlogcapture([](std::string_view) {});
    mdx::setbundlepath(MIRADEX_TEST_BUNDLE);
    mdx::resetruntime();
    mdx::installapplicationsteps();
    mdx::ReportRoutines entries;
    entries.RunReport = [] { TakenAt = Clock::now().time_since_epoch().count(); };
    mdx::setprogramwork(std::make_shared<mdx::ReportProgram>(entries));
    std::thread program(mdx::ProgramMain);
    program.detach(); // ends when the runtime is reset below
    waitforprogramidle();

    const mdx::MenuItemInfo neu{true, "Ablage", "Neu", "n", 0, 0};
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the thread goes idle
        TakenAt = 0;
        const Clock::time_point chosen = Clock::now();
        mdx::t_MenuEventHandler(neu);
        while (TakenAt == 0)
            std::this_thread::yield();
        const Clock::time_point taken{Clock::duration(TakenAt.load())};
        state.SetIterationTime(std::chrono::duration<double>(taken - chosen).count());
        waitforprogramidle();
    }
    mdx::resetruntime();
    mdx::setlogcapture({});
}
BENCHMARK(BM_MenuChoiceTakenUp)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

} // namespace
