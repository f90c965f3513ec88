#include "base/log.h"

#include <mutex>

namespace mdx {
namespace {

struct LogSink {
    std::mutex lock;
    std::FILE* stream = stdout;
    std::function<void(std::string_view)> capture;
    bool lineOpen = false; // text without a line end was written last (progress dots)
};

LogSink& sink() {
    static LogSink instance;
    return instance;
}

// A line after text that left its line open (progress dots) starts a line of its own, so that
// every line still begins with its routine's name.
void write(std::string_view text, bool wholeLine) {
    LogSink& s = sink();
    std::lock_guard guard(s.lock);
    if (s.capture) {
        s.capture(text);
        return;
    }
    if (wholeLine && s.lineOpen) std::fputc('\n', s.stream);
    std::fwrite(text.data(), 1, text.size(), s.stream);
    std::fflush(s.stream);
    if (!text.empty()) s.lineOpen = text.back() != '\n';
}

// Control bytes in a line come from outside text (file contents, names, answers); written as
// "\x0A" they can neither end the line early nor forge a line of their own.
std::string escapedcontrols(std::string_view line) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(line.size() + 1);
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            text.push_back(c);
            continue;
        }
        text += "\\x";
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0xF]);
    }
    return text;
}

} // namespace

void logline(std::string_view line) {
    std::string text = escapedcontrols(line);
    text.push_back('\n');
    write(text, true);
}

void logtext(std::string_view text) {
    write(text, false);
}

void setlogstream(std::FILE* stream) {
    std::lock_guard guard(sink().lock);
    sink().stream = stream;
    sink().lineOpen = false;
}

void setlogcapture(std::function<void(std::string_view)> capture) {
    std::lock_guard guard(sink().lock);
    sink().capture = std::move(capture);
}

void lognotgraphic(std::string_view routine) {
    logline(std::string(routine) + ": Window is not a graphic window.");
}

void lognotinitialized(std::string_view routine, Int window) {
    logline(std::string(routine) + ": Window #" + std::to_string(window) + " not initialized.");
}

void lognowindow(std::string_view routine) {
    logline(std::string(routine) + ": Window does not exist.");
}

std::string hex8(Int value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint32_t>(value);
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[i] = digits[bits & 0xF];
        bits >>= 4;
    }
    return text;
}

} // namespace mdx
