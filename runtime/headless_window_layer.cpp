#include "runtime/headless_window_layer.h"

#include <sys/syscall.h>
#include <unistd.h>

#include "runtime/image.h"

namespace mdx {

HeadlessWindowLayer::HeadlessWindowLayer() {
    hasWindow_.fill(true);
    hasView_.fill(true);
}

// The main thread is the process's first thread, whichever thread made the layer.
bool HeadlessWindowLayer::isMainThread() const {
    return syscall(SYS_gettid) == getpid();
}

// Without an event loop there is no main queue to post to: the work runs on the caller's thread.
void HeadlessWindowLayer::runOnMain(std::function<void()> work, bool) {
    work();
}

int HeadlessWindowLayer::windowIndex(Handle window) {
    auto v = static_cast<int>(window.value);
    return v >= 1 && v <= WindowCount ? v - 1 : -1;
}

int HeadlessWindowLayer::viewIndex(Handle view) {
    auto v = static_cast<int>(view.value);
    return v >= 101 && v < 109 ? v - 101 : -1;
}

Handle HeadlessWindowLayer::view(UInt8 window) {
    std::lock_guard guard(lock_);
    if (window > 7 || !hasView_[window]) return {};
    return Handle{std::uintptr_t{101} + window};
}

Handle HeadlessWindowLayer::window(UInt8 window) {
    std::lock_guard guard(lock_);
    if (window >= WindowCount || !hasWindow_[window]) return {};
    return Handle{std::uintptr_t{1} + window};
}

Rect HeadlessWindowLayer::frame(Handle window) {
    std::lock_guard guard(lock_);
    int i = windowIndex(window);
    return i < 0 ? Rect{} : windows_[i].Frame;
}

void HeadlessWindowLayer::setFrame(Handle window, Rect frame) {
    std::lock_guard guard(lock_);
    if (int i = windowIndex(window); i >= 0) windows_[i].Frame = frame;
}

Size HeadlessWindowLayer::screenSize(Handle window) {
    std::lock_guard guard(lock_);
    return windowIndex(window) < 0 ? Size{} : screen_;
}

void HeadlessWindowLayer::setTitle(Handle window, const std::string& title) {
    std::lock_guard guard(lock_);
    if (int i = windowIndex(window); i >= 0) windows_[i].Title = title;
}

void HeadlessWindowLayer::setTitleBarVisible(Handle window, bool visible) {
    std::lock_guard guard(lock_);
    if (int i = windowIndex(window); i >= 0) windows_[i].TitleBarVisible = visible;
}

void HeadlessWindowLayer::setBackgroundColor(Handle window, t_RGBColor color) {
    std::lock_guard guard(lock_);
    if (int i = windowIndex(window); i >= 0) windows_[i].Background = color;
}

void HeadlessWindowLayer::setViewFrame(Handle view, Rect frame) {
    std::lock_guard guard(lock_);
    if (int i = viewIndex(view); i >= 0) windows_[i].ViewFrame = frame;
}

// Drawing without a screen still makes the picture, as a view would, and then drops it.
void HeadlessWindowLayer::redrawNow(Handle view) {
    if (int i = viewIndex(view); i >= 0) viewimage(static_cast<UInt8>(i));
}

// Without a display cycle a deferred redraw never comes; there is nothing to mark.
void HeadlessWindowLayer::redrawLater(Handle) {}

bool HeadlessWindowLayer::isVisible(Handle window) {
    std::lock_guard guard(lock_);
    int i = windowIndex(window);
    return i >= 0 && windows_[i].Visible;
}

void HeadlessWindowLayer::orderFront(Handle window) {
    std::lock_guard guard(lock_);
    if (int i = windowIndex(window); i >= 0) windows_[i].Visible = true;
}

// A hidden window cannot stay the main window.
void HeadlessWindowLayer::orderOut(Handle window) {
    std::lock_guard guard(lock_);
    int i = windowIndex(window);
    if (i < 0) return;
    windows_[i].Visible = false;
    if (front_ == i) front_ = NoWindow;
}

void HeadlessWindowLayer::makeKeyAndOrderFront(Handle window) {
    std::lock_guard guard(lock_);
    int i = windowIndex(window);
    if (i < 0) return;
    windows_[i].Visible = true;
    front_ = static_cast<UInt8>(i);
}

void HeadlessWindowLayer::center(Handle window) {
    std::lock_guard guard(lock_);
    int i = windowIndex(window);
    if (i < 0) return;
    Rect& f = windows_[i].Frame;
    f.x = (screen_.width - f.width) / 2;
    f.y = (screen_.height - f.height) / 2;
}

UInt8 HeadlessWindowLayer::frontWindow() {
    std::lock_guard guard(lock_);
    return front_;
}

bool HeadlessWindowLayer::istextwindow(UInt8 window) {
    return window >= PasteboardWindowNumber && window <= SystemConsoleWindowNumber;
}

bool HeadlessWindowLayer::hasTextView(UInt8 window) {
    std::lock_guard guard(lock_);
    return istextwindow(window) && textViews_[window - 8].Exists;
}

void HeadlessWindowLayer::setUpTextView(UInt8 window) {
    std::lock_guard guard(lock_);
    if (!istextwindow(window) || !textViews_[window - 8].Exists) return;
    textViews_[window - 8].SetUp = true;
    textViews_[window - 8].Text.clear();
}

void HeadlessWindowLayer::setText(UInt8 window, const std::string& text) {
    std::lock_guard guard(lock_);
    if (istextwindow(window) && textViews_[window - 8].Exists) textViews_[window - 8].Text = text;
}

std::string HeadlessWindowLayer::text(UInt8 window) {
    std::lock_guard guard(lock_);
    return istextwindow(window) ? textViews_[window - 8].Text : std::string();
}

// Only the printer and the console have a ruler field.
bool HeadlessWindowLayer::hasRuler(UInt8 window) {
    std::lock_guard guard(lock_);
    return (window == VirtualPrinterWindowNumber || window == SystemConsoleWindowNumber) &&
           textViews_[window - 8].Exists;
}

void HeadlessWindowLayer::setRuler(UInt8 window, const std::string& text) {
    std::lock_guard guard(lock_);
    if (window == VirtualPrinterWindowNumber || window == SystemConsoleWindowNumber)
        textViews_[window - 8].Ruler = text;
}

void HeadlessWindowLayer::setScrollViewSize(UInt8 window, double width, double height) {
    std::lock_guard guard(lock_);
    if (!istextwindow(window)) return;
    Size& size = textViews_[window - 8].ScrollViewSize;
    if (width >= 0) size.width = width;
    if (height >= 0) size.height = height;
}

std::string HeadlessWindowLayer::pasteboardText() {
    std::lock_guard guard(lock_);
    return pasteboardText_;
}

// The pasteboard holds one thing at a time: new text drops the picture and the other way round.
void HeadlessWindowLayer::setPasteboardText(const std::string& text) {
    std::lock_guard guard(lock_);
    pasteboardText_ = text;
    pasteboardImage_.reset();
}

void HeadlessWindowLayer::setPasteboardImage(const WindowImage& image) {
    std::lock_guard guard(lock_);
    pasteboardImage_ = image;
    pasteboardText_.clear();
}

std::vector<std::string> HeadlessWindowLayer::openPanel(const OpenPanelRequest& request) {
    std::lock_guard guard(lock_);
    openRequests_.push_back(request);
    if (openResults_.empty()) return {};
    std::vector<std::string> paths = std::move(openResults_.front());
    openResults_.pop_front();
    return paths;
}

std::string HeadlessWindowLayer::savePanel(const SavePanelRequest& request) {
    std::lock_guard guard(lock_);
    saveRequests_.push_back(request);
    if (saveResults_.empty()) return {};
    std::string path = std::move(saveResults_.front());
    saveResults_.pop_front();
    return path;
}

int HeadlessWindowLayer::menuindex(const std::string& title) const {
    for (std::size_t i = 0; i < menus_.size(); ++i)
        if (menus_[i].Title == title) return static_cast<int>(i);
    return -1;
}

Int HeadlessWindowLayer::menuItemCount(const std::string& menu) {
    std::lock_guard guard(lock_);
    int m = menuindex(menu);
    return m < 0 ? -1 : static_cast<Int>(menus_[m].Items.size());
}

std::string HeadlessWindowLayer::menuItemTitle(const std::string& menu, Int position) {
    std::lock_guard guard(lock_);
    int m = menuindex(menu);
    if (m < 0 || position < 0 || position >= static_cast<Int>(menus_[m].Items.size())) return {};
    return menus_[m].Items[static_cast<std::size_t>(position)];
}

void HeadlessWindowLayer::deleteMenuItem(const std::string& menu, Int position) {
    std::lock_guard guard(lock_);
    int m = menuindex(menu);
    if (m < 0 || position < 0 || position >= static_cast<Int>(menus_[m].Items.size())) return;
    menus_[m].Items.erase(menus_[m].Items.begin() + position);
}

void HeadlessWindowLayer::beep() {}

void HeadlessWindowLayer::alert(const std::string& message, const std::string& detail) {
    std::lock_guard guard(lock_);
    alerts_.push_back(message + " " + detail);
}

std::vector<std::string> HeadlessWindowLayer::alerts() const {
    std::lock_guard guard(lock_);
    return alerts_;
}

HeadlessWindowLayer::WindowState HeadlessWindowLayer::state(UInt8 window) const {
    std::lock_guard guard(lock_);
    return window < WindowCount ? windows_[window] : WindowState{};
}

void HeadlessWindowLayer::setScreenSize(Size size) {
    std::lock_guard guard(lock_);
    screen_ = size;
}

void HeadlessWindowLayer::removeView(UInt8 window) {
    std::lock_guard guard(lock_);
    if (window < 8) hasView_[window] = false;
}

void HeadlessWindowLayer::removeWindow(UInt8 window) {
    std::lock_guard guard(lock_);
    if (window < WindowCount) hasWindow_[window] = false;
}

void HeadlessWindowLayer::removeTextView(UInt8 window) {
    std::lock_guard guard(lock_);
    if (istextwindow(window)) textViews_[window - 8].Exists = false;
}

HeadlessWindowLayer::TextViewState HeadlessWindowLayer::textView(UInt8 window) const {
    std::lock_guard guard(lock_);
    if (istextwindow(window)) return textViews_[window - 8];
    TextViewState none;
    none.Exists = false;
    return none;
}

void HeadlessWindowLayer::setFrontWindow(UInt8 window) {
    std::lock_guard guard(lock_);
    front_ = window;
}

std::optional<WindowImage> HeadlessWindowLayer::pasteboardImage() const {
    std::lock_guard guard(lock_);
    return pasteboardImage_;
}

void HeadlessWindowLayer::setNextOpenPanelResult(std::vector<std::string> paths) {
    std::lock_guard guard(lock_);
    openResults_.push_back(std::move(paths));
}

void HeadlessWindowLayer::setNextSavePanelResult(std::string path) {
    std::lock_guard guard(lock_);
    saveResults_.push_back(std::move(path));
}

std::vector<HeadlessWindowLayer::OpenPanelRequest> HeadlessWindowLayer::openPanelRequests() const {
    std::lock_guard guard(lock_);
    return openRequests_;
}

std::vector<HeadlessWindowLayer::SavePanelRequest> HeadlessWindowLayer::savePanelRequests() const {
    std::lock_guard guard(lock_);
    return saveRequests_;
}

void HeadlessWindowLayer::setMenus(std::vector<Menu> menus) {
    std::lock_guard guard(lock_);
    menus_ = std::move(menus);
}

std::vector<HeadlessWindowLayer::Menu> HeadlessWindowLayer::menus() const {
    std::lock_guard guard(lock_);
    return menus_;
}

} // namespace mdx
