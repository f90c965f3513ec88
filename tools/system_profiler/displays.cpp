#include "tools/system_profiler/displays.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "tools/system_profiler/drm_modes.h"
#include "tools/system_profiler/edid.h"
#include "tools/system_profiler/run_command.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

const std::string DrmDir = "/sys/class/drm";

bool iscard(const std::string& name) {
    return startswith(name, "card") && name.size() > 4 &&
           name.find_first_not_of("0123456789", 4) == std::string::npos;
}

// "eDP-1" gives "eDP", "HDMI-A-2" gives "HDMI-A".
std::string connectortype(const std::string& connector) {
    return connector.substr(0, connector.rfind('-'));
}

bool isinternal(const std::string& connector) {
    return connectiontype(connectortype(connector)) == "Internal";
}

// The graphics blocks of common boards by their device-tree name; others are named by vendor
// and the compatible string's model part.
std::string devicetreegpu(const std::string& compatible) {
    static constexpr std::array<std::pair<const char*, const char*>, 5> Known{{
        {"brcm,bcm2835-vc4", "VideoCore IV"},
        {"brcm,bcm2711-vc5", "VideoCore VI"},
        {"brcm,bcm2712-vc6", "VideoCore VII"},
        {"brcm,2711-v3d", "V3D 4.2"},
        {"brcm,2712-v3d", "V3D 7.1"},
    }};
    std::size_t comma = compatible.find(',');
    std::string vendor = devicetreevendor(compatible.substr(0, comma));
    for (const auto& [key, name] : Known)
        if (compatible == key) return vendor + " " + name;
    return comma == std::string::npos ? compatible : vendor + " " + compatible.substr(comma + 1);
}

// What a graphics device is to its user, in the order the sections are listed: the discrete card
// is the one people mean by "the graphics", the processor's own graphics next, and the adapters
// that only serve a management controller's or a hypervisor's console last.
enum class GpuKind { Discrete, Integrated, Auxiliary };

struct Gpu {
    Section section;
    bool hasdisplays = false;
    GpuKind kind = GpuKind::Discrete;
    std::uint64_t vram = 0;
};

// PCI vendors whose display functions are management controllers' or virtual machines' adapters.
constexpr std::array<std::uint32_t, 11> AuxiliaryVendors{
    0x1a03, // ASPEED (management controllers)
    0x102b, // Matrox (G200 server chips of management controllers)
    0x19e5, // Huawei (iBMC)
    0x1234, // QEMU's standard VGA
    0x1af4, // virtio
    0x1b36, // Red Hat (QXL)
    0x15ad, // VMware
    0x80ee, // VirtualBox
    0x1414, // Microsoft (Hyper-V)
    0x1013, // Cirrus Logic (the adapter hypervisors emulate)
    0x1d0f, // Amazon
};

std::string pcibus(const DeviceInfo& device) {
    // Graphics on the root bus is part of the processor or chipset.
    std::string address = basename(device.idpath);
    if (address.size() >= 7 && address.substr(4, 3) == ":00") return "Built-In";
    return device.bus;
}

// Video memory of a card under NVIDIA's own driver, which writes none into sysfs: the vendor's
// tool, when installed, names it for each of its cards in PCI address order. A copied tree is
// never answered by this machine's tool, only by a stand-in in MIRADEX_COMMAND_PATH.
std::uint64_t nvidiavram(const Context& context, const DeviceInfo& device) {
    if (device.driver != "nvidia") return 0;
    const std::string tool = findcommand("nvidia-smi", context.root.islive());
    if (tool.empty()) return 0;
    auto output = runbounded(tool, {"--query-gpu=memory.total", "--format=csv,noheader,nounits"},
                             std::chrono::seconds(5));
    if (!output) return 0;
    const std::vector<std::uint64_t> sizes = parsenvidiamemory(*output);
    const std::string dir = "/sys/bus/pci/devices";
    std::size_t index = 0;
    for (const std::string& address : context.root.list(dir)) {
        const std::string path = dir + "/" + address;
        if (context.root.linkname(path + "/driver") != "nvidia" ||
            (readpci(context.root, path).classcode >> 16) != 0x03)
            continue;
        if (address == basename(device.idpath)) return index < sizes.size() ? sizes[index] : 0;
        ++index;
    }
    return 0;
}

std::uint64_t vrambytes(const Context& context, const DeviceInfo& device) {
    if (device.idbus != "PCI") return 0;
    auto vram = parseunsigned(context.root.value(device.idpath + "/mem_info_vram_total"));
    if (vram && *vram > 0) return *vram;
    return nvidiavram(context, device);
}

// Graphics on the root bus is the processor's or chipset's; AMD's processors keep theirs behind
// the processor's internal bridge, which pci.ids names so ("Renoir Internal PCIe GPP Bridge").
bool isintegrated(const Context& context, const DeviceInfo& device) {
    if (device.idbus != "PCI") return true; // a block of the system on a chip
    if (pcibus(device) == "Built-In") return true;
    const PciFunction bridge = readpci(context.root, parentpath(device.idpath));
    if (!bridge.valid) return false;
    return context.pci.device(bridge.vendor, bridge.device).find("Internal") != std::string::npos;
}

GpuKind gpukind(const Context& context, const DeviceInfo& device) {
    if (device.idbus == "PCI" && std::find(AuxiliaryVendors.begin(), AuxiliaryVendors.end(),
                                           device.vendorid) != AuxiliaryVendors.end())
        return GpuKind::Auxiliary;
    return isintegrated(context, device) ? GpuKind::Integrated : GpuKind::Discrete;
}

// Discrete cards first, most video memory first; then integrated graphics, then management and
// virtual adapters. Among equals the one that drives monitors, then the kernel's order.
bool listedbefore(const Gpu& a, const Gpu& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    if (a.kind == GpuKind::Discrete && a.vram != b.vram) return a.vram > b.vram;
    return a.hasdisplays && !b.hasdisplays;
}

void addpcifacts(const Context& context, Section& section, const DeviceInfo& device,
                 std::uint64_t vram) {
    PciFunction function = readpci(context.root, device.idpath);
    section.add("Bus", pcibus(device));
    auto width = parseunsigned(context.root.value(device.idpath + "/current_link_width"));
    if (device.bus == "PCIe" && width && *width > 0 && *width <= 32)
        section.add("PCIe Lane Width", "x" + std::to_string(*width));
    if (vram > 0) section.add("VRAM (Total)", vramtext(vram));
    std::string maker = shortvendor(device.vendor);
    section.add("Vendor",
                maker.empty() ? hex4(device.vendorid) : maker + " (" + hex4(device.vendorid) + ")");
    section.add("Device ID", hex4(device.productid));
    section.add("Revision ID", hex4(function.revision));
}

std::string chipsetmodel(const Context& context, const DeviceInfo& device) {
    if (device.idbus == "PCI") {
        std::string name = gpuname(device.vendor, device.product);
        return name.empty() ? productname(device) : name;
    }
    auto compatible = context.root.dtstrings(device.path + "/of_node/compatible");
    return compatible.empty() ? device.driver : devicetreegpu(compatible.front());
}

Section gpusection(const Context& context, const DeviceInfo& device, const std::string& card,
                   std::uint64_t vram) {
    std::string name = chipsetmodel(context, device);
    Section section(sectionname(name, card.empty() ? "Graphics" : card));
    section.add("Chipset Model", name);
    section.add("Type", "GPU");
    if (device.idbus == "PCI") {
        addpcifacts(context, section, device, vram);
    } else {
        section.add("Bus", device.bus);
        section.add("Vendor", device.vendor);
    }
    section.add("Kernel Driver", device.driver);
    return section;
}

Gpu makegpu(const Context& context, const DeviceInfo& device, const std::string& card) {
    const std::uint64_t vram = vrambytes(context, device);
    return {gpusection(context, device, card, vram), false, gpukind(context, device), vram};
}

std::string moderesolution(const std::string& modes) {
    std::string first = trim(modes.substr(0, modes.find('\n')));
    std::size_t x = first.find('x');
    if (x == std::string::npos) return {};
    auto width = parseunsigned(first.substr(0, x));
    std::string rest = first.substr(x + 1);
    auto height = parseunsigned(rest.substr(0, rest.find_first_not_of("0123456789")));
    if (!width || !height || *width == 0 || *height == 0) return {};
    return std::to_string(*width) + " x " + std::to_string(*height);
}

std::string displayname(const std::optional<EdidInfo>& edid, const std::string& connector) {
    if (edid && !edid->name.empty()) return edid->name;
    if (isinternal(connector)) return "Built-In Display";
    if (edid && !edid->manufacturer.empty()) return edid->manufacturer + " Display";
    return connector;
}

std::string resolution(const SysRoot& root, const std::string& dir,
                       const std::optional<EdidInfo>& edid, const CurrentMode* current) {
    char rate[32];
    if (current != nullptr && current->refresh > 0) {
        std::snprintf(rate, sizeof rate, "%.2f", current->refresh);
        return std::to_string(current->width) + " x " + std::to_string(current->height) + " @ " +
               rate + "Hz";
    }
    if (current != nullptr)
        return std::to_string(current->width) + " x " + std::to_string(current->height);
    // The modes file starts with the monitor's preferred mode, which need not be the one in use:
    // it stands without a rate.
    if (auto modes = root.read(dir + "/modes")) {
        std::string text = moderesolution(*modes);
        if (!text.empty()) return text;
    }
    if (edid && edid->preferred)
        return std::to_string(edid->preferred->width) + " x " +
               std::to_string(edid->preferred->height);
    return {};
}

Section displaysection(const SysRoot& root, const std::string& dir, const std::string& connector,
                       const CurrentMode* current, bool main) {
    std::optional<EdidInfo> edid;
    if (auto bytes = root.read(dir + "/edid", 32768))
        edid = parseedid(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    Section display(sectionname(displayname(edid, connector), connector));
    display.addquantity("Resolution", resolution(root, dir, edid, current));
    if (current != nullptr)
        display.add("Pixel Depth", depthtext(current->bitsperpixel, current->depth));
    if (main) display.add("Main Display", "Yes");
    display.add("Connection Type", connectiontype(connectortype(connector)));
    return display;
}

std::vector<std::string> connectedconnectors(const SysRoot& root, const std::string& card,
                                             const std::vector<std::string>& entries) {
    std::vector<std::string> connectors;
    for (const std::string& entry : entries) {
        if (!startswith(entry, card + "-")) continue;
        std::string connector = entry.substr(card.size() + 1);
        if (connectiontype(connectortype(connector)).empty()) continue;
        if (root.value(DrmDir + "/" + entry + "/status") == "connected")
            connectors.push_back(connector);
    }
    std::stable_partition(connectors.begin(), connectors.end(), isinternal);
    return connectors;
}

// The live modes of a card, unless its device sleeps: opening it would wake it up.
std::map<std::string, CurrentMode> livemodes(const Context& context, const DeviceInfo& device,
                                             const std::string& card) {
    if (!context.root.islive()) return {};
    if (context.root.value(device.path + "/power/runtime_status") == "suspended") return {};
    return currentmodes("/dev/dri/" + card);
}

void adddisplays(const Context& context, Gpu& gpu, const DeviceInfo& device,
                 const std::string& card, const std::vector<std::string>& entries, bool& mainleft) {
    std::vector<std::string> connectors = connectedconnectors(context.root, card, entries);
    if (connectors.empty()) return;
    std::map<std::string, CurrentMode> modes = livemodes(context, device, card);
    gpu.section.listtitle = "Displays";
    for (const std::string& connector : connectors) {
        auto found = modes.find(connector);
        const CurrentMode* current = found == modes.end() ? nullptr : &found->second;
        gpu.section.list.push_back(displaysection(
            context.root, DrmDir + "/" + card + "-" + connector, connector, current, mainleft));
        mainleft = false;
    }
    gpu.hasdisplays = true;
}

bool isdisplayfunction(const PciFunction& function, const std::string& address) {
    if ((function.classcode >> 16) != 0x03) return false;
    // Second functions of display class 0x0380 are auxiliary, not graphics devices.
    bool firstfunction = endswith(address, ".0");
    return firstfunction || (function.classcode >> 8) != 0x0380;
}

// Graphics devices that have no DRM driver still appear, without displays.
void adddriverless(const Context& context, std::set<std::string>& seen, std::vector<Gpu>& gpus) {
    const std::string dir = "/sys/bus/pci/devices";
    for (const std::string& address : context.root.list(dir)) {
        DeviceInfo device = describe(context, dir + "/" + address);
        if (device.path.empty() || seen.count(device.path) != 0) continue;
        if (!isdisplayfunction(readpci(context.root, device.path), address)) continue;
        seen.insert(device.path);
        gpus.push_back(makegpu(context, device, ""));
    }
}

} // namespace

std::string gpuname(const std::string& vendor, const std::string& device) {
    if (device.empty()) return {};
    std::string name = device;
    std::size_t open = device.rfind('[');
    std::size_t close = device.rfind(']');
    if (open != std::string::npos && close != std::string::npos && close > open + 1)
        name = device.substr(open + 1, close - open - 1);
    return withvendor(vendor, name);
}

std::string connectiontype(const std::string& type) {
    static constexpr std::array<std::pair<const char*, const char*>, 19> Types{{
        {"eDP", "Internal"},   {"LVDS", "Internal"}, {"DSI", "Internal"},    {"DPI", "Internal"},
        {"DP", "DisplayPort"}, {"HDMI-A", "HDMI"},   {"HDMI-B", "HDMI"},     {"DVI-I", "DVI"},
        {"DVI-D", "DVI"},      {"DVI-A", "DVI"},     {"VGA", "VGA"},         {"Virtual", "Virtual"},
        {"USB", "USB"},        {"SPI", "SPI"},       {"Composite", "TV"},    {"SVIDEO", "TV"},
        {"TV", "TV"},          {"Component", "TV"},  {"Unknown", "Unknown"},
    }};
    for (const auto& [key, name] : Types)
        if (type == key) return name;
    return {};
}

std::string vramtext(std::uint64_t bytes) {
    std::uint64_t mib = bytes / (1024 * 1024);
    if (mib >= 1024 && mib % 1024 == 0) return std::to_string(mib / 1024) + " GB";
    return std::to_string(mib) + " MB";
}

std::vector<Section> displaysections(const Context& context) {
    std::vector<std::string> entries = context.root.list(DrmDir);
    std::set<std::string> seen;
    std::vector<Gpu> gpus;
    bool mainleft = true;
    for (const std::string& card : entries) {
        if (!iscard(card)) continue;
        DeviceInfo device = describe(context, DrmDir + "/" + card + "/device");
        if (device.path.empty() || !seen.insert(device.path).second) continue;
        Gpu gpu = makegpu(context, device, card);
        adddisplays(context, gpu, device, card, entries, mainleft);
        gpus.push_back(gpu);
    }
    adddriverless(context, seen, gpus);
    std::stable_sort(gpus.begin(), gpus.end(), listedbefore);
    std::vector<Section> sections;
    for (const Gpu& gpu : gpus)
        sections.push_back(gpu.section);
    return sections;
}

} // namespace mdx::sysprof
