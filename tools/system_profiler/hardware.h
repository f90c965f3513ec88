// The hardware overview: model, processor, memory, firmware and serial number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/system_profiler/devices.h"
#include "tools/system_profiler/output.h"

namespace mdx::sysprof {

// The machine's own description in the firmware's DMI tables, placeholders already removed.
struct DmiFacts {
    std::string vendor;  // sys_vendor
    std::string product; // product_name
    std::string family;  // product_family
    std::string version; // product_version
    std::string boardvendor;
    std::string board;
};

struct ModelNames {
    std::string name;       // "Model Name"
    std::string identifier; // "Model Identifier"
};

// True for the filler texts that firmware leaves in unset DMI fields ("To be filled by O.E.M.",
// "Default string", "System Product Name", all "x" or all "0" ...).
bool isplaceholder(const std::string& value);

// The model from DMI, else from the device tree's model and first compatible entry, else after
// the hypervisor ("KVM Virtual Machine"). Empty names when none of them is known.
ModelNames modelnames(const DmiFacts& dmi, const std::string& treemodel,
                      const std::string& treecompatible, const std::string& hypervisor);

// The hypervisor's name when the kernel shows one: Xen's /sys/hypervisor, the paravirtual
// clock sources of KVM and Hyper-V, and on the live system the processor's hypervisor leaf.
std::string hypervisorname(const SysRoot& root);

std::vector<Section> hardwaresections(const Context& context);

} // namespace mdx::sysprof
