#include "report/documents.h"

#include <sys/stat.h>

#include "report/report_hooks.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "text/cursor.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

constexpr UInt8 ReportWindow = 0;
constexpr Int MessageLine = 12;
constexpr Int ScreenColumns = 80;
constexpr std::string_view ReportExtension = ".mirdx";

std::string choosesavepath() {
    WindowLayer::SavePanelRequest request;
    request.FileName = defaultreportname(modelname());
    request.Title = "Miradex sichern";
    request.Message = "Sichern unter:";
    request.FileTypes = {"mirdx"};
    std::string path;
    onMainThread([&] { path = windowlayer().savePanel(request); });
    return path;
}

// Reads a file that may be a saved report; false, without reading, for one far too large or for
// a device or pipe.
bool readreport(const std::string& path, std::string& text) {
    if (examineoutsidefile(path, LargestReportFile) != OutsideFile::Readable) return false;
    text = getstringfromfile(path, LargestReportFile);
    return true;
}

void printreport(const std::string& text) {
    const OutsideTextGuard guard;
    t_Print(ReportWindow, text);
}

} // namespace

std::string reporttext() {
    return plainscreentext(t_GetScreen(ReportWindow, "\r"));
}

std::string defaultreportname(const std::string& model) {
    return replacestring(model, "-inch", "\"", false);
}

void shownoinfofile() {
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
    t_Vtab(ReportWindow, MessageLine);
    t_Print(ReportWindow, centertext("Diese Datei ist keine Info-Datei", ScreenColumns));
}

OutsideFile examineoutsidefile(const std::string& path, std::size_t limit) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return OutsideFile::Readable;
    if (!S_ISREG(info.st_mode)) return OutsideFile::NoFile;
    return static_cast<std::size_t>(info.st_size) > limit ? OutsideFile::TooLarge
                                                          : OutsideFile::Readable;
}

Bytes readoutsidefile(const std::string& path, std::size_t limit) {
    if (examineoutsidefile(path, limit) != OutsideFile::Readable) return {};
    return getbinaryfromfile(path, limit);
}

OutsideTextGuard::OutsideTextGuard() {
    if (!windowready(ReportWindow)) return;
    const t_Window& w = rt().WindowTable[ReportWindow];
    kept_ = true;
    mode_ = w.TextDisplayMode;
    inverse_ = w.TextInverse;
    colour_ = w.TextColor;
    border_ = w.RGBColorBorder;
}

OutsideTextGuard::~OutsideTextGuard() {
    if (!kept_ || !windowready(ReportWindow)) return;
    t_Window& w = rt().WindowTable[ReportWindow];
    w.TextDisplayMode = mode_;
    w.TextInverse = inverse_;
    w.TextColor = colour_;
    if (w.RGBColorBorder == border_) return;
    // The border is the window's background: the window shows the colour kept, too.
    w.RGBColorBorder = border_;
    const Handle object = w.Window;
    const t_RGBColor border = border_;
    if (object) onMainThread([&] { windowlayer().setBackgroundColor(object, border); });
    markchanged(ReportWindow);
}

void savereport() {
    const std::string text = reporttext();
    const std::string path = choosesavepath();
    if (!path.empty()) setstringtofile(path, text);
}

bool savereportto(const std::string& path) {
    return setstringtofile(path, reporttext());
}

// A file whose name does not end in ".mirdx" (compared exactly) is refused, as is one far too
// large for a saved report; the model name then keeps the file's full name.
void openreport(const std::string& path) {
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
    std::string text;
    const bool readable = readreport(path, text);
    const std::string name = lastpathcomponent(path);
    modelname() = name;
    if (!readable || !name.ends_with(ReportExtension)) {
        shownoinfofile();
    } else {
        modelname() = name.substr(0, name.size() - ReportExtension.size());
        printreport(text);
    }
    preparereportscreen();
}

} // namespace mdx
