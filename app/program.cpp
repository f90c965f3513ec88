#include "app/program.h"

#include <sys/stat.h>

#include <chrono>
#include <mutex>

#include "app/event_state.h"
#include "app/events.h"
#include "app/menus.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window_management.h"
#include "text/output.h"
#include "text/text_windows.h"

namespace mdx {
namespace {

constexpr Int ScreenWidth = 1312;
constexpr Int ScreenHeight = 800;
constexpr Int RevarudSystemFileSize = 6400;
constexpr Int RevarudScsiFileSize = 8192;
constexpr const char* PrinterBanner = "Miradex – Virtueller Drucker – 2001–2026";

std::mutex EntriesLock;
ProgramEntries Entries;
ProgramEntries Defaults;

template <class Function>
void fillin(Function& entry, const Function& fallback) {
    if (!entry) entry = fallback;
}

ProgramEntries withdefaults(ProgramEntries e) {
    fillin(e.RunReport, Defaults.RunReport);
    fillin(e.OpenReport, Defaults.OpenReport);
    fillin(e.ImportRevarud, Defaults.ImportRevarud);
    fillin(e.ImportRevarud6400, Defaults.ImportRevarud6400);
    fillin(e.ImportRevarud8192, Defaults.ImportRevarud8192);
    fillin(e.SaveReport, Defaults.SaveReport);
    return e;
}

// Window 0 keeps its full size on a screen of at least 1312 x 800 points.
void fittoscreen() {
    const bool fits = t_WindowPos(0, 15) >= ScreenWidth && t_WindowPos(0, 16) >= ScreenHeight;
    if (!fits) t_WindowSize(0, 50, 50, 688, 432);
}

// The size of a regular file, -1 for anything else. Asking the file system instead of reading
// the file keeps a huge file out of memory and a named pipe from holding the program for ever.
Int regularfilesize(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<Int>(info.st_size);
}

// Documents of the two Revarud Erur sizes are imports whatever their names; everything else
// goes to the report opener, which also tells files that are no report documents.
void openfile(const std::string& path) {
    const Int size = regularfilesize(path);
    const ProgramEntries entries = programentries();
    if (size == RevarudSystemFileSize)
        entries.ImportRevarud6400(path);
    else if (size == RevarudScsiFileSize)
        entries.ImportRevarud8192(path);
    else
        entries.OpenReport(path);
}

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

// Menu events go first: a waiting document is opened only when no menu choice waits.
bool handleoneevent(Runtime& r) {
    return handlenext(r, app(r).MenuEventQueue, programmenudispatch) ||
           handlenext(r, app(r).FileEventQueue, [](const t_Event& e) { openfile(e.Description); });
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
    startprocess([ticket] { runprogram(ticket->runtime()); }, ProgramStackSize);
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
    app().TerminateHandler.call();
}

void ProgramMain() {
    const std::shared_ptr<Runtime> runtime = currentruntime();
    ThreadTicket ticket(runtime, &Runtime::ProgramThreads);
    runtime->ProgramRunning = true;
    runprogram(*runtime);
}

// Window 0 is shown as well: a hidden window's picture is never drawn.
void programinit() {
    const t_Font font = t_LoadFontResource("MenloRegular 16x32.font");
    t_InitWindow(0, 24, true, ScreenWidth, ScreenHeight, 16, 16, font, true);
    fittoscreen();
    t_WindowVisible(0, true);
    p_InitPrinter();
    p_SetPrinterWidth(82);
    p_SetRuler("");
    t_WindowTitle(VirtualPrinterWindowNumber, PrinterBanner);
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

void setprogramentries(ProgramEntries entries) {
    std::lock_guard guard(EntriesLock);
    Entries = std::move(entries);
}

void setdefaultprogramentries(ProgramEntries entries) {
    std::lock_guard guard(EntriesLock);
    Defaults = std::move(entries);
}

void installapplicationsteps() {
    setmemorypreparation(preparemenus);
    setoutputpause(t_KeyPause);
}

ProgramEntries programentries() {
    std::lock_guard guard(EntriesLock);
    return withdefaults(Entries);
}

} // namespace mdx
