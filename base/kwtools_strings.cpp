// String routines of the tool library. Strings hold UTF-8 and are counted in characters: a
// character is one well-formed UTF-8 sequence, or a single byte that does not start one (such a
// byte stands for the Latin-1 character of the same code, so nothing is ever dropped).
#include <string>

#include "base/kwtools.h"

namespace mdx {
namespace {

constexpr Int MaximumRepeat = 32767;

UInt8 byteat(std::string_view s, std::size_t at) {
    return static_cast<UInt8>(s[at]);
}

// Length of the well-formed UTF-8 sequence that starts at `at`, or 0 when none starts there.
std::size_t sequencelength(std::string_view s, std::size_t at) {
    UInt8 lead = byteat(s, at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    UInt8 low = 0x80;  // range of the second byte; it excludes overlong forms, surrogates and
    UInt8 high = 0xBF; // codes above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        UInt8 b = byteat(s, at + i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

// Bytes taken by the character at `at`.
std::size_t characterlength(std::string_view s, std::size_t at) {
    std::size_t length = sequencelength(s, at);
    return length == 0 ? 1 : length;
}

// Byte offset of the n-th character (1-based), or s.size() when there are fewer.
std::size_t characteroffset(std::string_view s, Int n) {
    std::size_t at = 0;
    for (Int i = 1; i < n && at < s.size(); ++i)
        at += characterlength(s, at);
    return at;
}

std::size_t charactercount(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < s.size(); at += characterlength(s, at))
        ++count;
    return count;
}

void appendlatin1(std::string& out, UInt8 code) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

bool iswhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

Text totext(std::string_view s) {
    return Text{Bytes(s.begin(), s.end())};
}

std::string tostring(const Text& t) {
    std::string_view bytes(reinterpret_cast<const char*>(t.Elements.data()), t.Elements.size());
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = sequencelength(bytes, at);
        if (length == 0) {
            appendlatin1(out, byteat(bytes, at));
            ++at;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
    }
    return out;
}

bool isvalidutf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = sequencelength(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string reststring(const std::string& s, Int n) {
    if (n < 2) return s;
    return s.substr(characteroffset(s, n));
}

std::string charat(const std::string& s, Int n) {
    if (n < 1) return "";
    std::size_t at = characteroffset(s, n);
    if (at >= s.size()) return "";
    return s.substr(at, characterlength(s, at));
}

Int charcode(const std::string& s) {
    if (s.empty()) return 0;
    std::size_t length = sequencelength(s, 0);
    if (length <= 1) return byteat(s, 0);
    static constexpr UInt8 leadmask[] = {0, 0, 0x1F, 0x0F, 0x07};
    Int code = byteat(s, 0) & leadmask[length];
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (byteat(s, i) & 0x3F);
    return code;
}

std::string replacestring(const std::string& s, const std::string& find, const std::string& with,
                          bool all) {
    if (find.empty()) return s;
    std::string out;
    std::size_t from = 0;
    for (std::size_t hit; (hit = s.find(find, from)) != std::string::npos;) {
        out.append(s, from, hit - from);
        out.append(with);
        from = hit + find.size();
        if (!all) break;
    }
    out.append(s, from);
    return out;
}

std::string spaces(Int n) {
    if (n < 1 || n > MaximumRepeat) return "";
    return std::string(static_cast<std::size_t>(n), ' ');
}

std::string withoutcontrolcodes(std::string_view s) {
    std::string kept;
    kept.reserve(s.size());
    for (char c : s)
        if (static_cast<UInt8>(c) >= 32 && c != 127) kept += c;
    return kept;
}

std::string repeatstring(const std::string& s, Int n) {
    if (n < 1 || n > MaximumRepeat) return "";
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (Int i = 0; i < n; ++i)
        out.append(s);
    return out;
}

std::string centertext(const std::string& s, Int width) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && iswhitespace(s[first]))
        ++first;
    while (last > first && iswhitespace(s[last - 1]))
        --last;
    std::string trimmed = s.substr(first, last - first);
    auto length = static_cast<Int>(charactercount(trimmed));
    if (length >= width) return trimmed;
    return spaces((width - length) / 2) + trimmed;
}

} // namespace mdx
