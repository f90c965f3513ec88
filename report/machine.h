// What the report reads about the machine from the operating system itself, not from the
// profiler: processors, memory, host name, system version and uptime. /proc, /sys and
// /etc/os-release are parsed byte by byte, whatever the process locale says about numbers.
#pragma once

#include <cstdint>
#include <string>

#include "base/types.h"

namespace mdx {

struct MachineFacts {
    Int ProcessorCount = 1;           // active (online) processors
    std::uint64_t PhysicalMemory = 0; // bytes as installed
    std::string HostName;
    std::string VersionString; // "Version <PRETTY_NAME> (Kernel <release>)"
    Int Uptime = 0;            // seconds since boot
};

MachineFacts machinefacts();

Int activeprocessorcount();
// The memory installed (installedmemory of base/memory_size.h), read below MIRADEX_SYSROOT
// when that names a copied tree, as the bundled profiler reads it.
std::uint64_t physicalmemory();
std::string hostname();
std::string operatingsystemversionstring();
Int systemuptime();

// The pieces, for reading copied files.
// PRETTY_NAME of an os-release text, unquoted; "" when absent.
std::string prettyname(const std::string& osRelease);
std::string versionstring(const std::string& prettyName, const std::string& kernelRelease);

} // namespace mdx
