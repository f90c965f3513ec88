#include "platform/qt/beep.h"

#include <QApplication>
#include <QMetaObject>

#include <string>

#include "base/kwtools.h"
#include "platform/sound/beep_player.h"

namespace mdx::qt {
namespace {

// Queued, since the player calls it from its own thread.
void systembeep() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { QApplication::beep(); }, Qt::QueuedConnection);
}

} // namespace

// The bundle's sound through the one player; without an audio output, the system beep.
void warningsound() {
    ringbell(bundlepath() + "/Contents/Resources/sysbeep.aif", systembeep);
}

} // namespace mdx::qt
