// A window layer for tests: the headless layer's windows, plus a record of the calls that change
// what a window shows.
#pragma once

#include "support/testing.h"

#include "runtime/headless_window_layer.h"

namespace mdx::test {

class FakeWindowLayer : public HeadlessWindowLayer {
    using Base = HeadlessWindowLayer;

  public:
    void setFrame(Handle w, Rect frame) override {
        Base::setFrame(noted("setFrame", w, rect(frame)), frame);
    }
    void setBackgroundColor(Handle w, t_RGBColor c) override {
        const std::string argb = std::to_string(c.Alpha) + "," + std::to_string(c.Red) + "," +
                                 std::to_string(c.Green) + "," + std::to_string(c.Blue);
        Base::setBackgroundColor(noted("setBackgroundColor", w, argb), c);
    }
    void setViewFrame(Handle view, Rect frame) override {
        Base::setViewFrame(noted("setViewFrame", view, rect(frame)), frame);
    }
    // Recorded before drawing, so that the call shows even when drawing logs or fails.
    void redrawNow(Handle view) override { Base::redrawNow(noted("redrawNow", view)); }
    void redrawLater(Handle view) override { Base::redrawLater(noted("redrawLater", view)); }
    void orderFront(Handle w) override { Base::orderFront(noted("orderFront", w)); }
    void makeKeyAndOrderFront(Handle w) override {
        Base::makeKeyAndOrderFront(noted("makeKeyAndOrderFront", w));
    }
    void center(Handle w) override { Base::center(noted("center", w)); }
    void setUpTextView(UInt8 window) override {
        Base::setUpTextView(noted("setUpTextView", window));
    }
    void setText(UInt8 window, const std::string& text) override {
        Base::setText(noted("setText", window, std::to_string(text.size())), text);
    }
    void setScrollViewSize(UInt8 window, double width, double height) override {
        Base::setScrollViewSize(
            noted("setScrollViewSize", window, whole(width) + "," + whole(height)), width, height);
    }
    void beep() override { record("beep"); }

    // The calls that tests look at, in the order they came, as "setFrame 0 40,60,1344,860",
    // "redrawLater 0", "beep" ...; windows and views are written as their window numbers, a text
    // as its byte count ("setText 9 12"). Queries are not recorded. Safe to call from any thread:
    // the refresh thread records its redraw requests here too.
    std::vector<std::string> calls() const {
        std::lock_guard guard(callLock_);
        return calls_;
    }
    int count(const std::string& prefix) const {
        std::lock_guard guard(callLock_);
        return static_cast<int>(std::ranges::count_if(
            calls_, [&prefix](const std::string& c) { return c.starts_with(prefix); }));
    }
    void clearCalls() {
        std::lock_guard guard(callLock_);
        calls_.clear();
    }

  protected:
    void record(std::string call) {
        std::lock_guard guard(callLock_);
        calls_.push_back(std::move(call));
    }

  private:
    // Records "call window" (and " detail") and hands the window on to the headless layer.
    template <class Window>
    Window noted(const std::string& call, Window w, const std::string& detail = "") {
        record(call + " " + number(w) + (detail.empty() ? "" : " " + detail));
        return w;
    }
    static std::string whole(double v) { return std::to_string(static_cast<long long>(v)); }
    static std::string number(Handle h) {
        return std::to_string(h.value > 100 ? h.value - 101 : h.value - 1);
    }
    static std::string number(UInt8 window) { return std::to_string(window); }
    static std::string rect(Rect r) {
        return whole(r.x) + "," + whole(r.y) + "," + whole(r.width) + "," + whole(r.height);
    }

    mutable std::mutex callLock_;
    std::vector<std::string> calls_;
};

} // namespace mdx::test
