// The measurement loops must stay one dependent chain of double additions, exactly as many as
// asked for: report/CMakeLists.txt compiles this file without any math shortcuts, and the loop
// below forbids the compiler to unroll it further.
#include "report/benchmark.h"

#include <sched.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "base/log.h"
#include "base/threads.h"

namespace mdx {
namespace {

constexpr std::uint64_t DefaultAdditions = 10000000000;
constexpr double MostAdditions = 1e15;

// What the workers of one multi-core measurement hand back. It outlives the waiting side, since
// the last worker may still hold it when the waiter has gone.
struct Tally {
    std::mutex Lock;
    std::condition_variable Finished;
    Int Pending = 0;
    double Sum = 0.0;
    double Performed = 0.0;
};

// One worker's share. It reports when it is destroyed, which also happens when its thread could
// not be started, so the waiting side never waits for a worker that does not exist.
class WorkerShare {
  public:
    WorkerShare(std::shared_ptr<Tally> tally, std::uint64_t additions)
        : tally_(std::move(tally)), additions_(additions) {}
    WorkerShare(const WorkerShare&) = delete;
    WorkerShare& operator=(const WorkerShare&) = delete;
    ~WorkerShare() {
        std::lock_guard guard(tally_->Lock);
        tally_->Sum += partial_;
        if (ran_) tally_->Performed += static_cast<double>(additions_);
        --tally_->Pending;
        tally_->Finished.notify_all();
    }
    void run() {
        partial_ = addones(additions_);
        ran_ = true;
    }

  private:
    std::shared_ptr<Tally> tally_;
    std::uint64_t additions_;
    double partial_ = 0.0;
    bool ran_ = false;
};

// Microseconds of the monotonic clock: a step of the wall clock during a run (time
// synchronisation, a changed date) must not change the elapsed time.
Int monotonicus() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<Int>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

// The processors the process may run on; a container or taskset may allow far fewer than the
// machine has.
Int usableprocessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 0;
    return CPU_COUNT(&allowed);
}

void logmark(double accumulator) {
    logtext(std::string(1, accumulatormark(accumulator)));
}

} // namespace

double addones(std::uint64_t count) {
    double sum = 0.0;
#pragma GCC unroll 1
    for (std::uint64_t blocks = count / 8; blocks > 0; --blocks) {
        sum += 1.0;
        sum += 1.0;
        sum += 1.0;
        sum += 1.0;
        sum += 1.0;
        sum += 1.0;
        sum += 1.0;
        sum += 1.0;
    }
#pragma GCC unroll 1
    for (std::uint64_t rest = count % 8; rest > 0; --rest)
        sum += 1.0;
    return sum;
}

std::uint64_t benchmarkadditions() {
    const char* text = std::getenv("MIRADEX_BENCH_ADDITIONS");
    if (text == nullptr || *text == '\0') return DefaultAdditions;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    const bool whole = *end == '\0' && std::isfinite(value) && value >= 0.0 &&
                       value <= MostAdditions && value == std::floor(value);
    return whole ? static_cast<std::uint64_t>(value) : DefaultAdditions;
}

double gigaflops(double additions, Int elapsedMicroseconds) {
    const Int elapsed = elapsedMicroseconds < 1 ? 1 : elapsedMicroseconds;
    return additions / static_cast<double>(elapsed) / 1000.0;
}

// Compared as doubles: what truncation to an integer would give, without its overflow.
char accumulatormark(double accumulator) {
    if (accumulator >= 1.0) return '.';
    if (accumulator > -1.0) return '-';
    return ',';
}

Int benchmarkworkers(Int processors) {
    const Int usable = usableprocessors();
    const Int workers = usable > 0 && usable < processors ? usable : processors;
    return workers < 1 ? 1 : workers;
}

double singlecorebenchmark() {
    const std::uint64_t additions = benchmarkadditions();
    const Int start = monotonicus();
    const double sum = addones(additions);
    const Int end = monotonicus();
    logmark(sum);
    return gigaflops(static_cast<double>(additions), end - start) + 0.005;
}

// A processor count below one still measures one worker. Only the additions that workers really
// made are counted, so a worker whose thread could not be started lowers the result instead of
// holding the measurement up.
double multicorebenchmark(Int processors) {
    const Int workers = benchmarkworkers(processors);
    const std::uint64_t additions = benchmarkadditions();
    auto tally = std::make_shared<Tally>();
    tally->Pending = workers;
    const Int start = monotonicus();
    for (Int i = 0; i < workers; ++i) {
        auto share = std::make_shared<WorkerShare>(tally, additions);
        t_StartAsync([share = std::move(share)] { share->run(); });
    }
    std::unique_lock hold(tally->Lock);
    tally->Finished.wait(hold, [&] { return tally->Pending == 0; });
    const Int end = monotonicus();
    logmark(tally->Sum);
    return gigaflops(tally->Performed, end - start);
}

} // namespace mdx
