#include "text/display.h"

#include "base/log.h"
#include "runtime/colours.h"
#include "runtime/state.h"
#include "text/cursor.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

// The setters need an initialised window; unlike the printing routines, not a text block.
t_Window* setterWindow(std::string_view routine, UInt8 window) {
    if (window >= GraphicWindowCount) {
        lognotgraphic(routine);
        return nullptr;
    }
    if (!windowready(window)) {
        lognotinitialized(routine, window);
        return nullptr;
    }
    return &rt().WindowTable[window];
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

void t_Inverse(UInt8 window) {
    if (t_Window* w = setterWindow("t_Inverse", window)) w->TextInverse = true;
}

void t_Normal(UInt8 window) {
    if (t_Window* w = setterWindow("t_Normal", window)) w->TextInverse = false;
}

void t_Reverse(UInt8 window) {
    if (t_Window* w = setterWindow("t_Reverse", window)) w->TextInverse = !w->TextInverse;
}

void t_Color(UInt8 window, Int color) {
    t_Window* w = setterWindow("t_Color", window);
    if (!w) return;
    const Int index = colourindex(color);
    w->TextColor = static_cast<UInt8>((w->TextColor & 15) | index << 4);
    w->RGBColor = t_ColorIndexToRGB(index);
}

void t_DisplayMode(UInt8 window, Int mode) {
    if (t_Window* w = setterWindow("t_DisplayMode", window)) w->TextDisplayMode = mode;
}

void t_RedirectOutput(UInt8 window, Int target) {
    if (t_Window* w = setterWindow("t_RedirectOutput", window)) w->TextRedirectOutput = target;
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

} // namespace mdx
