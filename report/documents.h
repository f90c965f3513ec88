// Saved reports: the report window's text written to a ".mirdx" file and printed back from one,
// and the pieces that the Revarud Erur import shares with them for files from outside.
#pragma once

#include <string>
#include <string_view>

#include "base/kwtools.h"

namespace mdx {

inline constexpr std::string_view ReportExtension = ".mirdx";

// A saved report holds one screen, a few kilobytes; anything far larger is no saved report, and
// printing it would keep the program busy for minutes.
inline constexpr std::size_t LargestReportFile = 262144;

// Shows a saved report document, or tells that the file is none.
void openreport(const std::string& path);
// Saves the report screen through a save panel.
void savereport();
// Saves the report screen as "Sichern unter…" saves it, to the given path without a panel (the
// batch mode's --save). False when nothing was written.
bool savereportto(const std::string& path);

// The screen text of window 0 as files and standard output get it: lines separated by carriage
// returns without trailing blanks, graphic characters made plain, and a cell that holds a control
// code written as its control picture (U+2400 + code), never as the control byte itself.
std::string reporttext();
// The name the save panel offers: the model name with its first "-inch" written as '"', made
// safe as a file name.
std::string defaultreportname(const std::string& model);

// "Diese Datei ist keine Info-Datei" centred on line 12 of the cleared report window, and the
// failure told with the file's name and `reason` (a batch run ends with status 1).
void refusenoinfofile(const std::string& path, const std::string& reason);

// A report file's text with the line ends Linux tools make (LF or CRLF) as the report's own
// carriage returns. A text with a lone carriage return is left as it is: it is a saved report
// whose line feeds mean a line down.
std::string withreportlineends(std::string text);

// Reads a file from outside (a document, an import) of at most limit bytes without ever
// waiting on a pipe or device: 0 and its bytes, or the error number (see readfilefromoutside).
int readoutsidefile(const std::string& path, std::size_t limit, Bytes& bytes);

// Tells the user that a file could not be saved or opened: an alert in the window program, a
// line on standard error and exit status 1 in a batch run. Call on the program thread.
void tellfailure(const std::string& message, const std::string& detail);

// A name from outside made safe to propose as a file name: no "/", no control bytes, no leading
// dots or spaces.
std::string safefilename(const std::string& name);

// Window 0's title names the document it shows ("bericht.mirdx – Miradex"); "" for none.
void showdocumenttitle(const std::string& path);

// Writes the report text to path, telling the user when that failed; whether it was saved.
bool savereporttext(const std::string& path, const std::string& text);

// Keeps the display mode, inverse flag, colour and border colour of window 0 across printing text
// from outside, whose control codes may change them.
class OutsideTextGuard {
  public:
    OutsideTextGuard();
    ~OutsideTextGuard();
    OutsideTextGuard(const OutsideTextGuard&) = delete;
    OutsideTextGuard& operator=(const OutsideTextGuard&) = delete;

  private:
    bool kept_ = false;
    Int mode_ = 0;
    bool inverse_ = false;
    UInt8 colour_ = 0;
    t_RGBColor border_;
};

} // namespace mdx
