#include "tools/system_profiler/output.h"

#include <algorithm>
#include <array>
#include <map>

#include "tools/system_profiler/number_locale.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

void renderfields(std::string& out, const std::vector<Field>& fields, std::size_t indent,
                  char point) {
    for (const Field& field : fields)
        out += std::string(indent, ' ') + field.key + ": " +
               (field.quantity ? withdecimalpoint(field.value, point) : field.value) + "\n";
}

void rendercompact(std::string& out, const Section& section, std::size_t indent, char point) {
    out += std::string(indent, ' ') + section.name + ":\n";
    renderfields(out, section.fields, indent + 2, point);
}

void rendergroup(std::string& out, const Section& group, std::size_t indent, char point) {
    if (group.fields.empty()) return;
    out += std::string(indent, ' ') + group.name + ":\n";
    renderfields(out, group.fields, indent + 4, point);
}

void rendersection(std::string& out, const Section& section, std::size_t depth, char point) {
    std::size_t indent = 4 * depth;
    out += std::string(indent, ' ') + section.name + ":\n\n";
    renderfields(out, section.fields, indent + 2, point);
    for (const Section& group : section.groups)
        rendergroup(out, group, indent + 2, point);
    if (!section.list.empty()) {
        out += std::string(indent + 2, ' ') + section.listtitle + ":\n";
        for (const Section& entry : section.list)
            rendercompact(out, entry, indent + 4, point);
    }
    if (!section.fields.empty() || !section.groups.empty() || !section.list.empty()) out += "\n";
    for (const Section& child : section.children)
        rendersection(out, child, depth + 1, point);
}

bool identifying(const Field& field) {
    static const char* const keys[] = {"GUID",
                                       "Port Name",
                                       "Node Name",
                                       "MAC Address",
                                       "IPv4 Addresses",
                                       "Addresses",
                                       "Router",
                                       "ARPResolvedIPAddress",
                                       "ARPResolvedHardwareAddress"};
    return startswith(field.key, "Serial Number") ||
           std::find(std::begin(keys), std::end(keys), field.key) != std::end(keys);
}

bool ishexdigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Interface names that the kernel's naming scheme makes of a MAC address ("enx00e04c680a1b",
// "wlx..."): their prefixes and the address's length in hexadecimal digits.
constexpr std::array<std::string_view, 4> MacNamePrefixes{"enx", "wlx", "wwx", "ibx"};
constexpr std::size_t MacDigits = 12;

bool iswordchar(char c) {
    return ishexdigit(c) || (c >= 'g' && c <= 'z') || (c >= 'G' && c <= 'Z') || c == '_';
}

// The text with the address inside such names hidden: "enx************".
std::string withoutmacnames(std::string text) {
    for (std::string_view prefix : MacNamePrefixes)
        for (std::size_t at = text.find(prefix); at != std::string::npos;
             at = text.find(prefix, at + 1)) {
            const std::size_t digits = at + prefix.size(), end = digits + MacDigits;
            if (end > text.size() || (at > 0 && iswordchar(text[at - 1]))) continue;
            if (end < text.size() && iswordchar(text[end])) continue;
            if (std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits),
                            text.begin() + static_cast<std::ptrdiff_t>(end), ishexdigit))
                text.replace(digits, MacDigits, MacDigits, '*');
        }
    return text;
}

void leaveout(Section& section) {
    std::erase_if(section.fields, identifying);
    section.name = withoutmacnames(section.name);
    for (Field& field : section.fields)
        field.value = withoutmacnames(field.value);
    for (Section& group : section.groups)
        leaveout(group);
    for (Section& entry : section.list)
        leaveout(entry);
    for (Section& child : section.children)
        leaveout(child);
}

} // namespace

void leaveoutidentifying(std::vector<Section>& sections) {
    for (Section& section : sections)
        leaveout(section);
}

void Section::add(const std::string& key, const std::string& value) {
    if (printable(value)) fields.push_back({key, value});
}

void Section::addquantity(const std::string& key, const std::string& value) {
    if (printable(value)) fields.push_back({key, value, true});
}

std::string Section::valueof(std::string_view key) const {
    for (const Field& field : fields)
        if (field.key == key) return field.value;
    return {};
}

std::string sectionname(const std::string& name, const std::string& fallback) {
    return printable(name) ? name : fallback;
}

std::string render(std::string_view title, const std::vector<Section>& sections, char point) {
    if (sections.empty()) return {};
    std::string out = std::string(title) + ":\n\n";
    for (const Section& section : sections)
        rendersection(out, section, 1, point);
    return out;
}

void numberduplicates(std::vector<Section>& sections) {
    std::map<std::string, int> seen;
    for (Section& section : sections) {
        int count = ++seen[section.name];
        if (count > 1) section.name += " " + std::to_string(count);
    }
}

} // namespace mdx::sysprof
