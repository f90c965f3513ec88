#include "platform/qt/qt_window_layer.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QThread>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include "app/events.h"
#include "platform/qt/geometry.h"
#include "platform/qt/graphic_view.h"
#include "platform/qt/layer_window.h"
#include "platform/qt/screen_accessibility.h"
#include "platform/qt/selftest_trace.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/window.h"
#include "runtime/window_management.h"

namespace mdx::qt {
namespace {

constexpr int WindowCount = 13;
constexpr int Border = 16;
constexpr const char* OutputHeldNote = "angehalten – eine Taste setzt fort";
// Room left on the screen for the window manager's frame around window 0, which Qt knows only
// once the window is shown: a title bar and thin edges.
constexpr QMargins ManagerFrameRoom(4, 32, 4, 4);

// The content of a graphic window before the runtime sizes it: the report screen (or the small
// one) with its border.
QSize graphiccontentsize(bool first) {
    return first ? QSize(1312 + 2 * Border, 800 + 2 * Border)
                 : QSize(688 + 2 * Border, 432 + 2 * Border);
}

const char* windowtitle(UInt8 number) {
    switch (number) {
    case PasteboardWindowNumber: return "Zwischenablage";
    case VirtualPrinterWindowNumber: return "Drucker";
    case SystemConsoleWindowNumber: return "Systemkonsole";
    case PreferencesWindowNumber: return "Einstellungen";
    case MainWindowNumber: return "Miradex";
    default: return "Miradex-Grafik";
    }
}

} // namespace

QtWindowLayer::QtWindowLayer(Options options)
    : options_(std::move(options)), mainThreadTarget_(std::make_unique<QObject>()),
      wakeCounter_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeCounter_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    wakeNotifier_ = std::make_unique<QSocketNotifier>(wakeCounter_, QSocketNotifier::Read);
    QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, mainThreadTarget_.get(),
                     [this] { runposted(); });
    build();
}

QtWindowLayer::QtWindowLayer() : QtWindowLayer(Options{}) {}

// Work still queued is dropped, and whoever waits for it is released, as if it had been done:
// the windows it was meant for are gone.
QtWindowLayer::~QtWindowLayer() {
    std::deque<PostedWork> dropped;
    {
        const std::lock_guard lock(postedMutex_);
        closed_ = true;
        dropped.swap(posted_);
    }
    for (PostedWork& item : dropped)
        item.Done.set_value();
    wakeNotifier_.reset();
    close(wakeCounter_);
    for (LayerWindow* window : windows_)
        delete window;
}

bool QtWindowLayer::isMainThread() const {
    return QThread::currentThread() == mainThreadTarget_->thread();
}

// On the main thread work that must be waited for runs at once; everything else is queued for
// the main thread's event loop, which runs it in the order it came.
void QtWindowLayer::runOnMain(std::function<void()> work, bool wait) {
    if (wait && isMainThread()) {
        work();
        return;
    }
    std::future<void> done;
    {
        const std::lock_guard lock(postedMutex_);
        if (closed_) return;
        PostedWork& item = posted_.emplace_back(PostedWork{std::move(work), {}, wait});
        if (wait) done = item.Done.get_future();
        const std::uint64_t one = 1;
        if (write(wakeCounter_, &one, sizeof one) < 0) {
            // Only a counter near 2^64 refuses; the main thread is awake then anyway.
        }
    }
    if (wait) done.get(); // rethrows what the work threw
}

// Takes one item at a time, so that work which runs a nested event loop (a file panel) and
// re-enters here still leaves the rest in order.
void QtWindowLayer::runposted() {
    std::uint64_t count = 0;
    if (read(wakeCounter_, &count, sizeof count) < 0) {
        // Nothing to reset: another pass emptied the counter first.
    }
    for (;;) {
        PostedWork item;
        {
            const std::lock_guard lock(postedMutex_);
            if (posted_.empty()) return;
            item = std::move(posted_.front());
            posted_.pop_front();
        }
        if (!item.Waited) {
            item.Work();
            continue;
        }
        try {
            item.Work();
            item.Done.set_value();
        } catch (...) {
            item.Done.set_exception(std::current_exception());
        }
    }
}

void QtWindowLayer::build() {
    QApplication::setQuitOnLastWindowClosed(false);
    installscreenaccessibility();
    for (UInt8 n = 0; n < GraphicWindowCount; ++n)
        buildgraphicwindow(n);
    buildtextwindows();
    buildotherwindows();
    cascadewindows();
    followclipboard();
}

// While the pasteboard window is shown, it shows what the clipboard holds now.
void QtWindowLayer::followclipboard() {
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                     mainThreadTarget_.get(), [this] {
                         LayerWindow* pasteboard = windows_[PasteboardWindowNumber];
                         if (!shown(*pasteboard)) return;
                         const std::string text = pasteboardText();
                         setText(PasteboardWindowNumber, text);
                         selftesttrace("pasteboard " + text.substr(0, text.find('\n')));
                     });
}

// Window 0 stays centred; the others, shown from the "Fenster" menu, are placed so that none
// hides another whole, each one a title bar's height from the one before.
void QtWindowLayer::cascadewindows() {
    std::vector<QSize> sizes;
    for (UInt8 n = 1; n < WindowCount; ++n)
        sizes.push_back(windows_[n]->geometry().size());
    const int step = std::max(1, windows_[PasteboardWindowNumber]->titlebarheight());
    const std::vector<QPoint> corners = cascade(sizes, screengeometry(*windows_[0]), step);
    for (UInt8 n = 1; n < WindowCount; ++n)
        windows_[n]->setclientgeometry(QRect(corners[n - 1], sizes[n - 1]));
}

// A window with the given content size, centred on its screen.
LayerWindow* QtWindowLayer::addwindow(UInt8 number, const QString& title, QSize content) {
    auto* window = new LayerWindow(number, title);
    menus_.attach(window->menubar(), window);
    window->activated = [this](UInt8 n) { keyWindow_ = n; };
    window->closing = [this](UInt8 n) {
        withdrawing([n] { t_MouseEventPostCloseBoxClick(n); });
        return false;
    };
    windows_[number] = window;
    QRect geometry(QPoint(), content + QSize(0, window->titlebarheight()));
    geometry.moveCenter(screengeometry(*window).center());
    geometry.moveTop(std::max(geometry.top(), screengeometry(*window).top()));
    window->setclientgeometry(geometry);
    return window;
}

void QtWindowLayer::buildgraphicwindow(UInt8 number) {
    LayerWindow* window = addwindow(number, windowtitle(number), graphiccontentsize(number == 0));
    window->acceptfiles();
    window->keepsize();
    auto* view = new GraphicView(number, window->content(), options_.Keys);
    views_[number] = view;
    const QSize content = window->content()->size();
    window->content()->place(view, Rect{Border, Border, double(content.width() - 2 * Border),
                                        double(content.height() - 2 * Border)});
    window->setFocusProxy(view);
}

void QtWindowLayer::buildtextwindows() {
    LayerWindow* pasteboard =
        addwindow(PasteboardWindowNumber, windowtitle(PasteboardWindowNumber), QSize(480, 340));
    texts_[PasteboardWindowNumber] = buildtextwindow(*pasteboard, false);
    for (UInt8 n : {VirtualPrinterWindowNumber, SystemConsoleWindowNumber}) {
        LayerWindow* window = addwindow(n, windowtitle(n), QSize(657, 540));
        texts_[n] = buildtextwindow(*window, true);
    }
}

void QtWindowLayer::buildotherwindows() {
    buildpreferences(
        *addwindow(PreferencesWindowNumber, windowtitle(PreferencesWindowNumber), QSize(420, 180)));
    buildmainwindow(*addwindow(MainWindowNumber, windowtitle(MainWindowNumber), QSize(520, 260)),
                    [this](const std::string& item) {
                        if (auto choice = menus_.choiceof("Ablage", item)) menus_.chosen(*choice);
                    });
}

LayerWindow* QtWindowLayer::windowof(Handle handle) const {
    for (LayerWindow* window : windows_)
        if (window && reinterpret_cast<std::uintptr_t>(window) == handle.value) return window;
    return nullptr;
}

GraphicView* QtWindowLayer::viewof(Handle handle) const {
    for (GraphicView* view : views_)
        if (view && reinterpret_cast<std::uintptr_t>(view) == handle.value) return view;
    return nullptr;
}

LayerWindow* QtWindowLayer::windowwidget(UInt8 window) const {
    return window < WindowCount ? windows_[window] : nullptr;
}

GraphicView* QtWindowLayer::viewwidget(UInt8 window) const {
    return window < GraphicWindowCount ? views_[window] : nullptr;
}

// Measured on the pasteboard window's bar; every window's bar holds the same menus.
Int QtWindowLayer::titlebarheight() const {
    return windows_[PasteboardWindowNumber]->titlebarheight();
}

Handle QtWindowLayer::view(UInt8 window) {
    GraphicView* view = viewwidget(window);
    return view ? Handle{reinterpret_cast<std::uintptr_t>(view)} : Handle{};
}

Handle QtWindowLayer::window(UInt8 window) {
    LayerWindow* widget = windowwidget(window);
    return widget ? Handle{reinterpret_cast<std::uintptr_t>(widget)} : Handle{};
}

QRect QtWindowLayer::screengeometry(const LayerWindow& window) const {
    if (options_.Screen)
        return QRect(0, 0, static_cast<int>(options_.Screen->width),
                     static_cast<int>(options_.Screen->height));
    QScreen* screen = window.screen();
    return screen ? screen->geometry() : QRect();
}

int QtWindowLayer::flipheight(const LayerWindow& window) const {
    const QRect screen = screengeometry(window);
    return screen.y() + screen.height();
}

Rect QtWindowLayer::frame(Handle window) {
    LayerWindow* widget = windowof(window);
    return widget ? tobottomleft(widget->geometry(), flipheight(*widget)) : Rect{};
}

void QtWindowLayer::setFrame(Handle window, Rect frame) {
    if (LayerWindow* widget = windowof(window))
        widget->setclientgeometry(totopleft(frame, flipheight(*widget)));
}

Size QtWindowLayer::screenSize(Handle window) {
    LayerWindow* widget = windowof(window);
    if (!widget) return Size{};
    const QRect screen = screengeometry(*widget);
    return Size{double(screen.width()), double(screen.height())};
}

void QtWindowLayer::setTitle(Handle window, const std::string& title) {
    LayerWindow* widget = windowof(window);
    if (!widget) return;
    titles_[widget->number()] = QString::fromStdString(title);
    showtitle(widget->number());
}

void QtWindowLayer::setoutputheld(bool held) {
    outputHeld_ = held;
    showtitle(0);
}

// The held note goes first, where a narrow title bar does not cut it off; a screen reader hears
// the new title as the view's new name.
void QtWindowLayer::showtitle(UInt8 number) {
    LayerWindow* widget = windows_[number];
    QString title = titles_[number].isEmpty() ? widget->windowTitle() : titles_[number];
    if (number == 0 && outputHeld_)
        title = QString::fromUtf8(OutputHeldNote) + QString::fromUtf8(" – ") + title;
    if (title == widget->windowTitle()) return;
    widget->setWindowTitle(title);
    if (number < GraphicWindowCount) titlechanged(*views_[number]);
}

void QtWindowLayer::setTitleBarVisible(Handle window, bool visible) {
    if (LayerWindow* widget = windowof(window)) widget->settitlebarvisible(visible);
}

void QtWindowLayer::setBackgroundColor(Handle window, t_RGBColor color) {
    LayerWindow* widget = windowof(window);
    if (!widget) return;
    QPalette palette = widget->content()->palette();
    palette.setColor(QPalette::Window, QColor(color.Red, color.Green, color.Blue));
    widget->content()->setPalette(palette);
}

void QtWindowLayer::setViewFrame(Handle view, Rect frame) {
    if (GraphicView* widget = viewof(view))
        windows_[widget->windownumber()]->content()->place(widget, frame);
}

void QtWindowLayer::redrawNow(Handle view) {
    if (GraphicView* widget = viewof(view)) widget->repaint();
}

void QtWindowLayer::redrawLater(Handle view) {
    if (GraphicView* widget = viewof(view)) widget->update();
}

bool QtWindowLayer::isVisible(Handle window) {
    LayerWindow* widget = windowof(window);
    return widget && shown(*widget);
}

// A minimised window counts as hidden: it is what hiding leaves.
bool QtWindowLayer::shown(const LayerWindow& window) const {
    if (options_.Invisible) return shownInName_[window.number()];
    return window.isVisible() && !window.isMinimized();
}

void QtWindowLayer::show(LayerWindow& window, bool activate) {
    const UInt8 n = window.number();
    if (activate) keyWindow_ = n;
    if (options_.Invisible) {
        shownInName_[n] = true;
        return;
    }
    if (n == 0) fitwindowzero();
    window.setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (!activate) return;
    window.activateWindow();
    if (n < GraphicWindowCount) views_[n]->setFocus();
}

void QtWindowLayer::orderFront(Handle window) {
    if (LayerWindow* widget = windowof(window)) show(*widget, false);
}

void QtWindowLayer::makeKeyAndOrderFront(Handle window) {
    if (LayerWindow* widget = windowof(window)) show(*widget, true);
}

void QtWindowLayer::orderOut(Handle window) {
    if (LayerWindow* widget = windowof(window)) hide(*widget);
}

// Hiding minimises a shown window: it stays in the task bar, so that a program whose windows
// are all hidden can still be reached. Only the close box withdraws a window whole.
void QtWindowLayer::hide(LayerWindow& window) {
    shownInName_[window.number()] = false;
    if (options_.Invisible || !window.isVisible()) return;
    if (withdraw_)
        window.hide();
    else if (!window.isMinimized())
        window.showMinimized();
}

void QtWindowLayer::withdrawing(const std::function<void()>& work) {
    withdraw_ = true;
    work();
    withdraw_ = false;
}

void QtWindowLayer::fitwindowzero() {
    if (windowZeroFitted_) return;
    windowZeroFitted_ = true;
    LayerWindow& window = *windows_[0];
    QScreen* screen = window.screen();
    if (options_.Screen || !screen || !windowready(0)) return;
    const t_Window& record = rt().WindowTable[0];
    const QSize border(int(record.BorderWidth), int(record.BorderHeight));
    const QRect room = screen->availableGeometry().marginsRemoved(ManagerFrameRoom);
    const int bar = window.titlebarheight();
    const QSize picture =
        fittedpicture(QSize(int(record.Width), int(record.Height)),
                      room.size() - 2 * border - QSize(0, bar), window.devicePixelRatioF());
    if (picture.isEmpty()) return;
    QRect geometry(QPoint(), picture + 2 * border + QSize(0, bar));
    geometry.moveCenter(room.center());
    window.setclientgeometry(geometry);
    window.content()->place(views_[0], Rect{double(border.width()), double(border.height()),
                                            double(picture.width()), double(picture.height())});
}

void QtWindowLayer::center(Handle window) {
    LayerWindow* widget = windowof(window);
    if (!widget) return;
    const QRect screen = screengeometry(*widget);
    QRect geometry = widget->geometry();
    geometry.moveCenter(screen.center());
    geometry.moveTop(std::max(geometry.top(), screen.top()));
    widget->setclientgeometry(geometry);
}

// The window made key last, by the runtime or by the user's click, while it is still shown (a
// file panel or a message in front does not change it); else the active window if it is ours.
UInt8 QtWindowLayer::frontWindow() {
    if (keyWindow_ < WindowCount && isVisible(window(keyWindow_))) return keyWindow_;
    for (LayerWindow* window : windows_)
        if (window && window == QApplication::activeWindow() && shown(*window))
            return window->number();
    return NoWindow;
}

} // namespace mdx::qt
