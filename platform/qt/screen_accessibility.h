// The character screen of a graphic window for assistive technology (screen readers and
// magnifiers on the accessibility bus): the view is a read-only text whose lines are the screen's
// lines as "Text kopieren" reads them (with its graphic characters made plain, as saving makes
// them: a screen reader cannot speak the runtime's private frame pieces), whose caret is the cursor
// and whose name is the window's title. The text follows the screen at most at the window's refresh
// rate, only when it really changed, and a screen that has come to rest is announced once in the
// view's description.
//
// Nothing here runs while no assistive technology listens (QAccessible::isActive() is false):
// the views are then asked for nothing and tell nothing.
#pragma once

#include <QString>

class QAccessibleEvent;

#include "base/types.h"

namespace mdx::qt {

class GraphicView;

// The screen as the accessible text gives it: lines ended by line feeds, graphic characters
// made plain, and the cursor's offset in that text.
struct ScreenText {
    QString Text;
    int Caret = 0;
    Int Columns = 0; // the size of the character grid, for character positions on the screen
    Int Lines = 0;
    bool operator==(const ScreenText&) const = default;
};

// Window's screen now; empty when the window has no character grid.
ScreenText readscreentext(UInt8 window);

// The offset of a cell (0-based line and column) in a screen text; a cell right of its line's
// end counts as the line's end, a line below the text as the text's end.
int celloffset(const QString& text, Int line, Int column);

// The part of before that after replaces: from Position, Removed gives way to Inserted.
struct TextChange {
    int Position = 0;
    QString Removed;
    QString Inserted;
    bool operator==(const TextChange&) const = default;
};
TextChange textchange(const QString& before, const QString& after);

// What is announced once a screen has come to rest: its first line that is not blank, with runs
// of spaces made one.
QString restingannouncement(const QString& text);

// Gives graphic views their accessible interface. Call once a QApplication exists; later calls
// do nothing.
void installscreenaccessibility();

// The views' events go to Qt's accessibility while it is active, or to a receiver that a test sets
// in place of the platform's bridge (the offscreen platform has none: Qt never listens there).
using ScreenEventReceiver = void (*)(QAccessibleEvent* event);
void setscreeneventreceiver(ScreenEventReceiver standIn);

// The view drew a new picture: its text may have changed.
void screenmaychange(GraphicView& view);

// The view's window has a new title, which is the view's name.
void titlechanged(GraphicView& view);

} // namespace mdx::qt
