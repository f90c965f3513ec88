// The profiler's text form: a data type's title, then indented sections of "Key: Value" lines.
//
//   Hardware:
//
//       Hardware Overview:
//
//         Model Name: ...
//
// A section at depth d (1 for the first level) has its name at 4 d spaces and its keys at
// 4 d + 2. After its keys come its groups (such as a network service's "IPv4:"), each a name at
// the key column with its own keys 4 further in; then a compact list (such as a graphics
// device's "Displays:") at the key column, whose entries follow without blank lines, names 2 and
// keys 4 further in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mdx::sysprof {

struct Field {
    std::string key;
    std::string value;
    bool quantity = false; // a measure such as "2.4 GHz", written in the user's number format
};

struct Section {
    std::string name;
    std::vector<Field> fields;
    std::vector<Section> children;
    std::vector<Section> groups; // fields only: named blocks of keys inside this section
    std::string listtitle;
    std::vector<Section> list;

    explicit Section(std::string sectionname = {}) : name(std::move(sectionname)) {}

    // Adds a key unless the value is empty or not printable text, so that damaged kernel files
    // leave their key out instead of writing garbage.
    void add(const std::string& key, const std::string& value);
    // Adds a measure written with a decimal point ("2.4 GHz", "16.0 GT/s PCIe"); the output
    // writes it with the user's decimal separator.
    void addquantity(const std::string& key, const std::string& value);
    std::string valueof(std::string_view key) const;
};

// A section name when it is printable text, else the fallback.
std::string sectionname(const std::string& name, const std::string& fallback);

// The whole text of one data type, its measures written with the decimal separator point.
// Nothing at all when there are no sections: a data type without hardware prints nothing.
std::string render(std::string_view title, const std::vector<Section>& sections, char point = '.');

// For "-detailLevel mini", a report to share: leaves out of every section, group and list entry
// the keys that identify this very machine or its network, namely serial numbers, GUIDs, the
// port and node names of Fibre Channel, and MAC, IP and router addresses; a MAC address inside
// an interface name ("enx00e04c680a1b") is hidden as "enx************" wherever the name stands.
void leaveoutidentifying(std::vector<Section>& sections);

// Makes repeated names distinct by appending " 2", " 3" ... to the later ones.
void numberduplicates(std::vector<Section>& sections);

} // namespace mdx::sysprof
