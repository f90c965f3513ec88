#include "support/fake_window_layer.h"

namespace mdx::test {
namespace {

std::string number(Handle h) {
    return std::to_string(h.value > 100 ? h.value - 101 : h.value - 1);
}

std::string rect(Rect r) {
    auto n = [](double v) { return std::to_string(static_cast<long long>(v)); };
    return n(r.x) + "," + n(r.y) + "," + n(r.width) + "," + n(r.height);
}

} // namespace

void FakeWindowLayer::setTitle(Handle window, const std::string& title) {
    record("setTitle " + number(window) + " " + title);
    HeadlessWindowLayer::setTitle(window, title);
}

void FakeWindowLayer::setTitleBarVisible(Handle window, bool visible) {
    record("setTitleBarVisible " + number(window) + " " + (visible ? "1" : "0"));
    HeadlessWindowLayer::setTitleBarVisible(window, visible);
}

void FakeWindowLayer::setFrame(Handle window, Rect frame) {
    record("setFrame " + number(window) + " " + rect(frame));
    HeadlessWindowLayer::setFrame(window, frame);
}

void FakeWindowLayer::setBackgroundColor(Handle window, t_RGBColor c) {
    record("setBackgroundColor " + number(window) + " " + std::to_string(c.Alpha) + "," +
           std::to_string(c.Red) + "," + std::to_string(c.Green) + "," + std::to_string(c.Blue));
    HeadlessWindowLayer::setBackgroundColor(window, c);
}

void FakeWindowLayer::setViewFrame(Handle view, Rect frame) {
    record("setViewFrame " + number(view) + " " + rect(frame));
    HeadlessWindowLayer::setViewFrame(view, frame);
}

// Recorded before drawing, so that the call shows even when drawing logs or fails.
void FakeWindowLayer::redrawNow(Handle view) {
    record("redrawNow " + number(view));
    HeadlessWindowLayer::redrawNow(view);
}

void FakeWindowLayer::redrawLater(Handle view) {
    record("redrawLater " + number(view));
    HeadlessWindowLayer::redrawLater(view);
}

void FakeWindowLayer::orderFront(Handle window) {
    record("orderFront " + number(window));
    HeadlessWindowLayer::orderFront(window);
}

void FakeWindowLayer::orderOut(Handle window) {
    record("orderOut " + number(window));
    HeadlessWindowLayer::orderOut(window);
}

void FakeWindowLayer::makeKeyAndOrderFront(Handle window) {
    record("makeKeyAndOrderFront " + number(window));
    HeadlessWindowLayer::makeKeyAndOrderFront(window);
}

void FakeWindowLayer::center(Handle window) {
    record("center " + number(window));
    HeadlessWindowLayer::center(window);
}

void FakeWindowLayer::setUpTextView(UInt8 window) {
    record("setUpTextView " + std::to_string(window));
    HeadlessWindowLayer::setUpTextView(window);
}

void FakeWindowLayer::setText(UInt8 window, const std::string& text) {
    record("setText " + std::to_string(window) + " " + std::to_string(text.size()));
    HeadlessWindowLayer::setText(window, text);
}

void FakeWindowLayer::setRuler(UInt8 window, const std::string& text) {
    record("setRuler " + std::to_string(window) + " " + std::to_string(text.size()));
    HeadlessWindowLayer::setRuler(window, text);
}

void FakeWindowLayer::setScrollViewSize(UInt8 window, double width, double height) {
    auto n = [](double v) { return std::to_string(static_cast<long long>(v)); };
    record("setScrollViewSize " + std::to_string(window) + " " + n(width) + "," + n(height));
    HeadlessWindowLayer::setScrollViewSize(window, width, height);
}

void FakeWindowLayer::setPasteboardText(const std::string& text) {
    record("setPasteboardText " + std::to_string(text.size()));
    HeadlessWindowLayer::setPasteboardText(text);
}

void FakeWindowLayer::setPasteboardImage(const WindowImage& image) {
    record("setPasteboardImage " + std::to_string(image.Width) + "x" +
           std::to_string(image.Height));
    HeadlessWindowLayer::setPasteboardImage(image);
}

std::vector<std::string> FakeWindowLayer::openPanel(const OpenPanelRequest& request) {
    record("openPanel " + request.Title);
    return HeadlessWindowLayer::openPanel(request);
}

std::string FakeWindowLayer::savePanel(const SavePanelRequest& request) {
    record("savePanel " + request.Title);
    return HeadlessWindowLayer::savePanel(request);
}

void FakeWindowLayer::deleteMenuItem(const std::string& menu, Int position) {
    record("deleteMenuItem " + menu + " " + std::to_string(position));
    HeadlessWindowLayer::deleteMenuItem(menu, position);
}

void FakeWindowLayer::beep() {
    record("beep");
}

std::vector<std::string> FakeWindowLayer::calls() const {
    std::lock_guard guard(callLock_);
    return calls_;
}

int FakeWindowLayer::count(const std::string& prefix) const {
    std::lock_guard guard(callLock_);
    int n = 0;
    for (const auto& c : calls_)
        if (c.rfind(prefix, 0) == 0) ++n;
    return n;
}

void FakeWindowLayer::clearCalls() {
    std::lock_guard guard(callLock_);
    calls_.clear();
}

void FakeWindowLayer::record(std::string call) {
    std::lock_guard guard(callLock_);
    calls_.push_back(std::move(call));
}

} // namespace mdx::test
