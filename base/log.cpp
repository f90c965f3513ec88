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

constexpr unsigned char C1Lead = 0xC2; // UTF-8 of U+0080..U+009F: C2 followed by 80..9F
constexpr unsigned char C1First = 0x80;
constexpr unsigned char C1Last = 0x9F;

bool isc0(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

bool isc1at(std::string_view line, std::size_t at) {
    if (static_cast<unsigned char>(line[at]) != C1Lead || at + 1 >= line.size()) return false;
    const auto next = static_cast<unsigned char>(line[at + 1]);
    return next >= C1First && next <= C1Last;
}

void appendescaped(std::string& text, unsigned char byte) {
    static constexpr char digits[] = "0123456789ABCDEF";
    text += "\\x";
    text.push_back(digits[byte >> 4]);
    text.push_back(digits[byte & 0xF]);
}

// Control characters in a line come from outside text (file contents, names, answers); written
// as "\x0A" they can neither end the line early nor forge a line of their own. The C1 controls
// (U+0080..U+009F: NEL, CSI ...) are escaped byte by byte too ("\xC2\x9B"), since terminals act
// on them as they do on ESC sequences.
std::string escapedcontrols(std::string_view line) {
    std::string text;
    text.reserve(line.size() + 1);
    for (std::size_t at = 0; at < line.size(); ++at) {
        const auto byte = static_cast<unsigned char>(line[at]);
        if (isc1at(line, at)) {
            appendescaped(text, byte);
            appendescaped(text, static_cast<unsigned char>(line[++at]));
        } else if (isc0(byte)) {
            appendescaped(text, byte);
        } else {
            text.push_back(line[at]);
        }
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
