#include "text/output.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <utility>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/checked_window.h"
#include "runtime/colours.h"
#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window_layer.h"
#include "text/cells.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

// One load and one test per printed line while nothing is installed.
bool outputPause(UInt8 code, bool wait) {
    const OutputPause pause = upcalls().PauseOutput.load(std::memory_order_relaxed);
    return pause && pause(code, wait);
}

// Decodes one Unicode scalar at `pos` and moves past it. A byte that does not start a complete,
// well-formed sequence (no overlong forms, surrogates or values above U+10FFFF) is one scalar of
// its own value.
std::uint32_t nextScalar(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<UInt8>(s[pos]);
    const int length = lead < 0x80    ? 1
                       : lead >= 0xF8 ? 0
                       : lead >= 0xF0 ? 4
                       : lead >= 0xE0 ? 3
                       : lead >= 0xC0 ? 2
                                      : 0;
    if (length <= 1 || pos + static_cast<std::size_t>(length) > s.size()) {
        ++pos;
        return lead;
    }
    std::uint32_t value = lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<UInt8>(s[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    static constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += static_cast<std::size_t>(length);
    return value;
}

// t_Print's checks; it has a line of its own for a window without a text font.
CheckedWindow printWindow(UInt8 window) {
    const CheckedWindow w = checkwindow("t_Print", window);
    if (w && w->Font.Data.empty()) {
        logline(std::string(w.routine()) + ": Window #" + std::to_string(window) +
                " has no text font.");
        return {w.routine(), window, nullptr};
    }
    return w;
}

void printUnit(const CheckedWindow& checked, std::uint32_t unit) {
    const UInt8 window = checked.number();
    t_Window& w = *checked;
    // Modes up to GraphicHalf (and the numbers below None, which act as None) carry control
    // codes out; the others draw them.
    if (unit < FirstPrintableCode &&
        w.TextDisplayMode <= static_cast<Int>(DisplayMode::GraphicHalf)) {
        // control-S holds the output before a new line
        if (unit == static_cast<std::uint32_t>(ControlCode::Return))
            outputPause(PauseKeyCode, true);
        t_PrintControl(window, static_cast<UInt8>(unit));
        return;
    }
    const DisplayTranslation t = t_ApplyDisplayMode(window, static_cast<Int>(unit));
    Int code = t.Code;
    if (code > 255) {
        if (w.TextDisplayMode == static_cast<Int>(DisplayMode::ControlColour)) t_Color(window, 1);
        code = '?';
    }
    if (code >= 0) {
        t_PrintSymbol(window, static_cast<UInt8>(code), w.TextColor, w.TextHpos, w.TextVpos);
        t_CursorRight(window);
    }
    w.TextInverse = t.Inverse;
    w.TextColor = t.Attribute;
}

void beep() {
    onMainThread([] { windowlayer().beep(); });
}

void setDisplayMode(t_Window& w, DisplayMode mode) {
    w.TextDisplayMode = static_cast<Int>(mode);
}

// Without a window to draw in, or with output redirected, a control code is passed on as a
// character instead of being carried out: then the answer is nullptr.
t_Window* controlWindow(UInt8 window, UInt8 code) {
    Runtime& r = rt();
    const OutputTarget target = redirectiontarget(r, window);
    t_Window* w = readywindow(r, window);
    if (w && target == OutputTarget::Window) return w;
    if (target == OutputTarget::StandardOutput)
        writeredirected(code);
    else if (target == OutputTarget::Window)
        lognotinitialized("t_PrintControl", window);
    return nullptr;
}

// Tab stops every `step` columns: fill with spaces up to the next stop, or when it lies beyond
// the screen, clear the rest of the line and go to the next one.
void tabulate(const CheckedWindow& w, Int step) {
    const Int next = (w->TextHpos / step + 1) * step + 1;
    if (next > w->TextWidth - w->TextFirstColumn + 1) {
        t_ClearEndOfLine(w.number());
        t_Cr(w.number());
    } else {
        t_PrintTab(w.number(), next, ' ');
    }
}

bool within(Int c, EscapeCommand first, EscapeCommand last) {
    return c >= static_cast<Int>(first) && c <= static_cast<Int>(last);
}

bool isEscapeCommand(Int c) {
    using enum EscapeCommand;
    return within(c, ForegroundFirst, BackgroundLast) || within(c, CursorEnd, LastColumn) ||
           within(c, Tab10, Tab40) || within(c, BorderFirst, BorderLast);
}

// The commands that act on the window; the colour commands only change the attribute returned.
void runEscape(const CheckedWindow& w, Int c) {
    const UInt8 window = w.number();
    switch (static_cast<EscapeCommand>(c)) {
        using enum EscapeCommand;
    case CursorEnd: t_CursorEnd(window); break;
    case LastColumn: t_Htab(window, w->TextWidth - w->TextFirstColumn + 1); break;
    case Tab10: tabulate(w, 10); break;
    case Tab20: tabulate(w, 20); break;
    case Tab40: tabulate(w, 40); break;
    default:
        if (within(c, BorderFirst, BorderLast))
            t_ColorBorder(window, c - static_cast<Int>(BorderFirst));
        break;
    }
}

DisplayTranslation escape(const CheckedWindow& w, Int c, bool inverse, UInt8 attribute) {
    if (!isEscapeCommand(c)) return {c, inverse, attribute}; // drawn; the mode stays
    // Back to mode 0 before the command runs: tab commands print spaces through the display mode.
    setDisplayMode(*w, DisplayMode::None);
    using enum EscapeCommand;
    if (within(c, ForegroundFirst, ForegroundLast)) {
        const Int colour = c - static_cast<Int>(ForegroundFirst);
        return {-1, inverse, static_cast<UInt8>((attribute & 15) | colour << 4)};
    }
    if (within(c, BackgroundFirst, BackgroundLast)) {
        const Int colour = c - static_cast<Int>(BackgroundFirst);
        return {-1, inverse, static_cast<UInt8>((attribute & 0xF0) | colour)};
    }
    runEscape(w, c);
    return {-1, inverse, attribute};
}

Int translate(UInt8 window, Int mode, Int c) {
    switch (static_cast<DisplayMode>(mode)) {
    case DisplayMode::UpperHalf: return c >= 32 && c <= 127 ? c + 128 : c;
    case DisplayMode::GraphicHalf:
        return c >= 96 && c <= 127 ? c + 32 : c >= 64 && c <= 95 ? c - 64 : c;
    case DisplayMode::ControlInverse:
        if (c >= FirstPrintableCode) return c;
        t_Inverse(window);
        return c + 64;
    case DisplayMode::ControlColour:
        if (c >= FirstPrintableCode) return c;
        t_Color(window, 1);
        return c + 64;
    default: return c;
    }
}

} // namespace

void t_PrintChar(UInt8 window, UInt8 code) {
    const CheckedWindow w = checkwindow("t_PrintChar", window);
    if (!w) return;
    const DisplayTranslation t = t_ApplyDisplayMode(window, code);
    if (t.Code >= 0 && t.Code <= 255) {
        t_PrintSymbol(window, static_cast<UInt8>(t.Code), w->TextColor, w->TextHpos, w->TextVpos);
        t_CursorRight(window);
    }
    w->TextInverse = t.Inverse;
    w->TextColor = t.Attribute;
}

void t_Print(UInt8 window, std::string_view text) {
    const CheckedWindow w = printWindow(window);
    if (!w) return;
    for (std::size_t pos = 0; pos < text.size();)
        printUnit(w, nextScalar(text, pos));
    outputPause(PauseKeyCode, true);
}

void t_Print(UInt8 window, const std::string& text) {
    t_Print(window, std::string_view(text));
}

void t_Print(UInt8 window, const char* text) {
    t_Print(window, std::string_view(text ? text : ""));
}

void t_Print(UInt8 window, const Text& text) {
    const CheckedWindow w = printWindow(window);
    if (!w) return;
    for (UInt8 byte : text.Elements)
        printUnit(w, byte);
    outputPause(PauseKeyCode, true);
}

DisplayTranslation t_ApplyDisplayMode(UInt8 window, Int code) {
    const CheckedWindow w = checkwindow("t_ApplyDisplayMode", window);
    if (!w) return {-2, false, 0xF0};
    const bool inverse = w->TextInverse;
    const UInt8 attribute = w->TextColor;
    const Int mode = w->TextDisplayMode;
    if (mode == static_cast<Int>(DisplayMode::Escape)) return escape(w, code, inverse, attribute);
    return {translate(window, mode, code), inverse, attribute};
}

void t_PrintControl(UInt8 window, UInt8 code) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_PrintControl");
        return;
    }
    t_Window* w = controlWindow(window, code);
    if (!w) return;
    switch (static_cast<ControlCode>(code)) {
        using enum ControlCode;
    case Bell: beep(); break;
    case CursorLeft: t_CursorLeft(window); break;
    case Tab: break;
    case CursorDown: t_CursorDown(window); break;
    case ClearToEndOfWindow: t_ClearEndOfWindow(window); break;
    case ClearWindow:
        t_CursorHome(window);
        t_ClearEndOfWindow(window);
        break;
    case Return: t_Cr(window); break;
    case Normal: t_Normal(window); break;
    case Inverse: t_Inverse(window); break;
    case Reverse: t_Reverse(window); break;
    case FirstColumn: t_Htab(window, 1); break;
    case ModeNone: setDisplayMode(*w, DisplayMode::None); break;
    case ModeUpperHalf: setDisplayMode(*w, DisplayMode::UpperHalf); break;
    case ScrollDown: t_ScrollDown(window); break;
    case ScrollUp: t_ScrollUp(window); break;
    case Home: t_CursorHome(window); break;
    case ClearLine:
        t_Htab(window, 1);
        t_ClearEndOfLine(window);
        break;
    case Escape: setDisplayMode(*w, DisplayMode::Escape); break;
    case CursorRight: t_CursorRight(window); break;
    case ClearToEndOfLine: t_ClearEndOfLine(window); break;
    case CursorUp: t_CursorUp(window); break;
    case ModeGraphicHalf: setDisplayMode(*w, DisplayMode::GraphicHalf); break;
    default: break; // the unused codes, 0 to 6 and printable codes
    }
}

void t_PrintTab(UInt8 window, Int column, UInt8 fill) {
    const CheckedWindow w = checkwindow("t_PrintTab", window);
    if (!w || column <= w->TextHpos) return;
    // A full screen of fill shows all there is to show; a far-off column must not keep the
    // program printing for ever.
    const Int count = std::min(column - w->TextHpos, w->TextWidth * w->TextHeight);
    for (Int i = 0; i < count; ++i)
        t_PrintChar(window, fill);
}

} // namespace mdx
