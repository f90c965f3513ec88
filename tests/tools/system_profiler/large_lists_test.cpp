// Route and address lists of megabytes (a copied tree of a router, or a crafted one) are read in
// time that grows with their size: a profile that compared every address with every route, or
// every address with every address before it, would take minutes here and passes the time limit
// that CMakeLists.txt sets on this test.
#include "support/testing.h"

#include "support/files.h"
#include "support/runtime_fixture.h"
#include "tools/system_profiler/network.h"
#include "tools/system_profiler/profiler.h"

namespace mdx::sysprof {
namespace {

using test::writefile;

constexpr int Networks = 1 << 16;      // 10.a.b.0/24, one route each: 3 MB of route lines
constexpr int AddressesPerNetwork = 2; // .1 and .2 of each: 3.7 MB of fib_trie lines

std::string routehex(Ipv4 address) { // the kernel's native-order number of the four bytes
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", address & 0xFF, address >> 8 & 0xFF,
                  address >> 16 & 0xFF, address >> 24);
    return text;
}

TEST(ProfilerLargeLists, RouteAndAddressListsOfMegabytes) {
    test::TempDir root;
    const std::string net = root.file("sys/class/net/e0/");
    writefile(net + "type", "1\n");
    writefile(net + "flags", "0x1003\n");
    writefile(net + "operstate", "up\n");
    std::string routes = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\n";
    std::string trie = "Local:\n";
    for (int network = 0; network < Networks; ++network) {
        const Ipv4 base = Ipv4{10} << 24 | static_cast<Ipv4>(network) << 8;
        routes += "e0\t" + routehex(base) + "\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
        for (Ipv4 host = 1; host <= AddressesPerNetwork; ++host)
            trie += "|-- " + ipv4text(base | host) + "\n/32 host LOCAL\n";
    }
    writefile(root.file("proc/net/route"), routes);
    writefile(root.file("proc/net/fib_trie"), trie);

    std::ostringstream out, err;
    ASSERT_EQ(runprofiler({"--root", root.path(), "SPNetworkDataType"}, "", out, err, '.'), 0);
    const std::string text = out.str();
    EXPECT_NE(text.find("IPv4 Addresses: 10.0.0.1, 10.0.0.2, 10.0.1.1, "), std::string::npos);
    std::size_t masks = 0;
    for (std::size_t at = text.find("255.255.255.0"); at != std::string::npos;
         at = text.find("255.255.255.0", at + 1))
        ++masks;
    EXPECT_EQ(masks, std::size_t{Networks} * AddressesPerNetwork);
}

} // namespace
} // namespace mdx::sysprof
