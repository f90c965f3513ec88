#include "text/cursor.h"

#include "runtime/checked_window.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

// One line down; the region scrolls up at its bottom line.
void lineDown(const CheckedWindow& w) {
    w->TextVpos = w->TextVpos + 1;
    if (w->TextVpos > w->TextLastLine) {
        t_ScrollUp(w.number());
        w->TextVpos = w->TextVpos - 1;
    }
}

} // namespace

void t_Htab(UInt8 window, Int column) {
    const CheckedWindow w = checkwindow("t_Htab", window);
    if (!w || column < 1 || column > w->TextWidth) return;
    const Int target = column + w->TextFirstColumn - 1;
    if (target <= w->TextWidth) w->TextHpos = target;
}

void t_Vtab(UInt8 window, Int line) {
    const CheckedWindow w = checkwindow("t_Vtab", window);
    if (w && line >= 1 && line <= w->TextHeight) w->TextVpos = line;
}

void t_CursorHome(UInt8 window) {
    if (const CheckedWindow w = checkwindow("t_CursorHome", window)) {
        w->TextHpos = w->TextFirstColumn;
        w->TextVpos = w->TextFirstLine;
    }
}

void t_CursorEnd(UInt8 window) {
    if (const CheckedWindow w = checkwindow("t_CursorEnd", window)) {
        w->TextHpos = w->TextLastColumn;
        w->TextVpos = w->TextLastLine;
    }
}

void t_CursorUp(UInt8 window) {
    const CheckedWindow w = checkwindow("t_CursorUp", window);
    if (!w) return;
    w->TextVpos = w->TextVpos - 1;
    if (w->TextVpos < w->TextFirstLine) {
        t_ScrollDown(window);
        w->TextVpos = w->TextVpos + 1;
    }
}

void t_CursorDown(UInt8 window) {
    if (const CheckedWindow w = checkwindow("t_CursorDown", window)) lineDown(w);
}

void t_CursorLeft(UInt8 window) {
    const CheckedWindow w = checkwindow("t_CursorLeft", window);
    if (!w) return;
    w->TextHpos = w->TextHpos - 1;
    if (w->TextHpos < w->TextFirstColumn) {
        w->TextHpos = w->TextLastColumn;
        t_CursorUp(window);
    }
}

void t_CursorRight(UInt8 window) {
    const CheckedWindow w = checkwindow("t_CursorRight", window);
    if (!w) return;
    w->TextHpos = w->TextHpos + 1;
    if (w->TextHpos > w->TextLastColumn) t_Cr(window);
}

void t_Cr(UInt8 window) {
    if (const CheckedWindow w = checkwindow("t_Cr", window)) {
        w->TextHpos = w->TextFirstColumn;
        lineDown(w);
    }
}

} // namespace mdx
