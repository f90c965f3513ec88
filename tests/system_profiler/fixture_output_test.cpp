// The command's whole output for each copied tree, compared with the expected text in
// tests/system_profiler/expected/. After a deliberate change of the output, run the tests with
// MIRADEX_REBASELINE=1 to rewrite the expected files, and review the difference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>

#include "command_runner.h"
#include "tools/system_profiler/profiler.h"

namespace mdx::sysprof::test {
namespace {

bool rebaseline() {
    const char* value = std::getenv("MIRADEX_REBASELINE");
    return value != nullptr && std::string(value) == "1";
}

class SystemProfilerFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(SystemProfilerFixture, WholeOutputMatchesExpected) {
    CommandResult result = runcommand({"--root", fixturepath(GetParam())});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    if (rebaseline()) {
        std::ofstream(expectedpath(GetParam()), std::ios::binary) << result.out;
        GTEST_SKIP() << "expected output rewritten";
    }
    EXPECT_EQ(result.out, readfile(expectedpath(GetParam())));
}

// The report counts an interface as present when its data type's text holds a section header;
// types without such hardware must print nothing at all.
TEST_P(SystemProfilerFixture, EachTypePrintsNothingOrAHeaderOfItsOwn) {
    std::string all = readfile(expectedpath(GetParam()));
    for (const std::string& type : datatypes()) {
        CommandResult result = runcommand({"--root", fixturepath(GetParam()), type});
        ASSERT_EQ(result.status, 0) << type;
        if (result.out.empty()) continue;
        EXPECT_NE(result.out.find(":\n"), std::string::npos) << type;
        EXPECT_NE(all.find(result.out), std::string::npos) << type << " differs when alone";
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, SystemProfilerFixture, ::testing::ValuesIn(fixturenames()),
                         treetestname);

TEST(SystemProfilerCommand, InterfaceTypesPresentPerTree) {
    // The fifteen interface types each tree has hardware for; all others print nothing.
    struct Case {
        std::string tree;
        std::set<std::string> present;
    };
    const std::vector<Case> cases{
        {"hybrid-laptop",
         {"SPAudioDataType", "SPBluetoothDataType", "SPCameraDataType", "SPCardReaderDataType",
          "SPThunderboltDataType", "SPUSBDataType", "SPEthernetDataType"}},
        {"desktop-amd",
         {"SPAudioDataType", "SPPCIDataType", "SPSASDataType", "SPSerialATADataType",
          "SPUSBDataType", "SPFireWireDataType", "SPFibreChannelDataType", "SPEthernetDataType"}},
        {"ryzen-desktop", {"SPEthernetDataType"}},
        {"qemu-vm",
         {"SPParallelATADataType", "SPParallelSCSIDataType", "SPUSBDataType",
          "SPEthernetDataType"}},
        {"micro-vm", {"SPEthernetDataType"}},
        {"arm-board",
         {"SPAudioDataType", "SPBluetoothDataType", "SPCardReaderDataType", "SPSPIDataType",
          "SPUSBDataType", "SPEthernetDataType"}},
    };
    for (const Case& c : cases)
        for (std::size_t i = 3; i < datatypes().size(); ++i) {
            const std::string& type = datatypes()[i];
            CommandResult result = runcommand({"--root", fixturepath(c.tree), type});
            EXPECT_EQ(!result.out.empty(), c.present.count(type) == 1) << c.tree << " " << type;
        }
}

TEST(SystemProfilerCommand, ListsItsDataTypes) {
    CommandResult result = runcommand({"-listDataTypes"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Available Datatypes:\nSPHardwareDataType\nSPNetworkDataType\nSPDisplaysDataType\n"
              "SPParallelATADataType\nSPAudioDataType\nSPBluetoothDataType\nSPCameraDataType\n"
              "SPCardReaderDataType\nSPPCIDataType\nSPParallelSCSIDataType\nSPSASDataType\n"
              "SPSerialATADataType\nSPSPIDataType\nSPThunderboltDataType\nSPUSBDataType\n"
              "SPFireWireDataType\nSPFibreChannelDataType\nSPEthernetDataType\n");
}

TEST(SystemProfilerCommand, ArgumentsAndEnvironment) {
    std::string laptop = fixturepath("hybrid-laptop");
    CommandResult hardware = runcommand({"--root", laptop, "SPHardwareDataType"});
    CommandResult network = runcommand({"--root=" + laptop, "SPNetworkDataType"});

    // Data types in the order asked, unknown ones skipped without a word.
    CommandResult both = runcommand(
        {"--root", laptop, "SPNetworkDataType", "SPMadeUpDataType", "SPHardwareDataType"});
    EXPECT_EQ(both.status, 0);
    EXPECT_EQ(both.out, network.out + hardware.out);
    EXPECT_EQ(both.err, "");

    CommandResult unknown = runcommand({"--root", laptop, "SPMadeUpDataType"});
    EXPECT_EQ(unknown.status, 0);
    EXPECT_EQ(unknown.out, "");

    CommandResult fromenvironment =
        runcommand({"SPHardwareDataType"}, {"MIRADEX_SYSROOT=" + laptop});
    EXPECT_EQ(fromenvironment.out, hardware.out);

    CommandResult help = runcommand({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: system_profiler", 0), 0u);

    CommandResult wrong = runcommand({"--frobnicate"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_NE(wrong.err.find("--frobnicate"), std::string::npos);
}

TEST(SystemProfilerCommand, MeasuresFollowTheLocalesDecimalSeparator) {
    std::string amd = fixturepath("desktop-amd");
    const std::vector<std::string> types{"SPHardwareDataType", "SPPCIDataType"};
    std::vector<std::string> point{"--root", amd};
    point.insert(point.end(), types.begin(), types.end());
    std::string c = runcommand(point, {"LANG=C"}).out;
    std::string german = runcommand(point, {"LANG=de_DE.UTF-8"}).out;
    for (const char* line :
         {"Processor Speed: 3.5 GHz\n", "L3 Cache: 16.5 MB\n", "Link Speed: 16.0 GT/s PCIe\n"})
        EXPECT_NE(c.find(line), std::string::npos) << line;
    for (const char* line :
         {"Processor Speed: 3,5 GHz\n", "L3 Cache: 16,5 MB\n", "Link Speed: 16,0 GT/s PCIe\n"})
        EXPECT_NE(german.find(line), std::string::npos) << line;
    // Nothing but the measures changes: names, versions and addresses keep their points.
    std::string back = german;
    std::replace(back.begin(), back.end(), ',', '.');
    std::string ccommas = c;
    std::replace(ccommas.begin(), ccommas.end(), ',', '.');
    EXPECT_EQ(back, ccommas);
    EXPECT_NE(german.find("@ 3.50GHz"), std::string::npos);
    EXPECT_EQ(runcommand(point, {"LANG=de_DE.UTF-8", "LC_ALL=C"}).out, c);
}

TEST(SystemProfilerCommand, MissingRootGivesTheOverviewHeaderOnly) {
    CommandResult result = runcommand({"--root", "/nonexistent/tree"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Hardware:\n\n    Hardware Overview:\n\n");
}

TEST(SystemProfilerCommand, LiveSystemShowsItsProcessorAndCaches) {
    std::string cpuinfo = readfile("/proc/cpuinfo");
    std::size_t at = cpuinfo.find("model name");
    if (at == std::string::npos) GTEST_SKIP() << "no processor name in /proc/cpuinfo";
    std::size_t start = cpuinfo.find(':', at) + 2;
    std::string name = cpuinfo.substr(start, cpuinfo.find('\n', start) - start);

    CommandResult result = runcommand({"SPHardwareDataType"});
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("    Hardware Overview:\n"), std::string::npos);
    EXPECT_NE(result.out.find("      Processor Name: " + name.substr(0, 20)), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("      Total Number of Cores: "), std::string::npos);
    if (std::ifstream("/sys/devices/system/cpu/cpu0/cache/index2/size")) {
        EXPECT_NE(result.out.find("      L2 Cache"), std::string::npos);
    }
}

} // namespace
} // namespace mdx::sysprof::test
