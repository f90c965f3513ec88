// The records of input and menu events and the queues that carry them from the main thread,
// where the window layer delivers them, to the program thread. They are part of the runtime's
// state, so that every test starts with empty queues.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/types.h"
#include "runtime/state.h"

namespace mdx {

class ProgramWork; // app/program_work.h

// The kinds of events; None marks an empty record.
enum class EventKind : Int { None = 0, Key = 1, Mouse = 2, Menu = 3, File = 4 };

// One input event: a key, a click or an opened document.
struct t_Event {
    EventKind Kind = EventKind::None;
    Int Index = 0;           // key code, buttons held, or the poster's index
    std::string Description; // typed characters, or the document's path
    Int Value = 0;           // character code, or the FileKind of the document's path
    Int WindowX = 0;
    Int WindowY = 0;
    Int ClickX = 0; // from the drawing area's left edge; -1 left of it, -2 right of it
    Int ClickY = 0; // from the drawing area's top edge; -1 above it, -2 below it
    Int Mods = 0;   // the modifier word shifted right by 16, low 16 bits
    UInt8 Window = 0;
    Int Time = 0; // absolute milliseconds
    bool CloseBox = false;
    bool CapsLockPressed = false;
    bool ShiftPressed = false;
    bool ControlPressed = false;
    bool OptionPressed = false;
    bool CommandPressed = false;
    bool NumericPadPressed = false;
    bool HelpPressed = false;
    bool FnPressed = false;
    bool CursorKeyPressed = false;
    bool FunctionKeyPressed = false;
};

// One menu choice (Kind None for a sender that belongs to no menu).
struct t_MenuEvent {
    EventKind Kind = EventKind::None;
    std::string MenuTitle;
    std::string ItemTitle;
    std::string ItemKeyChar;
    std::uint64_t ItemKeyMods = 0;
    Int ItemKeyAsc = 0; // first scalar of the key equivalent, 0 if none
    Int ItemAction = 0; // the item's tag
    Int Time = 0;
};

// An entry of the table of standard menu actions, found by the chosen item's tag.
struct t_MenuAction {
    Int Tag = 0;
    Int Action = 0;
    std::string Title;
    std::string Note;
    std::string FileName;
    std::string FileTypes;
    std::string FilePath;
};

// A first-in-first-out queue with its pending flag and the record taken last. Appending and
// taking are atomic with respect to each other; the flag is kept equal to "not empty" and may be
// read without the lock as a cheap test.
template <class Event>
class EventQueue {
  public:
    void push(Event event) {
        std::lock_guard guard(lock_);
        queue_.push_back(std::move(event));
        pushed_ = pushed_ + 1; // only ever written under the lock
        pending_ = true;
    }
    // The oldest record, which also becomes the current one; nothing when the queue is empty.
    std::optional<Event> take() {
        std::lock_guard guard(lock_);
        if (queue_.empty()) return std::nullopt;
        current_ = std::move(queue_.front());
        queue_.pop_front();
        pending_ = !queue_.empty();
        return current_;
    }
    void clear() {
        std::lock_guard guard(lock_);
        queue_.clear();
        pending_ = false;
    }
    std::optional<Event> newest() const {
        std::lock_guard guard(lock_);
        if (queue_.empty()) return std::nullopt;
        return queue_.back();
    }
    std::vector<Event> contents() const {
        std::lock_guard guard(lock_);
        return {queue_.begin(), queue_.end()};
    }
    Event current() const {
        std::lock_guard guard(lock_);
        return current_;
    }
    bool pending() const { return pending_; }
    // How many records were ever appended: a waiter compares it to see that a new one came,
    // even when the queue was not empty before.
    Int pushed() const { return pushed_; }

  private:
    mutable std::mutex lock_;
    std::deque<Event> queue_;
    Event current_;
    Shared<bool> pending_ = false;
    Shared<Int> pushed_ = 0;
};

// Buttons, keys and modifiers as they are held now; the main thread writes, anyone reads.
struct LiveInput {
    Shared<bool> LeftMouseDown = false;
    Shared<bool> RightMouseDown = false;
    Shared<bool> KeyDown = false;
    Shared<bool> CapsLock = false;
    Shared<bool> Shift = false;
    Shared<bool> Control = false;
    Shared<bool> Option = false;
    Shared<bool> Command = false;
    Shared<bool> Function = false;
};

// The application frame's part of a runtime: its lifecycle, the event queues between the main
// thread and the program thread, the input held now, the standard menu actions and the program
// that takes the work.
struct ApplicationState {
    Shared<bool> ApplicationStarted = false;
    Shared<bool> ApplicationActive = false;
    Shared<bool> ProgramStarted = false; // it has entered its event loop
    Shared<bool> ProgramBusy = false;    // it is handling a menu or file event
    EventQueue<t_Event> KeyEventQueue;
    EventQueue<t_Event> MouseEventQueue;
    EventQueue<t_Event> FileEventQueue;
    EventQueue<t_MenuEvent> MenuEventQueue;
    LiveInput Live;
    std::vector<t_MenuAction> MenuActions;
    // The program the frame hands its work to (app/program_work.h); none until installed.
    std::mutex WorkLock;
    std::shared_ptr<ProgramWork> Work;
};

// The application state of a runtime (the current one by default), made on first use.
ApplicationState& app(Runtime& runtime);
ApplicationState& app();

} // namespace mdx
