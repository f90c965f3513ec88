#include "report/machine.h"

#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
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

std::uint64_t physicalmemory() {
    // A copied tree named for the bundled profiler stands for the machine here too, so that the
    // report's memory and the profiler's agree.
    const char* root = std::getenv("MIRADEX_SYSROOT");
    return installedmemory(root != nullptr ? root : "");
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
