// A window layer without a screen: windows and views exist as records in memory. It serves
// batch runs and every build without a display; the tests' fake builds on it.
#pragma once

#include <array>
#include <mutex>

#include "platform/window_layer.h"

namespace mdx {

class HeadlessWindowLayer : public WindowLayer {
  public:
    struct WindowState {
        Rect Frame{100, 100, 800, 600};
        std::string Title;
        bool TitleBarVisible = true;
        t_RGBColor Background;
        Rect ViewFrame;
    };

    HeadlessWindowLayer();

    bool isMainThread() const override;
    void runOnMain(std::function<void()> work, bool wait) override;
    Handle view(UInt8 window) override;
    Handle window(UInt8 window) override;
    Rect frame(Handle window) override;
    void setFrame(Handle window, Rect frame) override;
    Size screenSize(Handle window) override;
    void setTitle(Handle window, const std::string& title) override;
    void setTitleBarVisible(Handle window, bool visible) override;
    void setBackgroundColor(Handle window, t_RGBColor color) override;
    void setViewFrame(Handle view, Rect frame) override;
    void redrawNow(Handle view) override;
    void redrawLater(Handle view) override;
    void beep() override;

    // What the layer holds, for tests and batch output.
    WindowState state(UInt8 window) const;
    void setScreenSize(Size size);
    // Takes away the view or window object of a number, as a missing interface outlet would.
    void removeView(UInt8 window);
    void removeWindow(UInt8 window);

  protected:
    static constexpr int WindowCount = 13;
    // Handles are the window number plus one for windows and plus 101 for views.
    static int windowIndex(Handle window);
    static int viewIndex(Handle view);

  private:
    mutable std::mutex lock_;
    std::array<WindowState, WindowCount> windows_;
    std::array<bool, WindowCount> hasWindow_{};
    std::array<bool, 8> hasView_{};
    Size screen_{1920, 1080};
};

} // namespace mdx
