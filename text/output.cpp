#include "text/output.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <utility>

#include "base/kwtools.h"
#include "base/log.h"
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
bool outputpause(UInt8 code, bool wait) {
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
bool printReady(UInt8 window) {
    if (!checktextwindow("t_Print", window)) return false;
    if (rt().WindowTable[window].Font.Data.empty()) {
        logline("t_Print: Window #" + std::to_string(window) + " has no text font.");
        return false;
    }
    return true;
}

void printUnit(UInt8 window, std::uint32_t unit) {
    t_Window& w = rt().WindowTable[window];
    if (unit < 32 && w.TextDisplayMode <= 2) {
        if (unit == 13) outputpause(19, true); // control-S holds the output before a new line
        t_PrintControl(window, static_cast<UInt8>(unit));
        return;
    }
    const DisplayTranslation t = t_ApplyDisplayMode(window, static_cast<Int>(unit));
    Int code = t.Code;
    if (code > 255) {
        if (w.TextDisplayMode == 4) t_Color(window, 1);
        code = '?';
    }
    if (code >= 0) {
        t_PrintSymbol(window, static_cast<UInt8>(code), w.TextColor, w.TextHpos, w.TextVpos);
        t_CursorRight(window);
    }
    w.TextInverse = t.Inverse;
    w.TextColor = t.Attribute;
}

t_Window& record(UInt8 window) {
    return rt().WindowTable[window];
}

void beep() {
    onMainThread([] { windowlayer().beep(); });
}

void setDisplayMode(UInt8 window, Int mode) {
    record(window).TextDisplayMode = mode;
}

// Without a window to draw in, or with output redirected, a control code is passed on as a
// character instead of being carried out.
bool controlExecutes(UInt8 window, UInt8 code) {
    const Runtime& r = rt();
    const Int redirect = r.WindowTable.size() == GraphicWindowCount
                             ? r.WindowTable[window].TextRedirectOutput.load()
                             : 1;
    if (textwindowready(window) && redirect == 1) return true;
    if (redirect == 2)
        writeredirected(code);
    else if (redirect == 1)
        lognotinitialized("t_PrintControl", window);
    return false;
}

constexpr Int EscapeMode = 99;

// Tab stops every `step` columns: fill with spaces up to the next stop, or when it lies beyond
// the screen, clear the rest of the line and go to the next one.
void tabulate(UInt8 window, Int step) {
    const t_Window& w = rt().WindowTable[window];
    const Int next = (w.TextHpos / step + 1) * step + 1;
    if (next > w.TextWidth - w.TextFirstColumn + 1) {
        t_ClearEndOfLine(window);
        t_Cr(window);
    } else {
        t_PrintTab(window, next, ' ');
    }
}

bool isEscapeCommand(Int c) {
    return (c >= 64 && c <= 95) || c == 101 || c == 102 || (c >= 105 && c <= 107) ||
           (c >= 110 && c <= 127);
}

// The commands that act on the window; the colour commands only change the attribute returned.
void runEscape(UInt8 window, Int c) {
    const t_Window& w = rt().WindowTable[window];
    switch (c) {
    case 101: t_CursorEnd(window); break;
    case 102: t_Htab(window, w.TextWidth - w.TextFirstColumn + 1); break;
    case 105: tabulate(window, 10); break;
    case 106: tabulate(window, 20); break;
    case 107: tabulate(window, 40); break;
    default:
        if (c >= 110) t_ColorBorder(window, c - 110); // 126 and 127 wrap round to colours 0, 1
        break;
    }
}

DisplayTranslation escape(UInt8 window, Int c, bool inverse, UInt8 attribute) {
    if (!isEscapeCommand(c)) return {c, inverse, attribute}; // drawn; the mode stays
    // Back to mode 0 before the command runs: tab commands print spaces through the display mode.
    rt().WindowTable[window].TextDisplayMode = 0;
    if (c <= 79) return {-1, inverse, static_cast<UInt8>((attribute & 15) | (c - 64) << 4)};
    if (c <= 95) return {-1, inverse, static_cast<UInt8>((attribute & 0xF0) | (c - 80))};
    runEscape(window, c);
    return {-1, inverse, attribute};
}

Int translate(UInt8 window, Int mode, Int c) {
    switch (mode) {
    case 1: return c >= 32 && c <= 127 ? c + 128 : c;
    case 2: return c >= 96 && c <= 127 ? c + 32 : c >= 64 && c <= 95 ? c - 64 : c;
    case 3:
        if (c > 31) return c;
        t_Inverse(window);
        return c + 64;
    case 4:
        if (c > 31) return c;
        t_Color(window, 1);
        return c + 64;
    default: return c;
    }
}

} // namespace

void t_PrintChar(UInt8 window, UInt8 code) {
    if (!checktextwindow("t_PrintChar", window)) return;
    t_Window& w = rt().WindowTable[window];
    const DisplayTranslation t = t_ApplyDisplayMode(window, code);
    if (t.Code >= 0 && t.Code <= 255) {
        t_PrintSymbol(window, static_cast<UInt8>(t.Code), w.TextColor, w.TextHpos, w.TextVpos);
        t_CursorRight(window);
    }
    w.TextInverse = t.Inverse;
    w.TextColor = t.Attribute;
}

void t_Print(UInt8 window, std::string_view text) {
    if (!printReady(window)) return;
    for (std::size_t pos = 0; pos < text.size();)
        printUnit(window, nextScalar(text, pos));
    outputpause(19, true);
}

void t_Print(UInt8 window, const std::string& text) {
    t_Print(window, std::string_view(text));
}

void t_Print(UInt8 window, const char* text) {
    t_Print(window, std::string_view(text ? text : ""));
}

void t_Print(UInt8 window, const Text& text) {
    if (!printReady(window)) return;
    for (UInt8 byte : text.Elements)
        printUnit(window, byte);
    outputpause(19, true);
}

DisplayTranslation t_ApplyDisplayMode(UInt8 window, Int code) {
    if (!checktextwindow("t_ApplyDisplayMode", window)) return {-2, false, 0xF0};
    const t_Window& w = rt().WindowTable[window];
    const bool inverse = w.TextInverse;
    const UInt8 attribute = w.TextColor;
    const Int mode = w.TextDisplayMode;
    if (mode == EscapeMode) return escape(window, code, inverse, attribute);
    return {translate(window, mode, code), inverse, attribute};
}

void t_PrintControl(UInt8 window, UInt8 code) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_PrintControl");
        return;
    }
    if (!controlExecutes(window, code)) return;
    switch (code) {
    case 7: beep(); break;
    case 8: t_CursorLeft(window); break;
    case 9: break; // tabulation is t_PrintTab's and the escape commands' work
    case 10: t_CursorDown(window); break;
    case 11: t_ClearEndOfWindow(window); break;
    case 12:
        t_CursorHome(window);
        t_ClearEndOfWindow(window);
        break;
    case 13: t_Cr(window); break;
    case 14: t_Normal(window); break;
    case 15: t_Inverse(window); break;
    case 16: break; // unused
    case 17: t_Reverse(window); break;
    case 18: t_Htab(window, 1); break;
    case 19: setDisplayMode(window, 0); break;
    case 20: setDisplayMode(window, 1); break;
    case 21: break; // unused
    case 22: t_ScrollDown(window); break;
    case 23: t_ScrollUp(window); break;
    case 24: break; // unused
    case 25: t_CursorHome(window); break;
    case 26:
        t_Htab(window, 1);
        t_ClearEndOfLine(window);
        break;
    case 27: setDisplayMode(window, 99); break; // the next character is an escape command
    case 28: t_CursorRight(window); break;
    case 29: t_ClearEndOfLine(window); break;
    case 30: t_CursorUp(window); break;
    case 31: setDisplayMode(window, 2); break;
    default: break; // 0 to 6 and printable codes
    }
}

void t_PrintTab(UInt8 window, Int column, UInt8 fill) {
    if (!checktextwindow("t_PrintTab", window)) return;
    const t_Window& w = record(window);
    if (column <= w.TextHpos) return;
    // A full screen of fill shows all there is to show; a far-off column must not keep the
    // program printing for ever.
    const Int count = std::min(column - w.TextHpos, w.TextWidth * w.TextHeight);
    for (Int i = 0; i < count; ++i)
        t_PrintChar(window, fill);
}

} // namespace mdx
