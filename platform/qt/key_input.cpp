#include "platform/qt/key_input.h"

#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <utility>

namespace mdx::qt {
namespace {

// Key positions by evdev code (the native scan code minus 8) and the hardware key code of the
// original platform's keyboard at that place: every key that has one, the key table's rows and
// all others. The key left of "1" is the ISO section key (10) and the extra key next to the left
// shift key the ISO "<" key (50), as the key table numbers an ISO keyboard; Insert sits where
// that keyboard has Help, and Print, Scroll Lock and Pause where it has F13 to F15.
constexpr auto ScanCodes = std::to_array<std::pair<quint32, Int>>({
    // letters
    {30, 0},
    {31, 1},
    {32, 2},
    {33, 3},
    {35, 4},
    {34, 5},
    {44, 6},
    {45, 7},
    {46, 8},
    {47, 9},
    {48, 11},
    {16, 12},
    {17, 13},
    {18, 14},
    {19, 15},
    {21, 16},
    {20, 17},
    {24, 31},
    {22, 32},
    {23, 34},
    {25, 35},
    {38, 37},
    {36, 38},
    {37, 40},
    {49, 45},
    {50, 46},
    // digits and punctuation
    {2, 18},
    {3, 19},
    {4, 20},
    {5, 21},
    {7, 22},
    {6, 23},
    {13, 24},
    {10, 25},
    {8, 26},
    {12, 27},
    {9, 28},
    {11, 29},
    {27, 30},
    {26, 33},
    {40, 39},
    {39, 41},
    {43, 42},
    {51, 43},
    {53, 44},
    {52, 47},
    {41, 10},
    {86, 50},
    {124, 93},
    {89, 94},
    // whitespace, editing and modifier keys
    {28, 36},
    {15, 48},
    {57, 49},
    {14, 51},
    {1, 53},
    {126, 54},
    {125, 55},
    {42, 56},
    {58, 57},
    {56, 58},
    {29, 59},
    {54, 60},
    {100, 61},
    {97, 62},
    // numeric pad
    {83, 65},
    {55, 67},
    {78, 69},
    {98, 75},
    {96, 76},
    {74, 78},
    {117, 81},
    {82, 82},
    {79, 83},
    {80, 84},
    {81, 85},
    {75, 86},
    {76, 87},
    {77, 88},
    {71, 89},
    {72, 91},
    {73, 92},
    {121, 95},
    // function keys and the keys in their row
    {59, 122},
    {60, 120},
    {61, 99},
    {62, 118},
    {63, 96},
    {64, 97},
    {65, 98},
    {66, 100},
    {67, 101},
    {68, 109},
    {87, 103},
    {88, 111},
    {183, 105},
    {184, 107},
    {185, 113},
    {186, 106},
    {187, 64},
    {188, 79},
    {189, 80},
    {190, 90},
    {99, 105},
    {70, 107},
    {119, 113},
    // sound keys
    {115, 72},
    {114, 73},
    {113, 74},
    // cursor and paging keys
    {138, 114},
    {110, 114},
    {102, 115},
    {104, 116},
    {111, 117},
    {107, 119},
    {109, 121},
    {105, 123},
    {106, 124},
    {108, 125},
    {103, 126},
});

// Keys by their Qt key, read with the US meaning, for events without a scan code.
constexpr auto QtKeys = std::to_array<std::pair<int, Int>>({
    {Qt::Key_A, 0},
    {Qt::Key_S, 1},
    {Qt::Key_D, 2},
    {Qt::Key_F, 3},
    {Qt::Key_H, 4},
    {Qt::Key_X, 7},
    {Qt::Key_V, 9},
    {Qt::Key_AsciiCircum, 10},
    {Qt::Key_Dead_Circumflex, 10},
    {Qt::Key_B, 11},
    {Qt::Key_W, 13},
    {Qt::Key_E, 14},
    {Qt::Key_Y, 16},
    {Qt::Key_T, 17},
    {Qt::Key_2, 19},
    {Qt::Key_Equal, 24},
    {Qt::Key_Dead_Acute, 24},
    {Qt::Key_Minus, 27},
    {Qt::Key_0, 29},
    {Qt::Key_U, 32},
    {Qt::Key_BracketLeft, 33},
    {Qt::Key_I, 34},
    {Qt::Key_P, 35},
    {Qt::Key_L, 37},
    {Qt::Key_J, 38},
    {Qt::Key_K, 40},
    {Qt::Key_Semicolon, 41},
    {Qt::Key_Backslash, 42},
    {Qt::Key_Comma, 43},
    {Qt::Key_Slash, 44},
    {Qt::Key_N, 45},
    {Qt::Key_Period, 47},
    {Qt::Key_Tab, 48},
    {Qt::Key_Backtab, 48},
    {Qt::Key_QuoteLeft, 50},
    {Qt::Key_Less, 50},
    {Qt::Key_Greater, 50},
    {Qt::Key_Backspace, 51},
    {Qt::Key_Clear, 71},
    {Qt::Key_Enter, 76},
    {Qt::Key_Home, 115},
    {Qt::Key_PageUp, 116},
    {Qt::Key_Delete, 117},
    {Qt::Key_End, 119},
    {Qt::Key_PageDown, 121},
    {Qt::Key_Left, 123},
    {Qt::Key_Right, 124},
    {Qt::Key_Down, 125},
    {Qt::Key_Up, 126},
    {Qt::Key_G, 5},
    {Qt::Key_Z, 6},
    {Qt::Key_C, 8},
    {Qt::Key_Q, 12},
    {Qt::Key_R, 15},
    {Qt::Key_1, 18},
    {Qt::Key_3, 20},
    {Qt::Key_4, 21},
    {Qt::Key_6, 22},
    {Qt::Key_5, 23},
    {Qt::Key_9, 25},
    {Qt::Key_7, 26},
    {Qt::Key_8, 28},
    {Qt::Key_BracketRight, 30},
    {Qt::Key_O, 31},
    {Qt::Key_Return, 36},
    {Qt::Key_Apostrophe, 39},
    {Qt::Key_M, 46},
    {Qt::Key_Space, 49},
    {Qt::Key_Escape, 53},
    {Qt::Key_Help, 114},
    {Qt::Key_Insert, 114},
    {Qt::Key_F1, 122},
    {Qt::Key_F2, 120},
    {Qt::Key_F3, 99},
    {Qt::Key_F4, 118},
    {Qt::Key_F5, 96},
    {Qt::Key_F6, 97},
    {Qt::Key_F7, 98},
    {Qt::Key_F8, 100},
    {Qt::Key_F9, 101},
    {Qt::Key_F10, 109},
    {Qt::Key_F11, 103},
    {Qt::Key_F12, 111},
});

// Keys of the numeric pad (Qt's keypad modifier set), with and without num lock.
constexpr auto KeypadKeys = std::to_array<std::pair<int, Int>>({
    {Qt::Key_0, 82},        {Qt::Key_1, 83},        {Qt::Key_2, 84},      {Qt::Key_3, 85},
    {Qt::Key_4, 86},        {Qt::Key_5, 87},        {Qt::Key_6, 88},      {Qt::Key_7, 89},
    {Qt::Key_8, 91},        {Qt::Key_9, 92},        {Qt::Key_Insert, 82}, {Qt::Key_End, 83},
    {Qt::Key_Down, 84},     {Qt::Key_PageDown, 85}, {Qt::Key_Left, 86},   {Qt::Key_Clear, 87},
    {Qt::Key_Right, 88},    {Qt::Key_Home, 89},     {Qt::Key_Up, 91},     {Qt::Key_PageUp, 92},
    {Qt::Key_Enter, 76},    {Qt::Key_Period, 65},   {Qt::Key_Comma, 65},  {Qt::Key_Delete, 65},
    {Qt::Key_Asterisk, 67}, {Qt::Key_Plus, 69},     {Qt::Key_Slash, 75},  {Qt::Key_Minus, 78},
    {Qt::Key_Equal, 81},
});

// The digit of each keypad digit key: what it types with num lock on, so that the key table's
// keypad rows see the same key whether num lock is on or off.
constexpr auto KeypadDigits = std::to_array<std::pair<Int, char>>({
    {82, '0'},
    {83, '1'},
    {84, '2'},
    {85, '3'},
    {86, '4'},
    {87, '5'},
    {88, '6'},
    {89, '7'},
    {91, '8'},
    {92, '9'},
});

// What keys without text of their own deliver, as the key handler knows them: private-use
// characters for cursor and function keys, 127 for the backspace key, 3 for Enter, 25 for
// shift-tab, and 19 for Pause, the key that holds the output (Ctrl+S saves on this desktop).
constexpr char32_t PauseCharacter = 0x13;

constexpr auto SpecialCharacters = std::to_array<std::pair<int, char32_t>>({
    {Qt::Key_Up, 0xF700},
    {Qt::Key_Down, 0xF701},
    {Qt::Key_Left, 0xF702},
    {Qt::Key_Right, 0xF703},
    {Qt::Key_Insert, 0xF727},
    {Qt::Key_Delete, 0xF728},
    {Qt::Key_Home, 0xF729},
    {Qt::Key_End, 0xF72B},
    {Qt::Key_PageUp, 0xF72C},
    {Qt::Key_PageDown, 0xF72D},
    {Qt::Key_Print, 0xF72E},
    {Qt::Key_ScrollLock, 0xF72F},
    {Qt::Key_Pause, PauseCharacter},
    {Qt::Key_SysReq, 0xF731},
    {Qt::Key_Menu, 0xF735},
    {Qt::Key_Clear, 0xF739},
    {Qt::Key_Help, 0xF746},
    {Qt::Key_Backspace, 0x7F},
    {Qt::Key_Enter, 0x03},
    {Qt::Key_Backtab, 0x19},
});

constexpr char32_t FirstFunctionKeyCharacter = 0xF704;

template <class Table, class Key>
const auto* find(const Table& table, Key key) {
    auto it =
        std::find_if(table.begin(), table.end(), [key](const auto& e) { return e.first == key; });
    return it == table.end() ? nullptr : &it->second;
}

bool isfunctionkey(int qtKey) {
    return qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35;
}

// Function keys, and the cursor and paging keys that carry the function flag alike.
bool carriesfunctionflag(int qtKey) {
    return isfunctionkey(qtKey) ||
           (qtKey != Qt::Key_Backspace && qtKey != Qt::Key_Enter && qtKey != Qt::Key_Backtab &&
            qtKey != Qt::Key_Pause && find(SpecialCharacters, qtKey) != nullptr);
}

Int bytable(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        const Int* code = find(KeypadKeys, qtKey);
        return code ? *code : UnlistedKeyCode;
    }
    const Int* code = find(QtKeys, qtKey);
    return code ? *code : UnlistedKeyCode;
}

} // namespace

KeySource platformkeysource() {
    const QString name = QGuiApplication::platformName();
    return name == "xcb" || name.startsWith("wayland") ? KeySource::ScanCode : KeySource::QtKey;
}

Int keycode(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode, KeySource source) {
    // Synthetic events carry no scan code; they are known by their Qt key only.
    if (source == KeySource::ScanCode && scanCode > 8) {
        const Int* code = find(ScanCodes, scanCode - 8);
        return code ? *code : UnlistedKeyCode;
    }
    return bytable(qtKey, modifiers);
}

QString keycharacters(int qtKey, const QString& text) {
    if (isfunctionkey(qtKey)) {
        const char32_t c = FirstFunctionKeyCharacter + static_cast<char32_t>(qtKey - Qt::Key_F1);
        return QString::fromUcs4(&c, 1);
    }
    if (const char32_t* c = find(SpecialCharacters, qtKey)) return QString::fromUcs4(c, 1);
    return text;
}

std::uint64_t modifierflags(Qt::KeyboardModifiers modifiers, bool capsLock, bool functionKey) {
    std::uint64_t flags = 0;
    if (capsLock) flags |= ModifierCapsLock;
    if (modifiers & Qt::ShiftModifier) flags |= ModifierShift;
    if (modifiers & Qt::ControlModifier) flags |= ModifierControl;
    if (modifiers & Qt::AltModifier) flags |= ModifierOption;
    if (modifiers & Qt::MetaModifier) flags |= ModifierCommand;
    if (modifiers & Qt::KeypadModifier) flags |= ModifierNumericPad;
    if (functionKey) flags |= ModifierFunction;
    return flags;
}

bool capslockon(const QKeyEvent& event) {
    constexpr quint32 LockMask = 0x2; // the X11 lock modifier, also used by xkb on Wayland
    return (event.nativeModifiers() & LockMask) != 0;
}

KeyInput keyinput(const QKeyEvent& event, KeySource source) {
    const int key = event.key();
    KeyInput input;
    input.KeyCode = keycode(key, event.modifiers(), event.nativeScanCode(), source);
    const char* digit = find(KeypadDigits, input.KeyCode);
    input.Characters =
        digit ? std::string(1, *digit) : keycharacters(key, event.text()).toStdString();
    input.ModifierFlags =
        modifierflags(event.modifiers(), capslockon(event), !digit && carriesfunctionflag(key));
    return input;
}

bool ismodifierkey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock: return true;
    default: return false;
    }
}

} // namespace mdx::qt
