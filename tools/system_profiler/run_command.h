// Running a helper command of the machine with bounds: a time limit after which it and what it
// started are ended, a cap on the output kept, no input and no error output.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mdx::sysprof {

// Standard output of the program at path (absolute) with the arguments, when it started and
// ended by itself with status 0 within the time limit; nothing otherwise. Output beyond limit
// bytes is read and dropped.
std::optional<std::string> runbounded(const std::string& path,
                                      const std::vector<std::string>& arguments,
                                      std::chrono::milliseconds timelimit,
                                      std::size_t limit = 1 << 20);

// The first folder that holds an executable of this name: the absolute folders of
// MIRADEX_COMMAND_PATH (colon-separated), then, unless systemfolders is false, the system's
// command folders (/usr/local/bin, /usr/bin, /bin, /usr/sbin, /sbin). Empty when none does.
std::string findcommand(const std::string& name, bool systemfolders = true);

// Video memory of each NVIDIA graphics device in the order the vendor's tool lists them, from
// its "--query-gpu=memory.total --format=csv,noheader,nounits" output (MiB, one line each),
// in bytes rounded up to whole GiB the way cards are sold (the tool leaves out what the driver
// reserves: 16376 MiB on a 16 GB card). A line that is no number gives 0.
std::vector<std::uint64_t> parsenvidiamemory(const std::string& output);

} // namespace mdx::sysprof
