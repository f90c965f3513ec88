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
// The memory installed: the online blocks of the memory directory times its block size; when
// that gives nothing, MemTotal of the meminfo file rounded up as the profiler rounds it
// (installedfromtotal in base/memory_size.h).
std::uint64_t physicalmemory(const std::string& memoryDirectory = "/sys/devices/system/memory",
                             const std::string& meminfoPath = "/proc/meminfo");
std::string hostname();
std::string operatingsystemversionstring();
Int systemuptime();

// The pieces, for reading copied files.
// Block size from the hexadecimal text of block_size_bytes; 0 when it is no number.
std::uint64_t memoryblocksize(const std::string& text);
// MemTotal of a meminfo text in bytes; 0 when absent.
std::uint64_t memtotal(const std::string& meminfo);
// PRETTY_NAME of an os-release text, unquoted; "" when absent.
std::string prettyname(const std::string& osRelease);
std::string versionstring(const std::string& prettyName, const std::string& kernelRelease);

} // namespace mdx
