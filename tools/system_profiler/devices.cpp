#include "tools/system_profiler/devices.h"

#include <array>

#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

constexpr int MaxDepth = 48;

std::string busname(const std::string& subsystem) {
    if (subsystem == "platform") return "Built-In";
    if (subsystem == "serial") return "UART";
    if (subsystem == "sdio") return "SDIO";
    if (subsystem == "virtio") return "Virtio";
    if (subsystem == "i2c") return "I2C";
    if (subsystem == "spi") return "SPI";
    if (subsystem == "acpi") return "ACPI";
    return subsystem;
}

void fillusb(const Context& context, DeviceInfo& device, const std::string& usbpath) {
    device.idbus = "USB";
    device.idpath = usbpath;
    device.vendorid =
        static_cast<std::uint32_t>(parsehex(context.root.value(usbpath + "/idVendor")).value_or(0));
    device.productid = static_cast<std::uint32_t>(
        parsehex(context.root.value(usbpath + "/idProduct")).value_or(0));
    device.vendor = context.root.value(usbpath + "/manufacturer");
    device.product = context.root.value(usbpath + "/product");
}

void fillpci(const Context& context, DeviceInfo& device, const std::string& pcipath) {
    PciFunction function = readpci(context.root, pcipath);
    if (!function.valid) return;
    device.idbus = "PCI";
    device.idpath = pcipath;
    device.vendorid = function.vendor;
    device.productid = function.device;
    device.vendor = context.pci.vendor(function.vendor);
    device.product = context.pci.device(function.vendor, function.device);
}

// Devices described by a device tree (on boards without PCI or USB for them) are named by
// their first compatible entry: "brcm,bcm2711-genet-v5" is Broadcom's "bcm2711-genet-v5".
void filldevicetree(const Context& context, DeviceInfo& device) {
    auto compatible = context.root.dtstrings(device.path + "/of_node/compatible");
    if (compatible.empty()) return;
    const std::string& first = compatible.front();
    std::size_t comma = first.find(',');
    if (comma == std::string::npos) return;
    device.vendor = devicetreevendor(first.substr(0, comma));
    device.product = first.substr(comma + 1);
}

} // namespace

std::string devicetreevendor(const std::string& prefix) {
    static constexpr std::array<std::pair<const char*, const char*>, 17> Vendors{{
        {"brcm", "Broadcom"},
        {"rockchip", "Rockchip"},
        {"allwinner", "Allwinner"},
        {"amlogic", "Amlogic"},
        {"qcom", "Qualcomm"},
        {"nvidia", "NVIDIA"},
        {"mediatek", "MediaTek"},
        {"arm", "ARM"},
        {"fsl", "NXP"},
        {"nxp", "NXP"},
        {"ti", "Texas Instruments"},
        {"samsung", "Samsung"},
        {"st", "STMicroelectronics"},
        {"xlnx", "Xilinx"},
        {"starfive", "StarFive"},
        {"sifive", "SiFive"},
        {"thead", "T-Head"},
    }};
    for (const auto& [key, name] : Vendors)
        if (prefix == key) return name;
    return prefix;
}

PciFunction readpci(const SysRoot& root, std::string_view pcipath) {
    std::string path(pcipath);
    PciFunction function;
    auto vendor = parsehex(root.value(path + "/vendor"));
    auto device = parsehex(root.value(path + "/device"));
    auto classcode = parsehex(root.value(path + "/class"));
    if (!vendor || !device || *vendor > 0xFFFF || *device > 0xFFFF) return function;
    function.vendor = static_cast<std::uint32_t>(*vendor);
    function.device = static_cast<std::uint32_t>(*device);
    function.classcode = static_cast<std::uint32_t>(classcode.value_or(0) & 0xFFFFFF);
    function.revision =
        static_cast<std::uint32_t>(parsehex(root.value(path + "/revision")).value_or(0) & 0xFF);
    function.valid = true;
    return function;
}

DeviceInfo describe(const Context& context, std::string_view devicepath) {
    DeviceInfo device;
    device.path = context.root.resolve(devicepath);
    if (!startswith(device.path, "/sys/devices/")) return {};
    std::string ownsubsystem;
    int depth = 0;
    for (std::string p = device.path; startswith(p, "/sys/devices/") && depth < MaxDepth;
         p = parentpath(p), ++depth) {
        std::string subsystem = context.root.linkname(p + "/subsystem");
        if (ownsubsystem.empty()) ownsubsystem = subsystem;
        if (device.driver.empty()) device.driver = context.root.linkname(p + "/driver");
        if (subsystem == "usb" && context.root.exists(p + "/idVendor")) {
            fillusb(context, device, p);
            break;
        }
        if (subsystem == "pci") {
            fillpci(context, device, p);
            break;
        }
    }
    if (device.idbus == "USB")
        device.bus = "USB";
    else if (device.idbus == "PCI")
        device.bus = context.root.exists(device.idpath + "/current_link_speed") ? "PCIe" : "PCI";
    else {
        device.bus = busname(ownsubsystem);
        filldevicetree(context, device);
    }
    return device;
}

std::string productname(const DeviceInfo& device) {
    if (device.idbus == "USB") {
        if (device.product.empty()) return {};
        return device.product;
    }
    if (device.idbus != "PCI")
        return device.product.empty() ? std::string() : device.vendor + " " + device.product;
    std::string maker = shortvendor(device.vendor);
    if (device.product.empty())
        return maker.empty() ? std::string() : maker + " Device " + hex4(device.productid);
    return maker.empty() ? device.product : maker + " " + device.product;
}

void addidentity(Section& section, const DeviceInfo& device) {
    section.add("Vendor", device.vendor);
    section.add("Product", device.product);
    if (!device.idbus.empty()) {
        section.add("Vendor ID", hex4(device.vendorid));
        section.add(device.idbus == "USB" ? "Product ID" : "Device ID", hex4(device.productid));
    }
    section.add("Bus", device.bus);
    section.add("Driver", device.driver);
}

} // namespace mdx::sysprof
