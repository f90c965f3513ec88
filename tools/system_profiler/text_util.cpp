#include "tools/system_profiler/text_util.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace mdx::sysprof {

namespace {

bool isblank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0';
}

bool isdigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not valid.
std::size_t utf8length(std::string_view text, std::size_t i) {
    auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80                    ? 1
                         : byte >= 0xC2 && byte <= 0xDF ? 2
                         : byte >= 0xE0 && byte <= 0xEF ? 3
                         : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

} // namespace

std::string trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isblank(text[begin]))
        ++begin;
    while (end > begin && isblank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> splitlines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> splitwords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

bool startswith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endswith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string lowercase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool printable(std::string_view text) {
    if (text.empty()) return false;
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return false;
        std::size_t length = utf8length(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::optional<std::uint64_t> parseunsigned(std::string_view text) {
    std::string clean = trim(text);
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    if (error != std::errc() || end != clean.data() + clean.size() || clean.empty()) return {};
    return value;
}

std::optional<std::int64_t> parsesigned(std::string_view text) {
    std::string clean = trim(text);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    if (error != std::errc() || end != clean.data() + clean.size() || clean.empty()) return {};
    return value;
}

std::optional<std::uint64_t> parsehex(std::string_view text) {
    std::string clean = trim(text);
    std::string_view digits = clean;
    if (startswith(digits, "0x") || startswith(digits, "0X")) digits.remove_prefix(2);
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return {};
    return value;
}

std::optional<double> parsedecimal(std::string_view text) {
    std::string clean = trim(text);
    std::size_t dot = clean.find('.');
    auto whole = parseunsigned(std::string_view(clean).substr(0, dot));
    if (!whole) return {};
    double value = static_cast<double>(*whole);
    if (dot == std::string::npos) return value;
    std::string fraction = clean.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 9) return {};
    auto digits = parseunsigned(fraction);
    if (!digits) return {};
    return value +
           static_cast<double>(*digits) / std::pow(10.0, static_cast<double>(fraction.size()));
}

std::set<int> parsecpulist(std::string_view text, std::size_t limit) {
    std::set<int> cpus;
    std::string clean = trim(text);
    if (clean.empty()) return cpus;
    std::size_t start = 0;
    while (start <= clean.size()) {
        std::size_t end = clean.find(',', start);
        if (end == std::string::npos) end = clean.size();
        std::string part = clean.substr(start, end - start);
        std::size_t dash = part.find('-');
        auto first = parseunsigned(part.substr(0, dash));
        auto last = dash == std::string::npos ? first : parseunsigned(part.substr(dash + 1));
        if (!first || !last || *last < *first || *last >= limit) return {};
        for (auto cpu = *first; cpu <= *last; ++cpu)
            cpus.insert(static_cast<int>(cpu));
        start = end + 1;
    }
    return cpus;
}

std::set<int> parsecpumask(std::string_view text, std::size_t limit) {
    std::string clean = trim(text);
    std::vector<std::string> words;
    for (std::size_t start = 0; start <= clean.size();) {
        std::size_t end = std::min(clean.find(',', start), clean.size());
        words.push_back(clean.substr(start, end - start));
        start = end + 1;
    }
    std::set<int> cpus;
    std::size_t base = 0;
    for (auto word = words.rbegin(); word != words.rend(); ++word, base += 32) {
        auto bits = parsehex(*word);
        if (!bits || word->size() > 8 || word->find_first_of("xX") != std::string::npos) return {};
        for (std::size_t bit = 0; bit < 32; ++bit) {
            if ((*bits >> bit & 1) == 0) continue;
            if (base + bit >= limit) return {};
            cpus.insert(static_cast<int>(base + bit));
        }
    }
    return cpus;
}

bool naturalless(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isdigit(a[i]) && isdigit(b[j])) {
            std::size_t iend = i;
            std::size_t jend = j;
            while (iend < a.size() && isdigit(a[iend]))
                ++iend;
            while (jend < b.size() && isdigit(b[jend]))
                ++jend;
            std::string_view x = std::string_view(a).substr(i, iend - i);
            std::string_view y = std::string_view(b).substr(j, jend - j);
            while (x.size() > 1 && x[0] == '0')
                x.remove_prefix(1);
            while (y.size() > 1 && y[0] == '0')
                y.remove_prefix(1);
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = iend;
            j = jend;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;
}

std::string hex4(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%04llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string shortdecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string cachesizetext(std::uint64_t kib) {
    if (kib < 1024 || kib % 256 != 0) return std::to_string(kib) + " KB";
    return shortdecimal(static_cast<double>(kib) / 1024.0) + " MB";
}

std::string memorysizetext(std::uint64_t bytes) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    constexpr std::uint64_t GiB = 1024 * MiB;
    if (bytes >= GiB) return std::to_string((bytes + GiB / 2) / GiB) + " GB";
    return std::to_string((bytes + MiB / 2) / MiB) + " MB";
}

std::string frequencytext(std::uint64_t khz) {
    if (khz >= 1000000) return shortdecimal(static_cast<double>(khz) / 1e6) + " GHz";
    return std::to_string((khz + 500) / 1000) + " MHz";
}

} // namespace mdx::sysprof
