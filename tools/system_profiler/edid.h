// Monitor facts from an EDID block (the 128-byte base block that every monitor reports): the
// maker's code, the monitor name and the preferred mode of the first detailed timing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mdx::sysprof {

struct EdidMode {
    int width = 0;
    int height = 0;
    double refresh = 0; // Hz; 0 when the timing does not give it
};

struct EdidInfo {
    std::string manufacturer; // three-letter maker code, such as "DEL"
    std::uint16_t product = 0;
    std::string name; // monitor name descriptor, empty when the monitor has none
    std::optional<EdidMode> preferred;
};

// Nothing when the data is not an EDID base block (too short or a wrong header). Damaged
// fields are left empty.
std::optional<EdidInfo> parseedid(const std::uint8_t* data, std::size_t size);

} // namespace mdx::sysprof
