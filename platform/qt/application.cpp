#include "platform/qt/application.h"

#include <QApplication>
#include <QMessageBox>

#include "app/menus.h"
#include "app/program.h"
#include "platform/qt/batch_run.h"
#include "platform/qt/instance_link.h"
#include "platform/qt/layer_window.h"
#include "platform/qt/qt_window_layer.h"
#include "platform/qt/selftest_grab.h"
#include "platform/qt/startup.h"
#include "report/report_hooks.h"

namespace mdx::qt {
namespace {

constexpr const char* DesktopId = "io.miradex.Miradex";

// The runtime hears of the end once, whichever way it comes (menu, session end).
void terminateonce() {
    static bool terminated = false;
    if (terminated) return;
    terminated = true;
    applicationWillTerminate();
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

void connectmenus(QtWindowLayer& layer) {
    layer.menus().about = [&layer] { showabout(layer); };
    layer.menus().quit = [] {
        terminateonce();
        QApplication::quit();
    };
}

// A later start hands over its documents: they are opened as if given here, and the program
// comes to the front.
void receive(QtWindowLayer& layer, const HandOver& handOver) {
    queuestartevents(layer, handOver.NewReport, handOver.Files);
    const UInt8 front = layer.frontWindow() == NoWindow ? 0 : layer.frontWindow();
    if (layer.isVisible(layer.window(front))) layer.makeKeyAndOrderFront(layer.window(front));
}

[[noreturn]] void rundesktop(const CommandLine& commandLine,
                             std::chrono::steady_clock::time_point mainEntered) {
    const HandOver handOver{commandLine.NewReport, absolutepaths(commandLine.Files)};
    if (handtorunninginstance(handOver)) endprocess(0);

    QtWindowLayer layer;
    setwindowlayer(&layer);
    connectmenus(layer);
    followactivation();
    launchruntime(layer);
    queuestartevents(layer, handOver.NewReport, handOver.Files);

    QObject owner;
    focuswindowzerowhenshown(&owner);
    InstanceServer server([&layer](const HandOver& later) { receive(layer, later); });
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
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName("Miradex");
    QApplication::setApplicationVersion(MIRADEX_VERSION);
    QGuiApplication::setDesktopFileName(DesktopId);
    if (commandLine.Batch) runbatch(commandLine);
    rundesktop(commandLine, mainEntered);
}

} // namespace mdx::qt
