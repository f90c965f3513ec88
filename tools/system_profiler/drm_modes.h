// The mode each display is driven with right now, asked of the kernel's display interface
// (DRM: connector, encoder, CRTC, framebuffer) through libdrm. Only possible on the live
// system, and only where the user may open the graphics device node.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace mdx::sysprof {

struct CurrentMode {
    int width = 0;
    int height = 0;
    double refresh = 0;
    int bitsperpixel = 0;
    int depth = 0;
};

// Connector name as sysfs writes it after "cardN-" ("eDP-1", "HDMI-A-1") -> its current mode.
// Empty when the node cannot be opened; connectors without an active CRTC are left out.
std::map<std::string, CurrentMode> currentmodes(const std::string& devicenode);

// Frames per second of a mode: pixel clock in kHz over the pixels of one frame, with the
// interlace, double-scan and vscan flags of the mode applied.
double refreshrate(std::uint32_t clockkhz, std::uint32_t htotal, std::uint32_t vtotal,
                   std::uint32_t flags, std::uint32_t vscan);

// "32-Bit Color (ARGB8888)", "30-Bit Color (ARGB2101010)"; empty when unknown.
std::string depthtext(int bitsperpixel, int depth);

} // namespace mdx::sysprof
