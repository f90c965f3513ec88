#include "tools/system_profiler/hardware.h"

#include <algorithm>
#include <array>

#include "base/memory_size.h"
#include "tools/system_profiler/cpu.h"
#include "tools/system_profiler/text_util.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <cstring>
#endif

namespace mdx::sysprof {

namespace {

const std::array<std::string, 2> DmiDirs{"/sys/devices/virtual/dmi/id", "/sys/class/dmi/id"};
const std::array<std::string, 2> TreeDirs{"/sys/firmware/devicetree/base", "/proc/device-tree"};

std::string dmidir(const SysRoot& root) {
    for (const std::string& dir : DmiDirs)
        if (root.isdirectory(dir)) return dir;
    return {};
}

std::string dmivalue(const SysRoot& root, const std::string& dir, const std::string& name) {
    if (dir.empty()) return {};
    std::string value = root.value(dir + "/" + name);
    return isplaceholder(value) ? std::string() : value;
}

std::string treestring(const SysRoot& root, const std::string& name) {
    for (const std::string& dir : TreeDirs) {
        std::string value = root.dtstring(dir + "/" + name);
        if (!value.empty()) return value;
    }
    return {};
}

std::string firstcompatible(const SysRoot& root) {
    for (const std::string& dir : TreeDirs) {
        auto entries = root.dtstrings(dir + "/compatible");
        if (!entries.empty()) return entries.front();
    }
    return {};
}

DmiFacts readdmi(const SysRoot& root, const std::string& dir) {
    DmiFacts dmi;
    dmi.vendor = dmivalue(root, dir, "sys_vendor");
    dmi.product = dmivalue(root, dir, "product_name");
    dmi.family = dmivalue(root, dir, "product_family");
    dmi.version = dmivalue(root, dir, "product_version");
    dmi.boardvendor = dmivalue(root, dir, "board_vendor");
    dmi.board = dmivalue(root, dir, "board_name");
    return dmi;
}

// "MacBookPro13,1" without its generation gives the family's written name.
std::string macfamily(const std::string& identifier) {
    static constexpr std::array<std::pair<const char*, const char*>, 7> Families{{
        {"MacBookPro", "MacBook Pro"},
        {"MacBookAir", "MacBook Air"},
        {"MacBook", "MacBook"},
        {"Macmini", "Mac mini"},
        {"MacPro", "Mac Pro"},
        {"iMacPro", "iMac Pro"},
        {"iMac", "iMac"},
    }};
    std::string stem = identifier.substr(0, identifier.find_first_of("0123456789,"));
    for (const auto& [prefix, name] : Families)
        if (stem == prefix) return name;
    return stem.empty() ? identifier : stem;
}

std::string withmaker(const std::string& maker, const std::string& name) {
    return withvendor(maker, name);
}

ModelNames dminames(const DmiFacts& dmi) {
    std::string maker = shortvendor(dmi.vendor);
    // Macs name their model identifier in product_name and the written family separately.
    if (maker == "Apple")
        return {dmi.family.empty() ? macfamily(dmi.product) : dmi.family, dmi.product};
    // Lenovo keeps the machine type in product_name and the marketing name in product_version.
    if (maker == "Lenovo" && !dmi.version.empty())
        return {withmaker(maker, dmi.version), dmi.product};
    return {withmaker(maker, dmi.product), dmi.product};
}

std::string cpuidhypervisor() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & (1u << 31)) == 0) return {};
    __cpuid(0x40000000, a, b, c, d);
    char signature[13] = {};
    std::memcpy(signature, &b, 4);
    std::memcpy(signature + 4, &c, 4);
    std::memcpy(signature + 8, &d, 4);
    static constexpr std::array<std::pair<const char*, const char*>, 10> Signatures{{
        {"KVMKVMKVM", "KVM"},
        {"Microsoft Hv", "Hyper-V"},
        {"VMwareVMware", "VMware"},
        {"XenVMMXenVMM", "Xen"},
        {"VBoxVBoxVBox", "VirtualBox"},
        {"TCGTCGTCGTCG", "QEMU"},
        {" lrpepyh  vr", "Parallels"},
        {"bhyve bhyve ", "bhyve"},
        {"ACRNACRNACRN", "ACRN"},
        {" QNXQVMBSQG ", "QNX"},
    }};
    for (const auto& [text, name] : Signatures)
        if (std::strcmp(signature, text) == 0) return name;
    return "Virtual";
#else
    return {};
#endif
}

std::string kernelhypervisor(const SysRoot& root) {
    if (root.value("/sys/hypervisor/type") == "xen") return "Xen";
    auto clocks = splitwords(
        root.value("/sys/devices/system/clocksource/clocksource0/available_clocksource"));
    auto has = [&](const char* name) {
        return std::find(clocks.begin(), clocks.end(), name) != clocks.end();
    };
    if (has("kvm-clock")) return "KVM";
    if (has("hyperv_clocksource_tsc_page") || has("hyperv_clocksource_msr")) return "Hyper-V";
    if (has("xen")) return "Xen";
    return {};
}

bool cpuinfosaysvirtual(const SysRoot& root) {
    auto text = root.read("/proc/cpuinfo", 4 * 1024 * 1024);
    if (!text) return false;
    for (const std::string& line : splitlines(*text))
        if (startswith(line, "flags")) {
            auto words = splitwords(line);
            return std::find(words.begin(), words.end(), "hypervisor") != words.end();
        }
    return false;
}

// A firmware version as its bare text: runs of blanks become one, and the padding that some
// firmware leaves inside brackets goes ("N3VET32W (1.32 )" gives "N3VET32W (1.32)").
std::string bareversion(const std::string& version) {
    std::string text;
    for (const std::string& word : splitwords(version)) {
        bool joined = text.empty() || text.back() == '(' || word.front() == ')';
        text += (joined ? "" : " ") + word;
    }
    return text;
}

std::string firmwareversion(const SysRoot& root, const std::string& dir) {
    std::string version = dmivalue(root, dir, "bios_version");
    if (version.empty()) version = treestring(root, "chosen/u-boot,version");
    return bareversion(version);
}

std::string serialnumber(const SysRoot& root, const std::string& dir) {
    std::string serial = dmivalue(root, dir, "product_serial");
    if (serial.empty()) serial = treestring(root, "serial-number");
    return isplaceholder(serial) ? std::string() : serial;
}

} // namespace

bool isplaceholder(const std::string& value) {
    static constexpr std::array Fillers{"to be filled by o.e.m.",
                                        "to be filled by oem",
                                        "default string",
                                        "system product name",
                                        "system manufacturer",
                                        "system version",
                                        "system serial number",
                                        "not applicable",
                                        "not specified",
                                        "none",
                                        "oem",
                                        "o.e.m.",
                                        "type1productconfigid",
                                        "type1family",
                                        "base board product name",
                                        "invalid",
                                        "n/a",
                                        "unknown",
                                        "123456789",
                                        "0123456789",
                                        "empty",
                                        "chassis serial number"};
    std::string text = lowercase(trim(value));
    if (text.empty()) return true;
    for (const char* filler : Fillers)
        if (text == filler) return true;
    bool onefiller = text.find_first_not_of(text[0]) == std::string::npos &&
                     std::string_view("x0f .-").find(text[0]) != std::string_view::npos;
    return onefiller;
}

ModelNames modelnames(const DmiFacts& dmi, const std::string& treemodel,
                      const std::string& treecompatible, const std::string& hypervisor) {
    if (!dmi.product.empty()) return dminames(dmi);
    if (!dmi.board.empty()) return {withmaker(shortvendor(dmi.boardvendor), dmi.board), dmi.board};
    if (!treemodel.empty()) return {treemodel, treecompatible.empty() ? treemodel : treecompatible};
    if (!hypervisor.empty()) {
        std::string name =
            hypervisor == "Virtual" ? "Virtual Machine" : hypervisor + " Virtual Machine";
        return {name, name};
    }
    return {};
}

std::string hypervisorname(const SysRoot& root) {
    std::string name = kernelhypervisor(root);
    if (name.empty() && root.islive()) name = cpuidhypervisor();
    if (name.empty() && cpuinfosaysvirtual(root)) name = "Virtual";
    return name;
}

std::vector<Section> hardwaresections(const Context& context) {
    const SysRoot& root = context.root;
    std::string dir = dmidir(root);
    DmiFacts dmi = readdmi(root, dir);
    ModelNames model;
    if (dmi.product.empty() && dmi.board.empty()) {
        std::string treemodel = treestring(root, "model");
        model = modelnames(dmi, treemodel, treemodel.empty() ? "" : firstcompatible(root),
                           treemodel.empty() ? hypervisorname(root) : "");
    } else {
        model = modelnames(dmi, "", "", "");
    }
    CpuFacts cpu = readcpu(root);
    Section overview("Hardware Overview");
    overview.add("Model Name", model.name);
    overview.add("Model Identifier", model.identifier);
    overview.add("Processor Name", cpu.name);
    if (cpu.ratedkhz > 0) overview.addquantity("Processor Speed", frequencytext(cpu.ratedkhz));
    if (cpu.packages > 0) overview.add("Number of Processors", std::to_string(cpu.packages));
    overview.add("Total Number of Cores", coretext(cpu));
    overview.addquantity(cpu.l2.key, cpu.l2.value);
    overview.addquantity(cpu.l3.key, cpu.l3.value);
    if (std::uint64_t memory = mdx::installedmemory(root.fullpath("")))
        overview.add("Memory", memorysizetext(memory));
    overview.add("System Firmware Version", firmwareversion(root, dir));
    overview.add("SMC Version (system)", dmivalue(root, dir, "ec_firmware_release"));
    overview.add("Serial Number (system)", serialnumber(root, dir));
    return {overview};
}

} // namespace mdx::sysprof
