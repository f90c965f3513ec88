// The network profile of a copied tree whose route and address lists run to megabytes (a router,
// or a crafted tree): the time should grow with the size of the lists. A profile that compared
// every address with every route, or every address with those before it, shows here as a
// complexity of N squared instead of N.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/system_profiler/network.h"
#include "tools/system_profiler/profiler.h"

namespace {

namespace fs = std::filesystem;
using mdx::sysprof::Ipv4;

constexpr Ipv4 AddressesPerNetwork = 2; // .1 and .2 of each 10.a.b.0/24

// The kernel's native-order number of the four bytes, as /proc/net/route writes it.
std::string routehex(Ipv4 address) {
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", address & 0xFF, address >> 8 & 0xFF,
                  address >> 16 & 0xFF, address >> 24);
    return text;
}

void writefile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A tree with one interface, `networks` routes of a /24 each and two addresses in each network.
class LargeNetworkTree {
  public:
    explicit LargeNetworkTree(int networks) {
        std::string pattern = (fs::temp_directory_path() / "miradex-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
        const fs::path net = root_ / "sys/class/net/e0";
        writefile(net / "type", "1\n");
        writefile(net / "flags", "0x1003\n");
        writefile(net / "operstate", "up\n");
        std::string routes = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\n";
        std::string trie = "Local:\n";
        for (int network = 0; network < networks; ++network) {
            const Ipv4 base = Ipv4{10} << 24 | static_cast<Ipv4>(network) << 8;
            routes += "e0\t" + routehex(base) + "\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
            for (Ipv4 host = 1; host <= AddressesPerNetwork; ++host)
                trie += "|-- " + mdx::sysprof::ipv4text(base | host) + "\n/32 host LOCAL\n";
        }
        writefile(root_ / "proc/net/route", routes);
        writefile(root_ / "proc/net/fib_trie", trie);
    }
    ~LargeNetworkTree() {
        std::error_code ignored;
        if (!root_.empty()) fs::remove_all(root_, ignored);
    }
    LargeNetworkTree(const LargeNetworkTree&) = delete;
    LargeNetworkTree& operator=(const LargeNetworkTree&) = delete;
    std::string path() const { return root_.string(); }

  private:
    fs::path root_;
};

void BM_ProfileLargeRouteLists(benchmark::State& state) {
    const LargeNetworkTree tree(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ostringstream out, err;
        mdx::sysprof::runprofiler({"--root", tree.path(), "SPNetworkDataType"}, "", out, err, '.');
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProfileLargeRouteLists)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
