// Thread starts of the runtime: the program thread and the workers with a chosen stack size,
// asynchronous work, and the thread numbers that the naming rules rely on.
#pragma once

#include <functional>
#include <string>

#include "base/types.h"

namespace mdx {

inline constexpr Int ProgramStackSize = 1073741824; // 1 GiB for the program thread
inline constexpr Int WorkerStackSize = 524288;      // 512 KiB elsewhere

// Starts entry on a new thread with the given stack size and returns once the thread has been
// created. Starts are serialised: the next caller waits until the new thread has taken its entry.
// A thread that cannot be made (a limit on threads or memory) is logged, entry is dropped without
// running, and the result is false: callers go on without that work, never abort.
bool startprocess(std::function<void()> entry, Int stackSize);

// Runs entry on another thread at once and returns; false, after a log line, when no thread
// could be made (entry is then dropped without running).
bool t_StartAsync(std::function<void()> entry);

// 1 on the main thread, 2 on the first thread that startprocess starts (the program thread),
// above 2 on every other thread.
Int t_ThreadNumber();

// Names the current thread (the system keeps the first 15 bytes). The process's initial thread
// is named for the runtime only, so that the process keeps the name of its program.
void setthreadname(const std::string& name);
std::string threadname();

} // namespace mdx
