#include "platform/qt/startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "app/events.h"
#include "app/menus.h"
#include "app/program.h"
#include "platform/qt/qt_window_layer.h"
#include "platform/qt/selftest_trace.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "runtime/window_management.h"

#ifdef MIRADEX_COVERAGE
extern "C" void __gcov_dump(); // _Exit skips the flush of the coverage counters at exit
#endif

namespace mdx::qt {
namespace {

constexpr int WindowZeroPollMs = 5;

} // namespace

void speakgerman() {
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    static QTranslator translator;
    if (translator.isEmpty() &&
        translator.load(german, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

void launchruntime(QtWindowLayer& layer) {
    applicationWillFinishLaunching();
    applicationDidFinishLaunching(layer.titlebarheight());
}

void queuestartevents(QtWindowLayer& layer, bool newReport, const std::vector<std::string>& files) {
    if (newReport) {
        if (auto choice = layer.menus().choiceof("Ablage", "Neu")) t_MenuEventHandler(*choice);
    }
    for (const std::string& file : files) {
        selftesttrace("file " + file);
        t_PostFileEvent(file, 0);
    }
}

// Joined as bytes, never through text: a file name need not be valid UTF-8.
std::vector<std::string> absolutepaths(const std::vector<std::string>& paths) {
    std::string directory;
    if (char* current = ::getcwd(nullptr, 0)) {
        directory = current;
        std::free(current);
    }
    std::vector<std::string> absolute;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        if (path[0] == '/' || directory.empty())
            absolute.push_back(path);
        else
            absolute.push_back(directory + (directory.back() == '/' ? "" : "/") + path);
    }
    return absolute;
}

void focuswindowzerowhenshown(QObject* owner) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        if (!windowready(0) || !rt().WindowTable[0].Visible) return;
        timer->stop();
        timer->deleteLater();
        t_WindowFront(0);
    });
    timer->start(WindowZeroPollMs);
}

void endprocess(int code) {
    std::fflush(nullptr);
#ifdef MIRADEX_COVERAGE
    __gcov_dump();
#endif
    std::_Exit(code);
}

} // namespace mdx::qt
