#include "runtime/state.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace mdx {
namespace {

std::shared_ptr<Runtime>& slot() {
    static std::shared_ptr<Runtime> current = std::make_shared<Runtime>();
    return current;
}

// rt() is called for every character printed; a plain pointer to the runtime in the slot spares
// it the lock and the reference count of an atomic shared_ptr load. It is changed only together
// with the slot, which keeps the runtime alive.
std::atomic<Runtime*>& fastslot() {
    static std::atomic<Runtime*> current{std::atomic_load(&slot()).get()};
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
    return *fastslot().load(std::memory_order_acquire);
}

std::shared_ptr<Runtime> currentruntime() {
    return std::atomic_load(&slot());
}

// The old runtime's threads end after their current pass once their flags are cleared.
void resetruntime() {
    std::shared_ptr<Runtime> old;
    {
        // Two resets at once must leave the plain pointer and the slot naming the same runtime.
        static std::mutex swapping;
        std::lock_guard guard(swapping);
        auto fresh = std::make_shared<Runtime>();
        fastslot().store(fresh.get(), std::memory_order_release);
        old = std::atomic_exchange(&slot(), std::move(fresh));
    }
    old->AutoUpdateRunning = false;
    old->PrinterUpdateRunning = false;
    old->ProgramRunning = false;
    old->RefreshWake.signal();
    old->PrinterWake.signal();
    old->ProgramWake.signal();
    old->RefreshThreads.waituntilnone();
    old->PrinterThreads.waituntilnone();
    old->ProgramThreads.waituntilnone();
}

const t_Window* windowrecord(const Runtime& runtime, UInt8 window) {
    if (window >= GraphicWindowCount || runtime.WindowTable.size() != GraphicWindowCount)
        return nullptr;
    return &runtime.WindowTable[window];
}

t_Window* windowrecord(Runtime& runtime, UInt8 window) {
    return const_cast<t_Window*>(windowrecord(std::as_const(runtime), window));
}

namespace {

// Changes to a window without automatic redraws are no reason to wake the refresh thread;
// switching them on wakes it instead.
bool autoupdated(const Runtime& runtime, UInt8 window) {
    const t_Window* w = windowrecord(runtime, window);
    return runtime.MemoryInitialized && w && w->AutoUpdate;
}

} // namespace

// The count is raised before the idle flag is read and the refresh thread sets the flag before it
// reads the counts, so one of the two always sees the other: no change is left undrawn. Only the
// first writer after the thread went idle pays for the signal.
void markchanged(Runtime& runtime, UInt8 window) {
    if (window >= GraphicWindowCount) return;
    runtime.WindowChanges[window].fetch_add(1);
    if (runtime.RefreshIdle.load() && autoupdated(runtime, window) &&
        runtime.RefreshIdle.exchange(false))
        runtime.RefreshWake.signal();
}

void markchanged(UInt8 window) {
    markchanged(rt(), window);
}

void markallchanged(Runtime& runtime) {
    for (UInt8 n = 0; n < GraphicWindowCount; ++n)
        markchanged(runtime, n);
}

Upcalls& upcalls(Runtime& runtime) {
    return runtime.Calls;
}

Upcalls& upcalls() {
    return rt().Calls;
}

} // namespace mdx
