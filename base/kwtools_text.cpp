// Searching and cutting byte texts; positions are 1-based.
#include <algorithm>
#include <limits>

#include "base/kwtools.h"
#include "base/log.h"

namespace mdx {
namespace {

constexpr UInt8 Space = 32;

Text slice(const Text& text, std::size_t from, std::size_t to) {
    auto begin = text.Elements.begin();
    return Text{
        Bytes(begin + static_cast<std::ptrdiff_t>(from), begin + static_cast<std::ptrdiff_t>(to))};
}

} // namespace

Int position(const Text& text, const Text& pattern, Int start) {
    if (start < 1) {
        logline("position: Startposition must be >= 1 (" + tostring(pattern) + ")");
        return 0;
    }
    const Bytes& hay = text.Elements;
    const Bytes& needle = pattern.Elements;
    auto from = static_cast<std::size_t>(start - 1);
    if (needle.empty() || from >= hay.size() || needle.size() > hay.size() - from) return 0;
    auto hit = std::search(hay.begin() + static_cast<std::ptrdiff_t>(from), hay.end(),
                           needle.begin(), needle.end());
    if (hit == hay.end()) return 0;
    return static_cast<Int>(hit - hay.begin()) + 1;
}

KeyValue keyvalue(const Text& text, const Text& key, UInt8 terminator, Int start) {
    Int found = position(text, key, start);
    if (found == 0) return {};
    const Bytes& bytes = text.Elements;
    auto valuestart = static_cast<std::size_t>(found - 1) + key.Elements.size();
    auto end =
        std::find(bytes.begin() + static_cast<std::ptrdiff_t>(valuestart), bytes.end(), terminator);
    return {found, slice(text, valuestart, static_cast<std::size_t>(end - bytes.begin()))};
}

Text lefttext(const Text& text, Int n) {
    if (n < 1) return {};
    auto count = std::min(static_cast<std::size_t>(n), text.Elements.size());
    return slice(text, 0, count);
}

Text resttext(const Text& text, Int n) {
    if (n < 2) return text;
    auto from = static_cast<std::size_t>(n - 1);
    if (from >= text.Elements.size()) return {};
    return slice(text, from, text.Elements.size());
}

Text trimtext(const Text& text) {
    const Bytes& bytes = text.Elements;
    std::size_t first = 0;
    std::size_t last = bytes.size();
    while (first < last && bytes[first] == Space)
        ++first;
    while (last > first && bytes[last - 1] == Space)
        --last;
    return slice(text, first, last);
}

int comparetext(const Text& a, const Text& b) {
    const Bytes& x = a.Elements;
    const Bytes& y = b.Elements;
    auto [px, py] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
    if (px != x.end() && py != y.end()) return *px > *py ? 1 : -1;
    if (x.size() == y.size()) return 0;
    return x.size() > y.size() ? 1 : -1;
}

Int leadinginteger(const Text& text) {
    const Bytes& bytes = text.Elements;
    std::size_t at = 0;
    auto skipspaces = [&] {
        while (at < bytes.size() && bytes[at] == Space)
            ++at;
    };
    skipspaces();
    bool negative = at < bytes.size() && bytes[at] == '-';
    if (negative) ++at;
    skipspaces();
    // Saturates instead of overflowing on absurdly long digit runs.
    constexpr Int limit = std::numeric_limits<Int>::max();
    Int value = 0;
    for (; at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9'; ++at) {
        int digit = bytes[at] - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::vector<Text> splittext(const Text& text, UInt8 separator) {
    const Bytes& bytes = text.Elements;
    std::vector<Text> pieces;
    std::size_t from = 0;
    while (from < bytes.size()) {
        auto end =
            std::find(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), separator);
        auto to = static_cast<std::size_t>(end - bytes.begin());
        pieces.push_back(slice(text, from, to));
        from = to + 1;
    }
    return pieces;
}

Text jointext(const std::vector<Text>& pieces, UInt8 separator) {
    Text joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) joined.Elements.push_back(separator);
        const Bytes& piece = pieces[i].Elements;
        joined.Elements.insert(joined.Elements.end(), piece.begin(), piece.end());
    }
    return joined;
}

} // namespace mdx
