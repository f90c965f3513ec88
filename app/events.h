// Input events of the program: key, mouse and file events, their queues, and the entry points
// through which the window layer's views hand events to the runtime.
#pragma once

#include <cstdint>
#include <string>

#include "app/event_state.h"
#include "base/types.h"

namespace mdx {

// Modifier bits of the platform's modifier-flag word, as the event records keep them.
inline constexpr std::uint64_t ModifierCapsLock = 1u << 16;
inline constexpr std::uint64_t ModifierShift = 1u << 17;
inline constexpr std::uint64_t ModifierControl = 1u << 18;
inline constexpr std::uint64_t ModifierOption = 1u << 19;
inline constexpr std::uint64_t ModifierCommand = 1u << 20;
inline constexpr std::uint64_t ModifierNumericPad = 1u << 21;
inline constexpr std::uint64_t ModifierHelp = 1u << 22;
inline constexpr std::uint64_t ModifierFunction = 1u << 23;

// A key press as a view receives it: the platform's virtual key code (the key table's codes:
// 0 A, 51 Delete, 123 Left Arrow ...), the typed characters and the modifier flags.
struct KeyInput {
    Int KeyCode = 0;
    std::string Characters; // UTF-8; function keys arrive as U+F704 and up
    std::uint64_t ModifierFlags = 0;
};

// A click as a view receives it: the location in the window in points from the left and from
// the bottom, the buttons held (bit 0 left, bit 1 right) and the modifier flags.
struct MouseInput {
    double X = 0;
    double Y = 0;
    Int PressedButtons = 0;
    std::uint64_t ModifierFlags = 0;
};

// Entry points for the views of graphic windows 0..7 (main thread). Events reach the handlers
// below only for an initialised window that does not ignore events.
void viewKeyDown(UInt8 window, const KeyInput& key);
void viewKeyUp();
void viewMouseDown(UInt8 window, const MouseInput& mouse, bool right);
void viewMouseUp();
void viewFlagsChanged(std::uint64_t modifierFlags);

// Queues a click as a mouse event and starts the program's mouse hook (main thread).
void t_MouseEventHandler(UInt8 window, const MouseInput& mouse);
// Queues a key event with the key's character code, or carries out a redirect shortcut
// (control with keypad 7, 8 or 9). Characters above 255 other than function keys queue nothing.
void t_KeyEventHandler(UInt8 window, const KeyInput& key);

// A window's close box: hides the window instead of closing it (main thread).
void t_MouseEventPostCloseBoxClick(UInt8 window);

// Queues a file event for an opened document and runs the file hook (main thread).
void t_PostFileEvent(const std::string& path, Int index);

// The oldest key event's Value, -1 when none is queued.
Int t_ReadKey();

// Output pause: when the last key typed was `code` (19 is control-S), empties the key queue and,
// with wait, holds the calling thread until another key (which it swallows) or a menu choice
// arrives; true then. Returns false at once when no key waits. On the main thread, where the
// events that end a wait arrive, it never waits.
bool t_KeyPause(UInt8 code, bool wait);

} // namespace mdx
