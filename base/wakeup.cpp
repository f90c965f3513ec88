#include "base/wakeup.h"

namespace mdx {

void WakeUp::signal() {
    {
        std::lock_guard guard(lock_);
        ++signals_;
    }
    signalled_.notify_all();
}

void WakeUp::waituntil(Clock::time_point deadline) {
    std::unique_lock guard(lock_);
    signalled_.wait_until(guard, deadline, [this] { return signals_ != seen_; });
    seen_ = signals_;
}

} // namespace mdx
