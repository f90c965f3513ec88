#include "app/events.h"

#include <array>
#include <chrono>
#include <optional>

#include "base/clock.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"
#include "text/display.h"

namespace mdx {
namespace {

bool has(std::uint64_t flags, std::uint64_t bit) {
    return (flags & bit) != 0;
}

// The modifier word's bits, read once.
struct ModifierKeys {
    bool CapsLock, Shift, Control, Option, Command, NumericPad, Help, Function;
};

ModifierKeys decodemodifiers(std::uint64_t flags) {
    return {has(flags, ModifierCapsLock), has(flags, ModifierShift),
            has(flags, ModifierControl),  has(flags, ModifierOption),
            has(flags, ModifierCommand),  has(flags, ModifierNumericPad),
            has(flags, ModifierHelp),     has(flags, ModifierFunction)};
}

void refreshmodifiers(LiveInput& live, std::uint64_t flags) {
    const ModifierKeys keys = decodemodifiers(flags);
    live.CapsLock = keys.CapsLock;
    live.Shift = keys.Shift;
    live.Control = keys.Control;
    live.Option = keys.Option;
    live.Command = keys.Command;
    live.Function = keys.Function;
}

// The modifier fields of key and mouse events; the function bit sets a different field in each.
void setmodifiers(t_Event& e, std::uint64_t flags) {
    const ModifierKeys keys = decodemodifiers(flags);
    e.Mods = static_cast<Int>((flags >> 16) & 0xFFFF);
    e.CapsLockPressed = keys.CapsLock;
    e.ShiftPressed = keys.Shift;
    e.ControlPressed = keys.Control;
    e.OptionPressed = keys.Option;
    e.CommandPressed = keys.Command;
    e.NumericPadPressed = keys.NumericPad;
    e.HelpPressed = keys.Help;
    const bool mouse = e.Kind == EventKind::Mouse;
    (mouse ? e.FunctionKeyPressed : e.FnPressed) = keys.Function;
}

// Runs a program hook on a thread of its own, named when it is not one of the first two.
void starthook(Hook Upcalls::*hook, const char* threadName) {
    t_StartAsync([runtime = currentruntime(), hook, threadName] {
        if (t_ThreadNumber() >= 3) setthreadname(threadName);
        (upcalls(*runtime).*hook).call();
    });
}

// The view's window takes the event: false when the table is missing, the window is not
// initialised (logged) or it ignores events.
bool windowtakesevents(const char* routine, UInt8 window) {
    Runtime& r = rt();
    const t_Window* w = windowrecord(r, window);
    if (!r.MemoryInitialized || !w) return false;
    if (!w->Initialized) {
        logline(std::string(routine) + ": Graphic window (" + std::to_string(window) +
                ") not initialized.");
        return false;
    }
    return !w->IgnoreEvents;
}

// Position in a drawing area of `size` points: -1 before it, -2 beyond it.
Int clickoffset(Int relative, Int size) {
    if (relative < 0) return -1;
    return relative < size ? relative : -2;
}

// ---- Key codes ----------------------------------------------------------------------------

enum class When {
    Always,
    CharIs,       // the key typed `character`
    Dead,         // the key typed nothing (a dead key)
    DeadShifted,  // a dead key with shift held
    Option,       // option held, whatever was typed
    OptionCharIs, // option held and the key typed `character`
    OptionDead,   // option held and a dead key
};

struct KeyRule {
    Int KeyCode;
    When Condition;
    Int Character;
    Int Value;
    bool Cursor;
};

// The German layout's option characters and the special keys. Keypad 7, 8 and 9 with option
// give their value through the fallback, which is the same value.
constexpr std::array<KeyRule, 57> KeyRules{{
    {0, When::CharIs, 0x00E5, 176, false},  {1, When::CharIs, 0x201A, 168, false},
    {2, When::CharIs, 0x2202, 173, false},  {3, When::CharIs, 0x0192, 130, false},
    {4, When::CharIs, 0x00AA, 131, false},  {7, When::CharIs, 0x2248, 132, false},
    {9, When::CharIs, 0x221A, 253, false},  {10, When::Dead, 0, 94, false},
    {11, When::CharIs, 0x222B, 222, false}, {13, When::CharIs, 0x2211, 221, false},
    {14, When::CharIs, 0x20AC, 164, false}, {16, When::CharIs, 0x03A9, 128, false},
    {17, When::CharIs, 0x2020, 189, false}, {19, When::CharIs, 0x201C, 163, false},
    {24, When::DeadShifted, 0, 96, false},  {24, When::Dead, 0, 180, false},
    {27, When::CharIs, 0x00BF, 166, false}, {29, When::CharIs, 0x2260, 172, false},
    {32, When::Dead, 0, 175, false},        {33, When::CharIs, 0x2022, 184, false},
    {34, When::CharIs, 0x2044, 129, false}, {35, When::CharIs, 0x03C0, 240, false},
    {35, When::CharIs, 0x220F, 208, false}, {37, When::OptionCharIs, 0x000C, 0, false},
    {38, When::CharIs, 0x00BA, 183, false}, {40, When::CharIs, 0x2206, 254, false},
    {41, When::CharIs, 0x0153, 190, false}, {42, When::CharIs, 0x2018, 180, false},
    {43, When::CharIs, 0x221E, 255, false}, {44, When::CharIs, 0x2013, 154, false},
    {45, When::OptionDead, 0, 126, false},  {47, When::CharIs, 0x2026, 191, false},
    {48, When::CharIs, 0x0019, 20, false},  {50, When::CharIs, 0x2264, 197, false},
    {50, When::CharIs, 0x2265, 198, false}, {51, When::Always, 0, 127, false},
    {71, When::Always, 0, 27, false},       {76, When::Always, 0, 13, false},
    {82, When::Option, 0, 216, false},      {83, When::Option, 0, 185, false},
    {84, When::Option, 0, 178, false},      {85, When::Option, 0, 179, false},
    {86, When::Option, 0, 170, false},      {87, When::Option, 0, 215, false},
    {88, When::Option, 0, 186, false},      {89, When::Option, 0, 229, false},
    {91, When::Option, 0, 230, false},      {92, When::Option, 0, 188, false},
    {115, When::Always, 0, 2, true},        {116, When::Always, 0, 18, true},
    {117, When::Always, 0, 7, false},       {119, When::Always, 0, 5, true},
    {121, When::Always, 0, 3, true},        {123, When::Always, 0, 8, true},
    {124, When::Always, 0, 21, true},       {125, When::Always, 0, 10, true},
    {126, When::Always, 0, 11, true},
}};

bool applies(const KeyRule& rule, Int c, std::uint64_t flags) {
    const bool option = has(flags, ModifierOption);
    switch (rule.Condition) {
    case When::Always: return true;
    case When::CharIs: return c == rule.Character;
    case When::Dead: return c == 0;
    case When::DeadShifted: return c == 0 && has(flags, ModifierShift);
    case When::Option: return option;
    case When::OptionCharIs: return option && c == rule.Character;
    case When::OptionDead: return option && c == 0;
    }
    return false;
}

// The first rule of the key whose condition holds; a key may have several (P, <, =).
const KeyRule* findrule(Int keyCode, Int c, std::uint64_t flags) {
    for (const KeyRule& rule : KeyRules)
        if (rule.KeyCode == keyCode && applies(rule, c, flags)) return &rule;
    return nullptr;
}

// Control with keypad 7, 8 or 9 (without option) switches the window's output target.
constexpr Int Keypad7 = 89;
constexpr Int Keypad8 = 91;
constexpr Int Keypad9 = 92;

std::optional<OutputTarget> redirecttarget(Int keyCode, std::uint64_t flags) {
    if (!has(flags, ModifierControl) || has(flags, ModifierOption)) return std::nullopt;
    if (keyCode == Keypad7) return OutputTarget::Nowhere;
    if (keyCode == Keypad8) return OutputTarget::StandardOutput;
    if (keyCode == Keypad9) return OutputTarget::Window;
    return std::nullopt;
}

// The platform types function keys as private-use characters from U+F704 (F1) on; the block
// ends at U+F8FF. Emoji and other characters beyond it are no function keys.
constexpr Int FunctionKeyFirst = 0xF704;
constexpr Int FunctionKeyLast = 0xF8FF;
constexpr Int FunctionKeyOffset = 0xF683; // F1 becomes 129

} // namespace

void viewKeyDown(UInt8 window, const KeyInput& key) {
    if (windowtakesevents("viewKeyDown", window)) t_KeyEventHandler(window, key);
    app().Live.KeyDown = true;
}

void viewKeyUp() {
    app().Live.KeyDown = false;
}

void viewMouseDown(UInt8 window, const MouseInput& mouse, bool right) {
    if (windowtakesevents("viewMouseDown", window)) t_MouseEventHandler(window, mouse);
    Runtime& r = rt();
    app(r).Live.LeftMouseDown = !right;
    app(r).Live.RightMouseDown = right;
}

void viewMouseUp() {
    Runtime& r = rt();
    app(r).Live.LeftMouseDown = false;
    app(r).Live.RightMouseDown = false;
}

void viewFlagsChanged(std::uint64_t modifierFlags) {
    refreshmodifiers(app().Live, modifierFlags);
}

void t_MouseEventHandler(UInt8 window, const MouseInput& mouse) {
    Runtime& r = rt();
    const t_Window* record = windowrecord(r, window);
    if (!record) return;
    const t_Window& w = *record;
    t_Event e;
    e.Kind = EventKind::Mouse;
    e.Index = mouse.PressedButtons;
    e.WindowX = static_cast<Int>(mouse.X);
    e.WindowY = static_cast<Int>(mouse.Y);
    e.ClickX = clickoffset(e.WindowX - w.BorderWidth, w.Width);
    e.ClickY = clickoffset(w.Height - e.WindowY + w.BorderHeight, w.Height);
    setmodifiers(e, mouse.ModifierFlags);
    e.Window = window;
    e.Time = absolutetimems();
    app(r).MouseEventQueue.push(e);
    logline("t_MouseEventHandler: Graphic #" + std::to_string(window) +
            " window, X = " + std::to_string(e.ClickX) + ", Y = " + std::to_string(e.ClickY));
    starthook(&Upcalls::ProgramMouseHandler, "t_EventMouse");
    logline("t_MouseEventHandler: Calling program mouse handler asynchronously.");
}

void t_KeyEventHandler(UInt8 window, const KeyInput& key) {
    Runtime& r = rt();
    const Int keyCode = key.KeyCode & 0xFFFF;
    const std::uint64_t flags = key.ModifierFlags;
    refreshmodifiers(app(r).Live, flags);
    if (const std::optional<OutputTarget> target = redirecttarget(keyCode, flags)) {
        t_RedirectOutput(window, static_cast<Int>(*target));
        return;
    }
    t_Event e;
    e.Kind = EventKind::Key;
    e.Index = keyCode;
    e.Description = key.Characters;
    setmodifiers(e, flags);
    e.Window = window;
    e.Time = absolutetimems();
    const Int c = charcode(key.Characters);
    if (const KeyRule* rule = findrule(keyCode, c, flags)) {
        e.Value = rule->Value;
        e.CursorKeyPressed = rule->Cursor;
    } else if (c >= FunctionKeyFirst && c <= FunctionKeyLast) {
        e.Value = c - FunctionKeyOffset;
        e.FunctionKeyPressed = true;
    } else if (c <= 255) {
        e.Value = c;
    } else {
        return; // a character the runtime has no code for
    }
    app(r).KeyEventQueue.push(std::move(e));
    r.ProgramWake.signal(); // a paused output goes on
}

void t_MouseEventPostCloseBoxClick(UInt8 window) {
    t_WindowVisible(window, false);
    logline("t_MouseEventPostCloseBoxClick: Window = " + std::to_string(window));
}

void t_PostFileEvent(const std::string& path, Int index) {
    t_Event e;
    e.Kind = EventKind::File;
    e.Index = index;
    e.Description = path;
    e.Value = static_cast<Int>(filetype(path));
    e.Time = absolutetimems();
    app().FileEventQueue.push(std::move(e));
    rt().ProgramWake.signal();
    starthook(&Upcalls::ProgramFileHandler, "t_StartEventFile");
}

Int t_ReadKey() {
    Runtime& r = rt();
    if (!app(r).KeyEventQueue.pending()) return -1;
    std::optional<t_Event> e = app(r).KeyEventQueue.take();
    return e ? e->Value : -1;
}

// The check that every printed line costs is one flag test. Waiting is left out on the main
// thread, where the events that end the wait arrive: it would never end there. A runtime that is
// replaced meanwhile ends the wait as well.
bool t_KeyPause(UInt8 code, bool wait) {
    std::shared_ptr<Runtime> runtime = currentruntime();
    EventQueue<t_Event>& keys = app(*runtime).KeyEventQueue;
    if (!keys.pending()) return false;
    // Counted before the queue is emptied, so that a key typed meanwhile is not missed.
    const Int keysBefore = keys.pushed();
    const Int menusBefore = app(*runtime).MenuEventQueue.pushed();
    std::optional<t_Event> last = keys.newest();
    if (!last || last->Value != code) return false;
    keys.clear();
    if (!wait || windowlayer().isMainThread()) return true;
    while (keys.pushed() == keysBefore && app(*runtime).MenuEventQueue.pushed() == menusBefore &&
           runtime == currentruntime())
        runtime->ProgramWake.waitfor(std::chrono::milliseconds(IdleLookMs));
    if (keys.pending()) keys.take(); // the key that resumes the output is swallowed
    return true;
}

} // namespace mdx
