// The processor facts of the hardware overview: name, clock, packages, cores and caches, from
// /proc/cpuinfo and the CPU topology, cache and frequency files in sysfs.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/system_profiler/sysroot.h"

namespace mdx::sysprof {

// One cache as the kernel lists it under cpuN/cache/indexM, shared by a set of processors.
struct CacheInstance {
    int level = 0;
    std::string type; // "Data", "Instruction", "Unified"
    std::uint64_t kib = 0;
    std::set<int> cpus;
};

// The processors of one machine: for every logical processor its package and the processors of
// its physical core, plus the caches.
struct CpuTopology {
    std::map<int, int> package;            // logical processor -> package id
    std::map<int, std::set<int>> siblings; // logical processor -> processors of its core
    std::vector<CacheInstance> caches;     // each cache once
};

struct CacheLine {
    std::string key;
    std::string value;
};

// The level-2 line: "L2 Cache (per Core)" when every core has its own cache of one size,
// "L2 Cache (per Processor)" when each of several packages shares one, else "L2 Cache" with the
// total of all level-2 caches. Nothing when there is no level-2 cache.
CacheLine l2cacheline(const CpuTopology& topology);
// The total of all level-3 caches, or nothing.
CacheLine l3cacheline(const CpuTopology& topology);
// Physical cores: distinct sets of sibling processors among the given processors.
int corecount(const CpuTopology& topology, const std::set<int>& cpus);

struct CpuFacts {
    std::string name;
    std::uint64_t ratedkhz = 0; // the rated clock, not the turbo maximum
    int packages = 0;
    int cores = 0;
    int performancecores = 0;
    int efficiencycores = 0;
    CacheLine l2;
    CacheLine l3;
};

CpuFacts readcpu(const SysRoot& root);

// The text of "Total Number of Cores": "8", or "14 (6 performance and 8 efficiency)".
std::string coretext(const CpuFacts& facts);

// The clock a processor's brand string names: "... @ 2.80GHz" gives 2800000 kHz.
std::uint64_t brandclock(const std::string& brand);

// The name of an ARM core from the implementer and part numbers of /proc/cpuinfo, such as
// "ARM Cortex-A72" or "HiSilicon Kunpeng 920"; for parts not known here the maker and the part
// number ("HiSilicon Part 0xd03", "Implementer 0x99 Part 0x001").
std::string armcorename(std::uint64_t implementer, std::uint64_t part);

} // namespace mdx::sysprof
