// The seam between the core library and the window system. The core calls these operations
// wherever it needs windows, views or the desktop; platform/qt/ implements them with Qt, the
// headless layer keeps them in memory, and the tests use a fake that records every call.
//
// Thread rule: every operation except isMainThread and runOnMain must be called on the main
// thread; core routines that run elsewhere wrap them in onMainThread().
#pragma once

#include <functional>
#include <string>

#include "runtime/types.h"

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

    // Desktop.
    virtual void beep() = 0;
};

// The window layer in use. Until one is installed, a headless layer stands in.
WindowLayer& windowlayer();
void setwindowlayer(WindowLayer* layer);

// Runs work on the main thread and waits for it; on the main thread it runs directly, so that a
// caller never waits for itself.
void onMainThread(const std::function<void()>& work);

} // namespace mdx
