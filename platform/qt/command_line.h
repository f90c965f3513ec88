// The program's command line:
//   miradex [--new] [--batch [--json]] [--save PATH] [--png PATH] [FILE ...]
//   miradex --help | --version
#pragma once

#include <string>
#include <vector>

namespace mdx::qt {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action What = Action::Run;
    bool NewReport = false; // queue "Ablage" > "Neu" before the files
    bool Batch = false;     // no windows; print window 0's screen text when the events are done
    std::string SavePath;   // batch: save the report there, as "Sichern unter…" does
    std::string PngPath;    // batch: write window 0's picture there
    bool Json = false;      // batch: print the report's lines as JSON instead of the text
    std::vector<std::string> Files;
    std::string Error; // German, for standard error, when What is Error
};

// Reads the arguments after the program name. "--" ends the options; "--save=PATH" and
// "--png=PATH" work as well as the two-word forms.
CommandLine parsecommandline(const std::vector<std::string>& arguments);

std::string usagetext();
std::string versiontext();

} // namespace mdx::qt
