// Saved reports: the report window's text written to a ".mirdx" file and printed back from one,
// and the pieces that the Revarud Erur import shares with them for files from outside.
#pragma once

#include <string>

#include "base/kwtools.h"

namespace mdx {

// A saved report holds one screen, a few kilobytes; anything far larger is no saved report, and
// printing it would keep the program busy for minutes.
inline constexpr std::size_t LargestReportFile = 262144;

// The screen text of window 0, lines ended by carriage returns, graphic characters made plain.
std::string reporttext();
// The name the save panel offers: the model name with its first "-inch" written as '"'.
std::string defaultreportname(const std::string& model);

// "Diese Datei ist keine Info-Datei" centred on line 12 of the cleared report window.
void shownoinfofile();

// What reading a file from outside would meet.
enum class OutsideFile { Readable, TooLarge, NoFile };
// A regular file up to `limit` bytes, and a path that cannot be examined (reading it then tells
// why), are Readable; devices, pipes and sockets, which may never end, are NoFile.
OutsideFile examineoutsidefile(const std::string& path, std::size_t limit);
// The file's bytes when it is Readable and, as read, no longer than limit; else none.
Bytes readoutsidefile(const std::string& path, std::size_t limit);

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
