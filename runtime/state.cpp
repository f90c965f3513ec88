#include "runtime/state.h"

#include <atomic>

namespace mdx {
namespace {

std::shared_ptr<Runtime>& slot() {
    static std::shared_ptr<Runtime> current = std::make_shared<Runtime>();
    return current;
}

} // namespace

void ThreadCount::enter() {
    std::lock_guard guard(lock_);
    ++running_;
}

void ThreadCount::leave() {
    std::lock_guard guard(lock_);
    if (--running_ == 0) none_.notify_all();
}

void ThreadCount::waituntilnone() {
    std::unique_lock guard(lock_);
    none_.wait(guard, [this] { return running_ == 0; });
}

int ThreadCount::running() const {
    std::lock_guard guard(lock_);
    return running_;
}

ThreadTicket::ThreadTicket(std::shared_ptr<Runtime> runtime, ThreadCount Runtime::*threads)
    : runtime_(std::move(runtime)), threads_(threads) {
    ((*runtime_).*threads_).enter();
}

ThreadTicket::~ThreadTicket() {
    ((*runtime_).*threads_).leave();
}

Runtime& rt() {
    return *std::atomic_load(&slot());
}

std::shared_ptr<Runtime> currentruntime() {
    return std::atomic_load(&slot());
}

// The old runtime's threads end after their current pass once their flags are cleared.
void resetruntime() {
    auto old = std::atomic_exchange(&slot(), std::make_shared<Runtime>());
    old->AutoUpdateRunning = false;
    old->PrinterUpdateRunning = false;
    old->ProgramRunning = false;
    old->RefreshThreads.waituntilnone();
    old->PrinterThreads.waituntilnone();
    old->ProgramThreads.waituntilnone();
}

bool windowready(UInt8 window) {
    Runtime& r = rt();
    return window < GraphicWindowCount && r.MemoryInitialized &&
           r.WindowTable.size() == GraphicWindowCount && r.WindowTable[window].Initialized;
}

} // namespace mdx
