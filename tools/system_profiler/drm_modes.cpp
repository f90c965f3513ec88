#include "tools/system_profiler/drm_modes.h"

#include <fcntl.h>
#include <unistd.h>
#include <xf86drm.h>
#include <xf86drmMode.h>

namespace mdx::sysprof {

namespace {

constexpr std::uint32_t FlagInterlace = 1u << 4;
constexpr std::uint32_t FlagDoubleScan = 1u << 5;

std::string connectorname(const drmModeConnector& connector) {
    const char* type = drmModeGetConnectorTypeName(connector.connector_type);
    if (type == nullptr) return {};
    return std::string(type) + "-" + std::to_string(connector.connector_type_id);
}

void readframebuffer(int fd, std::uint32_t id, CurrentMode& mode) {
    if (id == 0) return;
    drmModeFB* framebuffer = drmModeGetFB(fd, id);
    if (framebuffer == nullptr) return;
    mode.bitsperpixel = static_cast<int>(framebuffer->bpp);
    mode.depth = static_cast<int>(framebuffer->depth);
    drmModeFreeFB(framebuffer);
}

bool readcrtc(int fd, std::uint32_t crtcid, CurrentMode& mode) {
    drmModeCrtc* crtc = drmModeGetCrtc(fd, crtcid);
    if (crtc == nullptr) return false;
    bool valid = crtc->mode_valid != 0 && crtc->mode.hdisplay > 0 && crtc->mode.vdisplay > 0;
    if (valid) {
        mode.width = crtc->mode.hdisplay;
        mode.height = crtc->mode.vdisplay;
        mode.refresh = refreshrate(crtc->mode.clock, crtc->mode.htotal, crtc->mode.vtotal,
                                   crtc->mode.flags, crtc->mode.vscan);
        readframebuffer(fd, crtc->buffer_id, mode);
    }
    drmModeFreeCrtc(crtc);
    return valid;
}

std::uint32_t encodercrtc(int fd, std::uint32_t encoderid) {
    if (encoderid == 0) return 0;
    drmModeEncoder* encoder = drmModeGetEncoder(fd, encoderid);
    if (encoder == nullptr) return 0;
    std::uint32_t crtc = encoder->crtc_id;
    drmModeFreeEncoder(encoder);
    return crtc;
}

void readconnector(int fd, std::uint32_t id, std::map<std::string, CurrentMode>& modes) {
    // The "current" variant answers from the kernel's state without probing the monitors.
    drmModeConnector* connector = drmModeGetConnectorCurrent(fd, id);
    if (connector == nullptr) return;
    std::string name = connectorname(*connector);
    std::uint32_t crtc = encodercrtc(fd, connector->encoder_id);
    drmModeFreeConnector(connector);
    CurrentMode mode;
    if (!name.empty() && crtc != 0 && readcrtc(fd, crtc, mode)) modes[name] = mode;
}

} // namespace

std::map<std::string, CurrentMode> currentmodes(const std::string& devicenode) {
    std::map<std::string, CurrentMode> modes;
    int fd = open(devicenode.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return modes;
    if (drmModeRes* resources = drmModeGetResources(fd)) {
        for (int i = 0; i < resources->count_connectors; ++i)
            readconnector(fd, resources->connectors[i], modes);
        drmModeFreeResources(resources);
    }
    close(fd);
    return modes;
}

double refreshrate(std::uint32_t clockkhz, std::uint32_t htotal, std::uint32_t vtotal,
                   std::uint32_t flags, std::uint32_t vscan) {
    if (clockkhz == 0 || htotal == 0 || vtotal == 0) return 0;
    double rate = clockkhz * 1000.0 / (static_cast<double>(htotal) * vtotal);
    if (flags & FlagInterlace) rate *= 2;
    if (flags & FlagDoubleScan) rate /= 2;
    if (vscan > 1) rate /= vscan;
    return rate;
}

std::string depthtext(int bitsperpixel, int depth) {
    if (depth == 30) return "30-Bit Color (ARGB2101010)";
    if (bitsperpixel == 32) return "32-Bit Color (ARGB8888)";
    if (bitsperpixel == 16) return "16-Bit Color (RGB565)";
    if (bitsperpixel > 0) return std::to_string(bitsperpixel) + "-Bit Color";
    return {};
}

} // namespace mdx::sysprof
