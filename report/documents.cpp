#include "report/documents.h"

#include <optional>
#include <vector>

#include "report/report.h"
#include "runtime/checked_window.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

constexpr Int TextWidthItem = 6; // t_WindowPos: the text block's width in cells
// A cell holding control code c is written as U+2400 + c, "\xE2\x90" and 0x80 + c in UTF-8.
constexpr std::string_view ControlPictureLead = "\xE2\x90";
constexpr UInt8 FirstControlPictureByte = 0x80;
constexpr UInt8 ControlCodeCount = 32;
// Display mode 2 stores the character code - 64 for the codes 64 to 95: the control codes.
constexpr Int ControlCellMode = 2;
constexpr UInt8 ControlCellOffset = 64;
constexpr Int PlainMode = 0;
constexpr Int RefusalLine = 12; // where a file that is no report is refused
constexpr Int ScreenColumns = 80;
constexpr const char* ProgramName = "Miradex";
constexpr const char* EmptyScreen = "Das Fenster ist leer, es gibt nichts zu sichern.";

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

// Reads a file that may be a saved report: 0, or why it cannot be one (an error number, with
// EmptyFile for a file without a byte).
int readreport(const std::string& path, std::string& text) {
    int error = 0;
    text = getstringfromfile(path, LargestReportFile, error);
    if (error != 0) return error;
    return text.empty() ? EmptyFile : 0;
}

std::string quotedpath(const std::string& path) {
    return "\u201E" + path + "\u201C";
}

// A report file over the limit is no damaged report but one that is only too long: its message
// says so and names the limit.
void tellopenfailure(const std::string& path, int error) {
    if (error == EFBIG && path.ends_with(ReportExtension)) {
        tellfailure(quotedpath(path) + " ist zu lang für einen gesicherten Bericht.",
                    "Ein Bericht hat höchstens " + formatinteger(LargestReportFile, ' ', 1, true) +
                        " Bytes.");
        return;
    }
    tellfailure(quotedpath(path) + " konnte nicht geöffnet werden.", fileerrortext(error));
}

// A cell with a control code in it, as display mode 2 makes one; the mode is plain afterwards,
// as it is all through a saved report.
void printcontrolcell(UInt8 code) {
    t_DisplayMode(ReportWindow, ControlCellMode);
    t_PrintChar(ReportWindow, static_cast<UInt8>(code + ControlCellOffset));
    t_DisplayMode(ReportWindow, PlainMode);
}

// The control code whose picture starts at `at`, or nothing.
std::optional<UInt8> controlpictureat(std::string_view text, std::size_t at) {
    if (at + ControlPictureLead.size() >= text.size()) return std::nullopt;
    const auto last = static_cast<UInt8>(text[at + ControlPictureLead.size()]);
    if (last < FirstControlPictureByte || last >= FirstControlPictureByte + ControlCodeCount)
        return std::nullopt;
    return static_cast<UInt8>(last - FirstControlPictureByte);
}

// A control picture that a save wrote for a cell becomes that cell again, so that a saved
// report reopens as the screen it was saved from.
void printdocument(std::string_view text) {
    const OutsideTextGuard guard;
    std::size_t start = 0;
    for (std::size_t at = text.find(ControlPictureLead); at != std::string_view::npos;
         at = text.find(ControlPictureLead, at + 1)) {
        const std::optional<UInt8> code = controlpictureat(text, at);
        if (!code) continue;
        t_Print(ReportWindow, text.substr(start, at - start));
        printcontrolcell(*code);
        start = at + ControlPictureLead.size() + 1;
    }
    t_Print(ReportWindow, text.substr(start));
}

void appendcontrolpicture(std::string& line, UInt8 code) {
    line += ControlPictureLead;
    line += static_cast<char>(FirstControlPictureByte + code);
}

// Window 0's cells line by line, each cell one character (a byte, or two for the codes from
// 128 on), a control code as its picture.
std::vector<std::string> screenlines() {
    const std::string grid = t_GetScreen(ReportWindow, "");
    const Int columns = t_WindowPos(ReportWindow, TextWidthItem);
    std::vector<std::string> lines(1);
    Int column = 0;
    for (std::size_t at = 0; at < grid.size() && columns > 0; ++column) {
        if (column == columns) {
            lines.emplace_back();
            column = 0;
        }
        const auto byte = static_cast<UInt8>(grid[at]);
        const std::size_t length = byte >= 0xC0 ? 2 : 1;
        if (byte < ControlCodeCount)
            appendcontrolpicture(lines.back(), byte);
        else
            lines.back().append(grid, at, length);
        at += length;
    }
    return lines;
}

} // namespace

std::string reporttext() {
    std::vector<std::string> lines = screenlines();
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    std::string text;
    for (std::size_t k = 0; k < lines.size(); ++k)
        text += (k == 0 ? "" : "\r") + lines[k];
    return plainscreentext(text);
}

std::string defaultreportname(const std::string& model) {
    return safefilename(replacestring(model, "-inch", "\"", false));
}

// Model names come from outside (a network answer, the firmware): a path separator, a control
// byte or a leading dot could make the proposed name point into another folder or hide it.
std::string safefilename(const std::string& name) {
    std::string safe;
    for (char c : name) {
        const auto byte = static_cast<UInt8>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F) continue;
        if (c == '.' && safe.find_first_not_of(' ') == std::string::npos) continue;
        safe.push_back(c);
    }
    safe.erase(0, safe.find_first_not_of(' '));
    return safe;
}

void tellfailure(const std::string& message, const std::string& detail) {
    onMainThread([&] { windowlayer().alert(message, detail); });
}

void refusenoinfofile(const std::string& path, const std::string& reason) {
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
    t_Vtab(ReportWindow, RefusalLine);
    t_Print(ReportWindow, centertext("Diese Datei ist keine Info-Datei", ScreenColumns));
    tellfailure(quotedpath(path) + " ist keine Info-Datei.", reason);
}

std::string withreportlineends(std::string text) {
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1))
        if (at + 1 == text.size() || text[at + 1] != '\n') return text;
    std::string ends;
    ends.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at)
        if (text[at] != '\r') ends += text[at] == '\n' ? '\r' : text[at];
    return ends;
}

int readoutsidefile(const std::string& path, std::size_t limit, Bytes& bytes) {
    return readfilefromoutside(path, limit, bytes);
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

void showdocumenttitle(const std::string& path) {
    t_WindowTitle(ReportWindow, path.empty() ? std::string(ProgramName)
                                             : lastpathcomponent(path) + " – " + ProgramName);
}

void savereport() {
    const std::string text = reporttext();
    if (text.empty()) {
        tellfailure("Der Bericht konnte nicht gesichert werden.", EmptyScreen);
        return;
    }
    const std::string path = choosesavepath();
    if (!path.empty()) savereporttext(path, text);
}

bool savereportto(const std::string& path) {
    return savereporttext(path, reporttext());
}

// An empty screen would make a file that opens as no report: nothing is written.
bool savereporttext(const std::string& path, const std::string& text) {
    if (text.empty()) {
        tellfailure("Der Bericht konnte nicht als " + quotedpath(path) + " gesichert werden.",
                    EmptyScreen);
        return false;
    }
    const int error = savestringtofile(path, text);
    if (error != 0)
        tellfailure("Der Bericht konnte nicht als " + quotedpath(path) + " gesichert werden.",
                    fileerrortext(error));
    else
        showdocumenttitle(path);
    return error == 0;
}

// A file that cannot be read leaves the screen and the proposed name as they were, and says
// why. A file whose name does not end in ".mirdx" (compared exactly) is refused on the screen;
// the model name then keeps the file's full name.
void openreport(const std::string& path) {
    std::string text;
    if (const int error = readreport(path, text); error != 0) {
        tellopenfailure(path, error);
        return;
    }
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
    const std::string name = lastpathcomponent(path);
    modelname() = name;
    if (!name.ends_with(ReportExtension)) {
        refusenoinfofile(path,
                         "Gesicherte Berichte haben Namen, die auf \u201E.mirdx\u201C enden.");
        showdocumenttitle("");
    } else {
        modelname() = name.substr(0, name.size() - ReportExtension.size());
        printdocument(withreportlineends(text));
        showdocumenttitle(path);
    }
    preparereportscreen();
}

} // namespace mdx
