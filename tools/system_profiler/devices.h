// What the kernel's device model says about one device: its bus, maker and product, found by
// walking up from the device to the nearest USB or PCI device above it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/system_profiler/output.h"
#include "tools/system_profiler/pci_ids.h"
#include "tools/system_profiler/sysroot.h"

namespace mdx::sysprof {

// The root being read, the name lists looked up for it and the user's decimal separator.
struct Context {
    explicit Context(const std::string& directory, char decimalpoint = '.')
        : root(directory), pci(root), point(decimalpoint) {}
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    SysRoot root;
    PciIds pci;
    char point;
};

struct DeviceInfo {
    std::string path;   // the device's own directory below /sys/devices
    std::string bus;    // "PCIe", "PCI", "USB", "Built-In", "UART", "SDIO" ...
    std::string idbus;  // "PCI" or "USB" when the identifiers below are known
    std::string idpath; // the directory of that PCI or USB device
    std::uint32_t vendorid = 0;
    std::uint32_t productid = 0;
    std::string vendor; // maker's name as pci.ids or the USB device tells it
    std::string product;
    std::string driver;
};

// Nothing is filled in when the path does not lead to a device.
DeviceInfo describe(const Context& context, std::string_view devicepath);

// The maker named by a device-tree vendor prefix: "brcm" gives "Broadcom".
std::string devicetreevendor(const std::string& prefix);

// "Intel Alder Lake PCH USB 3.2 xHCI Host Controller", "Integrated Camera"; empty when the
// device's names are unknown.
std::string productname(const DeviceInfo& device);

// The keys every interface section shows about its device: vendor, product, identifiers, bus
// and driver, each where known.
void addidentity(Section& section, const DeviceInfo& device);

// PCI facts read from a PCI device directory.
struct PciFunction {
    std::uint32_t vendor = 0;
    std::uint32_t device = 0;
    std::uint32_t classcode = 0;
    std::uint32_t revision = 0;
    bool valid = false;
};
PciFunction readpci(const SysRoot& root, std::string_view pcipath);

} // namespace mdx::sysprof
