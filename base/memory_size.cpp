#include "base/memory_size.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace mdx {
namespace {

// block_size_bytes, online and meminfo are a few lines long; more than this is none of them.
constexpr std::size_t ReadLimit = 1 << 16;
constexpr std::size_t BlockPrefixLength = 6; // "memory" of "memory123"

std::string readsmallfile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::string text(ReadLimit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::string trimmed(const std::string& s) {
    const char* const blanks = " \t\r\n";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

int digitvalue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The leading number of text in the given base, 0 when there is none or it overflows. Byte by
// byte, whatever the process locale says about numbers.
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
    if (name.rfind("memory", 0) != 0 || name.size() == BlockPrefixLength) return false;
    if (name.find_first_not_of("0123456789", BlockPrefixLength) != std::string::npos) return false;
    return trimmed(readsmallfile(entry.path() / "online")) == "1";
}

std::uint64_t onlineblockcount(const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::directory_iterator blocks(directory, error);
    if (error) return 0;
    std::uint64_t count = 0;
    for (const auto& entry : blocks)
        if (isonlineblock(entry)) ++count;
    return count;
}

std::uint64_t onlineblockbytes(const std::filesystem::path& directory) {
    const std::uint64_t size = memoryblocksize(readsmallfile(directory / "block_size_bytes"));
    const std::uint64_t count = size > 0 ? onlineblockcount(directory) : 0;
    if (count == 0 || count > std::numeric_limits<std::uint64_t>::max() / size) return 0;
    return count * size;
}

} // namespace

std::uint64_t memoryblocksize(const std::string& text) {
    std::string digits = trimmed(text);
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits.erase(0, 2);
    return leadingnumber(digits, 16);
}

std::uint64_t memtotal(const std::string& meminfo) {
    constexpr std::string_view Key = "MemTotal:";
    std::istringstream lines(meminfo);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(Key, 0) != 0) continue;
        const std::uint64_t kib = leadingnumber(trimmed(line.substr(Key.size())), 10);
        return kib > std::numeric_limits<std::uint64_t>::max() / 1024 ? 0 : kib * 1024;
    }
    return 0;
}

std::uint64_t installedmemory(const std::string& root) {
    const std::filesystem::path base(root.empty() ? std::string("/") : root);
    std::uint64_t bytes = onlineblockbytes(base / "sys/devices/system/memory");
    if (bytes == 0) bytes = memtotal(readsmallfile(base / "proc/meminfo"));
    return installedfromtotal(bytes);
}

} // namespace mdx
