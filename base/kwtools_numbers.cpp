// Numbers in the German style: "," before the decimals, "." between groups of three digits.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/kwtools.h"

namespace mdx {
namespace {

// Widths and decimal counts beyond this are bad input; capping them keeps memory bounded.
constexpr Int MaximumLength = 32767;

// The character with the given code, as UTF-8.
std::string fillcharacter(UInt8 code) {
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

std::string fillleft(const std::string& s, UInt8 fillcode, Int width) {
    // Every character that reaches here is a single byte.
    auto length = static_cast<Int>(s.size());
    width = std::min(width, MaximumLength);
    if (length >= width) return s;
    std::string fill = fillcharacter(fillcode);
    std::string out;
    for (Int i = length; i < width; ++i)
        out += fill;
    return out + s;
}

// "1234567" -> "1.234.567"
std::string groupdigits(const std::string& digits) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back('.');
        out.push_back(digits[i]);
    }
    return out;
}

std::string twodigits(Int n) {
    return formatinteger(n, '0', 2, false);
}

// A number taken apart into sign, integer digits and fraction digits, with no exponent.
struct DecimalParts {
    bool negative = false;
    std::string integer;
    std::string fraction;
};

// Reads a form like "-1,25e+20" (mantissa with a decimal comma, optional exponent) and moves
// the comma by the exponent, so the digits are exact and nothing is rounded.
DecimalParts decimalparts(const std::string& text) {
    DecimalParts parts;
    std::string_view rest = text;
    if (!rest.empty() && rest.front() == '-') {
        parts.negative = true;
        rest.remove_prefix(1);
    }
    std::size_t e = rest.find('e');
    std::string_view mantissa = rest.substr(0, e);
    // The view ends where the string does, so the exponent digits are null-terminated.
    int exponent = e == std::string_view::npos ? 0 : std::atoi(rest.data() + e + 1);
    std::size_t comma = mantissa.find(',');
    std::string digits(mantissa.substr(0, comma));
    if (comma != std::string_view::npos) digits += mantissa.substr(comma + 1);
    auto point = static_cast<Int>(comma == std::string_view::npos ? mantissa.size() : comma);
    point += exponent;
    if (point <= 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    } else if (point > static_cast<Int>(digits.size())) {
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    }
    parts.integer = digits.substr(0, static_cast<std::size_t>(point));
    parts.fraction = digits.substr(static_cast<std::size_t>(point));
    std::size_t nonzero = parts.integer.find_first_not_of('0');
    parts.integer = nonzero == std::string::npos ? "0" : parts.integer.substr(nonzero);
    return parts;
}

} // namespace

std::string formatinteger(Int n, UInt8 fillcode, Int width, bool grouping) {
    // The magnitude as unsigned, so the most negative value has one too.
    std::uint64_t magnitude =
        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    std::string digits = std::to_string(magnitude);
    if (grouping) digits = groupdigits(digits);
    if (n < 0) digits.insert(0, 1, '-');
    return fillleft(digits, fillcode, width);
}

std::string realtostring(double x) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    std::string text(buffer, result.ptr);
    std::size_t point = text.find('.');
    if (point != std::string::npos) text[point] = ',';
    if (text.size() >= 2 && text.ends_with(",0")) text.resize(text.size() - 2);
    return text;
}

std::string formatreal(UInt8 fillcode, Int width, Int decimals, bool grouping, double x) {
    std::string shortest = realtostring(x);
    // "inf" and "nan" are returned as they are; so are their negative forms.
    if (static_cast<UInt8>(shortest.front()) > 63 || !std::isfinite(x)) return shortest;
    DecimalParts parts = decimalparts(shortest);
    std::string text = parts.negative ? "-" : "";
    text += grouping ? groupdigits(parts.integer) : parts.integer;
    decimals = std::min(decimals, MaximumLength);
    if (decimals > 0) {
        parts.fraction.resize(static_cast<std::size_t>(decimals), '0');
        text += "," + parts.fraction;
    }
    return fillleft(text, fillcode, width);
}

Uptime uptimetext(Int seconds) {
    // A negative uptime cannot happen; it is read as zero rather than shown with signs.
    if (seconds < 0) seconds = 0;
    Uptime up;
    up.Days = seconds / 86400;
    Int rest = seconds % 86400;
    up.Hours = rest / 3600;
    rest %= 3600;
    up.Minutes = rest / 60;
    up.Seconds = rest % 60;
    up.Text = twodigits(up.Hours) + ":" + twodigits(up.Minutes) + ":" + twodigits(up.Seconds);
    if (up.Days != 0) up.Text = formatinteger(up.Days, ' ', 1, true) + "#" + up.Text;
    return up;
}

} // namespace mdx
