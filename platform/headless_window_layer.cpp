#include "platform/headless_window_layer.h"

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

void HeadlessWindowLayer::beep() {}

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

} // namespace mdx
