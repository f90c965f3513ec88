// The runtime-wide state of the screen: window table, video memory and their flags. It lives in
// one object so that every test can start from a fresh one.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/window.h"

namespace mdx {

inline constexpr Int VideoMemorySize = 0x100000F;  // 16 MiB plus 15 bytes
inline constexpr Int VideoMemoryTop = 0xFFFFFF;    // highest address ever handed out
inline constexpr Int VideoMemoryReserve = 0x10000; // the lowest 64 KiB are never handed out

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
};

// The current runtime. Threads that outlive a call keep the shared pointer they started with.
Runtime& rt();
std::shared_ptr<Runtime> currentruntime();
// Replaces the current runtime by a fresh one (tests, and nothing else). Stops the old runtime's
// refresh thread and returns once it has ended, so that the window layer it used may go. The
// thread may be waiting for the main thread; with a window layer that has an event loop, call
// this elsewhere than on the main thread.
void resetruntime();

// True when the window table exists and `window` is an initialised graphic window.
bool windowready(UInt8 window);

} // namespace mdx
