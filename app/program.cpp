#include "app/program.h"

#include <chrono>

#include "app/event_state.h"
#include "app/events.h"
#include "app/menus.h"
#include "app/program_work.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace mdx {
namespace {

// Takes the oldest event of a queue and handles it, marked busy from before the take until the
// end, so that an idle test in between never sees neither a waiting nor a running event.
template <class Event, class Handler>
bool handlenext(Runtime& r, EventQueue<Event>& queue, Handler handle) {
    if (!queue.pending()) return false;
    app(r).ProgramBusy = true;
    if (std::optional<Event> event = queue.take()) handle(*event);
    app(r).ProgramBusy = false;
    return true;
}

// Menu events go first: a waiting document is opened only when no menu choice waits. Without a
// program installed the events are taken all the same and go nowhere.
bool handleoneevent(Runtime& r) {
    const std::shared_ptr<ProgramWork> work = programwork(r);
    return handlenext(r, app(r).MenuEventQueue,
                      [&work](const t_MenuEvent& e) {
                          if (work) work->choose(e);
                      }) ||
           handlenext(r, app(r).FileEventQueue, [&work](const t_Event& e) {
               if (work) work->open(e.Description);
           });
}

// The program thread's work, until its runtime is replaced (which only tests do).
void runprogram(Runtime& r) {
    programinit();
    app(r).ProgramStarted = true;
    while (r.ProgramRunning)
        if (!handleoneevent(r)) r.ProgramWake.waitfor(std::chrono::milliseconds(IdleLookMs));
}

// The flag is set before the thread starts, so that the thread is started once and a runtime
// reset that comes early is not undone by the thread.
void startprogramthread(const std::shared_ptr<Runtime>& runtime) {
    if (runtime->ProgramRunning.exchange(true)) return;
    auto ticket = std::make_shared<ThreadTicket>(runtime, &Runtime::ProgramThreads);
    if (!startprocess([ticket] { runprogram(ticket->runtime()); }, ProgramStackSize))
        runtime->ProgramRunning = false; // logged by startprocess; the flag tells no thread runs
}

} // namespace

void applicationWillFinishLaunching() {
    logline("applicationWillFinishLaunching: Called.");
    if (t_ThreadNumber() == 1) setthreadname("AppDelegate");
}

void applicationDidFinishLaunching(Int titleBarHeight) {
    logline("applicationDidFinishLaunching: Start.");
    initkwtools();
    rt().TitleBarHeight = titleBarHeight;
    logline("Program: Start.");
    startprogramthread(currentruntime());
    logline("applicationDidFinishLaunching: End.");
    app().ApplicationStarted = true;
}

void applicationDidBecomeActive() {
    app().ApplicationActive = true;
}

void applicationWillResignActive() {
    app().ApplicationActive = false;
}

void applicationWillTerminate() {
    logline("applicationWillTerminate: Called.");
    upcalls().TerminateHandler.call();
}

void ProgramMain() {
    const std::shared_ptr<Runtime> runtime = currentruntime();
    ThreadTicket ticket(runtime, &Runtime::ProgramThreads);
    runtime->ProgramRunning = true;
    runprogram(*runtime);
}

void programinit() {
    if (const std::shared_ptr<ProgramWork> work = programwork(rt())) work->start();
}

bool programpass() {
    return handleoneevent(*currentruntime());
}

// The flags are read before the busy mark: a pass sets the mark before it takes an event.
bool programidle() {
    Runtime& r = rt();
    if (!app(r).ProgramStarted) return false;
    const bool waiting = app(r).MenuEventQueue.pending() || app(r).FileEventQueue.pending();
    return !waiting && !app(r).ProgramBusy;
}

void installapplicationsteps() {
    upcalls().PrepareMemory = preparemenus;
    upcalls().PauseOutput = t_KeyPause;
}

} // namespace mdx
