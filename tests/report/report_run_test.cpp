// The report run against given profiler texts, lookups and benchmark results: the screens of
// window 0 that the batch runs in tests/e2e cannot pin (the machine facts, the progress lines,
// outside text with control codes or of any size), the model name kept for saving, and the value
// rules of the graphics, display, cores and interface lines.
#include "support/testing.h"

#include "report/report.h"
#include "report_screen.h"

namespace mdx::test {
namespace {

using Lines = std::vector<std::string>;

const std::string IntelHardware =
    "Hardware Overview:\rModel Name: MacBook Pro\rModel Identifier: MacBookPro13,2\r"
    "Processor Name: Dual-Core Intel Core i5\rProcessor Speed: 2,9 GHz\r"
    "Total Number of Cores: 2\rSerial Number (system): C02TQ0ABGTFM\r";

class ReportRunTest : public ReportScreenTest {
  protected:
    ReportSources sources() {
        ReportSources s;
        s.Machine = [this] {
            return MachineFacts{8, memory, "werkbank",
                                "Version Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)", 93784};
        };
        s.Profiler = [this](const std::string& type) {
            return totext(type == "SPHardwareDataType"   ? hardware
                          : type == "SPNetworkDataType"  ? network
                          : type == "SPDisplaysDataType" ? displays
                                                         : "");
        };
        s.PublicAddress = [this] { return address; };
        s.Interfaces = [this] { return interfaces; };
        s.LookupModelName = [this](const std::string& serial) {
            lookedup.push_back(serial);
            return onlinename;
        };
        s.SingleCore = [] { return 4.005; };
        s.MultiCore = [](Int processors) { return 4.0048 * static_cast<double>(processors); };
        return s;
    }
    Lines run(const std::string& text) {
        hardware = text;
        lookedup.clear();
        runreport(sources());
        return screen();
    }
    std::uint64_t memory = 17179869184ULL;
    std::string hardware, network, displays, address = "203.0.113.7", onlinename;
    std::string interfaces = "Audio, BlueTooth, Camera, USB, EtherNet";
    Lines lookedup;
};

// Own machines with a serial are looked up online; else the table names them, else the
// profiler's own name stands. The kept name adds cores and clock unless the cores are hybrid;
// control codes in the online name are dropped, never carried out on the report (those in the
// address answer are ProfilerTest.PublicAddressIsTheFirstLineOfTheAnswer's).
TEST_F(ReportRunTest, ModelNameComesOnlineThenFromTheTableThenFromTheProfiler) {
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"MacBookPro13,2", "C02TQ0ABGTFM", "MacBook Pro", "Online-Name"},
        {"MacBookPro99,7", "C02TQ0ABGTFM", "MacBook Pro", "Online-Name"},
        {"Parallels16,1", "Parallels-8B 2F", "Parallels Virtual Machine",
         "Parallels 16 auf Online-Name"},
        {"MacPro1,1", "", "Mac Pro", "Mac Pro (Mid 2006)"},
        {"Macmini99,1", "", "Mac mini", "Mac Mini"},
        {"Macmini9,1x", "", "iMac", "iMac"}, // only whole identifiers are listed
        {"Standard PC (Q35 + ICH9, 2009)", "C02TQ0ABGTFM", "Rechner", "Rechner"},
        {"ThinkPad13,2", "C02TQ0ABGTFM", "Rechner", "Rechner"},
        {"MacBookPro13,2x", "C02TQ0ABGTFM", "Rechner", "Rechner"}};
    onlinename = "Online\x0c\x1b\x07-Name";
    for (const auto& [identifier, serial, profilername, name] : cases) {
        EXPECT_EQ(run("Hardware Overview:\rModel Name: " + profilername +
                      "\rModel Identifier: " + identifier + "\rSerial Number (system): " + serial +
                      "\rTotal Number of Cores: 2\rProcessor Speed: 2,9 GHz\r")[0],
                  "Hardware           = " + name);
        // The name kept for saving leaves the virtual machine out.
        EXPECT_EQ(modelname(),
                  name.substr(name.starts_with("Parallels") ? 17 : 0) + " 2 x 2,9 GHz");
        EXPECT_EQ(lookedup, name.ends_with("Online-Name") ? Lines{serial} : Lines{});
    }
    // Hybrid cores leave the name as it was named.
    run("Hardware Overview:\rModel Name: MacBook Pro\rModel Identifier: MacBookPro18,3\r"
        "Total Number of Cores: 10 (8 performance and 2 efficiency)\r");
    EXPECT_EQ(modelname(), "MacBook Pro (14-inch, 2021, 3 x TB4, M1 Pro)");
    // Without a model name the kept name is cores and clock (the screen is tests/e2e's "nameless").
    run(replacestring(IntelHardware, "Model Name: MacBook Pro\r", "", false));
    EXPECT_EQ(modelname(), " 2 x 2,9 GHz");
}

// Hardware that cannot be named shows the failure screen and keeps the name; sparse hardware
// leaves out lines but keeps the fixed ones, with the memory in whole GiB, rounded: one byte short
// of 7.5 GiB is 7 GB, 7.5 GiB rounds up; below 1 GiB in whole MB.
TEST_F(ReportRunTest, NoOverviewShowsTheFailureAndSparseHardwareKeepsTheFixedLines) {
    // Nothing, no overview, and bytes that only nearly say "Hardware Overview" (the failing
    // profiler's whole screen is tests/e2e's "failure").
    for (const std::string& text : {std::string(), std::string("Hardware:\r  Model Name: X\r"),
                                    std::string("\0\xff\x80Hardware Overvie", 19)}) {
        EXPECT_EQ(run(text).at(10).substr(18, 15) + "|" + modelname(), "Hardware konnte|Vorher");
        EXPECT_TRUE(rt().WindowTable[0].AutoUpdate);
    }
    address = interfaces = "";
    for (const auto& [bytes, ram] :
         {std::pair(8053063679ULL, "7 GB"), std::pair(8053063680ULL, "8 GB"),
          std::pair(1073741824ULL, "1 GB"), std::pair(1073741823ULL, "1023 MB")}) {
        memory = bytes;
        // clang-format off
        EXPECT_EQ(run("Hardware Overview:\r"), (Lines{"Anzahl Prozessoren = 1",
            "Anzahl Threads     = 8", "RAM Speicher       = " + std::string(ram),
            "Schnittstellen     =", "Seriennummer       =", "Hostname           = werkbank",
            "Internet-Adresse   =",
            "Linux Version      = Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)",
            "Eingeschaltet seit = 1#02:03:04", "Single-Core        = 4,00 GFLOPs",
            "Multi-Core         = 32,04 GFLOPs"}));
        // clang-format on
    }
}

// The progress lines replace each other and reach the printer; outside text is printed as
// Unicode and cut when huge.
TEST_F(ReportRunTest, ProgressLinesAndOutsideTextAsUnicodeCutWhenHuge) {
    Lines seen;
    hardware = IntelHardware;
    ReportSources s = sources();
    s.Interfaces = [&] {
        seen = screen();
        return std::string("USB");
    };
    runreport(s);
    EXPECT_EQ(seen, (Lines{"", "", "", "", "", "", "", "", "", "",
                           "                        Informationen werden gesammelt,",
                           "                          bitte einen Moment warten...", "",
                           "                        Interfaces werden untersucht..."}));
    EXPECT_TRUE(layer.count("center 0") >= 1 && layer.count("makeKeyAndOrderFront 0") >= 1);
    EXPECT_TRUE(rt().WindowTable[0].AutoUpdate);
    address = std::string(1 << 20, '9');
    run("Hardware Overview:\rProcessor Name: Intel\xC2\xAE Core\xE2\x84\xA2 \xFC" +
        std::string(5000, 'x') + "\r");
    const std::string joined = t_GetScreen(0, "\r");
    // U+00AE is one cell; U+2122 has no cell and prints as "?"; a lone 0xFC stays one character.
    EXPECT_EQ(joined.rfind("Prozessor          = Intel\xC2\xAE Core? \xC3\xBCxxx", 0), 0u)
        << joined;
    const auto count = [&](char c) { return std::count(joined.begin(), joined.end(), c); };
    EXPECT_TRUE(count('x') > 100 && count('x') < 300 && count('9') < 300) << joined;
    EXPECT_NE(joined.find("Multi-Core         = 32,04 GFLOPs"), std::string::npos);
}

// Profiler lines, separated by carriage returns; whether the machine is virtual; the value shown.
// The lines of the machines in tests/e2e/profiles and the fixture trees (dynamic VRAM, Parallels
// graphics and displays, a display with its refresh and depth, plain and hybrid cores, memory
// below 1 GiB) are pinned by the e2e screens and expected lines.
TEST(ReportValues, GraphicsDisplayCoresAndInterfaceLines) {
    const std::string gpu = "Chipset Model: GPU A\rVRAM (Total): ";
    // clang-format off
    const std::tuple<std::string, bool, std::string> cases[] = {
        {gpu + "64 MB of Shared System Memory", false, "GPU A (64 MB VRAM)"},
        // A bare number above 255 counts MB, else GB.
        {gpu + "256", false, "GPU A (256 MB VRAM)"}, {gpu + "255", false, "GPU A (255 GB VRAM)"},
        {gpu + "viel", false, "GPU A (0 GB VRAM)"}, {"Chipset Model: GPU A", true, "GPU A"},
        // Neither chipset nor type; a fraction of a GB in either number format is shown in whole
        // MB, rounded.
        {"Vendor: nobody", false, ""}, {gpu + "1,7 GB", false, "GPU A (1.741 MB VRAM)"},
        {gpu + "2.1 GB", false, "GPU A (2.150 MB VRAM)"},
        {"Type: Adapter\rVRAM (Total): 0,25 GB", false, "Adapter (256 MB VRAM)"}};
    // clang-format on
    for (const auto& [text, parallels, shown] : cases)
        EXPECT_EQ(graphicsvalue(totext(text + "\r"), parallels), shown) << text;
    // The display line from the list of displays.
    const std::string lg = "  Displays:\r    LG:", res = lg + "\r      Resolution: ";
    // clang-format off
    const std::tuple<std::string, bool, std::string> displays[] = {
        {res + "2560 x 1440 @ 59,95Hz\r", false, "LG (2.560 x 1.440 Pixel, 59 Hz)"},
        {res + "1080p\r", false, "LG (1080p)"}, {lg + "\r", false, "LG "},
        // A display name that never ends gives no line, nor does a list of only its title or none.
        {lg, false, ""}, {"  Displays:\r", false, ""},
        {"Graphics/Displays:\r    GPU:\r      Resolution: 1920 x 1080\r", false, ""}};
    // clang-format on
    for (const auto& [text, parallels, shown] : displays)
        EXPECT_EQ(displayvalue(totext(text), parallels), shown) << text;
    // The cores line.
    // clang-format off
    const std::pair<std::string, std::string> cores[] = {
        {"8 (performance)", "8 (performance)"},
        {"efficiency performance", "0 (0 x Performance & 0 x Effizienz)"}};
    // clang-format on
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

// A report that would pass window 0's last line keeps its first: the longest lists lose items,
// then the longest other values are cut to one line. The record holds what the screen shows,
// also a value whose wrap at the screen's edge falls on a blank (the screen read back loses the
// blank and the rest).
TEST_F(ReportRunTest, ACrowdedReportFitsTheWindow) {
    std::vector<std::string> thirteen;
    for (int k = 101; k <= 113; ++k)
        thirteen.push_back("192.168.178." + std::to_string(k));
    const auto first = [&](std::size_t count) {
        std::string list = thirteen[0];
        for (std::size_t k = 1; k < count; ++k)
            list += ", " + thirteen[k];
        return list;
    };
    const std::string p200(200, 'p'), cut = std::string(57, 'p') + "...";
    const std::string wrapped = std::string(60, 'x') + " Ende\xE2\x84\xA2";
    // clang-format off
    const std::tuple<std::string, std::string, std::size_t, std::string, std::string> cases[] = {
        {first(13), "Intel", 25, first(7) + " ... und 6 weitere", "Intel"},
        {first(13), p200, 24, first(2) + " ... und 11 weitere", cut},
        {first(1), p200 + p200, 24, first(1), cut},
        {first(1), wrapped, 25, first(1), std::string(60, 'x') + " Ende?"}};
    // clang-format on
    displays = "Chipset Model: GPU\r  Displays:\r    LG:\r      Resolution: 2560 x 1440\r";
    for (const auto& [addresses, processor, count, shownaddress, shownprocessor] : cases) {
        network = "IPv4 Addresses: " + addresses + "\rARPResolvedIPAddress: 10.0.0.254\r";
        const Lines lines =
            run(replacestring(IntelHardware, "Dual-Core Intel Core i5", processor, false) +
                "L2 Cache (per Core): 256 KB\rL3 Cache: 4 MB\rBoot ROM Version: 1\r"
                "SMC Version (system): 2\r");
        EXPECT_EQ(std::tuple(lines.size(), lines.front().substr(0, 8), lines.back().substr(0, 10)),
                  std::tuple(count, "Hardware", "Multi-Core"));
        std::map<ReportLabel, std::string> record;
        for (const ReportFact& fact : shownreportfacts().value_or(ReportFacts{}))
            record[fact.Label] = fact.Value;
        EXPECT_EQ(std::pair(record[ReportLabel::LocalAddress], record[ReportLabel::Processor]),
                  std::pair(shownaddress, shownprocessor));
    }
}

// A document's control codes change the window only while it is printed: its border colour
// (ESC p makes it blue) is grey again once the document is shown and through the next report.
// A document replaces the facts that a report run kept.
TEST_F(ReportRunTest, DocumentBorderColourEndsWithTheDocument) {
    const t_RGBColor grey{255, 84, 84, 84};
    for (const std::string& contents :
         {std::string("Blau\x1bp\r"), std::string("\x1bq\x1bpx\x1b")}) {
        layer.clearCalls();
        choosefromablage("Öffnen…", writefile("rand.mirdx", contents));
        EXPECT_EQ(std::pair(rt().WindowTable[0].RGBColorBorder, shownreportfacts()),
                  std::pair(grey, std::optional<ReportFacts>()));
        const std::vector<std::string> calls = layer.calls();
        const auto last = std::find_if(calls.rbegin(), calls.rend(), [](const std::string& c) {
            return c.starts_with("setBackgroundColor 0 ");
        });
        EXPECT_EQ(last == calls.rend() ? "" : *last, "setBackgroundColor 0 255,84,84,84");
        run(IntelHardware);
        EXPECT_EQ(rt().WindowTable[0].RGBColorBorder, grey);
    }
}

} // namespace
} // namespace mdx::test
