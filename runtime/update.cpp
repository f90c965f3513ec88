#include "runtime/update.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <future>
#include <mutex>
#include <string>

#include "base/clock.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/checked_window.h"
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

// How soon a window that waits for its drawing to finish is looked at again.
constexpr Int DrawingRetryMs = 1;
// An auto-updated window is redrawn this often even when nothing changed, so that a picture the
// window system lost without a word (or a frame a watcher waits for) comes back in a while.
constexpr Int KeepAliveMs = 5000;

// The change count each window's last redraw request covered, kept by the refresh thread.
using SeenChanges = std::array<std::uint64_t, GraphicWindowCount>;

// RefreshRate redraws a second at most; a rate of 0 or below asks for none. The interval is at
// least 1 ms so that a very high rate cannot keep the thread from ever sleeping.
Int refreshinterval(const t_Window& w) {
    return std::max<Int>(1, 1000 / w.RefreshRate);
}

// Milliseconds until the window may be asked again; 0 when it may be now.
Int msuntildue(const t_Window& w) {
    const Int elapsed = absolutetimems() - w.UpdateStarted;
    const Int interval = refreshinterval(w);
    return elapsed >= interval ? 0 : interval - elapsed;
}

// An auto-updated window whose shown contents changed since its last redraw request.
bool wantsredraw(const Runtime& r, UInt8 n, const SeenChanges& seen) {
    const t_Window& w = *windowrecord(r, n);
    return w.Initialized && w.AutoUpdate && w.RefreshRate > 0 &&
           r.WindowChanges[n].load() != seen[n];
}

// A request stamp that lies ahead (the clock was set back) would hold the next redraw back for
// as long; it is put far in the past instead, so the next change is drawn at once.
void forgetfuturestamp(t_Window& w) {
    if (w.UpdateStarted > absolutetimems()) w.UpdateStarted = 0;
}

// Asks the view of window n to redraw if it changed and is due. Returns the milliseconds until
// the window needs another look, or -1 when it waits for nothing.
Int refreshwindow(Runtime& r, UInt8 n, SeenChanges& seen) {
    t_Window& w = *windowrecord(r, n);
    forgetfuturestamp(w);
    if (!w.Initialized || !w.AutoUpdate || w.RefreshRate <= 0) return -1;
    const std::uint64_t changes = r.WindowChanges[n].load();
    if (!w.VerticalBlank) {
        // The drawing under way may have begun before the changes counted last were written:
        // once it has ended the window is asked again.
        seen[n] = changes - 1;
        return DrawingRetryMs;
    }
    if (changes == seen[n] && absolutetimems() - w.UpdateStarted < KeepAliveMs) return -1;
    if (const Int due = msuntildue(w); due > 0) return due;
    Handle view = t_WindowView(n);
    // Stamped even without a view, so that a missing view is retried (and reported) once an
    // interval rather than once a millisecond.
    w.UpdateStarted = absolutetimems();
    if (!view) {
        logline("t_WindowAutoUpdateProcess: Window #" + std::to_string(n) +
                " view is nil, resource undefined.");
        return refreshinterval(w);
    }
    seen[n] = changes; // a change made from here on moves the count again
    onMainThread([view] { windowlayer().redrawLater(view); });
    return -1;
}

// One look at every window; the milliseconds until the soonest needs another, -1 for none.
Int refreshpass(Runtime& r, SeenChanges& seen) {
    Int next = -1;
    for (UInt8 n = 0; n < GraphicWindowCount; ++n) {
        const Int wait = refreshwindow(r, n, seen);
        if (wait >= 0 && (next < 0 || wait < next)) next = wait;
    }
    return next;
}

bool anywantsredraw(const Runtime& r, const SeenChanges& seen) {
    for (UInt8 n = 0; n < GraphicWindowCount; ++n)
        if (wantsredraw(r, n, seen)) return true;
    return false;
}

// Nothing waits to be drawn: sleeps until the next change. The idle flag is set before the counts
// are looked at again, so a change made meanwhile either is seen here or signals the wake-up.
void waitforchange(Runtime& r, const SeenChanges& seen) {
    r.RefreshIdle = true;
    if (!anywantsredraw(r, seen)) r.RefreshWake.waitfor(std::chrono::milliseconds(IdleLookMs));
    r.RefreshIdle = false;
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
    const CheckedWindow w = checkwindow("t_WindowAutoUpdate", window, WindowNeeds::Initialised);
    if (!w) return;
    w->AutoUpdate = on;
    rt().RefreshWake.signal(); // changes made meanwhile are drawn now
}

void startautoupdate(const std::shared_ptr<Runtime>& runtime) {
    std::lock_guard guard(runtime->RefreshStartLock);
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
    SeenChanges seen{};
    while (r.AutoUpdateRunning && r.MemoryInitialized) {
        const Int wait = refreshpass(r, seen);
        if (wait < 0)
            waitforchange(r, seen);
        else
            r.RefreshWake.waitfor(std::chrono::milliseconds(wait));
    }
    r.AutoUpdateRunning = false;
    logline("t_WindowAutoUpdateProcess: End.");
}

} // namespace mdx
