// The runtime-wide state of the screen: window table, video memory and their flags. It lives in
// one object so that every test can start from a fresh one.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/wakeup.h"
#include "runtime/upcalls.h"
#include "runtime/window.h"

namespace mdx {

struct ApplicationState; // app/event_state.h
struct ReportState;      // report/report_state.h

inline constexpr Int VideoMemorySize = 0x100000F;  // 16 MiB plus 15 bytes
inline constexpr Int VideoMemoryTop = 0xFFFFFF;    // highest address ever handed out
inline constexpr Int VideoMemoryReserve = 0x10000; // the lowest 64 KiB are never handed out
// The longest a waiting refresh, printer or program thread sleeps without a signal: a running
// flag cleared from outside, or a clock set back, is noticed within this time.
inline constexpr Int IdleLookMs = 1000;

// Threads that work on one runtime: counted from their start to their end, so that whoever
// replaces the runtime can wait until none of them is left.
class ThreadCount {
  public:
    void enter();
    void leave();
    void waituntilnone();
    int running() const;

  private:
    mutable std::mutex lock_;
    std::condition_variable none_;
    int running_ = 0;
};

// The part of a window's text region that a clear left blank in one drawn attribute: from cell
// (FromColumn, FromLine) to the region's end. It holds while the window's change count is still
// Changes; clearing or scrolling it again would not change a pixel, so that work is skipped.
struct BlankArea {
    std::uint64_t Changes = ~std::uint64_t{0}; // no area
    Int FirstColumn = 0;
    Int LastColumn = 0;
    Int FirstLine = 0;
    Int LastLine = 0;
    Int FromColumn = 0;
    Int FromLine = 0;
    UInt8 Attribute = 0;
};

struct Runtime {
    std::vector<t_Window> WindowTable; // empty until t_InitMemory, then exactly 8 records
    Bytes VideoMemory;
    Shared<Int> HighMemory = 0;
    Shared<bool> MemoryInitStarted = false;
    Shared<bool> MemoryInitialized = false;
    Shared<bool> AutoUpdateRunning = false;
    Shared<UInt8> DefaultWindow = NoWindow;
    Shared<Int> TitleBarHeight = 0; // measured by the window layer at launch
    ThreadCount RefreshThreads;
    std::mutex RefreshStartLock; // one start of the refresh thread at a time
    std::mutex WindowInitLock;   // one t_InitWindow at a time: blocks are placed one by one

    // Counts the changes to what each graphic window shows (picture, text planes, colours,
    // borders, geometry): the refresh thread asks for a redraw only when a count moved.
    std::array<std::atomic<std::uint64_t>, GraphicWindowCount> WindowChanges{};
    Shared<bool> RefreshIdle = false; // the refresh thread waits for the next change
    WakeUp RefreshWake;
    std::array<BlankArea, GraphicWindowCount> BlankAreas{}; // kept by the program's printing

    // The program thread: cleared to end it, counted so that a reset can wait for its end.
    Shared<bool> ProgramRunning = false;
    ThreadCount ProgramThreads;
    WakeUp ProgramWake; // a menu or file event was queued, or the thread is to end

    // The application frame's state (event queues, input held now, the program's hooks, the menu
    // actions), made by the frame on first use so that it lives and ends with this runtime.
    std::once_flag ApplicationMade;
    std::shared_ptr<ApplicationState> Application;

    // The report program's state (the model name, the profiler's data type list), made by the
    // report on first use.
    std::once_flag ReportMade;
    std::shared_ptr<ReportState> Report;

    // The calls that the layers above installed in this runtime (runtime/upcalls.h).
    Upcalls Calls;

    // The virtual printer: text waiting for its window, and the thread that moves it there.
    std::mutex PrinterLock; // guards PrinterBuffer
    std::string PrinterBuffer;
    Shared<bool> PrinterChanged = false;
    Shared<Int> PrinterLastUpdate = 0;
    Shared<bool> PrinterUpdateRunning = false;
    ThreadCount PrinterThreads;
    WakeUp PrinterWake; // printer text was added, or the thread is to end
};

// Counts a thread among one kind of threads of a runtime (RefreshThreads, PrinterThreads ...) from
// before its start to its end, and keeps the runtime alive meanwhile. A ticket dropped because
// the thread never started uncounts it all the same.
class ThreadTicket {
  public:
    ThreadTicket(std::shared_ptr<Runtime> runtime, ThreadCount Runtime::*threads);
    ~ThreadTicket();
    ThreadTicket(const ThreadTicket&) = delete;
    ThreadTicket& operator=(const ThreadTicket&) = delete;
    Runtime& runtime() const { return *runtime_; }

  private:
    std::shared_ptr<Runtime> runtime_;
    ThreadCount Runtime::*threads_;
};

// The current runtime. Threads that outlive a call keep the shared pointer they started with.
Runtime& rt();
std::shared_ptr<Runtime> currentruntime();
// Replaces the current runtime by a fresh one (tests, and nothing else). Stops the old runtime's
// refresh, printer and program threads and returns once they have ended, so that the window
// layer they used may go. They may be waiting for the main thread; with a window layer that has an
// event loop, call this elsewhere than on the main thread.
void resetruntime();

// Records that what a graphic window shows has changed, and wakes the refresh thread if it waits
// for a change. Every routine that writes a window's blocks or changes how it is drawn calls it.
void markchanged(Runtime& runtime, UInt8 window);
void markchanged(UInt8 window);
// A change to the video memory at addresses that may belong to any window.
void markallchanged(Runtime& runtime);

// The record of graphic window `window` whatever its state; nullptr for a number above the
// graphic windows or before the window table exists.
t_Window* windowrecord(Runtime& runtime, UInt8 window);
const t_Window* windowrecord(const Runtime& runtime, UInt8 window);

} // namespace mdx
