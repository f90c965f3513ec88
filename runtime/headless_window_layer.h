// A window layer without a screen: windows and views exist as records in memory. It serves
// batch runs and every build without a display; the tests' fake builds on it.
#pragma once

#include <array>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/window_layer.h"

namespace mdx {

class HeadlessWindowLayer : public WindowLayer {
  public:
    struct WindowState {
        Rect Frame{100, 100, 800, 600};
        std::string Title;
        bool TitleBarVisible = true;
        t_RGBColor Background;
        Rect ViewFrame;
        bool Visible = false;
    };

    // A text window's text view, its ruler field and the size of the scroll view around it.
    struct TextViewState {
        bool Exists = true;
        bool SetUp = false;
        std::string Text;
        std::string Ruler;
        Size ScrollViewSize{600, 400};
    };

    // A menu of the menu bar: its title and the titles of its items in order.
    struct Menu {
        std::string Title;
        std::vector<std::string> Items;
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

    bool isVisible(Handle window) override;
    void orderFront(Handle window) override;
    void orderOut(Handle window) override;
    void makeKeyAndOrderFront(Handle window) override;
    void center(Handle window) override;
    UInt8 frontWindow() override;

    bool hasTextView(UInt8 window) override;
    void setUpTextView(UInt8 window) override;
    void setText(UInt8 window, const std::string& text) override;
    std::string text(UInt8 window) override;
    bool hasRuler(UInt8 window) override;
    void setRuler(UInt8 window, const std::string& text) override;
    void setScrollViewSize(UInt8 window, double width, double height) override;

    std::string pasteboardText() override;
    void setPasteboardText(const std::string& text) override;
    void setPasteboardImage(const WindowImage& image) override;

    std::vector<std::string> openPanel(const OpenPanelRequest& request) override;
    std::string savePanel(const SavePanelRequest& request) override;

    Int menuItemCount(const std::string& menu) override;
    std::string menuItemTitle(const std::string& menu, Int position) override;
    void deleteMenuItem(const std::string& menu, Int position) override;

    void beep() override;
    void alert(const std::string& message, const std::string& detail) override;

    // What the layer holds, for tests and batch output.
    WindowState state(UInt8 window) const;
    void setScreenSize(Size size);
    // Takes away the view or window object of a number, as a missing interface outlet would.
    void removeView(UInt8 window);
    void removeWindow(UInt8 window);
    void removeTextView(UInt8 window);
    TextViewState textView(UInt8 window) const;
    void setFrontWindow(UInt8 window);
    // The picture on the pasteboard; nothing while it holds text.
    std::optional<WindowImage> pasteboardImage() const;
    // What the next open or save panel returns; a panel with nothing queued is cancelled.
    void setNextOpenPanelResult(std::vector<std::string> paths);
    void setNextSavePanelResult(std::string path);
    std::vector<OpenPanelRequest> openPanelRequests() const;
    std::vector<SavePanelRequest> savePanelRequests() const;
    // Every alert so far, message and detail joined by a space.
    std::vector<std::string> alerts() const;
    void setMenus(std::vector<Menu> menus);
    std::vector<Menu> menus() const;

  protected:
    static constexpr int WindowCount = 13;
    // Handles are the window number plus one for windows and plus 101 for views.
    static int windowIndex(Handle window);
    static int viewIndex(Handle view);
    static bool istextwindow(UInt8 window);

  private:
    mutable std::mutex lock_;
    std::array<WindowState, WindowCount> windows_;
    std::array<bool, WindowCount> hasWindow_{};
    std::array<bool, 8> hasView_{};
    Size screen_{1920, 1080};
    std::array<TextViewState, 3> textViews_; // windows 8, 9 and 10
    UInt8 front_ = NoWindow;
    std::string pasteboardText_;
    std::optional<WindowImage> pasteboardImage_;
    std::deque<std::vector<std::string>> openResults_;
    std::deque<std::string> saveResults_;
    std::vector<OpenPanelRequest> openRequests_;
    std::vector<SavePanelRequest> saveRequests_;
    std::vector<std::string> alerts_;
    std::vector<Menu> menus_;
    int menuindex(const std::string& title) const; // -1 when there is no such menu
};

} // namespace mdx
