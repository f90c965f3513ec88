#include "report/machine.h"

#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "base/memory_size.h"

namespace mdx {
namespace {

// The files read here are a few lines long; more than this is not one of them.
constexpr std::streamsize ReadLimit = 1 << 20;

std::string readsmallfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::string text;
    char chunk[4096];
    while (in && static_cast<std::streamsize>(text.size()) < ReadLimit) {
        in.read(chunk, sizeof chunk);
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

bool isblank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && (isblank(s[first]) || s[first] == '\n' || s[first] == '\r'))
        ++first;
    while (last > first && (isblank(s[last - 1]) || s[last - 1] == '\n' || s[last - 1] == '\r'))
        --last;
    return s.substr(first, last - first);
}

int digitvalue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The leading number of text in the given base, 0 when there is none or it overflows.
std::uint64_t leadingnumber(const std::string& text, int base) {
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = digitvalue(c, base);
        if (digit < 0) break;
        if (value > (max - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return 0;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return value;
}

bool isonlineblock(const std::filesystem::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("memory", 0) != 0 || name.size() == 6) return false;
    if (name.find_first_not_of("0123456789", 6) != std::string::npos) return false;
    return trimmed(readsmallfile((entry.path() / "online").string())) == "1";
}

std::uint64_t onlineblockcount(const std::string& memoryDirectory) {
    std::error_code error;
    std::filesystem::directory_iterator blocks(memoryDirectory, error);
    if (error) return 0;
    std::uint64_t count = 0;
    for (const auto& entry : blocks)
        if (isonlineblock(entry)) ++count;
    return count;
}

// Undoes the shell quoting of an os-release value: double quotes with backslash escapes, single
// quotes, or none.
std::string unquoted(const std::string& value) {
    if (value.size() < 2) return value;
    const char quote = value.front();
    if ((quote != '"' && quote != '\'') || value.back() != quote) return value;
    std::string out;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (quote == '"' && value[i] == '\\' && i + 2 < value.size()) ++i;
        out += value[i];
    }
    return out;
}

std::string kernelrelease() {
    utsname names{};
    if (uname(&names) != 0) return "";
    return names.release;
}

} // namespace

std::uint64_t memoryblocksize(const std::string& text) {
    std::string digits = trimmed(text);
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits.erase(0, 2);
    return leadingnumber(digits, 16);
}

std::uint64_t memtotal(const std::string& meminfo) {
    std::istringstream lines(meminfo);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("MemTotal:", 0) != 0) continue;
        const std::uint64_t kib = leadingnumber(trimmed(line.substr(9)), 10);
        return kib > std::numeric_limits<std::uint64_t>::max() / 1024 ? 0 : kib * 1024;
    }
    return 0;
}

std::string prettyname(const std::string& osRelease) {
    std::string name;
    std::istringstream lines(osRelease);
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        if (line.rfind("PRETTY_NAME=", 0) == 0) name = unquoted(line.substr(12));
    }
    return name;
}

std::string versionstring(const std::string& prettyName, const std::string& kernelRelease) {
    return "Version " + prettyName + " (Kernel " + kernelRelease + ")";
}

Int activeprocessorcount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<Int>(count) : 1;
}

std::uint64_t physicalmemory(const std::string& memoryDirectory, const std::string& meminfoPath) {
    const std::uint64_t size =
        memoryblocksize(readsmallfile(memoryDirectory + "/block_size_bytes"));
    const std::uint64_t blocks = size > 0 ? onlineblockcount(memoryDirectory) : 0;
    if (blocks > 0 && blocks <= std::numeric_limits<std::uint64_t>::max() / size)
        return blocks * size;
    return installedfromtotal(memtotal(readsmallfile(meminfoPath)));
}

std::string hostname() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

std::string operatingsystemversionstring() {
    std::string text = readsmallfile("/etc/os-release");
    if (text.empty()) text = readsmallfile("/usr/lib/os-release");
    std::string name = prettyname(text);
    if (name.empty()) name = "Linux"; // what os-release itself takes when the field is missing
    return versionstring(name, kernelrelease());
}

Int systemuptime() {
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0;
    return static_cast<Int>(now.tv_sec);
}

MachineFacts machinefacts() {
    return {activeprocessorcount(), physicalmemory(), hostname(), operatingsystemversionstring(),
            systemuptime()};
}

} // namespace mdx
