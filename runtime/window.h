// The window record of a graphic window, the 16-colour palette and the window lookups.
#pragma once

#include <array>
#include <string>

#include "base/types.h"
#include "runtime/font.h"

namespace mdx {

// One graphic window. Fields that other threads read while the program thread works
// (the views and the refresh thread) are Shared: each is read and written as a whole.
struct t_Window {
    Shared<bool> Initialized = false;
    Shared<bool> Visible = false;
    Shared<bool> IgnoreEvents = false;
    Shared<bool> AutoUpdate = false;
    Shared<bool> QuickUpdate = false;
    Shared<bool> ScrollLock = false;
    Shared<bool> VerticalBlank = true;
    Shared<Int> UpdateStarted = 0;
    Shared<Int> UpdateFinished = 0;
    Shared<Int> UpdateDuration = 0;
    Shared<Int> RefreshRate = 30;
    Handle Window;
    Handle View;
    Rect DrawingRect;
    Shared<Int> TitleHeight = 0;
    Int BorderWidth = 0;
    Int BorderHeight = 0;
    t_RGBColor RGBColorBorder;
    // The picture's geometry: depth, size and graphic block. The image reads it while the
    // program thread may initialise the window again, so each field is Shared and every change
    // runs between two steps of GeometryGeneration (odd while the fields change): a reader that
    // sees the same even count before and after its reads has one consistent geometry.
    Shared<Int> GeometryGeneration = 0;
    Shared<Int> BitDepth = 0;
    Shared<Int> Width = 0;
    Shared<Int> Height = 0;
    t_RGBColor RGBColor;
    Int DrawingMode = 0;
    Int PositionX = 0;
    Int PositionY = 0;
    Shared<Int> MemoryStart = -1;
    Shared<Int> MemoryEnd = -1;
    t_Font Font;
    Int TextWidth = 0;
    Int TextHeight = 0;
    Int TextFirstColumn = 0;
    Int TextLastColumn = 0;
    Int TextFirstLine = 0;
    Int TextLastLine = 0;
    Int TextHpos = 0;
    Int TextVpos = 0;
    UInt8 TextColor = 0;
    bool TextInverse = false;
    Int TextDisplayMode = 0; // a DisplayMode value, or another number that acts as None
    Int TextCursorLevel = 0;
    Shared<Int> TextRedirectOutput = 1; // an OutputTarget value; set by keys on the main thread too
    std::string InputString;
    bool InputFinished = false;
    Int InputMode = 0;
    Int InputHpos = 0;
    Int InputVpos = 0;
    Int InputCursorPos = 0;
    Int InputMaxCharacters = 0;
    Int LoResOffsetX = 0;
    Int LoResOffsetY = 0;
    Int LoResMode = 0;
    Int TextMemoryStart = -1;
    Int TextMemoryEnd = -1;
};

inline constexpr int GraphicWindowCount = 8;

// A cell of a window's text screen: column and line, each counted from 1 and each of its own
// type, so that a swapped pair does not compile.
struct TextColumn {
    Int Value = 0;
};
struct TextLine {
    Int Value = 0;
};
struct Cell {
    TextColumn Column;
    TextLine Line;
};

// What t_Window::TextDisplayMode does to a code before it is drawn; values not named here act as
// None.
enum class DisplayMode : Int {
    None = 0,
    UpperHalf = 1,      // 32..127 move up by 128
    GraphicHalf = 2,    // 64..127 move into the graphic glyphs
    ControlInverse = 3, // control codes drawn as inverse letters
    ControlColour = 4,  // control codes drawn as letters in colour 1
    Escape = 99,        // the next code is an escape command
};

// Where t_Window::TextRedirectOutput sends printed characters.
enum class OutputTarget : Int {
    Nowhere = 0, // every setting but the two below
    Window = 1,
    StandardOutput = 2,
};
// The target a TextRedirectOutput setting names.
constexpr OutputTarget outputtarget(Int setting) {
    if (setting == static_cast<Int>(OutputTarget::Window)) return OutputTarget::Window;
    if (setting == static_cast<Int>(OutputTarget::StandardOutput))
        return OutputTarget::StandardOutput;
    return OutputTarget::Nowhere;
}

// The 16-colour palette as three tables indexed alike.
inline constexpr std::array<UInt8, 16> Palette16Red{0,   255, 0,   255, 0, 84,  0, 0,
                                                    128, 255, 168, 255, 0, 255, 0, 255};
inline constexpr std::array<UInt8, 16> Palette16Green{0,  0,   0,   0,   128, 84,  0,   128,
                                                      64, 128, 168, 128, 255, 255, 255, 255};
inline constexpr std::array<UInt8, 16> Palette16Blue{0, 0, 128, 255, 0, 84, 255, 255,
                                                     0, 0, 168, 128, 0, 0,  255, 255};

// Opaque palette colour for 0..15, opaque black for every other index.
t_RGBColor t_ColorIndexToRGB(Int index);
// Euclidean remainder by 16: a palette index for any colour number.
Int colourindex(Int color);

// The view of graphic window 0..7 and the window object of 0..12, looked up on the main thread.
Handle t_WindowView(UInt8 window);
Handle t_WindowObject(UInt8 window);

} // namespace mdx
