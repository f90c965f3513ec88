#include "report/report_lines.h"

#include <charconv>
#include <sstream>

namespace mdx {
namespace {

// Window 0 is 1312 pixels wide in characters 16 pixels wide; a longer line goes on in the next.
constexpr std::size_t ScreenColumns = 82;

// The label as a batch line shows it when its value is empty: trailing blanks are removed.
std::string stem(const std::string& label) {
    return label.substr(0, label.find_last_not_of(' ') + 1);
}

const std::string* labelof(const std::string& line) {
    for (const std::string& label : reportlabels()) {
        const std::string begin = stem(label);
        if (line.compare(0, begin.size(), begin) == 0 &&
            (line.size() == begin.size() || line[begin.size()] == ' '))
            return &label;
    }
    return nullptr;
}

std::string words(const std::string& label) {
    const std::string name = label.substr(0, label.find('='));
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

// Characters, not bytes: a value with umlauts fills a screen line with fewer characters than
// bytes.
std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (const char byte : text)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

} // namespace

const std::vector<std::string>& reportlabels() {
    static const std::vector<std::string> labels = {
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
    return labels;
}

std::vector<ReportLine> reportlines(const std::string& screen) {
    std::vector<ReportLine> lines;
    std::istringstream in(screen);
    bool full = false; // the line before was a report line that filled the screen's width
    for (std::string line; std::getline(in, line);) {
        if (const std::string* label = labelof(line)) {
            const std::string value = line.size() > label->size() ? line.substr(label->size()) : "";
            lines.push_back({words(*label), value});
        } else if (full && !line.empty()) {
            lines.back().Value += line;
        } else {
            full = false;
            continue;
        }
        full = characters(line) == ScreenColumns;
    }
    return lines;
}

std::optional<double> gflopsfigure(const std::string& value) {
    constexpr std::string_view Unit = " GFLOPs";
    if (value.size() <= Unit.size() || value.compare(value.size() - Unit.size(), Unit.size(), Unit))
        return std::nullopt;
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
