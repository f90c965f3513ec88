#include "platform/qt/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

#include "app/event_state.h"
#include "app/events.h"
#include "app/menus.h"
#include "app/program.h"
#include "platform/qt/batch_run.h"
#include "platform/qt/display_check.h"
#include "platform/qt/instance_link.h"
#include "platform/qt/layer_window.h"
#include "platform/qt/qt_window_layer.h"
#include "platform/qt/selftest_grab.h"
#include "platform/qt/startup.h"
#include "report/report_program.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/upcalls.h"
#include "runtime/window_management.h"

namespace mdx::qt {
namespace {

constexpr const char* DesktopId = "io.miradex.miradex";

// The runtime hears of the end once, whichever way it comes (menu, session end).
void terminateonce() {
    static bool terminated = false;
    if (terminated) return;
    terminated = true;
    applicationWillTerminate();
}

// Set once the program is on its way out: from then on every window may close.
bool quitting = false;

// Quitting closes the windows first and ends the event loop; the runtime hears of the end
// after that, so its line is the last of the program's life.
void quitprogram() {
    quitting = true;
    QApplication::quit();
}

bool othershown(QtWindowLayer& layer, UInt8 closed) {
    for (UInt8 n = 0; LayerWindow* window = layer.windowwidget(n); ++n)
        if (n != closed && window->isVisible()) return true;
    return false;
}

// The close box hides a window; closing the last one shown ends the program, as programs on a
// Linux desktop do, since no menu bar stays to reach a program without windows.
bool acceptclose(QtWindowLayer& layer, UInt8 number) {
    if (quitting) return true;
    if (othershown(layer, number))
        layer.withdrawing([number] { t_MouseEventPostCloseBoxClick(number); });
    else
        QMetaObject::invokeMethod(qApp, quitprogram, Qt::QueuedConnection);
    return false;
}

// The end of the session (SIGTERM, SIGHUP, SIGINT) quits as the menu does. The handler only
// writes a byte; the main thread's event loop reads it.
int signalPipe[2] = {-1, -1};

void quitonsignals(QObject* owner) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        notifier->setEnabled(false);
        quitprogram();
    });
    struct sigaction action {};
    action.sa_handler = [](int) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

void followclosing(QtWindowLayer& layer) {
    for (UInt8 n = 0; LayerWindow* window = layer.windowwidget(n); ++n)
        window->closing = [&layer](UInt8 number) { return acceptclose(layer, number); };
}

void followactivation() {
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            applicationDidBecomeActive();
        else
            applicationWillResignActive();
    });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { terminateonce(); });
}

void showabout(QtWindowLayer& layer) {
    QMessageBox::about(layer.windowwidget(layer.frontWindow()), QString::fromUtf8("Über Miradex"),
                       QString::fromUtf8("<h3>Miradex %1</h3><p>Ein Bericht über die Hardware "
                                         "dieses Computers auf einem Zeichenbildschirm.</p>")
                           .arg(QApplication::applicationVersion()));
}

// The layer whose window 0 tells that the output is held.
QtWindowLayer* heldOutputLayer = nullptr;

bool outputwillhold(UInt8 code) {
    const EventQueue<t_Event>& keys = app().KeyEventQueue;
    if (!keys.pending() || windowlayer().isMainThread()) return false;
    const std::optional<t_Event> last = keys.newest();
    return last && last->Value == code;
}

void showoutputheld(bool held) {
    if (QtWindowLayer* layer = heldOutputLayer)
        layer->runOnMain([layer, held] { layer->setoutputheld(held); }, false);
}

// The output pause (Pause types code 19) as the frame has it, with window 0's title telling
// that the output waits for a key, so that a held screen is not taken for a hung program.
bool pauseandtell(UInt8 code, bool wait) {
    if (!wait || !outputwillhold(code)) return t_KeyPause(code, wait);
    showoutputheld(true);
    const bool held = t_KeyPause(code, wait);
    showoutputheld(false);
    return held;
}

void tellheldoutput(QtWindowLayer& layer) {
    heldOutputLayer = &layer;
    upcalls().PauseOutput = pauseandtell;
}

void connectmenus(QtWindowLayer& layer) {
    layer.menus().about = [&layer] { showabout(layer); };
    layer.menus().quit = [] { quitprogram(); };
}

// A later start hands over its documents: they are opened as if given here, and window 0 is
// shown and comes to the front, also when every window was hidden or window 0 was minimised.
void receive(QtWindowLayer& layer, const HandOver& handOver) {
    queuestartevents(layer, handOver.NewReport, handOver.Files);
    if (!windowready(0)) return; // shown by the program thread as soon as it is made
    t_WindowVisible(0, true);
    t_WindowFront(0);
    LayerWindow* window = layer.windowwidget(0);
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

[[noreturn]] void rundesktop(const CommandLine& commandLine,
                             std::chrono::steady_clock::time_point mainEntered) {
    const HandOver handOver{commandLine.NewReport, absolutepaths(commandLine.Files)};
    // Held until this program listens, or until it has handed over to the one that does.
    InstanceLock election;
    if (handtorunninginstance(handOver)) endprocess(0);

    QtWindowLayer layer;
    setwindowlayer(&layer);
    connectmenus(layer);
    tellheldoutput(layer);
    followclosing(layer);
    followactivation();
    launchruntime(layer);
    queuestartevents(layer, handOver.NewReport, handOver.Files);

    QObject owner;
    quitonsignals(&owner);
    focuswindowzerowhenshown(&owner);
    InstanceServer server([&layer](const HandOver& later) { receive(layer, later); });
    election.release();
    const QString grabPrefix = qEnvironmentVariable(SelfTestVariable);
    if (!grabPrefix.isEmpty()) startselftestgrab(layer, grabPrefix, mainEntered, &owner);
    endprocess(QApplication::exec());
}

} // namespace

void runapplication(char* programName, const CommandLine& commandLine,
                    std::chrono::steady_clock::time_point mainEntered) {
    // Batch runs need no display; the platform must be chosen before the application exists.
    if (commandLine.Batch) qputenv("QT_QPA_PLATFORM", "offscreen");
    installprogram();
    // Qt sees the program name only: the arguments are ours, also file names that look like
    // Qt's own options.
    static int qtArgc = 1;
    static char* qtArgv[] = {programName, nullptr};
    auto watch = std::make_optional<DisplayConnectionWatch>();
    QApplication app(qtArgc, qtArgv);
    watch.reset();
    QApplication::setApplicationName("Miradex");
    QApplication::setApplicationVersion(MIRADEX_VERSION);
    QGuiApplication::setDesktopFileName(DesktopId);
    speakgerman();
    if (commandLine.Batch) runbatch(commandLine);
    rundesktop(commandLine, mainEntered);
}

} // namespace mdx::qt
