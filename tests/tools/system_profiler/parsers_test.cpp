// The pieces that turn kernel text into values: damaged input and the cases the copied trees of
// fixture_output_test.cpp do not contain (their whole outputs pin the ordinary formatting).
#include "support/testing.h"

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

TEST(ProfilerText, ListsNamesValuesAndDecimalSeparators) {
    for (const char* bad : {"", "3-1", "1-", "a", "0-8192", "1,,2", "-1"})
        EXPECT_TRUE(parsecpulist(bad, 8192).empty()) << bad;
    // Masks of older kernels: 32 processors a word, the highest word first; damaged words and
    // processors beyond the machine's give nothing.
    // clang-format off
    const std::tuple<const char*, std::size_t, std::set<int>> masks[] = {
        {"f\n", 4, {0, 1, 2, 3}}, {"00000003,00000000", 64, {32, 33}}, {"1,00000001", 33, {0, 32}},
        {"10", 4, {}}, {"", 8, {}}, {"0x1", 8, {}}, {"123456789", 64, {}}, {"1,", 64, {}}, {"g", 8, {}}};
    // clang-format on
    for (const auto& [text, limit, cpus] : masks)
        EXPECT_EQ(parsecpumask(text, limit), cpus) << text;
    std::vector<std::string> names{"card10", "card2", "card1-eDP-1", "card1", "ata10", "ata9"};
    std::sort(names.begin(), names.end(), naturalless);
    EXPECT_EQ(names, (std::vector<std::string>{"ata9", "ata10", "card1", "card1-eDP-1", "card2",
                                               "card10"}));
    for (std::string bad : {std::string(), std::string("a\nb"), std::string("a\0b", 3),
                            std::string("\xff\xfe"), std::string("\xc3")})
        EXPECT_FALSE(printable(bad)) << bad;
    // Sizes and clocks round to the nearest unit, on both sides of each half and of each unit
    // step: memory turns GB at 1 GiB, caches MB from 1024 KiB in steps of 256 KiB, clocks GHz at
    // 1,000,000 kHz. Video memory that is no whole number of GB, and values the kernel may give
    // that are no number at all.
    constexpr std::uint64_t MiB = 1048576, GiB = 1024 * MiB;
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {memorysizetext(MiB * 3 / 2 - 1), "1 MB"}, {memorysizetext(MiB * 3 / 2), "2 MB"},
        {memorysizetext(GiB - 1), "1024 MB"}, {memorysizetext(GiB), "1 GB"},
        {memorysizetext(GiB * 74 / 10), "7 GB"}, {memorysizetext(GiB * 79 / 10), "8 GB"},
        {cachesizetext(768), "768 KB"}, {cachesizetext(1023), "1023 KB"},
        {cachesizetext(1024), "1 MB"}, {cachesizetext(1100), "1100 KB"},
        {cachesizetext(1279), "1279 KB"}, {cachesizetext(1280), "1.25 MB"},
        {frequencytext(800499), "800 MHz"}, {frequencytext(800500), "801 MHz"},
        {frequencytext(999999), "1000 MHz"}, {frequencytext(1000000), "1 GHz"},
        {frequencytext(2899999), "2.9 GHz"}, {shortdecimal(10), "10"},
        {sectionname("bad\x01", "fallback"), "fallback"}, {vramtext(1610612736), "1536 MB"},
        {usbspeedtext("10000"), "Up to 10 Gb/s"}, {usbspeedtext("1.5"), "Up to 1.5 Mb/s"},
        {usbspeedtext("fast"), ""}, {withdecimalpoint(".5 x 5.", ','), ".5 x 5."},
        {std::to_string(brandclock("Intel(R) Core(TM)2 Duo CPU T7700 @ 2400MHz")), "2400000"},
        {std::to_string(brandclock("odd @ GHz")), "0"}};
    // clang-format on
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
    // A comma language, a region that differs from its language either way, no locale, and the
    // order of the variables.
    const std::tuple<const char*, const char*, const char*, char> locales[] = {
        {nullptr, nullptr, "de_AT@euro", ','},  {nullptr, nullptr, "C.UTF-8", '.'},
        {nullptr, nullptr, "de_CH.UTF-8", '.'}, {nullptr, nullptr, "en_DK.UTF-8", ','},
        {nullptr, nullptr, nullptr, '.'},       {"C", "de_DE.UTF-8", "de_DE.UTF-8", '.'},
        {"", "de_DE.UTF-8", "C", ','},          {nullptr, "C", "de_DE.UTF-8", '.'}};
    for (const auto& [lcall, lcnumeric, lang, point] : locales)
        EXPECT_EQ(decimalpoint(lcall, lcnumeric, lang), point)
            << (lang ? lang : "-") << " " << (lcnumeric ? lcnumeric : "-");
}

// Firmware fillers are no names; the model from the firmware, else the device tree's model,
// else the hypervisor's name.
TEST(ProfilerHardware, PlaceholdersAndModelNames) {
    for (const char* filler : {"To be filled by O.E.M.", "  none ", "xxxxxxxx", "", "FFFFFFFF"})
        EXPECT_TRUE(isplaceholder(filler)) << filler;
    EXPECT_FALSE(isplaceholder("XPS 13 9310") || isplaceholder("0x1") || isplaceholder("Q35"));
    // clang-format off
    const std::tuple<DmiFacts, std::string, std::string> firmware[] = {
        {{"Apple Inc.", "Macmini8,1", "", "", "", ""}, "Mac mini", "Macmini8,1"},
        {{"HP", "HP Z2 G9", "", "", "", ""}, "HP Z2 G9", "HP Z2 G9"},
        {{"ASUSTeK COMPUTER INC.", "", "", "", "ASUSTeK COMPUTER INC.", "ROG STRIX B550-F"},
         "ASUS ROG STRIX B550-F", "ROG STRIX B550-F"}};
    // clang-format on
    for (const auto& [dmi, name, identifier] : firmware)
        EXPECT_EQ(modelnames(dmi, "", "", "").name + "|" + modelnames(dmi, "", "", "").identifier,
                  name + "|" + identifier);
    EXPECT_EQ(modelnames({}, "", "", "Virtual").name + modelnames({}, "", "", "").name,
              "Virtual Machine");
}

// Level-2 caches shared per package or by all cores; a split of cores that does not add up; the
// names of Arm cores.
TEST(ProfilerCpu, CacheCoreAndArmCoreNamesOutsideTheTrees) {
    // Two packages of two single-thread cores; then two cores of one package.
    const CpuTopology perpackage{{{0, 0}, {1, 0}, {2, 1}, {3, 1}},
                                 {{0, {0}}, {1, {1}}, {2, {2}}, {3, {3}}},
                                 {{2, "Unified", 6144, {0, 1}}, {2, "Unified", 6144, {2, 3}}}};
    const CpuTopology shared{
        {{0, 0}, {1, 0}}, {{0, {0}}, {1, {1}}}, {{2, "Unified", 3072, {0, 1}}}};
    const auto line = [](const CpuTopology& t) {
        return l2cacheline(t).key + "|" + l2cacheline(t).value;
    };
    EXPECT_EQ(line(perpackage) + " " + line(shared) + " " + line(CpuTopology{}),
              "L2 Cache (per Processor)|6 MB L2 Cache|3 MB |");

    CpuFacts facts;
    facts.cores = 14, facts.performancecores = 6, facts.efficiencycores = 7;
    EXPECT_EQ(coretext(facts), "14");
    // Parts not in the list, a part number known only from another maker, makers not in the list
    // (the copied trees name Arm and HiSilicon cores).
    // clang-format off
    const std::tuple<std::uint64_t, std::uint64_t, std::string> cases[] = {
        {0x48, 0xd03, "HiSilicon Part 0xd03"}, {0x61, 0x023, "Apple M1 Firestorm"},
        {0x61, 0xd08, "Apple Part 0xd08"}, {0x99, 0x001, "Implementer 0x99 Part 0x001"}};
    // clang-format on
    for (const auto& [implementer, part, name] : cases)
        EXPECT_EQ(armcorename(implementer, part), name);
}

// The vendor before a device or model name once: not again where the name begins with the short
// or the full vendor name, whatever the case (the copied trees' cards: the short vendor name
// already in front, the bracketed short name of AMD, the bracketed model of NVIDIA).
TEST(ProfilerNames, VendorNamesPciIdsAndModes) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"NVIDIA Corporation", "NVIDIA Corporation Device 2e12", "NVIDIA Corporation Device 2e12"},
        {"NVIDIA", "nvidia GB10", "nvidia GB10"}, {"", "Virtio 1.0 GPU", "Virtio 1.0 GPU"},
        {"nvidia corporation", "NVIDIA RTX A4000", "NVIDIA RTX A4000"}, {"Intel Corporation", "", ""},
        {"Matrox Electronics Systems Ltd.", "G200eR2", "Matrox G200eR2"}};
    // clang-format on
    for (const auto& [vendor, name, shown] : cases)
        EXPECT_EQ(withvendor(vendor, name), shown) << vendor << " | " << name;
    // Comments inside a vendor's block, subsystem lines, a class without the subclass, a device
    // without a name; interlaced and double-scan modes, no refresh without a clock.
    PciIds ids("# comment\n"
               "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
               "\t\t106b 0210  Radeon Pro W5700X MPX Module\n"
               "# a comment inside the vendor's block\n"
               "\tab38  Navi 10 HDMI Audio\n"
               "C 03  Display controller\n");
    // Subsystem lines are no devices.
    EXPECT_EQ(ids.device(0x1002, 0xab38) + "|" + ids.device(0x1002, 0x0210) + "|" +
                  ids.classname(0x038000) + "|" + gpuname("Intel Corporation", ""),
              "Navi 10 HDMI Audio||Display controller|");
    EXPECT_NEAR(refreshrate(74250, 2200, 1125, 1u << 4, 0), 60.0, 1e-9) << "interlaced";
    EXPECT_NEAR(refreshrate(25175, 800, 525, 1u << 5, 0), 29.97, 0.01) << "double scan";
    EXPECT_EQ(refreshrate(0, 2200, 1125, 0, 0), 0.0);
}

TEST(ProfilerNetwork, RoutesNeighboursAndLocalAddresses) {
    const std::string table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        "eth0\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "tun0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\t0\t0\n"
        "eth1\t00000000\t0103A8C0\t0002\t0\t0\t10\t00000000\t0\t0\t0\n"
        "garbage line\n"
        "eth0\tZZZZZZZZ\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n";
    const std::vector<Route> routes = parseroutes(table);
    ASSERT_EQ(routes.size(), 4u);
    // Lowest metric among routes that are up and lead through a gateway.
    const Route router = defaultroute(routes).value_or(Route{});
    EXPECT_EQ(router.interface + " " + ipv4text(router.gateway), "eth0 192.168.2.1");
    EXPECT_FALSE(defaultroute({}));

    const std::vector<Neighbour> arp =
        parsearp("IP address       HW type     Flags       HW address            Mask     Device\n"
                 "192.168.2.7      0x1         0x0         00:00:00:00:00:00     *        eth0\n"
                 "300.1.1.1        0x1         0x2         3c:a6:2f:90:11:04     *        eth0\n");
    ASSERT_EQ(arp.size(), 1u);
    EXPECT_FALSE(resolvedneighbour(arp, *parseipv4("192.168.2.7"), "eth0")) << "incomplete";

    // Local addresses go to their longest on-link route.
    const auto ip = [](const char* text) { return *parseipv4(text); };
    const std::vector<Route> onlink{{"br0", ip("10.0.0.0"), 0, 1, 0, ip("255.0.0.0")},
                                    {"eth0", ip("10.1.0.0"), 0, 1, 0, ip("255.255.0.0")},
                                    {"eth1", 0, ip("10.1.0.1"), 3, 0, 0}};
    auto byinterface = addressesbyinterface({ip("10.1.2.3"), ip("10.9.9.9")}, onlink);
    EXPECT_EQ(std::pair(byinterface["eth0"], byinterface["br0"]),
              std::pair(std::vector{ip("10.1.2.3")}, std::vector{ip("10.9.9.9")}));
    // The mask is the interface's own: br0's /8 also holds 10.1.2.3, but eth0 owns it.
    EXPECT_EQ(std::pair(subnetmask(ip("10.1.2.3"), "eth0", onlink),
                        subnetmask(ip("10.1.2.3"), "br0", onlink)),
              std::pair(parseipv4("255.255.0.0"), parseipv4("255.0.0.0")));
}

std::vector<std::uint8_t> monitorblob(const std::string& tree, const std::string& connector) {
    std::ifstream in(std::string(SYSTEM_PROFILER_TESTS "/fixtures/") + tree + "/sys/class/drm/" +
                         (tree == "desktop-amd" ? "card0-" : "card1-") + connector + "/edid",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProfilerEdid, DamagedAndInterlacedBlocks) {
    const std::vector<std::uint8_t> good = monitorblob("hybrid-laptop", "DP-1");
    ASSERT_EQ(good.size(), 128u);
    auto changed = [&](std::vector<std::pair<std::size_t, std::uint8_t>> bytes) {
        std::vector<std::uint8_t> blob = good;
        for (const auto& [at, value] : bytes)
            blob[at] = value;
        return parseedid(blob.data(), blob.size());
    };
    // No data, shorter than a block, a wrong header.
    EXPECT_FALSE(parseedid(nullptr, 0) || parseedid(good.data(), 127) || changed({{3, 0}}));
    // A name descriptor holding control bytes is no name; the rest still counts.
    std::vector<std::pair<std::size_t, std::uint8_t>> garble;
    for (std::size_t d = 54; d < 126; d += 18)
        if (good[d] == 0 && good[d + 3] == 0xFC) garble.push_back({d + 6, 0x07});
    ASSERT_EQ(garble.size(), 1u);
    EXPECT_TRUE(changed(garble)->name.empty() && changed(garble)->preferred);
    // A first descriptor without a width gives no preferred mode.
    EXPECT_FALSE(changed({{56, 0}, {58, 0}})->preferred);
    // 1920 x 1080i: 540 lines per field, 22 lines of blanking, 74.25 MHz, flag bit 7.
    std::vector<std::uint8_t> interlaced = monitorblob("desktop-amd", "DP-2");
    std::uint8_t* d = interlaced.data() + 54;
    d[0] = 7425 & 0xFF, d[1] = 7425 >> 8, d[5] = 540 & 0xFF, d[6] = 22, d[7] = (540 >> 8) << 4;
    d[17] |= 0x80;
    const auto info = parseedid(interlaced.data(), interlaced.size());
    ASSERT_TRUE(info && info->preferred);
    EXPECT_EQ(info->preferred->height, 1080);
    EXPECT_NEAR(info->preferred->refresh, 60.05, 0.01);
}

// Values that are empty or no text are left out, a section without entries is nothing, and
// sections of the same name are numbered.
TEST(ProfilerOutput, EmptyValuesEmptyListsAndDuplicateNames) {
    Section gpu("Graphics Card");
    gpu.add("Empty", ""), gpu.add("Binary", std::string("a\0b", 3)), gpu.add("Chipset Model", "X");
    EXPECT_EQ(render("Graphics", {gpu}),
              "Graphics:\n\n    Graphics Card:\n\n      Chipset Model: X\n\n");
    EXPECT_EQ(render("Audio", {}), "");
    std::vector<Section> same{Section("VPN"), Section("VPN"), Section("Wi-Fi"), Section("VPN")};
    numberduplicates(same);
    EXPECT_EQ(same[0].name + same[1].name + same[2].name + same[3].name, "VPNVPN 2Wi-FiVPN 3");
}

} // namespace
} // namespace mdx::sysprof
