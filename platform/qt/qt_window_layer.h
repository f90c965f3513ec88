// The window layer on Qt 6 Widgets: the thirteen windows of the application (graphic windows
// 0..7 with their views, pasteboard 8, virtual printer 9, system console 10, preferences 11,
// main window 12), their menu bars, the clipboard, the file panels and the beep.
//
// Handles are the addresses of the widgets; every handle the runtime passes in is looked up among
// the layer's own widgets before use, so a stale or foreign handle does nothing.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <array>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/qt/key_input.h"
#include "platform/qt/menu_model.h"
#include "platform/qt/window_contents.h"
#include "runtime/window_layer.h"

namespace mdx::qt {

class GraphicView;
class LayerWindow;

class QtWindowLayer : public WindowLayer {
  public:
    struct Options {
        // Windows are shown and hidden in name only: nothing reaches the screen (batch runs).
        bool Invisible = false;
        // A screen of this size stands in for the real one (batch runs and tests).
        std::optional<Size> Screen;
        KeySource Keys = platformkeysource();
    };

    // Needs a QApplication; call on its thread.
    explicit QtWindowLayer(Options options);
    QtWindowLayer();
    ~QtWindowLayer() override;
    QtWindowLayer(const QtWindowLayer&) = delete;
    QtWindowLayer& operator=(const QtWindowLayer&) = delete;

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
    // Whether an alert was given (a batch run then ends with status 1).
    bool alerted() const { return alerted_; }

    // For the application frame and the tests.
    LayerWindow* windowwidget(UInt8 window) const;
    GraphicView* viewwidget(UInt8 window) const;
    TextWindowParts textparts(UInt8 window) const;
    MenuModel& menus() { return menus_; }
    // The height that the runtime counts as a window's title bar: the menu bar's.
    Int titlebarheight() const;
    // While the output is held, window 0's title says so ahead of its own title.
    void setoutputheld(bool held);
    // Runs work (the close box) with hiding meaning withdrawing rather than minimising.
    void withdrawing(const std::function<void()>& work);
    const Options& options() const { return options_; }

  private:
    // Work handed to the main thread. The queue and an event counter that wakes the main thread
    // are all that the threads share, so the hand-over is visible to the thread sanitizer, which
    // cannot see into Qt's own locks.
    struct PostedWork {
        std::function<void()> Work;
        std::promise<void> Done; // for a caller that waits
        bool Waited = false;
    };
    void runposted();

    void build();
    void buildgraphicwindow(UInt8 number);
    void buildtextwindows();
    void buildotherwindows();
    void cascadewindows();
    LayerWindow* addwindow(UInt8 number, const QString& title, QSize content);
    LayerWindow* windowof(Handle handle) const;
    GraphicView* viewof(Handle handle) const;
    // The height that the y axis is flipped with: the screen's, or the stand-in's.
    int flipheight(const LayerWindow& window) const;
    QRect screengeometry(const LayerWindow& window) const;
    void show(LayerWindow& window, bool activate);
    void hide(LayerWindow& window);
    bool shown(const LayerWindow& window) const;
    void showtitle(UInt8 number);
    // Window 0 at the largest size its screen's free area allows, once, before it is first shown.
    void fitwindowzero();
    void followclipboard();

    Options options_;
    std::unique_ptr<QObject> mainThreadTarget_; // lives on the main thread
    std::mutex postedMutex_;
    std::deque<PostedWork> posted_; // oldest first
    bool closed_ = false;           // the layer is going away: nothing more is queued
    int wakeCounter_ = -1;          // an eventfd, written once per queued item
    std::unique_ptr<QSocketNotifier> wakeNotifier_;
    MenuModel menus_;
    std::array<LayerWindow*, 13> windows_{};
    std::array<GraphicView*, 8> views_{};
    std::array<TextWindowParts, 13> texts_{};
    std::array<bool, 13> shownInName_{}; // visibility of invisible windows
    UInt8 keyWindow_ = NoWindow;
    std::array<QString, 13> titles_{}; // as the runtime set them, without the held note
    bool outputHeld_ = false;
    bool withdraw_ = false; // hiding withdraws the window (the close box)
    bool windowZeroFitted_ = false;
    bool alerted_ = false; // main thread only
};

} // namespace mdx::qt
