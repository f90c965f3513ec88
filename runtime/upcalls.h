// The calls that an upper layer installs in a lower one, in one table that each runtime owns: a
// lower layer never names the code above it, it calls what was installed here. A fresh runtime
// has an empty table, so that it starts as a fresh program; the program fills it at start-up
// (installprogram of report/report_program.h, through installapplicationsteps of app/program.h).
//
// The application frame hands the report program its work through one door of its own,
// ProgramWork in app/program_work.h, kept with the frame's state (app/event_state.h).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

#include "base/types.h"

namespace mdx {

// A program hook: a function without arguments that the program may install. Calling an empty
// hook does nothing and answers false.
class Hook {
  public:
    void set(std::function<void()> function) {
        std::lock_guard guard(lock_);
        function_ = std::move(function);
    }
    bool call() const {
        std::function<void()> function;
        {
            std::lock_guard guard(lock_);
            function = function_;
        }
        if (!function) return false;
        function(); // without the lock, so that a hook may replace itself
        return true;
    }

  private:
    mutable std::mutex lock_;
    std::function<void()> function_;
};

// A step that t_InitMemory runs after creating the memory and before it reports the memory ready:
// the application frame prepares its menus there.
using MemoryPreparation = void (*)();
// What printing asks before a new line and after each t_Print: true when the output was held (the
// application frame waits there for a key after control-S). Without it output never pauses.
using OutputPause = bool (*)(UInt8 code, bool wait);

struct Upcalls {
    // runtime/video_memory.cpp calls it in t_InitMemory; the frame installs preparemenus.
    std::atomic<MemoryPreparation> PrepareMemory{nullptr};
    // text/output.cpp asks it before each line; the frame installs the control-S pause t_KeyPause.
    std::atomic<OutputPause> PauseOutput{nullptr};
    // The program's hooks that the frame calls (app/program.cpp, app/events.cpp, app/menus.cpp);
    // each runs on a thread of its own except TerminateHandler and EditActionHandler.
    Hook TerminateHandler;
    Hook ProgramMouseHandler;
    Hook ProgramFileHandler;
    Hook ProgramMenuHandler;
    Hook EditActionHandler; // unset: the warning sound
};

struct Runtime; // runtime/state.h

// The table of a runtime, of the current one by default.
Upcalls& upcalls(Runtime& runtime);
Upcalls& upcalls();

} // namespace mdx
