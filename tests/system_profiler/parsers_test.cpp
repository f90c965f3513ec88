// The pieces that turn kernel text into values, case by case.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "tools/system_profiler/buses.h"
#include "tools/system_profiler/cpu.h"
#include "tools/system_profiler/displays.h"
#include "tools/system_profiler/drm_modes.h"
#include "tools/system_profiler/edid.h"
#include "tools/system_profiler/hardware.h"
#include "tools/system_profiler/network.h"
#include "tools/system_profiler/number_locale.h"
#include "tools/system_profiler/output.h"
#include "tools/system_profiler/pci_ids.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {
namespace {

TEST(ProfilerText, CpuLists) {
    EXPECT_EQ(parsecpulist("0-3,8,10-11\n"), (std::set<int>{0, 1, 2, 3, 8, 10, 11}));
    EXPECT_EQ(parsecpulist("5"), (std::set<int>{5}));
    for (const char* bad : {"", "3-1", "1-", "a", "0-8192", "1,,2", "-1"})
        EXPECT_TRUE(parsecpulist(bad).empty()) << bad;
}

TEST(ProfilerText, NaturalOrder) {
    std::vector<std::string> names{"card10", "card2", "card1-eDP-1", "card1",
                                   "host0",  "ata10", "ata9"};
    std::sort(names.begin(), names.end(), naturalless);
    EXPECT_EQ(names, (std::vector<std::string>{"ata9", "ata10", "card1", "card1-eDP-1", "card2",
                                               "card10", "host0"}));
}

TEST(ProfilerText, PrintableValues) {
    EXPECT_TRUE(printable("Intel(R) Core(TM) i7"));
    EXPECT_TRUE(printable("Müller GmbH"));
    for (std::string bad : {std::string(), std::string("a\nb"), std::string("a\rb"),
                            std::string("a\0b", 3), std::string("\xff\xfe"), std::string("\xc3")})
        EXPECT_FALSE(printable(bad));
}

TEST(ProfilerText, SizesAndClocks) {
    struct Case {
        std::string actual;
        std::string expected;
    };
    const std::vector<Case> cases{
        {cachesizetext(48), "48 KB"},
        {cachesizetext(1280), "1.25 MB"},
        {cachesizetext(16896), "16.5 MB"},
        {cachesizetext(24576), "24 MB"},
        {cachesizetext(1100), "1100 KB"},
        {memorysizetext(17179869184), "16 GB"},
        {memorysizetext(536870912), "512 MB"},
        {frequencytext(2800000), "2.8 GHz"},
        {frequencytext(5000000), "5 GHz"},
        {frequencytext(2593906), "2.59 GHz"},
        {frequencytext(800000), "800 MHz"},
        {vramtext(17179869184), "16 GB"},
        {vramtext(1610612736), "1536 MB"},
        {vramtext(536870912), "512 MB"},
        {usbspeedtext("480"), "Up to 480 Mb/s"},
        {usbspeedtext("10000"), "Up to 10 Gb/s"},
        {usbspeedtext("1.5"), "Up to 1.5 Mb/s"},
        {usbspeedtext("fast"), ""},
        {usbversion("5000"), "3.0"},
        {usbversion("12"), "1.1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected);
    EXPECT_EQ(brandclock("Intel(R) Xeon(R) Processor @ 2.80GHz"), 2800000u);
    EXPECT_EQ(brandclock("Intel(R) Core(TM)2 Duo CPU T7700 @ 2400MHz"), 2400000u);
    EXPECT_EQ(brandclock("AMD Ryzen 7 5800X 8-Core Processor"), 0u);
    EXPECT_EQ(brandclock("odd @ GHz"), 0u);
}

TEST(ProfilerText, DecimalSeparatorFromTheLocaleVariables) {
    struct Case {
        const char* lcall;
        const char* lcnumeric;
        const char* lang;
        char point;
    };
    const std::vector<Case> cases{
        {nullptr, nullptr, "de_DE.UTF-8", ','},
        {nullptr, nullptr, "de_AT@euro", ','},
        {nullptr, nullptr, "fr_FR", ','},
        {nullptr, nullptr, "C", '.'},
        {nullptr, nullptr, "C.UTF-8", '.'},
        {nullptr, nullptr, "POSIX", '.'},
        {nullptr, nullptr, "en_US.UTF-8", '.'},
        {nullptr, nullptr, "de_CH.UTF-8", '.'}, // Swiss German writes a decimal point
        {nullptr, nullptr, "en_DK.UTF-8", ','},
        {nullptr, nullptr, nullptr, '.'},
        {"C", "de_DE.UTF-8", "de_DE.UTF-8", '.'}, // LC_ALL wins
        {"", "de_DE.UTF-8", "C", ','},            // an empty variable counts as unset
        {nullptr, "C", "de_DE.UTF-8", '.'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decimalpoint(c.lcall, c.lcnumeric, c.lang), c.point)
            << (c.lang ? c.lang : "-") << " " << (c.lcnumeric ? c.lcnumeric : "-");
    EXPECT_EQ(withdecimalpoint("16.0 GT/s PCIe", ','), "16,0 GT/s PCIe");
    EXPECT_EQ(withdecimalpoint("1920 x 1080 @ 59.95Hz", ','), "1920 x 1080 @ 59,95Hz");
    EXPECT_EQ(withdecimalpoint(".5 x 5.", ','), ".5 x 5.");
}

TEST(ProfilerText, InstalledMemoryFromMemTotal) {
    constexpr std::uint64_t GiB = 1024ull * 1024 * 1024;
    EXPECT_EQ(roundedmemtotal(GiB * 155 / 10), 16 * GiB);
    EXPECT_EQ(roundedmemtotal(GiB * 31), 32 * GiB) << "a 32 GB machine with graphics memory taken";
    EXPECT_EQ(roundedmemtotal(GiB * 38 / 10), 4 * GiB);
    EXPECT_EQ(roundedmemtotal(GiB * 2), 2 * GiB);
    EXPECT_EQ(roundedmemtotal(430ull * 1024 * 1024), GiB / 2);
}

TEST(ProfilerHardware, Placeholders) {
    for (const char* filler : {"To be filled by O.E.M.", "Default string", "System Product Name",
                               "  none ", "xxxxxxxx", "00000000", "", "N/A", "FFFFFFFF"})
        EXPECT_TRUE(isplaceholder(filler)) << filler;
    for (const char* real : {"MacBookPro13,1", "XPS 13 9310", "21FVCTO1WW", "0x1", "Q35"})
        EXPECT_FALSE(isplaceholder(real)) << real;
}

// From the firmware's facts first; then the device tree's model and the hypervisor's name.
TEST(ProfilerHardware, ModelNames) {
    const DmiFacts asus{"ASUSTeK COMPUTER INC.", "", "", "", "ASUSTeK COMPUTER INC.",
                        "ROG STRIX B550-F"};
    const std::vector<std::tuple<DmiFacts, std::string, std::string>> firmware{
        {{"Apple Inc.", "MacBookPro13,1", "MacBook Pro", "1.0"}, "MacBook Pro", "MacBookPro13,1"},
        {{"Apple Inc.", "Macmini8,1"}, "Mac mini", "Macmini8,1"},
        {{"LENOVO", "20KHCTO1WW", "", "ThinkPad X1 Carbon 6th"},
         "Lenovo ThinkPad X1 Carbon 6th",
         "20KHCTO1WW"},
        {{"Dell Inc.", "XPS 13 9310", "XPS"}, "Dell XPS 13 9310", "XPS 13 9310"},
        {{"HP", "HP EliteBook 840 G8"}, "HP EliteBook 840 G8", "HP EliteBook 840 G8"},
        {asus, "ASUS ROG STRIX B550-F", "ROG STRIX B550-F"},
    };
    for (const auto& [dmi, name, identifier] : firmware) {
        const ModelNames names = modelnames(dmi, "", "", "");
        EXPECT_EQ(names.name, name);
        EXPECT_EQ(names.identifier, identifier);
    }
    const std::vector<std::array<std::string, 5>> others{
        {"Raspberry Pi 4 Model B Rev 1.4", "raspberrypi,4-model-b", "",
         "Raspberry Pi 4 Model B Rev 1.4", "raspberrypi,4-model-b"},
        {"", "", "KVM", "KVM Virtual Machine", "KVM Virtual Machine"},
        {"", "", "Virtual", "Virtual Machine", "Virtual Machine"},
        {"", "", "", "", ""},
    };
    for (const auto& [model, compatible, hypervisor, name, identifier] : others) {
        const ModelNames names = modelnames({}, model, compatible, hypervisor);
        EXPECT_EQ(names.name, name);
        EXPECT_EQ(names.identifier, identifier);
    }
}

TEST(ProfilerHardware, VendorNames) {
    struct Case {
        const char* full;
        const char* shortname;
    };
    for (const Case& c : std::vector<Case>{{"Intel Corporation", "Intel"},
                                           {"Advanced Micro Devices, Inc. [AMD/ATI]", "AMD"},
                                           {"NVIDIA Corporation", "NVIDIA"},
                                           {"Realtek Semiconductor Co., Ltd.", "Realtek"},
                                           {"Broadcom Inc. and subsidiaries", "Broadcom"},
                                           {"Broadcom / LSI", "Broadcom / LSI"},
                                           {"Micro-Star International Co., Ltd.", "MSI"},
                                           {"Texas Instruments", "Texas Instruments"},
                                           {"QEMU", "QEMU"}})
        EXPECT_EQ(shortvendor(c.full), c.shortname);
}

CpuTopology topology(int cpus, int threadspercore, int packages) {
    CpuTopology t;
    for (int cpu = 0; cpu < cpus; ++cpu) {
        int first = cpu - cpu % threadspercore;
        for (int k = 0; k < threadspercore; ++k)
            t.siblings[cpu].insert(first + k);
        t.package[cpu] = cpu * packages / cpus;
    }
    return t;
}

TEST(ProfilerCpu, CacheLines) {
    // Four cores with two threads each, one level-2 cache per core, one shared level 3.
    CpuTopology percore = topology(8, 2, 1);
    for (int core = 0; core < 4; ++core)
        percore.caches.push_back({2, "Unified", 256, {2 * core, 2 * core + 1}});
    percore.caches.push_back({3, "Unified", 8192, {0, 1, 2, 3, 4, 5, 6, 7}});
    EXPECT_EQ(l2cacheline(percore).key, "L2 Cache (per Core)");
    EXPECT_EQ(l2cacheline(percore).value, "256 KB");
    EXPECT_EQ(l3cacheline(percore).value, "8 MB");

    // Two packages of two single-thread cores, each package sharing one level-2 cache.
    CpuTopology perpackage = topology(4, 1, 2);
    perpackage.caches = {{2, "Unified", 6144, {0, 1}}, {2, "Unified", 6144, {2, 3}}};
    EXPECT_EQ(l2cacheline(perpackage).key, "L2 Cache (per Processor)");
    EXPECT_EQ(l2cacheline(perpackage).value, "6 MB");

    // One package whose two cores share their level-2 cache.
    CpuTopology shared = topology(2, 1, 1);
    shared.caches = {{2, "Unified", 3072, {0, 1}}};
    EXPECT_EQ(l2cacheline(shared).key, "L2 Cache");
    EXPECT_EQ(l2cacheline(shared).value, "3 MB");

    // Hybrid: per-core caches of one size and a cluster cache of another: the total.
    CpuTopology hybrid = topology(8, 1, 1);
    hybrid.caches = {
        {2, "Unified", 1280, {0}}, {2, "Unified", 1280, {1}}, {2, "Unified", 2048, {4, 5, 6, 7}}};
    EXPECT_EQ(l2cacheline(hybrid).key, "L2 Cache");
    EXPECT_EQ(l2cacheline(hybrid).value, "4.5 MB");

    EXPECT_EQ(l2cacheline(CpuTopology{}).key, "");
    EXPECT_EQ(l3cacheline(CpuTopology{}).key, "");
}

TEST(ProfilerCpu, CoreTextAndArmNames) {
    CpuFacts facts;
    facts.cores = 14;
    facts.performancecores = 6;
    facts.efficiencycores = 8;
    EXPECT_EQ(coretext(facts), "14 (6 performance and 8 efficiency)");
    facts.efficiencycores = 7; // a split that does not add up is not shown
    EXPECT_EQ(coretext(facts), "14");
    EXPECT_EQ(coretext(CpuFacts{}), "");
    EXPECT_EQ(armcorename(0x41, 0xd08), "ARM Cortex-A72");
    EXPECT_EQ(armcorename(0x41, 0xfff), "");
    EXPECT_EQ(armcorename(0x61, 0xd08), "");
}

TEST(ProfilerNetwork, RoutesAndDefaultRouter) {
    const std::string table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        "eth0\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "tun0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\t0\t0\n"
        "eth1\t00000000\t0103A8C0\t0002\t0\t0\t10\t00000000\t0\t0\t0\n"
        "eth0\t0002A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "garbage line\n"
        "eth0\tZZZZZZZZ\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n";
    std::vector<Route> routes = parseroutes(table);
    ASSERT_EQ(routes.size(), 5u);
    EXPECT_EQ(ipv4text(routes[0].gateway), "192.168.1.1");
    EXPECT_EQ(ipv4text(routes[4].mask), "255.255.255.0");
    // Lowest metric among routes that are up and lead through a gateway.
    auto router = defaultroute(routes);
    ASSERT_TRUE(router);
    EXPECT_EQ(router->interface, "eth0");
    EXPECT_EQ(ipv4text(router->gateway), "192.168.2.1");
    EXPECT_FALSE(defaultroute({}));
}

TEST(ProfilerNetwork, NeighbourTable) {
    const std::string arp =
        "IP address       HW type     Flags       HW address            Mask     Device\n"
        "192.168.2.1      0x1         0x2         3c:a6:2f:90:11:02     *        eth0\n"
        "192.168.2.7      0x1         0x0         00:00:00:00:00:00     *        eth0\n"
        "10.0.0.1         0x1         0x2         3c:a6:2f:90:11:03     *        eth1\n"
        "300.1.1.1        0x1         0x2         3c:a6:2f:90:11:04     *        eth0\n";
    std::vector<Neighbour> table = parsearp(arp);
    ASSERT_EQ(table.size(), 3u);
    auto resolved = resolvedneighbour(table, *parseipv4("192.168.2.1"), "eth0");
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->hardware, "3c:a6:2f:90:11:02");
    EXPECT_FALSE(resolvedneighbour(table, *parseipv4("192.168.2.7"), "eth0")) << "incomplete";
    EXPECT_FALSE(resolvedneighbour(table, *parseipv4("10.0.0.1"), "eth0")) << "other interface";
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "a.b.c.d", "1..2.3", ""})
        EXPECT_FALSE(parseipv4(bad)) << bad;
}

TEST(ProfilerNetwork, LocalAddressesGoToTheirLongestOnLinkRoute) {
    const std::string trie = "Main:\n"
                             "  +-- 0.0.0.0/0 3 0 5\n"
                             "     +-- 10.1.0.0/16 2 0 2\n"
                             "        |-- 10.1.2.3\n"
                             "           /32 host LOCAL\n"
                             "        |-- 10.1.255.255\n"
                             "           /32 link BROADCAST\n"
                             "        |-- 10.9.9.9\n"
                             "           /32 host LOCAL\n"
                             "     |-- 127.0.0.1\n"
                             "        /32 host LOCAL\n"
                             "Local:\n"
                             "        |-- 10.1.2.3\n"
                             "           /32 host LOCAL\n";
    std::vector<Ipv4> locals = parsefibtrie(trie);
    ASSERT_EQ(locals.size(), 2u);
    std::vector<Route> routes{{"br0", *parseipv4("10.0.0.0"), 0, 1, 0, *parseipv4("255.0.0.0")},
                              {"eth0", *parseipv4("10.1.0.0"), 0, 1, 0, *parseipv4("255.255.0.0")},
                              {"eth1", 0, *parseipv4("10.1.0.1"), 3, 0, 0}};
    auto byinterface = addressesbyinterface(locals, routes);
    EXPECT_EQ(byinterface["eth0"], (std::vector<Ipv4>{*parseipv4("10.1.2.3")}));
    EXPECT_EQ(byinterface["br0"], (std::vector<Ipv4>{*parseipv4("10.9.9.9")}));
    EXPECT_EQ(byinterface.count("eth1"), 0u);
    // The mask is the interface's own: br0's /8 also holds 10.1.2.3, but eth0 owns it.
    EXPECT_EQ(subnetmask(*parseipv4("10.1.2.3"), "eth0", routes), parseipv4("255.255.0.0"));
    EXPECT_EQ(subnetmask(*parseipv4("10.1.2.3"), "br0", routes), parseipv4("255.0.0.0"));
    EXPECT_EQ(subnetmask(*parseipv4("10.1.2.3"), "eth1", routes), std::nullopt);
}

TEST(ProfilerNames, PciIdsLookups) {
    PciIds ids("# comment\n"
               "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
               "\t7310  Navi 10 [Radeon Pro W5700X]\n"
               "\t\t106b 0210  Radeon Pro W5700X MPX Module\n"
               "# a comment inside the vendor's block\n"
               "\tab38  Navi 10 HDMI Audio\n"
               "8086  Intel Corporation\n"
               "\t7310  Something of Intel's\n"
               "C 03  Display controller\n"
               "\t00  VGA compatible controller\n"
               "C 0c  Serial bus controller\n"
               "\t03  USB controller\n");
    EXPECT_EQ(ids.vendor(0x1002), "Advanced Micro Devices, Inc. [AMD/ATI]");
    EXPECT_EQ(ids.device(0x1002, 0x7310), "Navi 10 [Radeon Pro W5700X]");
    EXPECT_EQ(ids.device(0x1002, 0xab38), "Navi 10 HDMI Audio");
    EXPECT_EQ(ids.device(0x8086, 0x7310), "Something of Intel's");
    EXPECT_EQ(ids.device(0x1002, 0x0210), "") << "subsystem lines are not devices";
    EXPECT_EQ(ids.device(0x10de, 0x7310), "");
    EXPECT_EQ(ids.classname(0x030000), "VGA compatible controller");
    EXPECT_EQ(ids.classname(0x038000), "Display controller");
    EXPECT_EQ(ids.classname(0x0c0330), "USB controller");
    EXPECT_EQ(ids.classname(0x120000), "");
}

TEST(ProfilerNames, GraphicsAndConnectors) {
    EXPECT_EQ(gpuname("Advanced Micro Devices, Inc. [AMD/ATI]", "Navi 10 [Radeon Pro W5700X]"),
              "AMD Radeon Pro W5700X");
    EXPECT_EQ(gpuname("Intel Corporation", "Alder Lake-P Integrated Graphics Controller"),
              "Intel Alder Lake-P Integrated Graphics Controller");
    EXPECT_EQ(gpuname("Intel Corporation", ""), "");
    EXPECT_EQ(connectiontype("eDP"), "Internal");
    EXPECT_EQ(connectiontype("HDMI-A"), "HDMI");
    EXPECT_EQ(connectiontype("DP"), "DisplayPort");
    EXPECT_EQ(connectiontype("Writeback"), "");
    EXPECT_NEAR(refreshrate(148500, 2200, 1125, 0, 0), 60.0, 1e-9);
    EXPECT_NEAR(refreshrate(74250, 2200, 1125, 1u << 4, 0), 60.0, 1e-9) << "interlaced";
    EXPECT_NEAR(refreshrate(25175, 800, 525, 1u << 5, 0), 29.97, 0.01) << "double scan";
    EXPECT_EQ(refreshrate(0, 2200, 1125, 0, 0), 0.0);
    EXPECT_EQ(depthtext(32, 24), "32-Bit Color (ARGB8888)");
    EXPECT_EQ(depthtext(32, 30), "30-Bit Color (ARGB2101010)");
    EXPECT_EQ(depthtext(0, 0), "");
}

TEST(ProfilerNames, SoundCardLines) {
    SoundCardName card = parsesoundcardline(" 0 [PCH            ]: HDA-Intel - HDA Intel PCH");
    EXPECT_EQ(card.number, 0);
    EXPECT_EQ(card.shortname, "HDA Intel PCH");
    EXPECT_EQ(parsesoundcardline("                      HDA Intel PCH at 0x603f1f0000").number, -1);
    EXPECT_EQ(parsesoundcardline("--- no soundcards ---").number, -1);
}

std::vector<std::uint8_t> monitorblob(const std::string& tree, const std::string& connector) {
    std::ifstream in(std::string(SYSTEM_PROFILER_TESTS "/fixtures/") + tree + "/sys/class/drm/" +
                         (tree == "desktop-amd" ? "card0-" : "card1-") + connector + "/edid",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProfilerEdid, MonitorsOfTheTrees) {
    struct Case {
        std::string tree, connector, manufacturer, name;
        int width, height;
        double refresh;
    };
    const std::vector<Case> cases{
        {"hybrid-laptop", "DP-1", "DEL", "DELL U2723QE", 3840, 2160, 59.997},
        {"hybrid-laptop", "eDP-1", "BOE", "", 2560, 1600, 59.971},
        {"desktop-amd", "DP-2", "DEL", "DELL P2419H", 1920, 1080, 60.0},
        {"arm-board", "HDMI-A-1", "GSM", "LG HDR 4K", 3840, 2160, 59.997},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.connector);
        const std::vector<std::uint8_t> blob = monitorblob(c.tree, c.connector);
        const auto info = parseedid(blob.data(), blob.size());
        ASSERT_TRUE(info && info->preferred);
        EXPECT_EQ(info->manufacturer, c.manufacturer);
        EXPECT_EQ(info->name, c.name);
        EXPECT_EQ(info->preferred->width, c.width);
        EXPECT_EQ(info->preferred->height, c.height);
        EXPECT_NEAR(info->preferred->refresh, c.refresh, 0.001);
    }
}

TEST(ProfilerEdid, DamagedBlocks) {
    const std::vector<std::uint8_t> good = monitorblob("hybrid-laptop", "DP-1");
    ASSERT_EQ(good.size(), 128u);
    auto changed = [&](std::vector<std::pair<std::size_t, std::uint8_t>> bytes) {
        std::vector<std::uint8_t> blob = good;
        for (const auto& [at, value] : bytes)
            blob[at] = value;
        return parseedid(blob.data(), blob.size());
    };
    EXPECT_FALSE(parseedid(nullptr, 0));
    EXPECT_FALSE(parseedid(good.data(), 127)) << "shorter than a block";
    EXPECT_FALSE(changed({{3, 0}})) << "wrong header";
    // A name descriptor holding control bytes is no name; the rest still counts.
    std::vector<std::pair<std::size_t, std::uint8_t>> garble;
    for (std::size_t d = 54; d < 126; d += 18)
        if (good[d] == 0 && good[d + 3] == 0xFC) garble.push_back({d + 6, 0x07});
    ASSERT_EQ(garble.size(), 1u);
    EXPECT_EQ(changed(garble)->name, "");
    EXPECT_TRUE(changed(garble)->preferred);
    // A first descriptor without a width gives no preferred mode.
    EXPECT_FALSE(changed({{56, 0}, {58, 0}})->preferred);
    // Letters of the maker code outside A..Z leave the code empty.
    EXPECT_EQ(changed({{8, 0x7F}, {9, 0xFF}})->manufacturer, "");
    // 1920 x 1080i: 540 lines per field, 22 lines of blanking, 74.25 MHz, flag bit 7.
    const std::vector<std::uint8_t> amd = monitorblob("desktop-amd", "DP-2");
    std::vector<std::uint8_t> interlaced = amd;
    std::uint8_t* d = interlaced.data() + 54;
    d[0] = 7425 & 0xFF, d[1] = 7425 >> 8, d[5] = 540 & 0xFF, d[6] = 22, d[7] = (540 >> 8) << 4;
    d[17] |= 0x80;
    const auto info = parseedid(interlaced.data(), interlaced.size());
    ASSERT_TRUE(info && info->preferred);
    EXPECT_EQ(info->preferred->height, 1080);
    EXPECT_NEAR(info->preferred->refresh, 60.05, 0.01);
}

TEST(ProfilerOutput, IndentedSectionsAndCompactLists) {
    Section gpu("Graphics Card");
    gpu.add("Chipset Model", "Example");
    gpu.add("Empty", "");
    gpu.add("Binary", std::string("a\0b", 3));
    gpu.listtitle = "Displays";
    Section display("Monitor");
    display.add("Resolution", "1920 x 1080");
    gpu.list.push_back(display);
    Section child("Port");
    child.add("Speed", "fast");
    gpu.children.push_back(child);
    EXPECT_EQ(render("Graphics/Displays", {gpu}), "Graphics/Displays:\n\n"
                                                  "    Graphics Card:\n\n"
                                                  "      Chipset Model: Example\n"
                                                  "      Displays:\n"
                                                  "        Monitor:\n"
                                                  "          Resolution: 1920 x 1080\n"
                                                  "\n"
                                                  "        Port:\n\n"
                                                  "          Speed: fast\n\n");
    EXPECT_EQ(render("Audio", {}), "");
    std::vector<Section> same{Section("VPN"), Section("VPN"), Section("Wi-Fi"), Section("VPN")};
    numberduplicates(same);
    EXPECT_EQ(same[1].name, "VPN 2");
    EXPECT_EQ(same[3].name, "VPN 3");
    EXPECT_EQ(sectionname("bad\x01", "fallback"), "fallback");
}

} // namespace
} // namespace mdx::sysprof
