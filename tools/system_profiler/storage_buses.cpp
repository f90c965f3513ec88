#include <algorithm>
#include <map>

#include "tools/system_profiler/buses.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

constexpr int MaxScsiDepth = 6;

bool isscsiaddress(const std::string& name) {
    // host:channel:target:lun
    return std::count(name.begin(), name.end(), ':') == 3 &&
           name.find_first_not_of("0123456789:") == std::string::npos;
}

std::string scsitype(const std::string& code) {
    static const std::map<std::string, std::string> Types{{"0", "Disk"},
                                                          {"1", "Tape"},
                                                          {"5", "CD/DVD"},
                                                          {"8", "Medium Changer"},
                                                          {"13", "Enclosure"}};
    auto found = Types.find(code);
    return found == Types.end() ? std::string() : found->second;
}

Section scsidevice(const SysRoot& root, const std::string& dir) {
    std::string vendor = root.value(dir + "/vendor");
    std::string model = root.value(dir + "/model");
    // ATA disks all report the vendor "ATA"; their model names the maker.
    std::string name = vendor.empty() || vendor == "ATA" ? model : vendor + " " + model;
    Section section(sectionname(name, "SCSI Device " + basename(dir)));
    section.add("Vendor", vendor == "ATA" ? "" : vendor);
    section.add("Model", model);
    section.add("Revision", root.value(dir + "/rev"));
    section.add("Type", scsitype(root.value(dir + "/type")));
    return section;
}

void findscsidevices(const SysRoot& root, const std::string& dir, int depth,
                     std::vector<Section>& found) {
    if (depth > MaxScsiDepth) return;
    for (const std::string& entry : root.subdirectories(dir)) {
        std::string path = dir + "/" + entry;
        if (isscsiaddress(entry))
            found.push_back(scsidevice(root, path));
        else if (startswith(entry, "host") || startswith(entry, "target") ||
                 startswith(entry, "port-") || startswith(entry, "end_device-") ||
                 startswith(entry, "rport-") || startswith(entry, "expander-"))
            findscsidevices(root, path, depth + 1, found);
    }
}

// The device directory of a class entry such as /sys/class/sas_host/host0, whose resolved
// path ends in ".../host0/sas_host/host0".
std::string classdevice(const SysRoot& root, const std::string& classentry) {
    std::string resolved = root.resolve(classentry);
    if (resolved.empty()) return {};
    return parentpath(parentpath(resolved));
}

Section hostsection(const Context& context, const std::string& hostdir, const std::string& host,
                    const std::string& fallback) {
    DeviceInfo controller = describe(context, parentpath(hostdir));
    Section section(sectionname(productname(controller), fallback));
    section.add("Host", host);
    addidentity(section, controller);
    return section;
}

// ATA ports: those whose link knows a SATA speed limit are SATA, the others parallel ATA.
struct AtaPort {
    std::string name;
    std::string dir;
    std::string limit;      // "6.0 Gbps"
    std::string negotiated; // speed of the link now, when a device is attached
    bool sata = false;
};

bool isspeed(const std::string& text) {
    return endswith(text, "Gbps");
}

AtaPort readataport(const Context& context, const std::string& name) {
    const SysRoot& root = context.root;
    AtaPort port;
    port.name = name;
    port.dir = classdevice(root, "/sys/class/ata_port/" + name);
    for (const std::string& entry : root.subdirectories(port.dir)) {
        if (!startswith(entry, "link")) continue;
        std::string link = port.dir + "/" + entry + "/ata_link/" + entry;
        port.limit = root.value(link + "/hw_sata_spd_limit");
        port.negotiated = root.value(link + "/sata_spd");
        break;
    }
    if (isspeed(port.limit))
        port.sata = true;
    else if (port.limit.empty()) {
        // Without link facts the controller's class decides: IDE (0x0101) is parallel ATA.
        PciFunction function = readpci(root, parentpath(port.dir));
        port.sata = !function.valid || (function.classcode >> 8) != 0x0101;
    }
    return port;
}

std::vector<Section> atasections(const Context& context, bool sata) {
    const SysRoot& root = context.root;
    std::vector<std::string> order;
    std::map<std::string, std::vector<AtaPort>> bycontroller;
    for (const std::string& name : root.list("/sys/class/ata_port")) {
        AtaPort port = readataport(context, name);
        if (port.dir.empty() || port.sata != sata) continue;
        std::string controller = parentpath(port.dir);
        if (bycontroller.count(controller) == 0) order.push_back(controller);
        bycontroller[controller].push_back(port);
    }
    std::vector<Section> sections;
    for (const std::string& controller : order) {
        DeviceInfo device = describe(context, controller);
        Section section(
            sectionname(productname(device), sata ? "SATA Controller" : "Parallel ATA Controller"));
        addidentity(section, device);
        const std::vector<AtaPort>& ports = bycontroller[controller];
        section.add("Ports", std::to_string(ports.size()));
        std::string fastest;
        for (const AtaPort& port : ports) {
            if (isspeed(port.limit) && port.limit > fastest) fastest = port.limit;
            std::vector<Section> attached = scsidevices(root, port.dir);
            for (Section& disk : attached) {
                disk.add("Port", port.name);
                if (isspeed(port.negotiated))
                    disk.addquantity("Negotiated Link Speed", port.negotiated);
                section.children.push_back(disk);
            }
        }
        section.addquantity("Link Speed", fastest);
        sections.push_back(section);
    }
    return sections;
}

std::vector<Section> scsihostsections(const Context& context, const std::string& classdir,
                                      const std::string& fallback) {
    std::vector<Section> sections;
    for (const std::string& host : context.root.list(classdir)) {
        std::string hostdir = classdevice(context.root, classdir + "/" + host);
        if (hostdir.empty()) continue;
        Section section = hostsection(context, hostdir, host, fallback);
        section.children = scsidevices(context.root, hostdir);
        sections.push_back(section);
    }
    return sections;
}

int sasphys(const SysRoot& root, const std::string& host) {
    if (!startswith(host, "host")) return 0;
    std::string prefix = "phy-" + host.substr(4) + ":";
    auto phys = root.list("/sys/class/sas_phy");
    return static_cast<int>(std::count_if(
        phys.begin(), phys.end(), [&](const std::string& phy) { return startswith(phy, prefix); }));
}

} // namespace

std::vector<Section> scsidevices(const SysRoot& root, const std::string& hostdir) {
    std::vector<Section> found;
    if (!hostdir.empty()) findscsidevices(root, hostdir, 0, found);
    return found;
}

std::vector<Section> parallelatasections(const Context& context) {
    return atasections(context, false);
}

std::vector<Section> serialatasections(const Context& context) {
    return atasections(context, true);
}

std::vector<Section> parallelscsisections(const Context& context) {
    return scsihostsections(context, "/sys/class/spi_host", "SCSI Controller");
}

std::vector<Section> sassections(const Context& context) {
    std::vector<Section> sections =
        scsihostsections(context, "/sys/class/sas_host", "SAS Controller");
    for (Section& section : sections) {
        int phys = sasphys(context.root, section.valueof("Host"));
        if (phys > 0) section.add("Phys", std::to_string(phys));
    }
    return sections;
}

std::vector<Section> fibrechannelsections(const Context& context) {
    const SysRoot& root = context.root;
    std::vector<Section> sections =
        scsihostsections(context, "/sys/class/fc_host", "Fibre Channel Controller");
    for (Section& section : sections) {
        std::string dir = "/sys/class/fc_host/" + section.valueof("Host");
        section.add("Port Name", root.value(dir + "/port_name"));
        section.add("Node Name", root.value(dir + "/node_name"));
        section.addquantity("Speed", root.value(dir + "/speed"));
        section.add("Port State", root.value(dir + "/port_state"));
    }
    return sections;
}

} // namespace mdx::sysprof
