#include "tools/system_profiler/cpu.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

const std::string CpuDir = "/sys/devices/system/cpu";

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

std::vector<int> cpunumbers(const SysRoot& root) {
    std::vector<int> cpus;
    for (const std::string& name : root.list(CpuDir)) {
        if (!startswith(name, "cpu")) continue;
        auto number = parseunsigned(name.substr(3));
        if (number && *number < MaxCpus) cpus.push_back(static_cast<int>(*number));
    }
    return cpus;
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

void readcaches(const SysRoot& root, int cpu, CpuTopology& topology) {
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
        cache.cpus = parsecpulist(root.value(dir + "/shared_cpu_list"));
        if (cache.cpus.empty()) cache.cpus = {cpu};
        bool known = std::any_of(topology.caches.begin(), topology.caches.end(), [&](auto& c) {
            return c.level == cache.level && c.type == cache.type && c.cpus == cache.cpus;
        });
        if (!known) topology.caches.push_back(cache);
    }
}

CpuTopology readtopology(const SysRoot& root, const std::vector<int>& cpus) {
    CpuTopology topology;
    for (int cpu : cpus) {
        std::string dir = cpupath(cpu) + "/topology";
        auto package = parsesigned(root.value(dir + "/physical_package_id"));
        if (package && *package >= 0) topology.package[cpu] = static_cast<int>(*package);
        std::set<int> siblings = parsecpulist(root.value(dir + "/core_cpus_list"));
        if (siblings.empty()) siblings = parsecpulist(root.value(dir + "/thread_siblings_list"));
        if (!siblings.empty() && siblings.count(cpu) != 0) topology.siblings[cpu] = siblings;
        readcaches(root, cpu, topology);
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

// Distinct ARM core names in the order they first appear: "ARM Cortex-A76 + Cortex-A55".
std::string armname(const std::vector<CpuinfoBlock>& blocks) {
    std::vector<std::string> names;
    for (const CpuinfoBlock& block : blocks) {
        auto implementer = block.find("CPU implementer");
        auto part = block.find("CPU part");
        if (implementer == block.end() || part == block.end()) continue;
        std::string name = armcorename(parsehex(implementer->second).value_or(0),
                                       parsehex(part->second).value_or(0));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    std::string joined;
    for (const std::string& name : names) {
        std::string shown = joined.empty() ? name : name.substr(name.find(' ') + 1);
        joined += (joined.empty() ? "" : " + ") + shown;
    }
    return joined;
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
    auto percore = parseunsigned(firstvalue(blocks, "cpu cores"));
    if (percore && *percore > 0 && *percore < MaxCpus)
        return static_cast<int>(*percore) * std::max(packages, 1);
    return static_cast<int>(blocks.size());
}

// Performance and efficiency cores: hybrid Intel processors list their two core types as two
// performance-monitoring units; elsewhere two distinct core capacities tell them apart.
void splitcores(const SysRoot& root, const CpuTopology& topology, const std::vector<int>& cpus,
                CpuFacts& facts) {
    std::set<int> big = parsecpulist(root.value("/sys/devices/cpu_core/cpus"));
    std::set<int> little = parsecpulist(root.value("/sys/devices/cpu_atom/cpus"));
    if (big.empty() || little.empty()) {
        std::map<std::uint64_t, std::set<int>> bycapacity;
        for (int cpu : cpus)
            if (auto capacity = parseunsigned(root.value(cpupath(cpu) + "/cpu_capacity")))
                bycapacity[*capacity].insert(cpu);
        if (bycapacity.size() != 2) return;
        little = bycapacity.begin()->second;
        big = bycapacity.rbegin()->second;
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
    struct Part {
        std::uint64_t number;
        const char* name;
    };
    static constexpr std::array<Part, 39> ArmParts{{
        {0xb76, "ARM1176"},     {0xc07, "Cortex-A7"},    {0xc09, "Cortex-A9"},
        {0xc0d, "Cortex-A12"},  {0xc0e, "Cortex-A17"},   {0xc0f, "Cortex-A15"},
        {0xd01, "Cortex-A32"},  {0xd02, "Cortex-A34"},   {0xd03, "Cortex-A53"},
        {0xd04, "Cortex-A35"},  {0xd05, "Cortex-A55"},   {0xd06, "Cortex-A65"},
        {0xd07, "Cortex-A57"},  {0xd08, "Cortex-A72"},   {0xd09, "Cortex-A73"},
        {0xd0a, "Cortex-A75"},  {0xd0b, "Cortex-A76"},   {0xd0c, "Neoverse-N1"},
        {0xd0d, "Cortex-A77"},  {0xd0e, "Cortex-A76AE"}, {0xd40, "Neoverse-V1"},
        {0xd41, "Cortex-A78"},  {0xd42, "Cortex-A78AE"}, {0xd44, "Cortex-X1"},
        {0xd46, "Cortex-A510"}, {0xd47, "Cortex-A710"},  {0xd48, "Cortex-X2"},
        {0xd49, "Neoverse-N2"}, {0xd4a, "Neoverse-E1"},  {0xd4b, "Cortex-A78C"},
        {0xd4d, "Cortex-A715"}, {0xd4e, "Cortex-X3"},    {0xd4f, "Neoverse-V2"},
        {0xd80, "Cortex-A520"}, {0xd81, "Cortex-A720"},  {0xd82, "Cortex-X4"},
        {0xd84, "Neoverse-V3"}, {0xd85, "Cortex-X925"},  {0xd87, "Cortex-A725"},
    }};
    if (implementer != 0x41) return {};
    for (const Part& entry : ArmParts)
        if (entry.number == part) return std::string("ARM ") + entry.name;
    return {};
}

CpuFacts readcpu(const SysRoot& root) {
    CpuFacts facts;
    std::vector<CpuinfoBlock> blocks = readcpuinfo(root);
    std::vector<int> cpus = cpunumbers(root);
    CpuTopology topology = readtopology(root, cpus);
    std::string brand = collapsespaces(firstvalue(blocks, "model name"));
    facts.name = brand.empty() ? armname(blocks) : brand;
    facts.ratedkhz = ratedclock(root, cpus, brand, blocks);
    facts.packages = countpackages(root, topology, blocks);
    facts.cores = countcores(topology, cpus, blocks, facts.packages);
    splitcores(root, topology, cpus, facts);
    facts.l2 = l2cacheline(topology);
    facts.l3 = l3cacheline(topology);
    return facts;
}

} // namespace mdx::sysprof
