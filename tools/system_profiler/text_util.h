// Small text helpers for reading kernel files and writing the profiler's values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace mdx::sysprof {

std::string trim(std::string_view text);
std::vector<std::string> splitlines(std::string_view text);
// Splits at runs of blanks and tabs.
std::vector<std::string> splitwords(std::string_view text);
bool startswith(std::string_view text, std::string_view prefix);
bool endswith(std::string_view text, std::string_view suffix);
std::string lowercase(std::string_view text);

// True for text that can stand as one value of the output: not empty, valid UTF-8, no control
// characters. Kernel files damaged or filled with binary data fail this and are left out.
bool printable(std::string_view text);

// Numbers as the kernel writes them; nothing for anything else (also for values out of range).
std::optional<std::uint64_t> parseunsigned(std::string_view text);
std::optional<std::int64_t> parsesigned(std::string_view text);
// Hexadecimal with or without "0x".
std::optional<std::uint64_t> parsehex(std::string_view text);
// A decimal number with an optional fraction, such as "2793.438".
std::optional<double> parsedecimal(std::string_view text);

// A CPU list such as "0-3,8,10-11". Empty for damaged lists and for lists naming a processor
// number at or above limit (the processors the machine shows), so that a damaged range cannot
// name billions of them.
std::set<int> parsecpulist(std::string_view text, std::size_t limit);
// A CPU mask as older kernels write it: hexadecimal words of 32 processors each, separated by
// commas, the highest first ("ff,ffffffff" names processors 0 to 39). Empty for damaged masks
// and for masks naming a processor at or above limit.
std::set<int> parsecpumask(std::string_view text, std::size_t limit);

// Orders names so that numbers inside them compare by value: card2 before card10.
bool naturalless(const std::string& a, const std::string& b);

// "0x8086" style identifiers with four hexadecimal digits (more when the value needs them).
std::string hex4(std::uint64_t value);

// A number with at most two decimals, trailing zeros dropped: 2.8, 11.5, 3.
std::string shortdecimal(double value);

// Cache sizes given in KiB: "48 KB", "1.25 MB", "24 MB".
std::string cachesizetext(std::uint64_t kib);
// Memory sizes in bytes, rounded to whole units: "16 GB", "512 MB".
std::string memorysizetext(std::uint64_t bytes);
// Clock in kHz: "2.8 GHz", "800 MHz".
std::string frequencytext(std::uint64_t khz);

} // namespace mdx::sysprof
