// The report as "miradex --batch --new" prints it: fake profiler outputs in a temporary
// directory named by MIRADEX_COMMAND_PATH, the real curl asking small HTTP servers on 127.0.0.1
// for the public address and the model name, and the report of this machine itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <regex>

#include "e2e_support.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;

constexpr double RunLimit = 60; // far beyond any bound of the program itself

const char* FakeProfiler = R"(#!/bin/sh
d=$(dirname "$0")
[ -f "$d/hangs" ] && exec sleep 600
case "$1" in
  -listDataTypes) cat "$d/list.txt" ;;
  *) [ -f "$d/$1.txt" ] && cat "$d/$1.txt" ;;
esac
[ -f "$d/fails" ] && echo "system_profiler: cannot read the hardware" >&2
exit 0
)";

const char* DataTypes = R"(Available Datatypes:
SPHardwareDataType
SPNetworkDataType
SPDisplaysDataType
SPParallelATADataType
SPAudioDataType
SPBluetoothDataType
SPCameraDataType
SPCardReaderDataType
SPPCIDataType
SPParallelSCSIDataType
SPSASDataType
SPSerialATADataType
SPSPIDataType
SPThunderboltDataType
SPUSBDataType
SPFireWireDataType
SPFibreChannelDataType
SPEthernetDataType
)";

const char* IntelHardware = R"(Hardware:

    Hardware Overview:

      Model Name: MacBook Pro
      Model Identifier: MacBookPro13,2
      Processor Name: Dual-Core Intel Core i5
      Processor Speed: 2,9 GHz
      Number of Processors: 1
      Total Number of Cores: 2
      L2 Cache (per Core): 256 KB
      L3 Cache: 4 MB
      Hyper-Threading Technology: Enabled
      Memory: 16 GB
      Boot ROM Version: 429.0.0.0.0
      SMC Version (system): 2.37f21
      Serial Number (system): C02TQ0ABGTFM
      Hardware UUID: 5E3D1C2A-7B8E-4F00-9A11-0123456789AB
)";

const char* IntelNetwork = R"(Network:

    Wi-Fi:

      Type: AirPort
      Hardware: AirPort
      BSD Device Name: en0
      IPv4 Addresses: 192.168.178.20
      IPv4:
          Router: 192.168.178.1
      ARPResolvedIPAddress: 192.168.178.1
)";

const char* IntelDisplays = R"(Graphics/Displays:

    Intel Iris Graphics 550:

      Chipset Model: Intel Iris Graphics 550
      Type: GPU
      Bus: Built-In
      VRAM (Dynamic, Max): 1536 MB
      Vendor: Intel
      Displays:
        Color LCD:
          Display Type: Built-In Retina LCD
          Resolution: 2560 x 1600 @ 60.00Hz
          Pixel Depth: 32-Bit Color (ARGB8888)
          Main Display: Yes
)";

const char* AppleChipHardware = R"(Hardware:

    Hardware Overview:

      Model Name: MacBook Pro
      Model Identifier: MacBookPro18,3
      Chip: Apple M1 Pro
      Total Number of Cores: 10 (8 performance and 2 efficiency)
      Memory: 16 GB
      System Firmware Version: 7459.141.1
      OS Loader Version: 7459.141.1
      Serial Number (system): FVFG12ABQ6L4
)";

const char* AppleChipDisplays = R"(Graphics/Displays:

    Apple M1 Pro:

      Chipset Model: Apple M1 Pro
      Type: GPU
      Bus: Built-In
      Total Number of Cores: 16
      Displays:
        Color LCD:
          Display Type: Built-in Liquid Retina XDR Display
          Resolution: 3024 x 1964 Retina
          Main Display: Yes
)";

const char* ParallelsHardware = R"(Hardware:

    Hardware Overview:

      Model Name: Parallels Virtual Machine
      Model Identifier: Parallels16,1
      Processor Name: Intel Core i7
      Processor Speed: 2,3 GHz
      Number of Processors: 1
      Total Number of Cores: 2
      Memory: 8 GB
      Boot ROM Version: 16.1.0
      Serial Number (system): Parallels-8B 2F 7C
)";

const char* ParallelsDisplays = R"(Graphics/Displays:

    Display:

      Type: Display Adapter
      Bus: PCI
      VRAM (Total): 3 MB
      Displays:
        Display:
          Resolution: 1024 x 768
          Pixel Depth: 32-Bit Color (ARGB8888)
)";

const std::pair<const char*, const char*> Interfaces[] = {
    {"SPAudioDataType", "Audio:\n\n    Built-in Audio:\n"},
    {"SPBluetoothDataType", "Bluetooth:\n\n    Controller:\n"},
    {"SPCameraDataType", "Camera:\n\n    FaceTime HD Camera:\n"},
    {"SPCardReaderDataType", "Card Reader:\n\n    Built in SD Card Reader:\n"},
    {"SPSerialATADataType", "SATA/SATA Express:\n\n    AHCI:\n"},
    {"SPThunderboltDataType", "Thunderbolt:\n\n    Thunderbolt Bus:\n"},
    {"SPUSBDataType", "USB:\n\n    USB 3.0 Bus:\n"},
    {"SPFireWireDataType", "FireWire:\n\n    FireWire Bus:\n"},
    {"SPEthernetDataType", "Ethernet Cards:\n\n    Ethernet:\n"},
    {"SPPCIDataType", "PCI: no cards\n"},
};

void writefile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string hostname() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

std::string threads() {
    return std::to_string(sysconf(_SC_NPROCESSORS_ONLN));
}

// An expected line ending in "*" stands for every line that begins like it.
void expectscreen(const std::string& output, const std::vector<std::string>& expected) {
    const std::vector<std::string> lines = splitlines(output);
    ASSERT_EQ(lines.size(), expected.size()) << output;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& want = expected[i];
        if (!want.empty() && want.back() == '*')
            EXPECT_EQ(lines[i].substr(0, want.size() - 1), want.substr(0, want.size() - 1));
        else
            EXPECT_EQ(lines[i], want) << "line " << i + 1;
    }
}

void expectbenchmarks(const std::string& output) {
    const std::regex single(R"(Single-Core        = \d{1,3}(\.\d{3})*,\d\d GFLOPs\n)");
    const std::regex multi(R"(Multi-Core         = \d{1,3}(\.\d{3})*,\d\d GFLOPs\n$)");
    EXPECT_TRUE(std::regex_search(output, single)) << output;
    EXPECT_TRUE(std::regex_search(output, multi)) << output;
}

class E2eReport : public ::testing::Test {
  protected:
    E2eReport() {
        const std::string profiler = dir.file("system_profiler");
        writefile(profiler, FakeProfiler);
        chmod(profiler.c_str(), 0755);
        writefile(dir.file("list.txt"), DataTypes);
        for (const auto& [type, text] : Interfaces)
            writefile(dir.file(std::string(type) + ".txt"), text);
    }
    void profile(const std::string& type, const std::string& text) {
        writefile(dir.file(type + ".txt"), text);
    }
    ProgramRun report(const std::string& addressHost, const std::string& modelHost,
                      const std::string& profilerSeconds = "") {
        ProgramRun run = runprogram({MIRADEX_PROGRAM, "--batch", "--new"},
                                    {{"MIRADEX_COMMAND_PATH", dir.path()},
                                     {"MIRADEX_PROFILER_SECONDS", profilerSeconds},
                                     {"MIRADEX_PUBLIC_IP_HOST", addressHost},
                                     {"MIRADEX_MODEL_HOST", modelHost},
                                     {"MIRADEX_BENCH_ADDITIONS", "1000"},
                                     {"QT_QPA_PLATFORM", "offscreen"},
                                     {"http_proxy", std::nullopt},
                                     {"HTTP_PROXY", std::nullopt},
                                     {"all_proxy", std::nullopt},
                                     {"ALL_PROXY", std::nullopt},
                                     {"no_proxy", "127.0.0.1"}},
                                    RunLimit);
        EXPECT_TRUE(run.Ended);
        EXPECT_EQ(run.Status, 0);
        return run;
    }
    void intelmac() {
        profile("SPHardwareDataType", IntelHardware);
        profile("SPNetworkDataType", IntelNetwork);
        profile("SPDisplaysDataType", IntelDisplays);
    }
    // The lines from the serial number on, for the Intel machine.
    std::vector<std::string> inteltail(const std::string& address) {
        return {"Seriennummer       = C02TQ0ABGTFM",
                "Hostname           = " + hostname(),
                "Computer-Adresse   = 192.168.178.20",
                "Router-Adresse     = 192.168.178.1",
                "Internet-Adresse   =" + (address.empty() ? "" : " " + address),
                "Linux Version      = *",
                "Eingeschaltet seit = *",
                "Single-Core        = *",
                "Multi-Core         = *"};
    }
    std::vector<std::string> intelhead(const std::string& hardware) {
        return {"Hardware           = " + hardware,
                "Modellbezeichnung  = MacBookPro13,2",
                "Prozessor          = Dual-Core Intel Core i5",
                "Taktfrequenz       = 2,9 GHz",
                "Anzahl Prozessoren = 1",
                "Anzahl Kerne       = 2",
                "Anzahl Threads     = " + threads(),
                "L2-Cache pro Kern  = 256 KB",
                "L3-Cache           = 4 MB",
                "RAM Speicher       = *",
                "Boot ROM Version   = 429.0.0.0.0",
                "SMC Version        = 2.37f21",
                "Schnittstellen     = Audio, BT, Cam, Card, SATA, ThunderBolt, USB, FW, ENet",
                "Grafikkarte        = Intel Iris Graphics 550 (1.536 MB VRAM)",
                "Bildschirm         = Color LCD (2.560 x 1.600 Pixel, 60 Hz, 32 Bit)"};
    }

    TempDir dir;
    HttpServer services{[](const std::string& path) -> std::string {
        if (path == "/plain") return "198.51.100.23\n";
        if (path.rfind("/sp/product?cc=", 0) == 0)
            return "<?xml version=\"1.0\"?><root><name>CPU Name</name><configCode>MacBook Pro "
                   "(13-inch, Late 2016, Four Thunderbolt 3 Ports)</configCode>"
                   "<locale>de_DE</locale></root>";
        return "";
    }};
};

template <class Lines>
std::vector<std::string> joined(Lines head, const Lines& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(E2eReport, IntelMacNamedOnline) {
    intelmac();
    const ProgramRun run = report(services.host(), services.host());
    expectscreen(run.Output, joined(intelhead("MacBook Pro (13-inch, Late 2016, 4 x TB3)"),
                                    inteltail("198.51.100.23")));
    expectbenchmarks(run.Output);
    EXPECT_EQ(services.requests(), (std::vector<std::string>{"/plain", "/sp/product?cc=GTFM"}));
}

TEST_F(E2eReport, IntelMacOfflineIsNamedFromTheModelTable) {
    intelmac();
    const std::string nobody = closedhost();
    const ProgramRun run = report(nobody, nobody);
    expectscreen(run.Output,
                 joined(intelhead("MacBook Pro (13-inch, 2016, 4 x TB3)"), inteltail("")));
}

TEST_F(E2eReport, SilentServicesHoldTheReportTenSecondsAtMost) {
    intelmac();
    HttpServer silent{[](const std::string&) { return std::string(); }, true};
    const ProgramRun run = report(silent.host(), silent.host());
    expectscreen(run.Output,
                 joined(intelhead("MacBook Pro (13-inch, 2016, 4 x TB3)"), inteltail("")));
    std::cout << "Report with two silent services: " << run.Seconds << " s\n";
}

TEST_F(E2eReport, AppleChipMac) {
    profile("SPHardwareDataType", AppleChipHardware);
    profile("SPDisplaysDataType", AppleChipDisplays);
    const ProgramRun run = report("", "");
    expectscreen(run.Output,
                 {"Hardware           = MacBook Pro (14-inch, 2021, 3 x TB4, M1 Pro)",
                  "Modellbezeichnung  = MacBookPro18,3", "Prozessor          = Apple M1 Pro",
                  "Anzahl Prozessoren = 1",
                  "Anzahl Kerne       = 10 (8 x Performance & 2 x Effizienz)",
                  "Anzahl Threads     = " + threads(), "RAM Speicher       = *",
                  "System Firmware    = 7459.141.1",
                  "Schnittstellen     = Audio, BT, Cam, Card, SATA, ThunderBolt, USB, FW, ENet",
                  "Grafikkarte        = Apple M1 Pro",
                  "Bildschirm         = Color LCD (3.024 x 1.964 Pixel)",
                  "Seriennummer       = FVFG12ABQ6L4", "Hostname           = " + hostname(),
                  "Internet-Adresse   =", "Linux Version      = *", "Eingeschaltet seit = *",
                  "Single-Core        = *", "Multi-Core         = *"});
    EXPECT_TRUE(services.requests().empty());
}

TEST_F(E2eReport, ParallelsMachine) {
    profile("SPHardwareDataType", ParallelsHardware);
    profile("SPDisplaysDataType", ParallelsDisplays);
    const ProgramRun run = report(services.host(), "");
    expectscreen(run.Output,
                 {"Hardware           = Parallels 16 auf Parallels Virtual Machine",
                  "Modellbezeichnung  = Parallels16,1", "Prozessor          = Intel Core i7",
                  "Taktfrequenz       = 2,3 GHz", "Anzahl Prozessoren = 1",
                  "Anzahl Kerne       = 2", "Anzahl Threads     = " + threads(),
                  "RAM Speicher       = *", "Boot ROM Version   = 16.1.0",
                  "Schnittstellen     = Audio, BT, Cam, Card, SATA, ThunderBolt, USB, FW, ENet",
                  "Grafikkarte        = Parallels Display Adapter (3 MB VRAM)",
                  "Bildschirm         = Parallels Display (1.024 x 768 Pixel, 32 Bit)",
                  "Seriennummer       = Parallels-8B 2F 7C", "Hostname           = " + hostname(),
                  "Internet-Adresse   = 198.51.100.23", "Linux Version      = *",
                  "Eingeschaltet seit = *", "Single-Core        = *", "Multi-Core         = *"});
}

TEST_F(E2eReport, HardwareWithoutModelName) {
    std::string hardware = IntelHardware;
    hardware.erase(hardware.find("      Model Name: MacBook Pro\n"), 30);
    profile("SPHardwareDataType", hardware);
    const ProgramRun run = report(services.host(), services.host());
    const std::vector<std::string> lines = splitlines(run.Output);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Modellbezeichnung  = MacBookPro13,2");
    EXPECT_EQ(lines[1], "Prozessor          = Dual-Core Intel Core i5");
    EXPECT_EQ(services.requests(), std::vector<std::string>{"/plain"});
}

TEST_F(E2eReport, FailingProfilerShowsTheFailureScreen) {
    writefile(dir.file("fails"), "");
    std::remove(dir.file("list.txt").c_str());
    const ProgramRun run = report(services.host(), services.host());
    expectscreen(run.Output,
                 {"", "", "", "", "", "", "", "", "", "",
                  "                  Hardware konnte nicht identifiziert werden.", "",
                  "       Bitte starten Sie Ihren Computer neu und versuchen es noch einmal."});
    EXPECT_TRUE(services.requests().empty());
}

// A fake curl answers the address lookup: control codes around an address, or an error page.
TEST_F(E2eReport, AddressAnswersCannotChangeTheReport) {
    intelmac();
    writefile(dir.file("curl"), "#!/bin/sh\nfor a; do case \"$a\" in */plain) cat \"$(dirname "
                                "\"$0\")/answer\" ;; esac; done\n");
    chmod(dir.file("curl").c_str(), 0755);
    const std::pair<std::string, std::string> cases[] = {
        {"\x1b"
         "A\x0c"
         "203.0.113.9\x0c\x1b"
         "A\n",
         ""},
        {"\x0c"
         "203.0.113.9\x1b\n",
         "203.0.113.9"},
        {"<html><head><title>404 Not Found</title></head></html>\n", ""},
    };
    for (const auto& [answer, shown] : cases) {
        writefile(dir.file("answer"), answer);
        const ProgramRun run = report("adresse.test", "");
        expectscreen(run.Output,
                     joined(intelhead("MacBook Pro (13-inch, 2016, 4 x TB3)"), inteltail(shown)));
    }
}

// The profiler's time limit is shortened here; the program's own is 60 s.
TEST_F(E2eReport, HangingProfilerEndsInTheFailureScreen) {
    writefile(dir.file("hangs"), "");
    const ProgramRun run = report(services.host(), services.host(), "1");
    expectscreen(run.Output,
                 {"", "", "", "", "", "", "", "", "", "",
                  "                  Hardware konnte nicht identifiziert werden.", "",
                  "       Bitte starten Sie Ihren Computer neu und versuchen es noch einmal."});
    std::cout << "Report with a hanging profiler: " << run.Seconds << " s\n";
}

// This machine through the bundled profiler, without network lookups.
TEST(E2eThisMachine, ReportLinesHaveThisMachinesValues) {
    const ProgramRun run = runprogram({MIRADEX_PROGRAM, "--batch", "--new"},
                                      {{"MIRADEX_COMMAND_PATH", std::nullopt},
                                       {"MIRADEX_PUBLIC_IP_HOST", ""},
                                       {"MIRADEX_MODEL_HOST", ""},
                                       {"MIRADEX_BENCH_ADDITIONS", "1000"},
                                       {"QT_QPA_PLATFORM", "offscreen"}},
                                      RunLimit);
    ASSERT_TRUE(run.Ended);
    utsname names{};
    uname(&names);
    const std::string patterns[] = {
        "Hardware           = \\S.*",
        "Prozessor          = \\S.*",
        "Anzahl Kerne       = [1-9]\\d*.*",
        "Anzahl Threads     = " + threads(),
        "RAM Speicher       = [1-9]\\d* GB",
        "Hostname           = " + hostname(),
        "Linux Version      = .+ \\(Kernel " +
            std::regex_replace(names.release, std::regex(R"([.+])"), R"(\$&)") + "\\)",
        "Eingeschaltet seit = (\\d{1,3}(\\.\\d{3})*#)?\\d\\d:\\d\\d:\\d\\d",
    };
    for (const std::string& pattern : patterns)
        EXPECT_TRUE(std::regex_search(run.Output, std::regex("(^|\n)" + pattern + "\n")))
            << pattern << "\n"
            << run.Output;
    expectbenchmarks(run.Output);
}

} // namespace
} // namespace mdx::e2e
