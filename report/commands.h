// Finding and running outside commands and collecting what they write.
#pragma once

#include <string>
#include <vector>

#include "base/types.h"

namespace mdx {

// Result codes of a command run. They tell only which outputs were written; callers that need
// the process's own verdict look at CommandResult::ExitStatus.
inline constexpr Int CommandOk = 0;              // nothing on the error output
inline constexpr Int CommandErrorOnly = -2;      // only the error output was written
inline constexpr Int CommandBothOutputs = -3;    // standard output first, then the error output
inline constexpr Int CommandNotFound = -10;      // no file to run (or it could not be started)
inline constexpr Int CommandTimedOut = -11;      // ended by the runner after its time limit
inline constexpr Int CommandOutputTooLong = -12; // standard output ran over its bound

struct CommandResult {
    std::string Output;
    Int Code = CommandNotFound;
    // The two outputs as they came, for callers that need standard output alone.
    std::string StandardOutput;
    std::string ErrorOutput;
    // The process's exit status; -1 when it was not started, was ended by a signal or cut off.
    Int ExitStatus = -1;
};

// Each output keeps at most this many bytes; the rest is read and dropped, so that a runaway
// command can neither block on a full pipe nor fill the memory.
inline constexpr std::size_t CommandOutputLimit = 64u << 20;

// The directories searched for a bare command name, each ending in "/": the absolute ones named
// in MIRADEX_COMMAND_PATH (colon-separated) first, then the five system directories, then the
// bundle's Contents/Helpers/. Every one is absolute.
std::vector<std::string> commandsearchpath();
// A command beginning with "/" as it is; else the first entry of that name in the search path,
// else "" (never a name relative to the current directory).
std::string resolvecommand(const std::string& command);

// Runs a command on the calling thread (never the main thread: it waits for the process) and
// returns when it has ended. directory "" keeps the current one. A time limit above 0 seconds
// ends the process (and everything it started) when it runs longer. An output limit below
// CommandOutputLimit bounds what the caller can use at all: more standard output than that ends
// the process at once and gives CommandOutputTooLong with nothing collected.
CommandResult runcommand(const std::string& command, const std::string& directory,
                         const std::vector<std::string>& arguments, double timeLimit = 0,
                         std::size_t outputLimit = CommandOutputLimit);
// The same for a resolved executable path.
CommandResult launchcommand(const std::string& path, const std::string& directory,
                            const std::vector<std::string>& arguments, double timeLimit = 0,
                            std::size_t outputLimit = CommandOutputLimit);

} // namespace mdx
