#include "runtime/readback.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/checked_window.h"
#include "runtime/state.h"

namespace mdx {
namespace {

constexpr UInt8 CarriageReturn = 13;

// The character plane of a window's text block: TextWidth x TextHeight bytes.
struct CharacterPlane {
    const UInt8* bytes = nullptr;
    Int columns = 0;
    Int lines = 0;
};

// The plane, or nothing when the window has no text block that holds its grid.
bool findplane(const Runtime& r, UInt8 window, CharacterPlane& plane) {
    if (!r.MemoryInitialized || r.WindowTable.size() != GraphicWindowCount) return false;
    const t_Window& w = *windowrecord(r, window);
    if (!w.Initialized || w.TextMemoryStart < 0 || w.TextWidth < 1 || w.TextHeight < 1)
        return false;
    const Int end = std::min<Int>(w.TextMemoryEnd, static_cast<Int>(r.VideoMemory.size()) - 1);
    if (end - w.TextMemoryStart + 1 < w.TextWidth * w.TextHeight) return false;
    plane = {r.VideoMemory.data() + w.TextMemoryStart, w.TextWidth, w.TextHeight};
    return true;
}

// Byte b as the UTF-8 form of U+00bb.
void appendlatin1(std::string& text, UInt8 b) {
    if (b < 0x80) {
        text.push_back(static_cast<char>(b));
    } else {
        text.push_back(static_cast<char>(0xC0 | b >> 6));
        text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
}

std::string readplane(const CharacterPlane& plane, const std::string& separator) {
    std::string text;
    text.reserve(static_cast<std::size_t>(plane.lines * (plane.columns + 1) * 2));
    const UInt8* cell = plane.bytes;
    for (Int l = 0; l < plane.lines; ++l) {
        for (Int c = 0; c < plane.columns; ++c)
            appendlatin1(text, *cell++);
        text += separator;
    }
    return text;
}

void droptrailingspaces(Text& line) {
    Bytes& b = line.Elements;
    while (!b.empty() && b.back() == ' ')
        b.pop_back();
}

std::string tidylines(const std::string& text) {
    std::vector<Text> lines = splittext(totext(text), CarriageReturn);
    for (Text& line : lines)
        droptrailingspaces(line);
    while (lines.size() > 1 && lines.back().Elements.empty())
        lines.pop_back();
    return tostring(jointext(lines, CarriageReturn));
}

// Replacements for U+007F to U+00A0, in order.
constexpr std::array<const char*, 34> PlainCharacters{
    "#", "*", "#", "<", "=", ">", "O", "+", "+", "+", "+", "|", "|", "-", "-", "+", "+",
    "+", "+", "+", "+", "+", "+", "+", "+", "+", "+", "-", "-", "|", "|", "+", "=", "\xCB\xBD"};

} // namespace

std::string t_GetScreen(UInt8 window, const std::string& separator) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_GetScreen");
        return "";
    }
    const std::shared_ptr<Runtime> runtime = currentruntime();
    CharacterPlane plane;
    if (!findplane(*runtime, window, plane)) {
        lognotinitialized("t_GetScreen", window);
        return "";
    }
    std::string text = readplane(plane, separator);
    return separator.empty() ? text : tidylines(text);
}

// U+007F is one byte; U+0080 to U+00A0 are 0xC2 followed by 0x80 to 0xA0. 0xC2 only ever starts
// a character, so scanning the bytes finds exactly these characters.
std::string plainscreentext(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<UInt8>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<UInt8>(text[i + 1]) : 0;
        if (b == 0x7F) {
            plain += PlainCharacters[0];
        } else if (b == 0xC2 && next >= 0x80 && next <= 0xA0) {
            plain += PlainCharacters[next - 0x7F];
            ++i;
        } else {
            plain.push_back(text[i]);
        }
    }
    return plain;
}

} // namespace mdx
