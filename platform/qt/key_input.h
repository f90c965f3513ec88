// Keys and modifiers as the runtime's key handler expects them: the hardware key codes of the
// original platform's keyboard (0 A, 51 Delete, 123 Left Arrow ...), the typed characters, and
// the modifier-flag word.
#pragma once

#include <QKeyEvent>
#include <QString>

#include <cstdint>

#include "app/events.h"

namespace mdx::qt {

// The code of a key that the original platform's keyboard does not have. It is no code of the
// key table, so such keys always fall back to the character they typed.
inline constexpr Int UnlistedKeyCode = 0xFFFF;

// How a key is identified. Native scan codes name the key's place on the keyboard whatever the
// layout (X11 and Wayland hand over evdev codes plus 8); without them (synthetic events, the
// offscreen platform) the key is known only by its Qt key, read with the US meaning.
enum class KeySource { QtKey, ScanCode };

// The source for events of the running platform: scan codes on X11 and Wayland.
KeySource platformkeysource();

// The hardware key code of a key; UnlistedKeyCode for a key without one.
Int keycode(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode, KeySource source);

// The text a key delivers: the event's own text, or for keys that type none (arrows, function
// keys ...) the private-use character that the key handler knows them by (F1 is U+F704).
QString keycharacters(int qtKey, const QString& text);

// The modifier-flag word: shift, control (Ctrl), option (Alt), command (Meta), numeric pad,
// function (for function and cursor keys) and caps lock.
std::uint64_t modifierflags(Qt::KeyboardModifiers modifiers, bool capsLock,
                            bool functionKey = false);

// The whole key press for the runtime. The keypad's digit keys type their digit also with num
// lock off, when the system hands them over as cursor keys.
KeyInput keyinput(const QKeyEvent& event, KeySource source);

// Keys that only change the modifier flags (shift, control, alt, meta, caps lock ...).
bool ismodifierkey(int qtKey);

// Caps lock as the event's native modifiers tell it (X11 lock mask); false where unknown.
bool capslockon(const QKeyEvent& event);

} // namespace mdx::qt
