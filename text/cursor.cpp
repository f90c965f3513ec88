#include "text/cursor.h"

#include <algorithm>

#include "base/log.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

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

} // namespace

void t_Htab(UInt8 window, Int column) {
    if (!checktextwindow("t_Htab", window)) return;
    t_Window& w = record(window);
    if (column < 1 || column > w.TextWidth) return;
    const Int target = column + w.TextFirstColumn - 1;
    if (target <= w.TextWidth) w.TextHpos = target;
}

void t_Vtab(UInt8 window, Int line) {
    if (!checktextwindow("t_Vtab", window)) return;
    t_Window& w = record(window);
    if (line >= 1 && line <= w.TextHeight) w.TextVpos = line;
}

void t_CursorHome(UInt8 window) {
    if (!checktextwindow("t_CursorHome", window)) return;
    t_Window& w = record(window);
    w.TextHpos = w.TextFirstColumn;
    w.TextVpos = w.TextFirstLine;
}

void t_CursorEnd(UInt8 window) {
    if (!checktextwindow("t_CursorEnd", window)) return;
    t_Window& w = record(window);
    w.TextHpos = w.TextLastColumn;
    w.TextVpos = w.TextLastLine;
}

void t_CursorUp(UInt8 window) {
    if (!checktextwindow("t_CursorUp", window)) return;
    t_Window& w = record(window);
    w.TextVpos = w.TextVpos - 1;
    if (w.TextVpos < w.TextFirstLine) {
        t_ScrollDown(window);
        w.TextVpos = w.TextVpos + 1;
    }
}

void t_CursorDown(UInt8 window) {
    if (!checktextwindow("t_CursorDown", window)) return;
    t_Window& w = record(window);
    w.TextVpos = w.TextVpos + 1;
    if (w.TextVpos > w.TextLastLine) {
        t_ScrollUp(window);
        w.TextVpos = w.TextVpos - 1;
    }
}

void t_CursorLeft(UInt8 window) {
    if (!checktextwindow("t_CursorLeft", window)) return;
    t_Window& w = record(window);
    w.TextHpos = w.TextHpos - 1;
    if (w.TextHpos < w.TextFirstColumn) {
        w.TextHpos = w.TextLastColumn;
        t_CursorUp(window);
    }
}

void t_CursorRight(UInt8 window) {
    if (!checktextwindow("t_CursorRight", window)) return;
    t_Window& w = record(window);
    w.TextHpos = w.TextHpos + 1;
    if (w.TextHpos > w.TextLastColumn) t_Cr(window);
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
