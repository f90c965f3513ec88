// Graphics devices and the monitors connected to them, from the DRM devices in sysfs, the
// monitors' EDID and, on the live system, the display modes in use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/system_profiler/devices.h"
#include "tools/system_profiler/output.h"

namespace mdx::sysprof {

// A graphics device's marketing name from its pci.ids name: the bracketed name where there is
// one ("Navi 10 [Radeon Pro W5700X]" gives "Radeon Pro W5700X"), after the short vendor name
// unless it already begins with it ("ASPEED Graphics Family" stays as it is).
std::string gpuname(const std::string& vendor, const std::string& device);

// How a connector type ("eDP", "DP", "HDMI-A" ...) reaches its monitor: "Internal",
// "DisplayPort", "HDMI" ...; empty for connectors that drive no monitor (writeback).
std::string connectiontype(const std::string& connectortype);

// Video memory in bytes as the profiler writes it: "16 GB", "512 MB".
std::string vramtext(std::uint64_t bytes);

std::vector<Section> displaysections(const Context& context);

} // namespace mdx::sysprof
