// The report run against given profiler texts, lookups and benchmark results: the screens of
// window 0 that the batch runs in tests/e2e cannot pin (the machine facts, the progress lines,
// outside text with control codes or of any size), the model name kept for saving, and the value
// rules of the graphics, display, cores and interface lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "report/report.h"
#include "report_screen.h"

namespace mdx::test {
namespace {

std::string screen(const std::vector<std::string>& items) {
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i)
        joined += (i == 0 ? "" : "\r") + items[i];
    return joined;
}

const std::string IntelHardware =
    "Hardware:\r\r    Hardware Overview:\r\r      Model Name: MacBook Pro\r"
    "      Model Identifier: MacBookPro13,2\r      Processor Name: Dual-Core Intel Core i5\r"
    "      Processor Speed: 2,9 GHz\r      Total Number of Cores: 2\r"
    "      Serial Number (system): C02TQ0ABGTFM\r";

MachineFacts testmachine() {
    return {8, 17179869184ULL, "werkbank", "Version Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)",
            93784};
}

struct FakeMachine {
    std::map<std::string, Text> Profiles;
    std::string Address = "203.0.113.7";
    std::string Interfaces = "Audio, BlueTooth, Camera, USB, EtherNet";
    std::string OnlineName;
    std::vector<std::string> LookedUp;

    ReportSources sources() {
        ReportSources s;
        s.Machine = testmachine;
        s.Profiler = [this](const std::string& type) {
            const auto found = Profiles.find(type);
            return found == Profiles.end() ? Text{} : found->second;
        };
        s.PublicAddress = [this] { return Address; };
        s.Interfaces = [this] { return Interfaces; };
        s.LookupModelName = [this](const std::string& serial) {
            LookedUp.push_back(serial);
            return OnlineName;
        };
        s.SingleCore = [] { return 4.005; };
        s.MultiCore = [](Int processors) { return 4.0048 * static_cast<double>(processors); };
        return s;
    }
};

class ReportRunTest : public RuntimeTest {
  protected:
    ReportRunTest() {
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, t_LoadFontResource("MenloRegular 16x32.font"),
                     true);
        modelname() = "alter Name";
    }
    std::string run(const std::string& hardware) {
        machine.Profiles["SPHardwareDataType"] = totext(hardware);
        reportrun(machine.sources());
        return t_GetScreen(0, "\r");
    }
    FakeMachine machine;
};

// The kept name adds cores and clock unless the cores are hybrid; control codes in outside
// answers are dropped, never carried out on the report.
TEST_F(ReportRunTest, NameKeptForSavingAndOutsideAnswersWithoutControlCodes) {
    machine.OnlineName = "MacBook\x0c\x1b\x07 Pro (13-inch, 2016, 4 x TB3)";
    machine.Address = "\x0c"
                      "203.0.113.7\x1b";
    std::string shown = run(IntelHardware);
    EXPECT_EQ(shown.substr(0, shown.find('\r')),
              "Hardware           = MacBook Pro (13-inch, 2016, 4 x TB3)");
    EXPECT_NE(shown.find("\rInternet-Adresse   = 203.0.113.7\r"), std::string::npos) << shown;
    EXPECT_EQ(machine.LookedUp, std::vector<std::string>{"C02TQ0ABGTFM"});
    EXPECT_EQ(modelname(), "MacBook Pro (13-inch, 2016, 4 x TB3) 2 x 2,9 GHz");
    // Hybrid cores leave the name as it was named.
    machine.OnlineName = "";
    run("Hardware Overview:\rModel Name: MacBook Pro\rModel Identifier: MacBookPro18,3\r"
        "Total Number of Cores: 10 (8 performance and 2 efficiency)\r");
    EXPECT_EQ(modelname(), "MacBook Pro (14-inch, 2021, 3 x TB4, M1 Pro)");
    // Without a model name there is no "Hardware" line and no lookup.
    machine.LookedUp.clear();
    shown = run(replacestring(IntelHardware, "      Model Name: MacBook Pro\r", "", false));
    EXPECT_EQ(shown.substr(0, shown.find('\r')), "Modellbezeichnung  = MacBookPro13,2");
    EXPECT_TRUE(machine.LookedUp.empty());
    EXPECT_EQ(modelname(), " 2 x 2,9 GHz");
}

// Own machines with a serial are looked up online; else the table names them, else the
// profiler's own name stands.
TEST_F(ReportRunTest, ModelNameComesOnlineThenFromTheTableThenFromTheProfiler) {
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"MacBookPro13,2", "C02TQ0ABGTFM", "MacBook Pro", "Online-Name"},
        {"MacBookPro99,7", "C02TQ0ABGTFM", "MacBook Pro", "Online-Name"},
        {"Parallels16,1", "Parallels-8B 2F", "Parallels Virtual Machine",
         "Parallels 16 auf Online-Name"},
        {"MacBookPro13,2", "", "MacBook Pro", "MacBook Pro (13-inch, 2016, 4 x TB3)"},
        {"MacPro1,1", "", "Mac Pro", "Mac Pro (Mid 2006)"},
        {"Macmini99,1", "", "Mac mini", "Mac Mini"},
        {"Macmini9,1x", "", "iMac", "iMac"}, // only whole identifiers are listed
        {"Standard PC (Q35 + ICH9, 2009)", "C02TQ0ABGTFM", "Rechner", "Rechner"},
        {"ThinkPad13,2", "C02TQ0ABGTFM", "Rechner", "Rechner"},
        {"MacBookPro13,2x", "C02TQ0ABGTFM", "Rechner", "Rechner"}};
    machine.OnlineName = "Online-Name";
    for (const auto& [identifier, serial, profilername, name] : cases) {
        SCOPED_TRACE(identifier + " " + serial);
        machine.LookedUp.clear();
        const std::string shown =
            run("Hardware Overview:\rModel Name: " + profilername +
                "\rModel Identifier: " + identifier + "\rSerial Number (system): " + serial + "\r");
        EXPECT_EQ(shown.substr(0, shown.find('\r')), "Hardware           = " + name);
        // The name kept for saving leaves the virtual machine out.
        EXPECT_EQ(modelname(), name.substr(name.starts_with("Parallels") ? 17 : 0));
        EXPECT_EQ(machine.LookedUp.size(), name.ends_with("Online-Name") ? 1u : 0u);
    }
}

TEST_F(ReportRunTest, SparseHardwareLeavesOutLinesButKeepsTheFixedOnes) {
    machine.Address = "";
    machine.Interfaces = "";
    EXPECT_EQ(run("Hardware Overview:\r"),
              screen({"Anzahl Prozessoren = 1", "Anzahl Threads     = 8",
                      "RAM Speicher       = 16 GB", "Schnittstellen     =", "Seriennummer       =",
                      "Hostname           = werkbank", "Internet-Adresse   =",
                      "Linux Version      = Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)",
                      "Eingeschaltet seit = 1#02:03:04", "Single-Core        = 4,00 GFLOPs",
                      "Multi-Core         = 32,04 GFLOPs"}));
}

TEST_F(ReportRunTest, HardwareThatCannotBeNamedShowsTheFailureScreen) {
    // Nothing, no overview, and bytes that only nearly say "Hardware Overview".
    for (const std::string& hardware : {std::string(), std::string("Hardware:\r  Model Name: X\r"),
                                        std::string("\0\xff\x80Hardware Overvie", 19)}) {
        EXPECT_EQ(run(hardware).rfind(
                      std::string(10, '\r') + std::string(18, ' ') + "Hardware konnte", 0),
                  0u);
        EXPECT_EQ(modelname(), "alter Name");
        EXPECT_TRUE(rt().WindowTable[0].AutoUpdate);
    }
}

TEST_F(ReportRunTest, OutsideTextIsPrintedAsUnicodeAndCutWhenHuge) {
    machine.Address = std::string(1 << 20, '9');
    const std::string shown =
        run("Hardware Overview:\rProcessor Name: Intel\xC2\xAE Core\xE2\x84\xA2 \xFC" +
            std::string(5000, 'x') + "\r");
    // U+00AE is one cell; U+2122 has no cell and prints as "?"; a lone 0xFC stays one character.
    EXPECT_EQ(shown.rfind("Prozessor          = Intel\xC2\xAE Core? \xC3\xBCxxx", 0), 0u) << shown;
    const auto count = [&](char c) { return std::count(shown.begin(), shown.end(), c); };
    EXPECT_GT(count('x'), 100);
    EXPECT_LT(count('x'), 300);
    EXPECT_LT(count('9'), 300);
    EXPECT_NE(shown.find("Multi-Core         = 32,04 GFLOPs"), std::string::npos);
}

TEST_F(ReportRunTest, ProgressLinesReplaceEachOtherAndReachThePrinter) {
    std::vector<std::string> seen;
    machine.Profiles["SPHardwareDataType"] = totext(IntelHardware);
    ReportSources s = machine.sources();
    s.Interfaces = [&] {
        seen.push_back(t_GetScreen(0, "\r"));
        return std::string("USB");
    };
    reportrun(s);
    EXPECT_EQ(seen.at(0), std::string(10, '\r') +
                              screen({"                        Informationen werden gesammelt,",
                                      "                          bitte einen Moment warten...", "",
                                      "                        Interfaces werden untersucht..."}));
    EXPECT_GE(layer.count("center 0"), 1);
    EXPECT_GE(layer.count("makeKeyAndOrderFront 0"), 1);
    EXPECT_TRUE(rt().WindowTable[0].AutoUpdate);
}

// Profiler lines, separated by carriage returns; whether the machine is virtual; the value shown.
using ValueCase = std::tuple<std::string, bool, std::string>;

TEST(ReportValues, GraphicsLineWithVideoMemoryUnits) {
    const ValueCase cases[] = {
        {"Chipset Model: GPU A\rVRAM (Dynamic, Max): 1536 MB", false, "GPU A (1.536 MB VRAM)"},
        {"Chipset Model: GPU A\rVRAM (Total): 64 MB of Shared System Memory", false,
         "GPU A (64 MB VRAM)"},
        // A bare number above 255 counts MB, else GB.
        {"Chipset Model: GPU A\rVRAM (Total): 256", false, "GPU A (256 MB VRAM)"},
        {"Chipset Model: GPU A\rVRAM (Total): 255", false, "GPU A (255 GB VRAM)"},
        {"Chipset Model: GPU A\rVRAM (Total): 4 GB\rVRAM (Dynamic, Max): 1536 MB", false,
         "GPU A (1.536 MB VRAM)"},
        {"Chipset Model: GPU A\rVRAM (Total): viel", false, "GPU A (0 GB VRAM)"},
        // A fraction of a GB in either number format is shown in MB.
        {"Chipset Model: GPU A\rVRAM (Total): 1,5 GB", false, "GPU A (1.536 MB VRAM)"},
        {"Type: Adapter\rVRAM (Total): 0,25 GB", false, "Adapter (256 MB VRAM)"},
        {"Chipset Model: GPU A", true, "GPU A"},
        {"Type: Adapter\rVRAM (Total): 8", true, "Parallels Adapter (8 MB VRAM)"},
        {"Vendor: nobody", false, ""}};
    for (const auto& [text, parallels, shown] : cases)
        EXPECT_EQ(graphicsvalue(totext(text + "\r"), parallels), shown) << text;
}

TEST(ReportValues, DisplayLineFromTheListOfDisplays) {
    const ValueCase cases[] = {
        {"Graphics/Displays:\r  Displays:\r    Color LCD:\r      Resolution: 1920 x 1080 @ "
         "60.00Hz\r      Pixel Depth: 32-Bit Color\r",
         false, "Color LCD (1.920 x 1.080 Pixel, 60 Hz, 32 Bit)"},
        {"  Displays:\r    LG:\r      Resolution: 2560 x 1440\r", true,
         "Parallels LG (2.560 x 1.440 Pixel)"},
        {"  Displays:\r    LG:\r      Resolution: 2560 x 1440 @ 59,95Hz\r", false,
         "LG (2.560 x 1.440 Pixel, 59 Hz)"},
        {"  Displays:\r    LG:\r      Resolution: 1080p\r", false, "LG (1080p)"},
        {"  Displays:\r    LG:\r", false, "LG "},
        {"  Displays:\r    LG:", false, ""}, // a display name that never ends gives no line
        // Only the title line: no display is named.
        {"Graphics/Displays:\r    GPU:\r      Resolution: 1920 x 1080\r", false, ""},
        {"  Displays:\r", false, ""}};
    for (const auto& [text, parallels, shown] : cases)
        EXPECT_EQ(displayvalue(totext(text), parallels), shown) << text;
}

TEST(ReportValues, CoresAndInterfaceLines) {
    const std::pair<std::string, std::string> cores[] = {
        {"10 (8 performance and 2 efficiency)", "10 (8 x Performance & 2 x Effizienz)"},
        {"4", "4"},
        {"8 (performance)", "8 (performance)"},
        {"efficiency performance", "0 (0 x Performance & 0 x Effizienz)"}};
    for (const auto& [value, shown] : cores)
        EXPECT_EQ(coresvalue(totext(value)), shown) << value;
    // The interface list is shortened step by step, and cut to 59 characters at last.
    const std::pair<std::string, std::string> lists[] = {
        {"Audio, BlueTooth, Camera, USB, EtherNet", "Audio, BlueTooth, Camera, USB, EtherNet"},
        // 60 characters: BlueTooth goes, and the list is short enough.
        {"PATA, Audio, BlueTooth, Camera, CardReader, USB, EtherNet, X",
         "PATA, Audio, BT, Camera, CardReader, USB, EtherNet, X"},
        // 59 characters: BlueTooth stays, FireWire goes.
        {"Audio, BlueTooth, Camera, CardReader, USB, FireWire, SAS, X",
         "Audio, BlueTooth, Camera, CardReader, USB, FW, SAS, X"},
        {"PATA, Audio, BlueTooth, Camera, CardReader, PCI, SCSI, SAS, SATA, SPI, ThunderBolt, "
         "USB, FireWire, FibreChannel, EtherNet",
         "PATA, AU, BT, Cam, Card, PCI, SCSI, SAS, SATA, SPI, TB, USB"},
        {std::string(60, 'x'), std::string(59, 'x')}};
    for (const auto& [list, shown] : lists)
        EXPECT_EQ(shortenedinterfacelist(list), shown) << list;
}

} // namespace
} // namespace mdx::test
