// A wake-up for a thread that has nothing to do: it waits until another thread signals that there
// is work, instead of looking again and again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace mdx {

// Signals are counted, so a signal given while the waiter is still busy ends its next wait at
// once and is never lost. Meant for one waiting thread; any number of threads may signal.
class WakeUp {
  public:
    using Clock = std::chrono::steady_clock;

    void signal();
    // Returns when a signal came since the last wait ended, or at the deadline.
    void waituntil(Clock::time_point deadline);
    void waitfor(std::chrono::milliseconds most) { waituntil(Clock::now() + most); }

  private:
    std::mutex lock_;
    std::condition_variable signalled_;
    std::uint64_t signals_ = 0;
    std::uint64_t seen_ = 0;
};

} // namespace mdx
