#include "tools/system_profiler/pci_ids.h"

#include <array>
#include <cstdio>

#include "tools/system_profiler/sysroot.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

constexpr std::size_t MaxListSize = 16 * 1024 * 1024;
constexpr std::array ListPaths{"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids",
                               "/usr/share/pci.ids"};

std::string hexdigits(std::uint32_t value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", width, value);
    return buffer;
}

std::string loadlist(const SysRoot& root) {
    for (const char* path : ListPaths)
        if (auto text = root.read(path, MaxListSize)) return *text;
    return {};
}

} // namespace

const std::string& PciIds::text() const {
    if (!loaded_) {
        loaded_ = true;
        std::string list = loadlist(*root_);
        if (list.empty() && !root_->islive()) list = loadlist(SysRoot("/"));
        // A leading line end lets every line, the first too, be found as "\n" + its start.
        text_ = "\n" + list;
    }
    return text_;
}

std::string_view PciIds::findline(std::string_view head, std::size_t from, std::size_t to) const {
    const std::string& list = text();
    std::string needle = "\n" + std::string(head);
    std::size_t at = list.find(needle, from);
    if (at == std::string::npos || at >= to) return {};
    std::size_t start = at + needle.size();
    std::size_t end = list.find('\n', start);
    if (end == std::string::npos) end = list.size();
    return std::string_view(list).substr(start, end - start);
}

std::size_t PciIds::blockend(std::size_t offset) const {
    const std::string& list = text();
    std::size_t at = list.find('\n', offset + 1);
    while (at != std::string::npos && at + 1 < list.size() &&
           (list[at + 1] == '\t' || list[at + 1] == '#'))
        at = list.find('\n', at + 1);
    return at == std::string::npos ? list.size() : at;
}

std::string PciIds::vendor(std::uint32_t vendor) const {
    return trim(findline(hexdigits(vendor, 4) + "  ", 0, std::string::npos));
}

std::string PciIds::device(std::uint32_t vendor, std::uint32_t device) const {
    std::string_view line = findline(hexdigits(vendor, 4) + "  ", 0, std::string::npos);
    if (line.empty()) return {};
    std::size_t offset = static_cast<std::size_t>(line.data() - text().data());
    return trim(findline("\t" + hexdigits(device, 4) + "  ", offset, blockend(offset)));
}

std::string PciIds::classname(std::uint32_t classcode) const {
    std::string_view line =
        findline("C " + hexdigits((classcode >> 16) & 0xFF, 2) + "  ", 0, std::string::npos);
    if (line.empty()) return {};
    std::size_t offset = static_cast<std::size_t>(line.data() - text().data());
    std::string_view sub =
        findline("\t" + hexdigits((classcode >> 8) & 0xFF, 2) + "  ", offset, blockend(offset));
    return trim(sub.empty() ? line : sub);
}

std::string shortvendor(std::string_view name) {
    std::string text = trim(name);
    if (startswith(text, "Advanced Micro Devices")) return "AMD";
    static constexpr std::array<std::pair<const char*, const char*>, 8> Known{{
        {"lenovo", "Lenovo"},
        {"asustek", "ASUS"},
        {"micro-star", "MSI"},
        {"hewlett-packard", "HP"},
        {"toshiba", "Toshiba"},
        {"samsung", "Samsung"},
        {"fujitsu", "Fujitsu"},
        {"gigabyte", "Gigabyte"},
    }};
    std::string lower = lowercase(text);
    for (const auto& [start, shortname] : Known)
        if (startswith(lower, start)) return shortname;
    static constexpr std::array Forms{",",
                                      " corporation",
                                      " corp.",
                                      " inc.",
                                      " inc",
                                      " co.",
                                      " co ",
                                      " ltd",
                                      " gmbh",
                                      " semiconductor",
                                      " electronics",
                                      " technologies",
                                      " technology",
                                      " and subsidiaries",
                                      " international"};
    std::size_t cut = text.size();
    for (const char* form : Forms) {
        std::size_t at = lower.find(form);
        if (at != std::string::npos && at > 0 && at < cut) cut = at;
    }
    return trim(text.substr(0, cut));
}

std::string withvendor(std::string_view vendor, const std::string& name) {
    if (name.empty()) return {};
    std::string maker = shortvendor(vendor);
    std::string lower = lowercase(name);
    for (const std::string& prefix : {maker, trim(vendor)})
        if (!prefix.empty() && startswith(lower, lowercase(prefix))) return name;
    return maker.empty() ? name : maker + " " + name;
}

} // namespace mdx::sysprof
