// The seam between the core library and the window system. The core calls these operations
// wherever it needs windows, views or the desktop; platform/qt/ implements them with Qt, the
// headless layer keeps them in memory, and the tests use a fake that records every call.
//
// Thread rule: every operation except isMainThread and runOnMain must be called on the main
// thread; core routines that run elsewhere wrap them in onMainThread().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/types.h"
#include "runtime/window_image.h"

namespace mdx {

class WindowLayer {
  public:
    virtual ~WindowLayer() = default;

    // Threads.
    virtual bool isMainThread() const = 0;
    // Runs work on the main thread; with wait, returns when it has run.
    virtual void runOnMain(std::function<void()> work, bool wait) = 0;

    // Lookups by window number: the view of graphic window 0..7, the window object of 0..12.
    virtual Handle view(UInt8 window) = 0;
    virtual Handle window(UInt8 window) = 0;

    // Windows. Frames are in points with the origin at the bottom left of the screen.
    virtual Rect frame(Handle window) = 0;
    virtual void setFrame(Handle window, Rect frame) = 0;
    // The size of the screen the window is on; zero when it is on none.
    virtual Size screenSize(Handle window) = 0;
    virtual void setTitle(Handle window, const std::string& title) = 0;
    virtual void setTitleBarVisible(Handle window, bool visible) = 0;
    virtual void setBackgroundColor(Handle window, t_RGBColor color) = 0;

    // Views.
    virtual void setViewFrame(Handle view, Rect frame) = 0;
    // Draws the view at once and returns when it has been drawn.
    virtual void redrawNow(Handle view) = 0;
    // Marks the view as needing display; it is drawn in the next display cycle.
    virtual void redrawLater(Handle view) = 0;

    // Showing and ordering windows.
    virtual bool isVisible(Handle window) = 0;
    virtual void orderFront(Handle window) = 0; // show without making it the key window
    virtual void orderOut(Handle window) = 0;   // hide
    virtual void makeKeyAndOrderFront(Handle window) = 0;
    virtual void center(Handle window) = 0;
    // The number of the application's current main window (0..12), 255 when there is none.
    virtual UInt8 frontWindow() = 0;

    // Text windows 8 (pasteboard), 9 (virtual printer) and 10 (system console): a text view in
    // a scroll view, and for 9 and 10 a one-line ruler field above it.
    virtual bool hasTextView(UInt8 window) = 0;
    // No automatic substitutions or detections, a 12-point monospaced font, empty text.
    virtual void setUpTextView(UInt8 window) = 0;
    virtual void setText(UInt8 window, const std::string& text) = 0; // and redisplay
    virtual std::string text(UInt8 window) = 0;
    virtual bool hasRuler(UInt8 window) = 0;
    virtual void setRuler(UInt8 window, const std::string& text) = 0;
    // Resizes the scroll view around the text view, keeping its origin; a negative width or
    // height keeps that dimension.
    virtual void setScrollViewSize(UInt8 window, double width, double height) = 0;

    // The general pasteboard (the clipboard). Its text is "" when it holds no text.
    virtual std::string pasteboardText() = 0;
    virtual void setPasteboardText(const std::string& text) = 0;
    virtual void setPasteboardImage(const WindowImage& image) = 0;

    // Modal file panels. Allowed types are extensions without the dot; empty allows any file.
    struct OpenPanelRequest {
        std::string Title;
        std::string Message;
        std::vector<std::string> FileTypes;
        bool MultipleSelection = false;
        bool ChooseFiles = true;
        bool ChooseDirectories = false;
    };
    struct SavePanelRequest {
        std::string FileName;
        std::string Title;
        std::string Message;
        std::vector<std::string> FileTypes;
    };
    // The chosen paths, none when cancelled.
    virtual std::vector<std::string> openPanel(const OpenPanelRequest& request) = 0;
    // The chosen path, "" when cancelled.
    virtual std::string savePanel(const SavePanelRequest& request) = 0;

    // The menu bar, menus and items found by their titles. Positions count from 0.
    // The number of items of the menu with that title, -1 when there is no such menu.
    virtual Int menuItemCount(const std::string& menu) = 0;
    virtual std::string menuItemTitle(const std::string& menu, Int position) = 0;
    virtual void deleteMenuItem(const std::string& menu, Int position) = 0;

    // Desktop: the short warning sound (the bundle's sysbeep.aif, or the system beep).
    virtual void beep() = 0;

    // Tells the user that something asked for failed (a file that could not be saved or
    // opened): message names the file, detail says why. A window program shows it in a modal
    // alert; without windows it goes to standard error and the run counts as failed.
    virtual void alert(const std::string& message, const std::string& detail) = 0;
};

// The window layer in use. Whoever runs the system installs one first (the Qt layer for the
// program and batch runs, the headless layer for tests of the lower layers, fuzz targets and
// benchmarks); asking before that ends the program with a line on standard error.
WindowLayer& windowlayer();
bool haswindowlayer();
// Installs layer (not owned; it must outlive its use), or none with nullptr.
void setwindowlayer(WindowLayer* layer);

// Runs work on the main thread and waits for it; on the main thread it runs directly, so that a
// caller never waits for itself.
void onMainThread(const std::function<void()>& work);

} // namespace mdx
