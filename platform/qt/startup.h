// The steps that desktop and batch runs share: the launch of the runtime, the events queued at
// start, showing window 0 once the program thread has made it, and the end of the process.
#pragma once

#include <string>
#include <vector>

class QObject;

namespace mdx::qt {

class QtWindowLayer;

// The program speaks German whatever the user's locale: Qt's own texts (buttons, the columns of
// the file panels) come from its German translations, dates and numbers take the German form.
void speakgerman();

// The launch of the runtime on the main thread: tool library, title-bar height, program thread.
void launchruntime(QtWindowLayer& layer);

// "Ablage" > "Neu" when asked for, then one file event per path, in order.
void queuestartevents(QtWindowLayer& layer, bool newReport, const std::vector<std::string>& files);

// Paths as given, made absolute against the current directory, byte for byte; empty ones are
// dropped.
std::vector<std::string> absolutepaths(const std::vector<std::string>& paths);

// Makes graphic window 0 the key window, so that it takes the keys, as soon as the program
// thread has initialised and shown it. The polling timer belongs to owner.
void focuswindowzerowhenshown(QObject* owner);

// Ends the process at once with code, after flushing the standard streams. The program thread
// and the refresh thread run for ever and may be waiting for the main thread; tearing down the
// windows and the runtime under them would pull the ground from under their feet.
[[noreturn]] void endprocess(int code);

} // namespace mdx::qt
