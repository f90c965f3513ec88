#include "tools/system_profiler/cpu.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

#include "tools/system_profiler/devices.h"
#include "tools/system_profiler/hardware.h"
#include "tools/system_profiler/pci_ids.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

const std::string CpuDir = "/sys/devices/system/cpu";

struct ArmCore {
    std::string maker; // "ARM"
    std::string model; // "Cortex-A72"
};

// "0x" and the value in lower-case hexadecimal digits, at least digits of them.
std::string hexdigits(std::uint64_t value, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%0*llx", digits,
                  static_cast<unsigned long long>(value));
    return buffer;
}

// One "processor" block of /proc/cpuinfo: key -> value.
using CpuinfoBlock = std::map<std::string, std::string>;

std::vector<CpuinfoBlock> readcpuinfo(const SysRoot& root) {
    std::vector<CpuinfoBlock> blocks(1);
    auto text = root.read("/proc/cpuinfo", 4 * 1024 * 1024);
    if (!text) return {};
    for (const std::string& line : splitlines(*text)) {
        std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            if (!blocks.back().empty()) blocks.emplace_back();
            continue;
        }
        std::string key = trim(line.substr(0, colon));
        if (key == "processor" && !blocks.back().empty()) blocks.emplace_back();
        blocks.back()[key] = trim(line.substr(colon + 1));
    }
    if (blocks.back().empty()) blocks.pop_back();
    return blocks;
}

std::string firstvalue(const std::vector<CpuinfoBlock>& blocks, const std::string& key) {
    for (const CpuinfoBlock& block : blocks) {
        auto found = block.find(key);
        if (found != block.end() && printable(found->second)) return found->second;
    }
    return {};
}

std::string collapsespaces(const std::string& text) {
    std::string result;
    for (const std::string& word : splitwords(text))
        result += (result.empty() ? "" : " ") + word;
    return result;
}

// The processors the kernel shows, however many: one folder each.
std::vector<int> cpunumbers(const SysRoot& root) {
    std::vector<int> cpus;
    for (const std::string& name : root.list(CpuDir)) {
        if (!startswith(name, "cpu")) continue;
        auto number = parseunsigned(name.substr(3));
        if (number && *number < (1u << 30)) cpus.push_back(static_cast<int>(*number));
    }
    return cpus;
}

// One above the highest processor number: CPU lists and masks name no processor beyond it.
std::size_t cpulimit(const std::vector<int>& cpus) {
    return cpus.empty() ? 0
                        : static_cast<std::size_t>(*std::max_element(cpus.begin(), cpus.end())) + 1;
}

// CPU lists and masks parsed once for each text: on a machine of many processors the files of
// every processor name the same shared sets again.
struct CpuSets {
    std::size_t limit = 0;
    std::map<std::string, std::set<int>> lists;
    std::map<std::string, std::set<int>> masks;
};

// The processors a CPU list file names, else those of its mask file, which older kernels give
// alone. key, when given, receives the text they came from.
const std::set<int>& cpuset(const SysRoot& root, const std::string& list, const std::string& mask,
                            CpuSets& sets, std::string* key = nullptr) {
    std::string text = root.value(list);
    auto found = sets.lists.find(text);
    if (found == sets.lists.end())
        found = sets.lists.emplace(text, parsecpulist(text, sets.limit)).first;
    if (key) *key = "list " + text;
    if (!found->second.empty() || mask.empty()) return found->second;
    text = root.value(mask);
    auto masked = sets.masks.find(text);
    if (masked == sets.masks.end())
        masked = sets.masks.emplace(text, parsecpumask(text, sets.limit)).first;
    if (key) *key = "mask " + text;
    return masked->second;
}

std::string cpupath(int cpu) {
    return CpuDir + "/cpu" + std::to_string(cpu);
}

std::optional<std::uint64_t> cachekib(const std::string& size) {
    std::string text = trim(size);
    if (text.empty()) return {};
    std::uint64_t factor = 1;
    if (text.back() == 'K')
        text.pop_back();
    else if (text.back() == 'M') {
        text.pop_back();
        factor = 1024;
    }
    auto value = parseunsigned(text);
    if (!value || *value > (std::uint64_t{1} << 32)) return {};
    return *value * factor;
}

// The caches of one processor that no processor before it listed (the same level, type and
// processors): each cache once.
void readcaches(const SysRoot& root, int cpu, CpuSets& sets, std::set<std::string>& seen,
                CpuTopology& topology) {
    std::string cachedir = cpupath(cpu) + "/cache";
    for (const std::string& index : root.list(cachedir)) {
        if (!startswith(index, "index")) continue;
        std::string dir = cachedir + "/" + index;
        CacheInstance cache;
        cache.level = static_cast<int>(parseunsigned(root.value(dir + "/level")).value_or(0));
        if (cache.level < 2) continue;
        cache.type = root.value(dir + "/type");
        if (cache.type == "Instruction") continue;
        auto kib = cachekib(root.value(dir + "/size"));
        if (!kib || *kib == 0) continue;
        cache.kib = *kib;
        std::string key;
        const std::set<int>& shared =
            cpuset(root, dir + "/shared_cpu_list", dir + "/shared_cpu_map", sets, &key);
        if (shared.empty()) key = "cpu " + std::to_string(cpu);
        if (!seen.insert(std::to_string(cache.level) + " " + cache.type + " " + key).second)
            continue;
        cache.cpus = shared.empty() ? std::set<int>{cpu} : shared;
        topology.caches.push_back(cache);
    }
}

CpuTopology readtopology(const SysRoot& root, const std::vector<int>& cpus) {
    CpuTopology topology;
    CpuSets sets;
    sets.limit = cpulimit(cpus);
    std::set<std::string> seen;
    for (int cpu : cpus) {
        std::string dir = cpupath(cpu) + "/topology";
        auto package = parsesigned(root.value(dir + "/physical_package_id"));
        if (package && *package >= 0) topology.package[cpu] = static_cast<int>(*package);
        const std::set<int>* siblings = &cpuset(root, dir + "/core_cpus_list", "", sets);
        if (siblings->empty())
            siblings = &cpuset(root, dir + "/thread_siblings_list", dir + "/thread_siblings", sets);
        if (siblings->count(cpu) != 0) topology.siblings[cpu] = *siblings;
        readcaches(root, cpu, sets, seen, topology);
    }
    return topology;
}

std::set<int> coreof(const CpuTopology& topology, int cpu) {
    auto found = topology.siblings.find(cpu);
    return found == topology.siblings.end() ? std::set<int>{cpu} : found->second;
}

std::set<std::set<int>> coresof(const CpuTopology& topology, const std::set<int>& cpus) {
    std::set<std::set<int>> cores;
    for (int cpu : cpus)
        cores.insert(coreof(topology, cpu));
    return cores;
}

std::set<int> packagecpus(const CpuTopology& topology, int package) {
    std::set<int> cpus;
    for (const auto& [cpu, id] : topology.package)
        if (id == package) cpus.insert(cpu);
    return cpus;
}

bool onesizeeach(const std::vector<const CacheInstance*>& caches) {
    return std::all_of(caches.begin(), caches.end(),
                       [&](const CacheInstance* c) { return c->kib == caches.front()->kib; });
}

bool everycoreown(const CpuTopology& topology, const std::vector<const CacheInstance*>& caches) {
    return std::all_of(caches.begin(), caches.end(), [&](const CacheInstance* c) {
        return coresof(topology, c->cpus).size() == 1;
    });
}

bool everypackageone(const CpuTopology& topology, const std::vector<const CacheInstance*>& caches) {
    std::set<int> packages;
    for (const auto& entry : topology.package)
        packages.insert(entry.second);
    if (packages.size() < 2 || caches.size() != packages.size()) return false;
    return std::all_of(caches.begin(), caches.end(), [&](const CacheInstance* c) {
        auto first = topology.package.find(*c->cpus.begin());
        return first != topology.package.end() && packagecpus(topology, first->second) == c->cpus;
    });
}

std::vector<const CacheInstance*> cachesat(const CpuTopology& topology, int level) {
    std::vector<const CacheInstance*> caches;
    for (const CacheInstance& cache : topology.caches)
        if (cache.level == level) caches.push_back(&cache);
    return caches;
}

std::uint64_t totalkib(const std::vector<const CacheInstance*>& caches) {
    std::uint64_t total = 0;
    for (const CacheInstance* cache : caches)
        total += cache->kib;
    return total;
}

// Clocks above this many kHz (100 GHz) come from damaged files, not from processors.
constexpr std::uint64_t MaxClockKhz = 100000000;

std::uint64_t plausibleclock(const std::string& text) {
    std::uint64_t khz = parseunsigned(text).value_or(0);
    return khz <= MaxClockKhz ? khz : 0;
}

// The highest value of a cpufreq attribute (kHz) over the policies, else over the processors'
// own cpufreq folders; 0 when no policy has it.
std::uint64_t highestclock(const SysRoot& root, const std::vector<int>& cpus,
                           const std::string& attribute) {
    std::uint64_t best = 0;
    const std::string policies = CpuDir + "/cpufreq";
    for (const std::string& policy : root.list(policies))
        if (startswith(policy, "policy"))
            best = std::max(best,
                            plausibleclock(root.value(policies + "/" + policy + "/" + attribute)));
    if (best > 0) return best;
    for (int cpu : cpus)
        best = std::max(best, plausibleclock(root.value(cpupath(cpu) + "/cpufreq/" + attribute)));
    return best;
}

std::uint64_t maxcpuinfoclock(const std::vector<CpuinfoBlock>& blocks) {
    double best = 0;
    for (const CpuinfoBlock& block : blocks) {
        auto found = block.find("cpu MHz");
        if (found == block.end()) continue;
        best = std::max(best, parsedecimal(found->second).value_or(0));
    }
    return best > 0 && best < 1e6 ? static_cast<std::uint64_t>(std::llround(best * 1000)) : 0;
}

// The clock the processor is rated at, not its turbo maximum: the base (intel_pstate) or nominal
// (amd-pstate) frequency of the cpufreq driver, else the clock its name states, else the highest
// frequency, else what /proc/cpuinfo shows. Over several policies the highest base wins, so a
// hybrid processor gives the base clock of its performance cores.
std::uint64_t ratedclock(const SysRoot& root, const std::vector<int>& cpus,
                         const std::string& brand, const std::vector<CpuinfoBlock>& blocks) {
    for (const char* attribute : {"base_frequency", "amd_pstate_nominal_freq"})
        if (std::uint64_t khz = highestclock(root, cpus, attribute)) return khz;
    if (std::uint64_t khz = brandclock(brand)) return khz;
    if (std::uint64_t khz = highestclock(root, cpus, "cpuinfo_max_freq")) return khz;
    return maxcpuinfoclock(blocks);
}

// The makers that the implementer field of the main ID register names.
const char* armmaker(std::uint64_t implementer) {
    static constexpr std::array<std::pair<std::uint8_t, const char*>, 19> Makers{{
        {0x41, "ARM"},       {0x42, "Broadcom"},  {0x43, "Cavium"},   {0x44, "DEC"},
        {0x46, "Fujitsu"},   {0x48, "HiSilicon"}, {0x49, "Infineon"}, {0x4d, "Motorola"},
        {0x4e, "NVIDIA"},    {0x50, "APM"},       {0x51, "Qualcomm"}, {0x53, "Samsung"},
        {0x56, "Marvell"},   {0x61, "Apple"},     {0x66, "Faraday"},  {0x69, "Intel"},
        {0x6d, "Microsoft"}, {0x70, "Phytium"},   {0xc0, "Ampere"},
    }};
    for (const auto& [number, name] : Makers)
        if (number == implementer) return name;
    return nullptr;
}

struct ArmPart {
    std::uint8_t implementer;
    std::uint16_t part;
    const char* name;
};

// Parts of the cores that ship in Linux servers, boards and laptops, from the makers' own
// manuals and the part lists that the kernel and the CPU tools keep.
constexpr std::array<ArmPart, 109> ArmParts{{
    {0x41, 0xb02, "ARM11 MPCore"},
    {0x41, 0xb36, "ARM1136"},
    {0x41, 0xb56, "ARM1156"},
    {0x41, 0xb76, "ARM1176"},
    {0x41, 0xc05, "Cortex-A5"},
    {0x41, 0xc07, "Cortex-A7"},
    {0x41, 0xc08, "Cortex-A8"},
    {0x41, 0xc09, "Cortex-A9"},
    {0x41, 0xc0d, "Cortex-A12"},
    {0x41, 0xc0e, "Cortex-A17"},
    {0x41, 0xc0f, "Cortex-A15"},
    {0x41, 0xd01, "Cortex-A32"},
    {0x41, 0xd02, "Cortex-A34"},
    {0x41, 0xd03, "Cortex-A53"},
    {0x41, 0xd04, "Cortex-A35"},
    {0x41, 0xd05, "Cortex-A55"},
    {0x41, 0xd06, "Cortex-A65"},
    {0x41, 0xd07, "Cortex-A57"},
    {0x41, 0xd08, "Cortex-A72"},
    {0x41, 0xd09, "Cortex-A73"},
    {0x41, 0xd0a, "Cortex-A75"},
    {0x41, 0xd0b, "Cortex-A76"},
    {0x41, 0xd0c, "Neoverse-N1"},
    {0x41, 0xd0d, "Cortex-A77"},
    {0x41, 0xd0e, "Cortex-A76AE"},
    {0x41, 0xd40, "Neoverse-V1"},
    {0x41, 0xd41, "Cortex-A78"},
    {0x41, 0xd42, "Cortex-A78AE"},
    {0x41, 0xd43, "Cortex-A65AE"},
    {0x41, 0xd44, "Cortex-X1"},
    {0x41, 0xd46, "Cortex-A510"},
    {0x41, 0xd47, "Cortex-A710"},
    {0x41, 0xd48, "Cortex-X2"},
    {0x41, 0xd49, "Neoverse-N2"},
    {0x41, 0xd4a, "Neoverse-E1"},
    {0x41, 0xd4b, "Cortex-A78C"},
    {0x41, 0xd4c, "Cortex-X1C"},
    {0x41, 0xd4d, "Cortex-A715"},
    {0x41, 0xd4e, "Cortex-X3"},
    {0x41, 0xd4f, "Neoverse-V2"},
    {0x41, 0xd80, "Cortex-A520"},
    {0x41, 0xd81, "Cortex-A720"},
    {0x41, 0xd82, "Cortex-X4"},
    {0x41, 0xd83, "Neoverse-V3AE"},
    {0x41, 0xd84, "Neoverse-V3"},
    {0x41, 0xd85, "Cortex-X925"},
    {0x41, 0xd87, "Cortex-A725"},
    {0x41, 0xd88, "Cortex-A520AE"},
    {0x41, 0xd89, "Cortex-A720AE"},
    {0x41, 0xd8e, "Neoverse-N3"},
    {0x42, 0x00f, "Brahma-B15"},
    {0x42, 0x100, "Brahma-B53"},
    {0x42, 0x516, "ThunderX2"},
    {0x43, 0x0a0, "ThunderX"},
    {0x43, 0x0a1, "ThunderX 88XX"},
    {0x43, 0x0a2, "ThunderX 81XX"},
    {0x43, 0x0a3, "ThunderX 83XX"},
    {0x43, 0x0af, "ThunderX2 99xx"},
    {0x43, 0x0b8, "ThunderX3 T110"},
    {0x46, 0x001, "A64FX"},
    {0x48, 0xd01, "Kunpeng 920"},
    {0x48, 0xd02, "Kunpeng 930"},
    {0x48, 0xd40, "Cortex-A76"},
    {0x4e, 0x000, "Denver"},
    {0x4e, 0x003, "Denver 2"},
    {0x4e, 0x004, "Carmel"},
    {0x50, 0x000, "X-Gene"},
    {0x51, 0x00f, "Scorpion"},
    {0x51, 0x02d, "Scorpion"},
    {0x51, 0x04d, "Krait"},
    {0x51, 0x06f, "Krait"},
    {0x51, 0x201, "Kryo"},
    {0x51, 0x205, "Kryo"},
    {0x51, 0x211, "Kryo"},
    {0x51, 0x800, "Kryo 2xx Gold"},
    {0x51, 0x801, "Kryo 2xx Silver"},
    {0x51, 0x802, "Kryo 3xx Gold"},
    {0x51, 0x803, "Kryo 3xx Silver"},
    {0x51, 0x804, "Kryo 4xx Gold"},
    {0x51, 0x805, "Kryo 4xx Silver"},
    {0x51, 0xc00, "Falkor"},
    {0x51, 0xc01, "Saphira"},
    {0x51, 0x001, "Oryon"},
    {0x53, 0x001, "Exynos M1"},
    {0x53, 0x002, "Exynos M3"},
    {0x53, 0x003, "Exynos M4"},
    {0x53, 0x004, "Exynos M5"},
    {0x56, 0x131, "Feroceon 88FR131"},
    {0x56, 0x581, "PJ4/PJ4b"},
    {0x56, 0x584, "PJ4B-MP"},
    {0x61, 0x022, "M1 Icestorm"},
    {0x61, 0x023, "M1 Firestorm"},
    {0x61, 0x024, "M1 Pro Icestorm"},
    {0x61, 0x025, "M1 Pro Firestorm"},
    {0x61, 0x028, "M1 Max Icestorm"},
    {0x61, 0x029, "M1 Max Firestorm"},
    {0x61, 0x032, "M2 Blizzard"},
    {0x61, 0x033, "M2 Avalanche"},
    {0x69, 0x200, "i80200"},
    {0x69, 0x411, "PXA27x"},
    {0x6d, 0xd49, "Azure Cobalt 100"},
    {0x70, 0x660, "FTC660"},
    {0x70, 0x661, "FTC661"},
    {0x70, 0x662, "FTC662"},
    {0x70, 0x663, "FTC663"},
    {0x70, 0x664, "FTC664"},
    {0x70, 0x862, "FTC862"},
    {0xc0, 0xac3, "AmpereOne"},
    {0xc0, 0xac4, "AmpereOne A"},
}};

// A core's maker and model. Parts not listed here keep their number ("HiSilicon Part 0xd03"),
// makers not listed theirs ("Implementer 0x99").
ArmCore armcore(std::uint64_t implementer, std::uint64_t part) {
    const char* maker = armmaker(implementer);
    ArmCore core{maker ? maker : "Implementer " + hexdigits(implementer, 2),
                 "Part " + hexdigits(part, 3)};
    for (const ArmPart& entry : ArmParts)
        if (entry.implementer == implementer && entry.part == part) core.model = entry.name;
    return core;
}

// Distinct core names in the order they first appear, the maker named once: "ARM Cortex-A76 +
// Cortex-A55". Names of different makers stand in full.
std::string joinnames(const std::vector<ArmCore>& cores) {
    std::vector<ArmCore> distinct;
    for (const ArmCore& core : cores)
        if (std::none_of(distinct.begin(), distinct.end(), [&](const ArmCore& known) {
                return known.maker == core.maker && known.model == core.model;
            }))
            distinct.push_back(core);
    std::string joined;
    for (const ArmCore& core : distinct) {
        bool samemaker = !joined.empty() && core.maker == distinct.front().maker;
        std::string name = samemaker ? core.model : withvendor(core.maker, core.model);
        joined += (joined.empty() ? "" : " + ") + name;
    }
    return joined;
}

std::string armname(const std::vector<CpuinfoBlock>& blocks) {
    std::vector<ArmCore> cores;
    for (const CpuinfoBlock& block : blocks) {
        auto implementer = block.find("CPU implementer");
        auto part = block.find("CPU part");
        if (implementer == block.end() || part == block.end()) continue;
        auto maker = parsehex(implementer->second);
        auto number = parsehex(part->second);
        if (maker && number && *maker <= 0xff && *number <= 0xfff)
            cores.push_back(armcore(*maker, *number));
    }
    return joinnames(cores);
}

std::string uppercase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A model part of a device-tree name as its maker writes it: "cortex-a72" gives "Cortex-A72",
// "u74-mc" gives "U74-MC", "jh7110" gives "JH7110". Between hyphens, a part with digits has its
// letters in capitals, a short one of letters alone is an abbreviation, a longer one a word.
std::string capitalised(const std::string& model) {
    constexpr std::size_t AbbreviationLength = 3;
    std::string text;
    for (std::size_t start = 0; start <= model.size();) {
        const std::size_t end = std::min(model.find('-', start), model.size());
        const std::string part = model.substr(start, end - start);
        start = end + 1;
        std::string written = part;
        if (part.find_first_of("0123456789") != std::string::npos ||
            part.size() <= AbbreviationLength)
            written = uppercase(part);
        else if (!part.empty())
            written = uppercase(part.substr(0, 1)) + part.substr(1);
        text += written + (end < model.size() ? "-" : "");
    }
    return text;
}

// "sifive,u74-mc" gives maker "SiFive" and model "U74-MC"; nothing for an entry without a maker
// or one that names only the architecture ("arm,armv8", "riscv").
std::optional<ArmCore> compatiblecore(const std::string& compatible) {
    std::size_t comma = compatible.find(',');
    if (comma == std::string::npos || comma + 1 >= compatible.size()) return std::nullopt;
    std::string model = compatible.substr(comma + 1);
    if (startswith(model, "armv")) return std::nullopt;
    return ArmCore{devicetreevendor(compatible.substr(0, comma)), capitalised(model)};
}

const std::string TreeBase = "/sys/firmware/devicetree/base";

// The processor cores the device tree names ("arm,cortex-a72"), each kind once; cores that the
// firmware switched off (a RISC-V board's monitor core) are not the machine's processors.
std::string treecpuname(const SysRoot& root) {
    std::vector<ArmCore> cores;
    const std::string dir = TreeBase + "/cpus";
    for (const std::string& node : root.list(dir)) {
        if (!startswith(node, "cpu@")) continue;
        if (root.dtstring(dir + "/" + node + "/status") == "disabled") continue;
        auto compatible = root.dtstrings(dir + "/" + node + "/compatible");
        if (compatible.empty()) continue;
        if (auto core = compatiblecore(compatible.front())) cores.push_back(*core);
    }
    return joinnames(cores);
}

// The system on a chip, the last and most general entry of the board's compatible list
// ("starfive,visionfive-2-v1.3b", "starfive,jh7110" gives "StarFive JH7110").
std::string treesocname(const SysRoot& root) {
    auto compatible = root.dtstrings(TreeBase + "/compatible");
    if (compatible.empty()) return {};
    auto soc = compatiblecore(compatible.back());
    return soc ? withvendor(soc->maker, soc->model) : std::string();
}

// A RISC-V kernel names the cores' kind in "uarch" as the device tree does ("sifive,u74-mc"), or
// at least the instruction set ("rv64imafdc_zicsr..." gives "RISC-V rv64imafdc").
std::string riscvname(const std::vector<CpuinfoBlock>& blocks) {
    if (auto core = compatiblecore(firstvalue(blocks, "uarch")))
        return withvendor(core->maker, core->model);
    const std::string isa = firstvalue(blocks, "isa");
    if (isa.empty() && firstvalue(blocks, "hart").empty()) return {};
    return trim("RISC-V " + isa.substr(0, isa.find('_')));
}

// String number index of an SMBIOS structure: the strings follow its formatted part, each
// ending in a NUL, counted from 1.
std::string smbiosstring(const std::string& raw, std::size_t length, std::uint8_t index) {
    if (index == 0) return {};
    std::size_t at = length;
    for (std::uint8_t n = 1; at < raw.size(); ++n) {
        std::size_t end = raw.find('\0', at);
        if (end == std::string::npos || end == at) return {};
        if (n == index) return trim(raw.substr(at, end - at));
        at = end + 1;
    }
    return {};
}

// The processor's name in the firmware's SMBIOS tables (type 4: the version string, after the
// maker's name where it lacks it). The kernel lets only root read these tables.
std::string smbioscpuname(const SysRoot& root) {
    const std::string dir = "/sys/firmware/dmi/entries";
    for (const std::string& entry : root.list(dir)) {
        if (!startswith(entry, "4-")) continue;
        auto raw = root.read(dir + "/" + entry + "/raw", 4096);
        if (!raw || raw->size() < 0x11 || (*raw)[0] != 4) continue;
        std::size_t length = static_cast<std::uint8_t>((*raw)[1]);
        if (length < 0x11 || length > raw->size()) continue;
        std::string version = smbiosstring(*raw, length, static_cast<std::uint8_t>((*raw)[0x10]));
        std::string maker = smbiosstring(*raw, length, static_cast<std::uint8_t>((*raw)[0x07]));
        if (!printable(version) || isplaceholder(version)) continue;
        return withvendor(printable(maker) && !isplaceholder(maker) ? maker : "", version);
    }
    return {};
}

int countpackages(const SysRoot& root, const CpuTopology& topology,
                  const std::vector<CpuinfoBlock>& blocks) {
    // Boards described by a device tree are single chips, even where the kernel reports each
    // core cluster as a package of its own.
    if (root.isdirectory("/sys/firmware/devicetree/base") && !blocks.empty()) return 1;
    std::set<int> packages;
    for (const auto& entry : topology.package)
        packages.insert(entry.second);
    if (!packages.empty()) return static_cast<int>(packages.size());
    std::set<std::string> ids;
    for (const CpuinfoBlock& block : blocks) {
        auto found = block.find("physical id");
        if (found != block.end()) ids.insert(found->second);
    }
    return static_cast<int>(ids.size());
}

int countcores(const CpuTopology& topology, const std::vector<int>& cpus,
               const std::vector<CpuinfoBlock>& blocks, int packages) {
    if (!topology.siblings.empty())
        return corecount(topology, std::set<int>(cpus.begin(), cpus.end()));
    // A core has at least one processor of its own, so more cores than listed processors come
    // from a damaged file.
    auto percore = parseunsigned(firstvalue(blocks, "cpu cores"));
    if (percore && *percore > 0 && *percore <= blocks.size()) {
        auto total = *percore * static_cast<std::uint64_t>(std::max(packages, 1));
        if (total <= blocks.size()) return static_cast<int>(total);
    }
    return static_cast<int>(blocks.size());
}

// The two halves of a list of values, split at the largest gap between neighbours in size
// order (the lower gap where two are equal); nothing when all values are equal.
std::optional<std::uint64_t> splitpoint(std::vector<std::uint64_t> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::optional<std::uint64_t> point;
    std::uint64_t widest = 0;
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] - values[i - 1] > widest) {
            widest = values[i] - values[i - 1];
            point = values[i];
        }
    return point;
}

// The kinds of cores of an ARM chip: the processors of each "CPU part" of /proc/cpuinfo, where
// it names more than one; else each processor on its own.
std::vector<std::set<int>> corekinds(const std::vector<CpuinfoBlock>& blocks,
                                     const std::vector<int>& cpus) {
    std::map<std::string, std::set<int>> byparts;
    for (const CpuinfoBlock& block : blocks) {
        auto number = block.find("processor");
        auto part = block.find("CPU part");
        auto implementer = block.find("CPU implementer");
        if (number == block.end() || part == block.end() || implementer == block.end()) continue;
        if (auto cpu = parseunsigned(number->second); cpu && *cpu < (1u << 30))
            byparts[implementer->second + "/" + part->second].insert(static_cast<int>(*cpu));
    }
    std::vector<std::set<int>> kinds;
    if (byparts.size() > 1)
        for (const auto& entry : byparts)
            kinds.push_back(entry.second);
    else
        for (int cpu : cpus)
            kinds.push_back({cpu});
    return kinds;
}

// Performance and efficiency cores: hybrid Intel processors list their two core types as two
// performance-monitoring units. Elsewhere the kinds of cores (by CPU part, else each processor)
// are ordered by their highest capacity and split at the largest gap: ARM chips may give one
// kind of core several capacities (718 and 731, or 997, 1017 and 1024 on one chip).
void splitcores(const SysRoot& root, const CpuTopology& topology, const std::vector<int>& cpus,
                const std::vector<CpuinfoBlock>& blocks, CpuFacts& facts) {
    const std::size_t limit = cpulimit(cpus);
    std::set<int> big = parsecpulist(root.value("/sys/devices/cpu_core/cpus"), limit);
    std::set<int> little = parsecpulist(root.value("/sys/devices/cpu_atom/cpus"), limit);
    if (big.empty() || little.empty()) {
        std::map<int, std::uint64_t> capacity;
        for (int cpu : cpus)
            if (auto value = parseunsigned(root.value(cpupath(cpu) + "/cpu_capacity")))
                capacity[cpu] = *value;
        std::vector<std::pair<std::uint64_t, const std::set<int>*>> kinds;
        std::vector<std::set<int>> groups = corekinds(blocks, cpus);
        for (const std::set<int>& group : groups) {
            std::uint64_t highest = 0;
            for (int cpu : group)
                if (capacity.count(cpu) != 0) highest = std::max(highest, capacity[cpu]);
            if (highest == 0) continue; // without a capacity it cannot be placed
            kinds.emplace_back(highest, &group);
        }
        std::vector<std::uint64_t> values;
        for (const auto& kind : kinds)
            values.push_back(kind.first);
        auto point = splitpoint(values);
        if (!point) return;
        for (const auto& [highest, group] : kinds)
            (highest >= *point ? big : little).insert(group->begin(), group->end());
    }
    facts.performancecores = corecount(topology, big);
    facts.efficiencycores = corecount(topology, little);
}

} // namespace

int corecount(const CpuTopology& topology, const std::set<int>& cpus) {
    return static_cast<int>(coresof(topology, cpus).size());
}

CacheLine l2cacheline(const CpuTopology& topology) {
    auto caches = cachesat(topology, 2);
    if (caches.empty()) return {};
    if (onesizeeach(caches) && everycoreown(topology, caches))
        return {"L2 Cache (per Core)", cachesizetext(caches.front()->kib)};
    if (onesizeeach(caches) && everypackageone(topology, caches))
        return {"L2 Cache (per Processor)", cachesizetext(caches.front()->kib)};
    return {"L2 Cache", cachesizetext(totalkib(caches))};
}

CacheLine l3cacheline(const CpuTopology& topology) {
    auto caches = cachesat(topology, 3);
    if (caches.empty()) return {};
    return {"L3 Cache", cachesizetext(totalkib(caches))};
}

std::string coretext(const CpuFacts& facts) {
    if (facts.cores <= 0) return {};
    std::string text = std::to_string(facts.cores);
    if (facts.performancecores > 0 && facts.efficiencycores > 0 &&
        facts.performancecores + facts.efficiencycores == facts.cores)
        text += " (" + std::to_string(facts.performancecores) + " performance and " +
                std::to_string(facts.efficiencycores) + " efficiency)";
    return text;
}

std::uint64_t brandclock(const std::string& brand) {
    std::size_t at = brand.rfind('@');
    if (at == std::string::npos) return 0;
    std::string rest = trim(brand.substr(at + 1));
    std::uint64_t factor = 0;
    if (endswith(rest, "GHz"))
        factor = 1000000;
    else if (endswith(rest, "MHz"))
        factor = 1000;
    if (factor == 0) return 0;
    auto value = parsedecimal(rest.substr(0, rest.size() - 3));
    if (!value || *value <= 0 || *value > 1e6) return 0;
    return static_cast<std::uint64_t>(std::llround(*value * static_cast<double>(factor)));
}

std::string armcorename(std::uint64_t implementer, std::uint64_t part) {
    ArmCore core = armcore(implementer, part);
    return withvendor(core.maker, core.model);
}

CpuFacts readcpu(const SysRoot& root) {
    CpuFacts facts;
    std::vector<CpuinfoBlock> blocks = readcpuinfo(root);
    std::vector<int> cpus = cpunumbers(root);
    CpuTopology topology = readtopology(root, cpus);
    std::string brand = collapsespaces(firstvalue(blocks, "model name"));
    facts.name = brand;
    // Processors without a brand string (ARM, RISC-V): the firmware's name, else the device
    // tree's cores, else the implementer and part numbers of /proc/cpuinfo, else the device
    // tree's chip, else what a RISC-V kernel says of its cores.
    for (auto source : {smbioscpuname, treecpuname})
        if (facts.name.empty()) facts.name = source(root);
    if (facts.name.empty()) facts.name = armname(blocks);
    if (facts.name.empty()) facts.name = treesocname(root);
    if (facts.name.empty()) facts.name = riscvname(blocks);
    facts.ratedkhz = ratedclock(root, cpus, brand, blocks);
    facts.packages = countpackages(root, topology, blocks);
    facts.cores = countcores(topology, cpus, blocks, facts.packages);
    splitcores(root, topology, cpus, blocks, facts);
    facts.l2 = l2cacheline(topology);
    facts.l3 = l3cacheline(topology);
    return facts;
}

} // namespace mdx::sysprof
