#include "runtime/update.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "base/clock.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/window_layer.h"

namespace mdx {
namespace {

bool memoryready(const Runtime& r) {
    return r.MemoryInitialized && r.WindowTable.size() == GraphicWindowCount;
}

// Held by a refresh thread from before its start until its end; counts it among the threads of
// its runtime. If the thread never starts, dropping the ticket uncounts it all the same.
class RefreshTicket {
  public:
    explicit RefreshTicket(std::shared_ptr<Runtime> runtime) : runtime_(std::move(runtime)) {
        runtime_->RefreshThreads.enter();
    }
    ~RefreshTicket() { runtime_->RefreshThreads.leave(); }
    RefreshTicket(const RefreshTicket&) = delete;
    RefreshTicket& operator=(const RefreshTicket&) = delete;
    Runtime& runtime() const { return *runtime_; }

  private:
    std::shared_ptr<Runtime> runtime_;
};

// RefreshRate redraws a second at most; a rate of 0 or below asks for none. The interval is at
// least 1 ms so that a very high rate cannot keep the thread from ever sleeping.
bool intervalpassed(const t_Window& w) {
    const Int rate = w.RefreshRate;
    if (rate <= 0) return false;
    const Int interval = std::max<Int>(1, 1000 / rate);
    const Int elapsed = absolutetimems() - w.UpdateStarted;
    return elapsed < 0 || elapsed >= interval; // a clock set back must not stop the redraws
}

// Asks the view of window n to redraw if the window is due; true when it asked.
bool refreshwindow(Runtime& r, UInt8 n) {
    t_Window& w = r.WindowTable[n];
    if (!w.Initialized || !w.AutoUpdate || !w.VerticalBlank || !intervalpassed(w)) return false;
    Handle view = t_WindowView(n);
    // Stamped even without a view, so that a missing view is retried (and reported) once an
    // interval rather than once a millisecond.
    w.UpdateStarted = absolutetimems();
    if (!view) {
        logline("t_WindowAutoUpdateProcess: Window #" + std::to_string(n) +
                " view is nil, resource undefined.");
        return false;
    }
    onMainThread([view] { windowlayer().redrawLater(view); });
    return true;
}

bool refreshpass(Runtime& r) {
    bool redrew = false;
    for (UInt8 n = 0; n < GraphicWindowCount; ++n)
        redrew = refreshwindow(r, n) || redrew;
    return redrew;
}

} // namespace

void t_WindowUpdate(UInt8 window, bool later) {
    if (!memoryready(rt())) return;
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_WindowUpdate");
        return;
    }
    Handle view = t_WindowView(window);
    if (!view) {
        logline("t_WindowUpdate: Window #" + std::to_string(window) +
                " view is nil, resource undefined.");
        return;
    }
    onMainThread([view, later] {
        if (later)
            windowlayer().redrawLater(view);
        else
            windowlayer().redrawNow(view);
    });
}

void t_WindowAutoUpdate(UInt8 window, bool on) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_WindowAutoUpdate");
        return;
    }
    if (windowready(window))
        rt().WindowTable[window].AutoUpdate = on;
    else
        lognotinitialized("t_WindowAutoUpdate", window);
}

void startautoupdate(const std::shared_ptr<Runtime>& runtime) {
    static std::mutex starting;
    std::lock_guard guard(starting);
    if (runtime->AutoUpdateRunning) return;
    runtime->AutoUpdateRunning = true;
    auto ticket = std::make_shared<RefreshTicket>(runtime);
    auto begun = std::make_shared<std::promise<void>>();
    std::future<void> started = begun->get_future();
    t_StartAsync([ticket, begun] {
        t_WindowAutoUpdateProcess(ticket->runtime(), [&begun] { begun->set_value(); });
    });
    // A thread that could not be made drops its promise, which ends this wait as well.
    ticket.reset();
    begun.reset();
    try {
        started.get();
    } catch (const std::future_error&) {
        runtime->AutoUpdateRunning = false; // no thread: let the next initialisation try again
    }
}

void t_WindowAutoUpdateProcess(Runtime& r, const std::function<void()>& begun) {
    logline("t_WindowAutoUpdateProcess: Start.");
    if (t_ThreadNumber() > 2) setthreadname("t_WindowAutoUpdate");
    if (begun) begun();
    while (r.AutoUpdateRunning && r.MemoryInitialized) {
        if (!refreshpass(r)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    r.AutoUpdateRunning = false;
    logline("t_WindowAutoUpdateProcess: End.");
}

} // namespace mdx
