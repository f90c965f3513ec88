// A graphic window looked up once and checked for what a routine needs of it. The routines of
// text/ and runtime/ start with checkwindow() and then work on the record it hands back, so that
// the number, the initialisation and the text block are checked in one place and the refusal
// line carries the routine's name.
#pragma once

#include <string_view>

#include "base/types.h"
#include "runtime/window.h"

namespace mdx {

struct Runtime;

// What a routine needs of its window: initialised (the attribute setters), or also a text block
// (printing, the cursor, scrolling).
enum class WindowNeeds { Initialised, TextBlock };

// The outcome of checkwindow(): the record and the routine's name, or nothing when a check failed.
class CheckedWindow {
  public:
    CheckedWindow(std::string_view routine, UInt8 number, t_Window* record)
        : routine_(routine), number_(number), record_(record) {}
    explicit operator bool() const { return record_ != nullptr; }
    t_Window& operator*() const { return *record_; }
    t_Window* operator->() const { return record_; }
    UInt8 number() const { return number_; }
    // The name that refusal lines about this window start with.
    std::string_view routine() const { return routine_; }

  private:
    std::string_view routine_;
    UInt8 number_;
    t_Window* record_;
};

// Checks that `window` is a graphic window with what `needs` asks for. On a failure it logs
// "<routine>: Window is not a graphic window." or "<routine>: Window #n not initialized." and the
// answer is empty.
CheckedWindow checkwindow(std::string_view routine, UInt8 window,
                          WindowNeeds needs = WindowNeeds::TextBlock);

// The same checks without a line: the record, or nullptr.
t_Window* readywindow(Runtime& runtime, UInt8 window, WindowNeeds needs = WindowNeeds::TextBlock);

// True when the window table exists and `window` is an initialised graphic window.
bool windowready(UInt8 window);

} // namespace mdx
