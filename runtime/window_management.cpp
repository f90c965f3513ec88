#include "runtime/window_management.h"

#include "base/log.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"

namespace mdx {
namespace {

bool isgraphic(UInt8 window) {
    return window < GraphicWindowCount;
}

bool istextwindow(UInt8 window) {
    return window >= PasteboardWindowNumber && window <= SystemConsoleWindowNumber;
}

void beep() {
    onMainThread([] { windowlayer().beep(); });
}

// A text window whose text view is missing: reported, with the warning sound.
bool textviewmissing(UInt8 window) {
    bool present = false;
    onMainThread([&] { present = windowlayer().hasTextView(window); });
    if (present) return false;
    static const char* const names[] = {"Pasteboard", "Virtual printer", "System console"};
    logline(std::string("t_WindowVisible: ") + names[window - PasteboardWindowNumber] +
            " window is nil, resource undefined.");
    beep();
    return true;
}

// Showing the pasteboard window fills it with the pasteboard's text, "" when it holds none.
void showtextwindow(UInt8 window, Handle object) {
    WindowLayer& layer = windowlayer();
    if (window == PasteboardWindowNumber) layer.setText(window, layer.pasteboardText());
    layer.orderFront(object);
}

// The record follows before the window is ordered, so that a view drawn at once draws the
// picture; a hidden window's conversion time no longer counts.
void markvisible(UInt8 window, bool visible) {
    Runtime& r = rt();
    if (!isgraphic(window) || !r.MemoryInitialized) return;
    t_Window& w = *windowrecord(r, window);
    w.Visible = visible;
    if (!visible) w.UpdateDuration = 0;
    markchanged(r, window);
}

// Text windows keep their text view's scroll view 40 points narrower and 77 points lower than
// the size asked for; a dimension given as -1 stays as it is.
void sizetextwindow(UInt8 window, Handle object, Rect frame, Int width, Int height) {
    WindowLayer& layer = windowlayer();
    if (layer.isVisible(object)) layer.orderFront(object);
    layer.setFrame(object, frame);
    layer.setScrollViewSize(window, width == -1 ? -1.0 : static_cast<double>(width - 40),
                            height == -1 ? -1.0 : static_cast<double>(height - 77));
}

// The frame size and the border and title values that the geometry items are computed from.
struct FrameMeasures {
    Int W = 0;
    Int H = 0;
    Int BorderWidth = 0;
    Int BorderHeight = 0;
    Int TitleHeight = 0;
    bool FromRecord = false;
};

FrameMeasures framemeasures(UInt8 window, Handle object) {
    Runtime& r = rt();
    FrameMeasures g;
    if (isgraphic(window) && r.MemoryInitialized) {
        const t_Window& w = *windowrecord(r, window);
        g.BorderWidth = w.BorderWidth;
        g.BorderHeight = w.BorderHeight;
        g.TitleHeight = w.TitleHeight;
        g.W = w.Width + 2 * w.BorderWidth;
        g.H = w.Height + 2 * w.BorderHeight + g.TitleHeight;
        g.FromRecord = true;
        return g;
    }
    Rect frame;
    onMainThread([&] { frame = windowlayer().frame(object); });
    g.W = static_cast<Int>(frame.width);
    g.H = static_cast<Int>(frame.height);
    g.TitleHeight = r.TitleBarHeight;
    return g;
}

// Items 0..7: the text area of a graphic window, the frame for every other window.
Int textitem(UInt8 window, WindowItem item, const FrameMeasures& g) {
    using enum WindowItem;
    if (isgraphic(window)) {
        if (!g.FromRecord) return 0;
        const t_Window& w = *windowrecord(rt(), window);
        switch (item) {
        case TextFirstColumn: return w.TextFirstColumn;
        case TextFirstLine: return w.TextFirstLine;
        case TextLastColumn: return w.TextLastColumn;
        case TextLastLine: return w.TextLastLine;
        case TextColumns: return w.TextLastColumn - w.TextFirstColumn + 1;
        case TextLines: return w.TextLastLine - w.TextFirstLine + 1;
        case TextWidth: return w.TextWidth;
        default: return w.TextHeight;
        }
    }
    switch (item) {
    case TextFirstColumn:
    case TextFirstLine: return 0;
    case TextLastColumn: return g.W - 1;
    case TextLastLine: return g.H - 1;
    default: return static_cast<Int>(item) % 2 == 0 ? g.W : g.H;
    }
}

Int screenitem(Handle object, WindowItem item, Int H) {
    using enum WindowItem;
    Rect frame;
    Size screen;
    onMainThread([&] {
        frame = windowlayer().frame(object);
        screen = windowlayer().screenSize(object);
    });
    switch (item) {
    case FrameX: return static_cast<Int>(frame.x);
    case FrameTopFromScreenTop: return static_cast<Int>(screen.height - frame.y) - H;
    case ScreenWidth: return static_cast<Int>(screen.width);
    case ScreenHeight: return static_cast<Int>(screen.height);
    default: return static_cast<Int>(frame.y);
    }
}

} // namespace

Int t_WindowPos(UInt8 window, Int item) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowPos");
        return 0;
    }
    if (item < static_cast<Int>(WindowItem::TextFirstColumn) ||
        item > static_cast<Int>(WindowItem::FrameY))
        return 0;
    const FrameMeasures g = framemeasures(window, object);
    const bool graphic = isgraphic(window);
    switch (static_cast<WindowItem>(item)) {
        using enum WindowItem;
    case DrawingWidth: return graphic ? g.W - 2 * g.BorderWidth : g.W;
    case DrawingHeight: return g.H - g.TitleHeight - 2 * g.BorderHeight;
    case FrameWidth: return g.W;
    case FrameHeightBelowTitle: return g.H - g.TitleHeight;
    case FrameHeight: return g.H;
    case FrameX:
    case FrameTopFromScreenTop:
    case ScreenWidth:
    case ScreenHeight:
    case FrameY: return screenitem(object, static_cast<WindowItem>(item), g.H);
    case TitleHeight: return g.TitleHeight;
    case BorderWidth: return g.BorderWidth;
    case BorderHeight: return g.BorderHeight;
    default: return textitem(window, static_cast<WindowItem>(item), g);
    }
}

void t_WindowSize(UInt8 window, Int x, Int y, Int width, Int height) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowSize");
        return;
    }
    if (isgraphic(window) && !windowready(window)) {
        lognotinitialized("t_WindowSize", window);
        return;
    }
    const Int askedWidth = width;
    const Int askedHeight = height;
    if (x == -1) x = t_WindowPos(window, WindowItem::FrameX);
    if (y == -1) y = t_WindowPos(window, WindowItem::FrameY);
    if (width == -1) width = t_WindowPos(window, WindowItem::DrawingWidth);
    if (height == -1) height = t_WindowPos(window, WindowItem::DrawingHeight);

    auto d = [](Int v) { return static_cast<double>(v); };
    if (isgraphic(window)) {
        const t_Window& w = *windowrecord(rt(), window);
        Rect frame{d(x), d(y), d(width + 2 * w.BorderWidth),
                   d(height + 2 * w.BorderHeight + w.TitleHeight)};
        Rect viewFrame{d(w.BorderWidth), d(w.BorderHeight), d(width), d(height)};
        Handle view = t_WindowView(window);
        onMainThread([&] {
            windowlayer().setFrame(object, frame);
            if (view) windowlayer().setViewFrame(view, viewFrame);
        });
        markchanged(window);
        return;
    }
    Rect frame{d(x), d(y), d(width), d(height + rt().TitleBarHeight)};
    if (istextwindow(window)) {
        onMainThread([&] { sizetextwindow(window, object, frame, askedWidth, askedHeight); });
        return;
    }
    onMainThread([&] { windowlayer().setFrame(object, frame); });
}

void t_WindowCenter(UInt8 window) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowCenter");
        return;
    }
    onMainThread([&] { windowlayer().center(object); });
}

void t_WindowFront(UInt8 window) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowFront");
        return;
    }
    onMainThread([&] { windowlayer().makeKeyAndOrderFront(object); });
}

void t_WindowVisible(UInt8 window, bool visible) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowVisible");
        return;
    }
    if (istextwindow(window) && textviewmissing(window)) return;
    markvisible(window, visible);
    onMainThread([&] {
        if (!visible)
            windowlayer().orderOut(object);
        else if (istextwindow(window))
            showtextwindow(window, object);
        else
            windowlayer().orderFront(object);
    });
}

void t_WindowTitle(UInt8 window, const std::string& title) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowTitle");
        return;
    }
    WindowLayer& layer = windowlayer();
    if (layer.isMainThread())
        layer.setTitle(object, title);
    else
        layer.runOnMain([object, title] { windowlayer().setTitle(object, title); }, false);
}

void t_WindowTitleVisible(UInt8 window, bool visible) {
    Handle object = t_WindowObject(window);
    if (!object) {
        lognowindow("t_WindowTitleVisible");
        return;
    }
    Runtime& r = rt();
    if (isgraphic(window) && r.MemoryInitialized)
        windowrecord(r, window)->TitleHeight = visible ? r.TitleBarHeight.load() : 0;
    onMainThread([&] { windowlayer().setTitleBarVisible(object, visible); });
}

} // namespace mdx
