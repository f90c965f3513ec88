#include "text/cursor.h"

#include <algorithm>

#include "base/log.h"
#include "runtime/state.h"
#include "text/cells.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

t_Window& record(UInt8 window) {
    return rt().WindowTable[window];
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

void t_Cr(UInt8 window) {
    if (!checktextwindow("t_Cr", window)) return;
    t_Window& w = rt().WindowTable[window];
    w.TextHpos = w.TextFirstColumn;
    w.TextVpos = w.TextVpos + 1;
    if (w.TextVpos > w.TextLastLine) {
        t_ScrollUp(window);
        w.TextVpos = w.TextVpos - 1;
    }
}

} // namespace mdx
