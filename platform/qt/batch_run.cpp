#include "platform/qt/batch_run.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include "app/program.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "platform/qt/batch_json.h"
#include "platform/qt/qt_window_layer.h"
#include "platform/qt/startup.h"
#include "report/documents.h"
#include "runtime/checked_window.h"
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

// "-" in place of a path: the bytes go to standard output instead of a file.
constexpr const char* StandardOutput = "-";

// 0, or the error number of a failed write to standard output.
int writestandardoutput(std::string_view data) {
    errno = 0;
    if (std::fwrite(data.data(), 1, data.size(), stdout) == data.size() && std::fflush(stdout) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}

// The picture is written like a saved report: into a temporary file beside the target, then
// renamed over it, so a failed write leaves an older picture as it was.
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
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    int error = wrapped.save(&buffer, "PNG") ? 0 : EIO;
    const std::string_view bytes(png.constData(), static_cast<std::size_t>(png.size()));
    if (error == 0)
        error =
            path == StandardOutput ? writestandardoutput(bytes) : writefileatomically(path, bytes);
    if (error == 0) return true;
    const std::string where =
        path == StandardOutput ? "auf die Standardausgabe" : "nach \u201E" + path + "\u201C";
    complain("Das Bild konnte nicht " + where + " geschrieben werden. " + fileerrortext(error));
    return false;
}

bool writereport(const std::string& path) {
    if (path != StandardOutput) return savereportto(path);
    const int error = writestandardoutput(reporttext());
    if (error != 0)
        complain("Der Bericht konnte nicht auf die Standardausgabe geschrieben werden. " +
                 fileerrortext(error));
    return error == 0;
}

// Standard output carries one thing: the screen text, its JSON form, the saved report or the
// picture; two of them would run into each other.
bool standardoutputclaimedtwice(const CommandLine& commandLine) {
    const int claims = (commandLine.SavePath == StandardOutput ? 1 : 0) +
                       (commandLine.PngPath == StandardOutput ? 1 : 0) + (commandLine.Json ? 1 : 0);
    return claims > 1;
}

// "--json": the report's lines as JSON; a screen without a report gives an empty object and
// the exit code 1.
std::string jsonform(const std::string& text, bool& ok) {
    if (std::optional<std::string> json = batchjson(text)) return *json;
    complain("Der Bildschirm zeigt keinen Bericht.");
    ok = false;
    return "{}\n";
}

// Saving, picture and text, in that order; a failed save or picture, or any file that could
// not be opened (the layer's alerts), makes the exit code 1 but the text is printed all the
// same.
[[noreturn]] void finish(const CommandLine& commandLine, const QtWindowLayer& layer) {
    bool ok = true;
    if (!commandLine.SavePath.empty()) ok = writereport(commandLine.SavePath) && ok;
    if (!commandLine.PngPath.empty()) ok = writepng(commandLine.PngPath) && ok;
    if (commandLine.SavePath != StandardOutput && commandLine.PngPath != StandardOutput) {
        std::string text = batchtext(reporttext());
        if (commandLine.Json) text = jsonform(text, ok);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    applicationWillTerminate();
    endprocess(ok && !layer.alerted() ? 0 : 1);
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
    if (standardoutputclaimedtwice(commandLine)) {
        complain("Nur eines von \u201E--save -\u201C, \u201E--png -\u201C und \u201E--json\u201C "
                 "kann auf die Standardausgabe schreiben.");
        endprocess(1);
    }
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
        if (windowready(0)) finish(commandLine, layer);
        if (++idleWithoutWindow < IdlePollsWithoutWindow) return;
        complain("Fenster 0 wurde nicht eingerichtet.");
        endprocess(1);
    });
    poll.start(PollMs);
    QApplication::exec();
    endprocess(1);
}

} // namespace mdx::qt
