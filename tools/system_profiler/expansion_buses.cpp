#include <algorithm>
#include <set>

#include "tools/system_profiler/buses.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

constexpr int MaxUsbDepth = 8;

// USB devices are named "bus-port[.port...]" ("1-6", "1-6.2"); "1-6:1.0" is an interface.
bool isusbdevice(const std::string& name) {
    std::size_t dash = name.find('-');
    return dash != std::string::npos && dash > 0 && dash + 1 < name.size() &&
           name.find_first_not_of("0123456789.-") == std::string::npos;
}

std::string interfacedrivers(const SysRoot& root, const std::string& dir) {
    std::string device = basename(dir);
    std::set<std::string> seen;
    std::string drivers;
    for (const std::string& entry : root.subdirectories(dir)) {
        if (!startswith(entry, device + ":")) continue;
        std::string driver = root.linkname(dir + "/" + entry + "/driver");
        if (!driver.empty() && seen.insert(driver).second)
            drivers += (drivers.empty() ? "" : ", ") + driver;
    }
    return drivers;
}

Section usbdevice(const SysRoot& root, const std::string& dir, int depth) {
    bool hub = root.value(dir + "/bDeviceClass") == "09";
    Section section(sectionname(root.value(dir + "/product"), hub ? "USB Hub" : "USB Device"));
    section.add("Product ID", hex4(parsehex(root.value(dir + "/idProduct")).value_or(0)));
    section.add("Vendor ID", hex4(parsehex(root.value(dir + "/idVendor")).value_or(0)));
    section.add("Manufacturer", root.value(dir + "/manufacturer"));
    section.addquantity("Speed", usbspeedtext(root.value(dir + "/speed")));
    section.add("Interface Drivers", interfacedrivers(root, dir));
    if (depth < MaxUsbDepth)
        for (const std::string& child : root.subdirectories(dir))
            if (isusbdevice(child))
                section.children.push_back(usbdevice(root, dir + "/" + child, depth + 1));
    return section;
}

Section usbbus(const Context& context, const std::string& name) {
    const SysRoot& root = context.root;
    std::string dir = root.resolve("/sys/bus/usb/devices/" + name);
    std::string speed = root.value(dir + "/speed");
    std::string version = usbversion(speed);
    Section section((version.empty() ? "USB Bus " : "USB " + version + " Bus ") + name.substr(3));
    DeviceInfo controller = describe(context, parentpath(dir));
    section.add("Host Controller", productname(controller));
    section.add("Host Controller Driver", controller.driver);
    section.addquantity("Speed", usbspeedtext(speed));
    section.add("Ports", root.value(dir + "/maxchild"));
    for (const std::string& child : root.subdirectories(dir))
        if (isusbdevice(child)) section.children.push_back(usbdevice(root, dir + "/" + child, 1));
    return section;
}

Section thunderboltdevice(const SysRoot& root, const std::string& dir) {
    Section section(sectionname(root.value(dir + "/device_name"), "Thunderbolt Device"));
    section.add("Vendor Name", root.value(dir + "/vendor_name"));
    section.add("Device Name", root.value(dir + "/device_name"));
    section.addquantity("Link Speed", root.value(dir + "/rx_speed"));
    section.add("Lanes", root.value(dir + "/rx_lanes"));
    std::string authorized = root.value(dir + "/authorized");
    if (!authorized.empty()) section.add("Authorized", authorized == "0" ? "No" : "Yes");
    return section;
}

// Routers are named "domain-route": "0-0" is the host's own, "0-1", "0-301" are devices.
bool isrouter(const std::string& name, const std::string& domain) {
    return startswith(name, domain + "-") &&
           name.find_first_not_of("0123456789abcdef-") == std::string::npos;
}

Section thunderboltbus(const Context& context, const std::string& domain,
                       const std::vector<std::string>& entries) {
    const SysRoot& root = context.root;
    const std::string dir = "/sys/bus/thunderbolt/devices/";
    std::string number = domain.substr(6);
    std::string host = dir + number + "-0";
    Section section("Thunderbolt/USB4 Bus " + number);
    section.add("Vendor Name", root.value(host + "/vendor_name"));
    section.add("Device Name", root.value(host + "/device_name"));
    section.add("Generation", root.value(host + "/generation"));
    section.add("Security Level", root.value(dir + domain + "/security"));
    DeviceInfo controller = describe(context, parentpath(root.resolve(dir + domain)));
    section.add("Controller", productname(controller));
    section.add("Driver", controller.driver);
    for (const std::string& entry : entries)
        if (isrouter(entry, number) && entry != number + "-0")
            section.children.push_back(thunderboltdevice(root, dir + entry));
    return section;
}

Section firewirenode(const SysRoot& root, const std::string& dir) {
    std::string model = root.value(dir + "/model_name");
    std::string vendor = root.value(dir + "/vendor_name");
    Section section(sectionname(model.empty() ? vendor : model, "FireWire Device"));
    section.add("Manufacturer", vendor);
    section.add("Model", model);
    section.add("GUID", root.value(dir + "/guid"));
    return section;
}

bool iswireless(const SysRoot& root, const std::string& dir) {
    if (root.exists(dir + "/wireless") || root.exists(dir + "/phy80211")) return true;
    auto uevent = root.read(dir + "/uevent");
    return uevent && uevent->find("DEVTYPE=wlan") != std::string::npos;
}

} // namespace

std::string usbspeedtext(const std::string& speed) {
    auto whole = parseunsigned(speed);
    if (speed == "1.5") return "Up to 1.5 Mb/s";
    if (!whole || *whole == 0) return {};
    if (*whole >= 1000 && *whole % 1000 == 0)
        return "Up to " + std::to_string(*whole / 1000) + " Gb/s";
    return "Up to " + std::to_string(*whole) + " Mb/s";
}

std::string usbversion(const std::string& speed) {
    if (speed == "1.5" || speed == "12") return "1.1";
    if (speed == "480") return "2.0";
    if (speed == "5000") return "3.0";
    if (speed == "10000") return "3.1";
    if (speed == "20000") return "3.2";
    return {};
}

std::vector<Section> pcisections(const Context& context) {
    const SysRoot& root = context.root;
    const std::string devices = "/sys/bus/pci/devices";
    std::vector<std::string> functions = root.list(devices);
    std::vector<Section> sections;
    for (const std::string& slot : root.list("/sys/bus/pci/slots")) {
        std::string address = root.value("/sys/bus/pci/slots/" + slot + "/address");
        if (address.empty()) continue;
        for (const std::string& function : functions) {
            if (!startswith(function, address + ".")) continue;
            std::string path = devices + "/" + function;
            DeviceInfo device = describe(context, path);
            Section section(sectionname(productname(device), "PCI Device"));
            section.add("Slot", slot);
            section.add("Type", context.pci.classname(readpci(root, path).classcode));
            addidentity(section, device);
            std::string width = root.value(path + "/current_link_width");
            if (!width.empty()) section.add("Link Width", "x" + width);
            section.addquantity("Link Speed", root.value(path + "/current_link_speed"));
            sections.push_back(section);
        }
    }
    return sections;
}

std::vector<Section> spisections(const Context& context) {
    const SysRoot& root = context.root;
    std::vector<Section> sections;
    for (const std::string& name : root.list("/sys/bus/spi/devices")) {
        std::string dir = "/sys/bus/spi/devices/" + name;
        std::string modalias = root.value(dir + "/modalias");
        std::size_t colon = modalias.find(':');
        Section section(sectionname(name, "SPI Device"));
        section.add("Device", colon == std::string::npos ? modalias : modalias.substr(colon + 1));
        section.add("Driver", root.linkname(dir + "/driver"));
        sections.push_back(section);
    }
    return sections;
}

std::vector<Section> thunderboltsections(const Context& context) {
    std::vector<std::string> entries = context.root.list("/sys/bus/thunderbolt/devices");
    std::vector<Section> sections;
    for (const std::string& entry : entries)
        if (startswith(entry, "domain") && parseunsigned(entry.substr(6)))
            sections.push_back(thunderboltbus(context, entry, entries));
    return sections;
}

std::vector<Section> usbsections(const Context& context) {
    std::vector<Section> sections;
    for (const std::string& name : context.root.list("/sys/bus/usb/devices"))
        if (startswith(name, "usb") && parseunsigned(name.substr(3)) &&
            !context.root.resolve("/sys/bus/usb/devices/" + name).empty())
            sections.push_back(usbbus(context, name));
    return sections;
}

std::vector<Section> firewiresections(const Context& context) {
    const SysRoot& root = context.root;
    const std::string dir = "/sys/bus/firewire/devices/";
    std::vector<std::string> nodes;
    for (const std::string& name : root.list(dir))
        if (startswith(name, "fw") && parseunsigned(name.substr(2))) nodes.push_back(name);
    std::vector<Section> sections;
    for (const std::string& node : nodes) {
        if (root.value(dir + node + "/is_local") != "1") continue;
        std::string resolved = root.resolve(dir + node);
        if (resolved.empty()) continue;
        std::string card = parentpath(resolved);
        Section section("FireWire Bus");
        section.add("Controller", productname(describe(context, card)));
        section.add("GUID", root.value(dir + node + "/guid"));
        for (const std::string& other : nodes)
            if (other != node && root.value(dir + other + "/is_local") != "1" &&
                parentpath(root.resolve(dir + other)) == card)
                section.children.push_back(firewirenode(root, dir + other));
        sections.push_back(section);
    }
    numberduplicates(sections);
    return sections;
}

std::vector<Section> ethernetsections(const Context& context) {
    const SysRoot& root = context.root;
    std::vector<Section> sections;
    for (const std::string& name : root.list("/sys/class/net")) {
        std::string dir = "/sys/class/net/" + name;
        bool wired = root.value(dir + "/type") == "1" && root.exists(dir + "/device") &&
                     !iswireless(root, dir);
        if (!wired) continue;
        DeviceInfo device = describe(context, dir + "/device");
        Section section(sectionname(productname(device), "Ethernet Controller"));
        section.add("Type", "Ethernet Controller");
        addidentity(section, device);
        section.add("Interface", name);
        section.add("MAC Address", root.value(dir + "/address"));
        std::string state = root.value(dir + "/operstate");
        section.add("Link Status", state == "up" ? "Up" : "Down");
        auto speed = parsesigned(root.value(dir + "/speed"));
        if (state == "up" && speed && *speed > 0)
            section.add("Link Speed", std::to_string(*speed) + " Mb/s");
        sections.push_back(section);
    }
    return sections;
}

} // namespace mdx::sysprof
