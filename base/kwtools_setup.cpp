// Set-up of the tool library, its character tables, pausing and the bundle location.
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <unistd.h>

#include "base/kwtools.h"
#include "base/log.h"

namespace mdx {
namespace {

constexpr bool inrange(int code, int low, int high) {
    return code >= low && code <= high;
}

// The tables are built at compile time, so they are ready (and read-only) even for a caller that
// runs before initkwtools.
constexpr std::array<UInt8, 256> uppercasetable() {
    std::array<UInt8, 256> table{};
    for (int code = 0; code < 256; ++code) {
        bool lower = inrange(code, 97, 122) || inrange(code, 224, 228) || inrange(code, 231, 246) ||
                     inrange(code, 249, 252);
        table[code] = static_cast<UInt8>(lower ? code - 32 : code);
    }
    return table;
}

constexpr std::array<UInt8, 256> lowercasetable() {
    std::array<UInt8, 256> table{};
    for (int code = 0; code < 256; ++code) {
        bool upper = inrange(code, 65, 90) || inrange(code, 192, 196) || inrange(code, 199, 214) ||
                     inrange(code, 217, 220);
        table[code] = static_cast<UInt8>(upper ? code + 32 : code);
    }
    return table;
}

constexpr std::array<int, 256> hexvaluetable() {
    std::array<int, 256> table{};
    for (int code = 0; code < 256; ++code) {
        if (inrange(code, '0', '9'))
            table[code] = code - '0';
        else if (inrange(code, 'A', 'F'))
            table[code] = code - 'A' + 10;
        else if (inrange(code, 'a', 'f'))
            table[code] = code - 'a' + 10;
        else
            table[code] = -1;
    }
    return table;
}

constexpr auto UppercaseTable = uppercasetable();
constexpr auto LowercaseTable = lowercasetable();
constexpr auto HexValueTable = hexvaluetable();
constexpr char HexDigits[] = "0123456789ABCDEF";

std::atomic<bool> initialized{false};

struct BundleLocation {
    std::mutex lock;
    std::string path;
};

BundleLocation& bundlelocation() {
    static BundleLocation instance;
    return instance;
}

std::string runningexecutable() {
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0) return "";
    path.resize(static_cast<std::size_t>(length));
    return path;
}

// The path without its last component ("/a/b" -> "/a", "/a" -> "/").
std::string parentfolder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

void initkwtools() {
    logline("initkwtools: Start.");
    srandom(static_cast<unsigned>(std::time(nullptr) & 0x7FFFFFFF));
    initialized = true;
    logline("initkwtools: End.");
}

bool kwtoolsinitialized() {
    return initialized;
}

UInt8 uppercase(UInt8 code) {
    return UppercaseTable[code];
}
UInt8 lowercase(UInt8 code) {
    return LowercaseTable[code];
}
int hexvalue(UInt8 code) {
    return HexValueTable[code];
}

char hexdigit(int value) {
    if (value < 0 || value > 15) return '\0';
    return HexDigits[value];
}

void pause(double seconds) {
    if (!(seconds > 0)) return; // also catches NaN
    // Beyond 60 years is bad input; capping keeps the conversion to time_t defined.
    seconds = std::min(seconds, 2e9);
    double whole = std::floor(seconds);
    timespec wait{static_cast<time_t>(whole), static_cast<long>((seconds - whole) * 1e9)};
    timespec left{};
    while (nanosleep(&wait, &left) != 0 && errno == EINTR)
        wait = left;
}

std::string bundlepath() {
    BundleLocation& location = bundlelocation();
    std::lock_guard guard(location.lock);
    if (location.path.empty()) {
        std::string executable = runningexecutable();
        if (!executable.empty()) location.path = bundlepathforexecutable(executable);
    }
    return location.path;
}

void setbundlepath(const std::string& path) {
    BundleLocation& location = bundlelocation();
    std::lock_guard guard(location.lock);
    location.path = path;
}

std::string bundlepathforexecutable(const std::string& executable) {
    std::string folder = parentfolder(executable);
    std::string contents = parentfolder(folder);
    if (lastpathcomponent(folder) == "MacOS" && lastpathcomponent(contents) == "Contents")
        return parentfolder(contents);
    return folder;
}

std::string lastpathcomponent(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace mdx
