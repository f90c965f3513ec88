#include "platform/qt/beep.h"

#include <QApplication>
#include <QMetaObject>

#include <string>
#include <thread>

#include "base/kwtools.h"
#include "platform/sound/beep_player.h"

namespace mdx::qt {

// Opening an audio output can take a moment, so the bundle's sound is asked for on a thread of
// its own; without an audio output the system beep sounds instead, on the main thread.
void warningsound() {
    std::thread([] {
        const std::string sound = bundlepath() + "/Contents/Resources/sysbeep.aif";
        if (playbeep(sound)) return;
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    }).detach();
}

} // namespace mdx::qt
