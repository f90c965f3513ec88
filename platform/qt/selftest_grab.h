// A check of the whole program on a real X server, for tests: with the environment variable
// MIRADEX_SELFTEST_GRAB=<prefix>, the program waits until window 0 has been drawn at its final
// size with the program thread idle, grabs the screen and writes
//   <prefix>.png        the whole screen
//   <prefix>-image.png  the picture of window 0 (t_WindowImage) at the same moment
//   <prefix>.txt        screen, window and view geometry, title-bar height and start-up times
// and then ends (exit code 0, or 1 when nothing stable was drawn within 30 seconds).
#pragma once

#include <QString>

#include <chrono>

class QObject;

namespace mdx::qt {

class QtWindowLayer;

inline constexpr const char* SelfTestVariable = "MIRADEX_SELFTEST_GRAB";

// mainEntered: when main began.
void startselftestgrab(QtWindowLayer& layer, const QString& prefix,
                       std::chrono::steady_clock::time_point mainEntered, QObject* owner);

// Milliseconds since the process was started (exec), from the kernel's process record; -1 when
// it cannot be read. Resolution: one clock tick (10 ms).
qint64 millisecondssinceprocessstart();

} // namespace mdx::qt
