#include "report/report_facts.h"

#include <charconv>
#include <sstream>

#include "runtime/readback.h"

namespace mdx {
namespace {

// Window 0 is 1312 pixels wide in characters 16 pixels wide; a longer line goes on in the next.
constexpr std::size_t ScreenColumns = 82;
constexpr std::uint32_t LargestCellCode = 255;

// In the order of ReportLabel.
constexpr std::array<std::string_view, ReportLabelCount> PrintedLabels = {
    "Hardware           = ", "Modellbezeichnung  = ", "Prozessor          = ",
    "Taktfrequenz       = ", "Anzahl Prozessoren = ", "Anzahl Kerne       = ",
    "Anzahl Threads     = ", "L2-Cache pro Kern  = ", "L2-Cache pro CPU   = ",
    "L2-Cache           = ", "L3-Cache           = ", "RAM Speicher       = ",
    "Boot ROM Version   = ", "System Firmware    = ", "SMC Version        = ",
    "Schnittstellen     = ", "Grafikkarte        = ", "Bildschirm         = ",
    "Seriennummer       = ", "Hostname           = ", "Computer-Adresse   = ",
    "Router-Adresse     = ", "Internet-Adresse   = ", "Linux Version      = ",
    "macOS Version      = ", "Eingeschaltet seit = ", "Single-Core        = ",
    "Multi-Core         = "};

// The label as a batch line shows it when its value is empty: trailing blanks are removed.
std::string_view stem(std::string_view label) {
    return label.substr(0, label.find_last_not_of(' ') + 1);
}

std::optional<ReportLabel> labelof(const std::string& line) {
    for (std::size_t k = 0; k < ReportLabelCount; ++k) {
        const std::string_view begin = stem(PrintedLabels[k]);
        if (line.starts_with(begin) && (line.size() == begin.size() || line[begin.size()] == ' '))
            return static_cast<ReportLabel>(k);
    }
    return std::nullopt;
}

// Characters, not bytes: a value with umlauts fills a screen line with fewer characters than
// bytes.
std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (const char byte : text)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

// The length of the well-formed UTF-8 sequence at `at` (no overlong forms, surrogates or values
// above U+10FFFF), 0 when the byte there starts none; the printer takes such a byte as a
// character of its own value.
std::size_t sequencelength(std::string_view s, std::size_t at, std::uint32_t& code) {
    const auto lead = static_cast<unsigned char>(s[at]);
    const std::size_t length = lead < 0xC0   ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF8 ? 4
                                             : 0;
    if (length == 0 || at + length > s.size()) return 0;
    code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void appendcell(std::string& cells, std::uint32_t code) {
    if (code > LargestCellCode) code = '?';
    if (code < 0x80) {
        cells.push_back(static_cast<char>(code));
        return;
    }
    cells.push_back(static_cast<char>(0xC0 | (code >> 6)));
    cells.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

} // namespace

std::string_view printedlabel(ReportLabel label) {
    return PrintedLabels[static_cast<std::size_t>(label)];
}

std::string labelwords(ReportLabel label) {
    const std::string_view printed = printedlabel(label);
    const std::string_view name = printed.substr(0, printed.find('='));
    return std::string(name.substr(0, name.find_last_not_of(' ') + 1));
}

std::string screenform(std::string_view value) {
    std::string cells;
    cells.reserve(value.size());
    for (std::size_t at = 0; at < value.size();) {
        std::uint32_t code = static_cast<unsigned char>(value[at]);
        const std::size_t length = sequencelength(value, at, code);
        appendcell(cells, length == 0 ? static_cast<unsigned char>(value[at]) : code);
        at += length == 0 ? 1 : length;
    }
    return plainscreentext(cells);
}

ReportFacts factsofscreen(const std::string& screen) {
    ReportFacts facts;
    std::istringstream in(screen);
    bool full = false; // the line before was a fact's line that filled the screen's width
    for (std::string line; std::getline(in, line);) {
        if (const std::optional<ReportLabel> label = labelof(line)) {
            const std::size_t width = printedlabel(*label).size();
            facts.push_back({*label, line.size() > width ? line.substr(width) : ""});
        } else if (full && !line.empty()) {
            facts.back().Value += line;
        } else {
            full = false;
            continue;
        }
        full = characters(line) == ScreenColumns;
    }
    return facts;
}

std::optional<double> gflopsfigure(const std::string& value) {
    constexpr std::string_view Unit = " GFLOPs";
    if (value.size() <= Unit.size() || !value.ends_with(Unit)) return std::nullopt;
    std::string number;
    for (const char c : value.substr(0, value.size() - Unit.size())) {
        if (c == '.') continue; // thousands
        if ((c < '0' || c > '9') && c != ',') return std::nullopt;
        number += c == ',' ? '.' : c;
    }
    double figure = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), figure);
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return figure;
}

} // namespace mdx
