#include "platform/qt/batch_run.h"

#include <QApplication>
#include <QImage>
#include <QTimer>

#include <cstdio>

#include "app/program.h"
#include "base/log.h"
#include "platform/qt/batch_json.h"
#include "platform/qt/qt_window_layer.h"
#include "platform/qt/startup.h"
#include "report/report_hooks.h"
#include "runtime/image.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/window_management.h"

namespace mdx::qt {
namespace {

constexpr int PollMs = 20;
// How long the program may sit idle without window 0 before the run counts as failed (a font
// that cannot be loaded leaves the window uninitialised for good).
constexpr int IdlePollsWithoutWindow = 250;

void complain(const std::string& message) {
    std::fprintf(stderr, "miradex: %s\n", message.c_str());
}

// Saves the screen as "Sichern unter…" would, without its panel.
bool savescreen(const std::string& path) {
    if (savereportto(path)) return true;
    complain("Der Bericht konnte nicht nach „" + path + "“ gesichert werden.");
    return false;
}

bool writepng(const std::string& path) {
    t_WindowVisible(0, true); // a picture is made of shown windows only
    const std::optional<WindowImage> image = t_WindowImage(0);
    if (!image) {
        complain("Fenster 0 hat kein Bild.");
        return false;
    }
    const QImage wrapped(reinterpret_cast<const uchar*>(image->Pixels.data()),
                         static_cast<int>(image->Width), static_cast<int>(image->Height),
                         static_cast<qsizetype>(image->Width) * 4, QImage::Format_RGB32);
    if (wrapped.save(QString::fromStdString(path), "PNG")) return true;
    complain("Das Bild konnte nicht nach „" + path + "“ geschrieben werden.");
    return false;
}

// "--json": the report's lines as JSON; a screen without a report gives an empty object and
// the exit code 1.
std::string jsonform(const std::string& text, bool& ok) {
    if (std::optional<std::string> json = batchjson(text)) return *json;
    complain("Der Bildschirm zeigt keinen Bericht.");
    ok = false;
    return "{}\n";
}

// Saving, picture and text, in that order; a failed save or picture makes the exit code 1 but
// the text is printed all the same.
[[noreturn]] void finish(const CommandLine& commandLine) {
    bool ok = true;
    if (!commandLine.SavePath.empty()) ok = savescreen(commandLine.SavePath) && ok;
    if (!commandLine.PngPath.empty()) ok = writepng(commandLine.PngPath) && ok;
    std::string text = batchtext(plainscreentext(t_GetScreen(0, "\r")));
    if (commandLine.Json) text = jsonform(text, ok);
    std::fwrite(text.data(), 1, text.size(), stdout);
    applicationWillTerminate();
    endprocess(ok ? 0 : 1);
}

} // namespace

std::string batchtext(const std::string& screen) {
    std::string text;
    std::string line;
    auto endline = [&] {
        line.erase(line.find_last_not_of(' ') + 1);
        text += line;
        text += '\n';
        line.clear();
    };
    for (std::size_t i = 0; i < screen.size(); ++i) {
        if (screen[i] == '\r') {
            if (i + 1 < screen.size() && screen[i + 1] == '\n') ++i;
            endline();
        } else if (screen[i] == '\n') {
            endline();
        } else {
            line += screen[i];
        }
    }
    if (!line.empty()) endline();
    return text;
}

void runbatch(const CommandLine& commandLine) {
    setlogstream(stderr);
    QtWindowLayer::Options options;
    options.Invisible = true;
    options.Screen = Size{1920, 1080};
    QtWindowLayer layer(options);
    setwindowlayer(&layer);
    launchruntime(layer);
    queuestartevents(layer, commandLine.NewReport, absolutepaths(commandLine.Files));

    QTimer poll;
    int idleWithoutWindow = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!programidle()) return;
        if (windowready(0)) finish(commandLine);
        if (++idleWithoutWindow < IdlePollsWithoutWindow) return;
        complain("Fenster 0 wurde nicht eingerichtet.");
        endprocess(1);
    });
    poll.start(PollMs);
    QApplication::exec();
    endprocess(1);
}

} // namespace mdx::qt
