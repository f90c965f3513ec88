// Window update on request and the refresh thread that redraws auto-updated windows.
#pragma once

#include <functional>
#include <memory>

#include "runtime/state.h"

namespace mdx {

// Redraws the view of a graphic window: at once, returning when it has been drawn, or with
// later at the next display cycle.
void t_WindowUpdate(UInt8 window, bool later);

// Switches the automatic redraws of an initialised graphic window on or off.
void t_WindowAutoUpdate(UInt8 window, bool on);

// Starts the refresh thread of a runtime unless one runs already, and returns once the thread
// has begun. The flag AutoUpdateRunning is set before the thread starts, so that a second start
// cannot slip in meanwhile and a stop that comes early is not undone by the thread.
void startautoupdate(const std::shared_ptr<Runtime>& runtime);

// The body of the refresh thread: asks the views of auto-updated windows 0 to 7 to redraw when
// what they show changed (and every few seconds regardless), at most RefreshRate times a second
// each and, for window 0, never while a drawing is under way (VerticalBlank false). Between
// redraws it sleeps until a change wakes it. Runs on the given runtime until its
// AutoUpdateRunning is cleared. begun, if given, is called once the thread has logged its start.
void t_WindowAutoUpdateProcess(Runtime& runtime, const std::function<void()>& begun = {});

} // namespace mdx
