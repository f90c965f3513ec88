#include "report/report_program.h"

#include <sys/stat.h>

#include <vector>

#include "app/program.h"
#include "report/documents.h"
#include "report/report.h"
#include "report/revarud.h"
#include "runtime/font.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"
#include "text/output.h"
#include "text/text_windows.h"

namespace mdx {
namespace {

constexpr Int ScreenWidth = 1312;
constexpr Int ScreenHeight = 800;
constexpr Int RevarudSystemFileSize = 6400;
constexpr Int RevarudScsiFileSize = 8192;
constexpr const char* PrinterBanner = "Miradex – Virtueller Drucker – 2001–2026";

using Step = std::function<void()>;
using PathStep = std::function<void(const std::string&)>;

template <class Function>
void fillin(Function& entry, const Function& fallback) {
    if (!entry) entry = fallback;
}

ReportRoutines withdefaults(ReportRoutines e) {
    fillin(e.RunReport, Step([] { runreport(); }));
    fillin(e.OpenReport, PathStep(openreport));
    fillin(e.ImportRevarud, PathStep(importrevarud));
    fillin(e.ImportRevarud6400, PathStep(importrevarud6400));
    fillin(e.ImportRevarud8192, PathStep(importrevarud8192));
    fillin(e.SaveReport, Step(savereport));
    return e;
}

// Window 0 keeps its full size on a screen of at least 1312 x 800 points.
void fittoscreen() {
    const bool fits = t_WindowPos(0, WindowItem::ScreenWidth) >= ScreenWidth &&
                      t_WindowPos(0, WindowItem::ScreenHeight) >= ScreenHeight;
    if (!fits) t_WindowSize(0, 50, 50, 688, 432);
}

// The size of a regular file, -1 for anything else. Asking the file system instead of reading
// the file keeps a huge file out of memory and a named pipe from holding the program for ever.
Int regularfilesize(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<Int>(info.st_size);
}

// A report's name sends it to the report opener whatever its size; other documents of the two
// Revarud Erur sizes are imports; everything else goes to the report opener, which also tells
// files that are no report documents.
void openfile(const ReportRoutines& entries, const std::string& path) {
    const Int size = path.ends_with(ReportExtension) ? -1 : regularfilesize(path);
    if (size == RevarudSystemFileSize)
        entries.ImportRevarud6400(path);
    else if (size == RevarudScsiFileSize)
        entries.ImportRevarud8192(path);
    else
        entries.OpenReport(path);
}

// The chosen path of an open panel whose title and message are the same; "" when cancelled.
std::string choosefile(const std::string& title, std::vector<std::string> types) {
    WindowLayer::OpenPanelRequest request;
    request.Title = title;
    request.Message = title;
    request.FileTypes = std::move(types);
    std::vector<std::string> paths;
    onMainThread([&] { paths = windowlayer().openPanel(request); });
    return paths.empty() ? std::string() : paths.front();
}

void programmenudispatch(const ReportRoutines& entries, const t_MenuEvent& event) {
    if (event.MenuTitle != "Ablage") return;
    if (event.ItemTitle == "Neu") {
        entries.RunReport();
    } else if (event.ItemTitle == "Öffnen…") {
        if (std::string path = choosefile("Miradex öffnen", {"mirdx"}); !path.empty())
            entries.OpenReport(path);
    } else if (event.ItemTitle == "Revarud Erur importieren…") {
        if (std::string path = choosefile("Revarud Erur öffnen", {}); !path.empty())
            entries.ImportRevarud(path);
    } else if (event.ItemTitle == "Sichern unter…") {
        entries.SaveReport();
    }
}

// Window 0 is shown as well: a hidden window's picture is never drawn.
void setupwindows() {
    const t_Font font = t_LoadFontResource("MenloRegular 16x32.font");
    t_InitWindow(0, 24, true, ScreenWidth, ScreenHeight, 16, 16, font, true);
    fittoscreen();
    t_WindowVisible(0, true);
    p_InitPrinter();
    p_SetPrinterWidth(82);
    p_SetRuler("");
    t_WindowTitle(VirtualPrinterWindowNumber, PrinterBanner);
}

} // namespace

void installprogram() {
    installapplicationsteps();
    setprogramwork(std::make_shared<ReportProgram>());
}

ReportProgram::ReportProgram(ReportRoutines routines)
    : entries_(withdefaults(std::move(routines))) {}

void ReportProgram::start() {
    setupwindows();
}

void ReportProgram::choose(const t_MenuEvent& event) {
    programmenudispatch(entries_, event);
}

void ReportProgram::open(const std::string& path) {
    openfile(entries_, path);
}

} // namespace mdx
