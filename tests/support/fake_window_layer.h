// A window layer for tests: the headless layer's windows, plus a record of every call.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "runtime/headless_window_layer.h"

namespace mdx::test {

class FakeWindowLayer : public HeadlessWindowLayer {
  public:
    void setTitle(Handle window, const std::string& title) override;
    void setTitleBarVisible(Handle window, bool visible) override;
    void setFrame(Handle window, Rect frame) override;
    void setBackgroundColor(Handle window, t_RGBColor color) override;
    void setViewFrame(Handle view, Rect frame) override;
    void redrawNow(Handle view) override;
    void redrawLater(Handle view) override;
    void orderFront(Handle window) override;
    void orderOut(Handle window) override;
    void makeKeyAndOrderFront(Handle window) override;
    void center(Handle window) override;
    void setUpTextView(UInt8 window) override;
    void setText(UInt8 window, const std::string& text) override;
    void setRuler(UInt8 window, const std::string& text) override;
    void setScrollViewSize(UInt8 window, double width, double height) override;
    void setPasteboardText(const std::string& text) override;
    void setPasteboardImage(const WindowImage& image) override;
    std::vector<std::string> openPanel(const OpenPanelRequest& request) override;
    std::string savePanel(const SavePanelRequest& request) override;
    void deleteMenuItem(const std::string& menu, Int position) override;
    void beep() override;

    // Calls in the order they came, as "setTitle 0 Miradex", "redrawLater 0", "beep" ...; windows
    // and views are written as their window numbers, a text as its byte count ("setText 9 12"),
    // a picture as its size ("setPasteboardImage 1312x800"). Queries are not recorded. Safe to call
    // from any thread: the refresh thread records its redraw requests here too.
    std::vector<std::string> calls() const;
    int count(const std::string& prefix) const;
    void clearCalls();

  protected:
    void record(std::string call);

  private:
    mutable std::mutex callLock_;
    std::vector<std::string> calls_;
};

} // namespace mdx::test
