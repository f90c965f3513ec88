#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "app/program.h"
#include "report/benchmark.h"
#include "report/documents.h"
#include "report/profiler.h"
#include "report/report_facts.h"
#include "report/report_program.h"
#include "report/report_state.h"
#include "runtime/readback.h"
#include "runtime/update.h"
#include "runtime/window_management.h"
#include "text/cursor.h"
#include "text/output.h"
#include "text/scrolling.h"
#include "text/text_windows.h"

namespace mdx {
namespace {

constexpr UInt8 LineEnd = 13;
constexpr UInt8 ClearLine = 26; // back to column 1 and clear the line
constexpr Int CentreWidth = 80;
constexpr Int NoticeLine = 11; // the first line of the wait and failure notices
constexpr Int BenchmarkColumn = 22;
constexpr Int InterfaceListWidth = 59;
constexpr Int GiB = 1073741824;
constexpr Int MiB = 1048576;
constexpr std::size_t ScreenColumns = 82; // window 0 is 1312 pixels wide, 16 a character
constexpr std::size_t ScreenLines = 25;
constexpr std::size_t BenchmarkLines = 2;
constexpr std::string_view ItemSeparator = ", ";
// Where a value is cut to fit the screen; the screen has no cell for U+2026.
constexpr std::string_view Ellipsis = "...";
// Outside text is printed up to this many bytes a value: a profiler or a service that answers
// with megabytes on one line would otherwise scroll the report for minutes.
constexpr std::size_t ValueLimit = 240;

// The facts of one run, gathered before the report is printed.
struct Gathered {
    MachineFacts Machine;
    Text Hardware;
    Text Network;
    Text Displays;
    std::string PublicAddress;
    std::string Serial;
    std::string Interfaces;
};

std::string bytesof(const Text& text) {
    return {text.Elements.begin(), text.Elements.end()};
}

// Without control codes, at most ValueLimit bytes, not ending inside a UTF-8 sequence. Outside
// text must not clear, move or recolour the report when it is printed.
std::string limited(std::string value) {
    value = withoutcontrolcodes(value);
    if (value.size() <= ValueLimit) return value;
    std::size_t end = ValueLimit;
    while (end > 0 && (static_cast<UInt8>(value[end]) & 0xC0) == 0x80)
        --end;
    value.resize(end);
    return value;
}

// The value after the first occurrence of key, up to the line end; "" when absent.
std::string value(const Text& text, const char* key) {
    return limited(bytesof(keyvalue(text, totext(key), LineEnd, 1).Value));
}

bool contains(const Text& text, const char* pattern) {
    return position(text, totext(pattern), 1) > 0;
}

bool contains(const std::string& text, const char* pattern) {
    return text.find(pattern) != std::string::npos;
}

Int leadingintegerof(const std::string& text) {
    return leadinginteger(totext(text));
}

// The leading integer of what follows the first occurrence of marker, 0 without one.
Int integerafter(const std::string& text, const char* marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string::npos) return 0;
    return leadingintegerof(text.substr(at + std::char_traits<char>::length(marker)));
}

std::string grouped(Int n) {
    return formatinteger(n, 32, 1, true);
}

void print(const std::string& text) {
    t_Print(ReportWindow, text);
}

// The facts of a run in screen order, each value kept as the screen will show it.
class FactList {
  public:
    void add(ReportLabel label, const std::string& value) { facts_.push_back({label, value}); }
    void addifpresent(ReportLabel label, const std::string& value) {
        if (!value.empty()) add(label, value);
    }
    ReportFacts& facts() { return facts_; }

  private:
    ReportFacts facts_;
};

void printfact(const ReportFact& fact) {
    print(std::string(printedlabel(fact.Label)));
    print(fact.Value);
    t_Cr(ReportWindow);
}

void progress(const std::string& message) {
    print(std::string(1, static_cast<char>(ClearLine)) + centertext(message, CentreWidth));
    refreshreportscreen();
}

void clearreportwindow() {
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
}

ReportSources withdefaults(ReportSources s) {
    if (!s.Machine) s.Machine = machinefacts;
    if (!s.Profiler) s.Profiler = systemprofiler;
    if (!s.PublicAddress) s.PublicAddress = publicaddress;
    if (!s.Interfaces) s.Interfaces = interfacelist;
    if (!s.LookupModelName) s.LookupModelName = lookupmodelname;
    if (!s.SingleCore) s.SingleCore = singlecorebenchmark;
    if (!s.MultiCore) s.MultiCore = multicorebenchmark;
    return s;
}

void showwaitmessage() {
    t_WindowAutoUpdate(ReportWindow, false);
    clearreportwindow();
    t_Vtab(ReportWindow, NoticeLine);
    print(centertext("Informationen werden gesammelt,", CentreWidth));
    t_Cr(ReportWindow);
    print(centertext("bitte einen Moment warten...", CentreWidth));
    t_Cr(ReportWindow);
    t_Cr(ReportWindow);
    preparereportscreen();
}

Gathered gather(const ReportSources& s) {
    Gathered g;
    g.Machine = s.Machine();
    progress("Hardware wird untersucht...");
    pause(0.1);
    g.Hardware = s.Profiler("SPHardwareDataType");
    if (g.Hardware.Elements.empty()) return g;
    progress("Netzwerk wird untersucht...");
    g.Network = s.Profiler("SPNetworkDataType");
    progress("Display wird untersucht...");
    g.Displays = s.Profiler("SPDisplaysDataType");
    progress("Internetadresse wird untersucht...");
    g.PublicAddress = limited(s.PublicAddress());
    g.Serial = value(g.Hardware, "Serial Number (system): ");
    progress("Interfaces werden untersucht...");
    g.Interfaces = s.Interfaces();
    return g;
}

void showfailure() {
    clearreportwindow();
    t_Vtab(ReportWindow, NoticeLine);
    print(centertext("Hardware konnte nicht identifiziert werden.", CentreWidth));
    t_Cr(ReportWindow);
    t_Cr(ReportWindow);
    print(centertext("Bitte starten Sie Ihren Computer neu und versuchen es noch einmal.",
                     CentreWidth));
    refreshreportscreen();
    t_WindowAutoUpdate(ReportWindow, true);
}

// Names the model; false when the hardware text has no model name (no "Hardware" line then).
bool namemodel(const ReportSources& s, const Gathered& g) {
    modelname() = "";
    const std::string identifier = value(g.Hardware, "Model Identifier: ");
    std::string name = value(g.Hardware, "Model Name: ");
    if (name.empty()) return false;
    if (name == "Mac mini") name = "Mac Mini";
    progress("Computermodell wird untersucht...");
    if (!g.Serial.empty() && ownmodelidentifier(identifier))
        modelname() = limited(s.LookupModelName(g.Serial));
    if (!modelname().empty()) return true;
    const std::string listed = modeltablename(identifier);
    modelname() = listed.empty() ? name : listed;
    return true;
}

// Whole GB, rounded to the nearest, so that a guest given 3,840 MB shows the 4 GB its profiler
// shows and not 3; a machine with less than 1 GiB in MB, where whole GB would say "0 GB".
std::string memorytext(std::uint64_t bytes) {
    const auto gib = static_cast<std::uint64_t>(GiB);
    if (bytes < gib) return std::to_string(bytes / MiB) + " MB";
    return std::to_string(bytes / gib + (bytes % gib >= gib / 2 ? 1 : 0)) + " GB";
}

// The "Hardware" fact; true for a virtual machine of the Parallels kind.
bool addhardware(FactList& facts, const std::string& identifier) {
    const bool parallels = identifier.size() > 8 && identifier.compare(0, 9, "Parallels") == 0;
    if (parallels) {
        const std::string rest = identifier.substr(9);
        facts.add(ReportLabel::Hardware,
                  "Parallels " + rest.substr(0, rest.find(',')) + " auf " + modelname());
    } else {
        facts.add(ReportLabel::Hardware, modelname());
    }
    return parallels;
}

void addprocessor(FactList& facts, const Text& hardware) {
    const std::string processor = value(hardware, "Processor Name: ");
    facts.addifpresent(ReportLabel::Processor,
                       processor.empty() ? value(hardware, "Chip: ") : processor);
    facts.addifpresent(ReportLabel::ClockSpeed, value(hardware, "Processor Speed: "));
    const std::string processors = value(hardware, "Number of Processors: ");
    facts.add(ReportLabel::ProcessorCount, processors.empty() ? "1" : processors);
}

void addcores(FactList& facts, const Gathered& g) {
    const Text cores = keyvalue(g.Hardware, totext("Total Number of Cores: "), LineEnd, 1).Value;
    if (!cores.Elements.empty()) {
        facts.add(ReportLabel::Cores, limited(coresvalue(cores)));
        if (!contains(cores, "performance") || !contains(cores, "efficiency"))
            modelname() += " " + std::to_string(leadinginteger(cores)) + " x " +
                           value(g.Hardware, "Processor Speed: ");
    }
    facts.add(ReportLabel::Threads, std::to_string(g.Machine.ProcessorCount));
}

void addmemory(FactList& facts, const Gathered& g) {
    facts.addifpresent(ReportLabel::L2CachePerCore, value(g.Hardware, "L2 Cache (per Core): "));
    facts.addifpresent(ReportLabel::L2CachePerProcessor,
                       value(g.Hardware, "L2 Cache (per Processor): "));
    facts.addifpresent(ReportLabel::L2Cache, value(g.Hardware, "L2 Cache: "));
    facts.addifpresent(ReportLabel::L3Cache, value(g.Hardware, "L3 Cache: "));
    facts.add(ReportLabel::Memory, memorytext(g.Machine.PhysicalMemory));
}

void addfirmware(FactList& facts, const Text& hardware) {
    const std::string bootrom = value(hardware, "Boot ROM Version: ");
    if (!bootrom.empty())
        facts.add(ReportLabel::BootRom, bootrom);
    else
        facts.addifpresent(ReportLabel::SystemFirmware,
                           value(hardware, "System Firmware Version: "));
    facts.addifpresent(ReportLabel::Smc, value(hardware, "SMC Version (system): "));
}

void addnetwork(FactList& facts, const Gathered& g) {
    facts.add(ReportLabel::SerialNumber, g.Serial);
    facts.add(ReportLabel::HostName, limited(g.Machine.HostName));
    facts.addifpresent(ReportLabel::LocalAddress, value(g.Network, "IPv4 Addresses: "));
    std::string router = value(g.Network, "ARPResolvedIPAddress: ");
    if (router.empty()) router = value(g.Network, "ARP Resolved IP Address: ");
    facts.addifpresent(ReportLabel::RouterAddress, router);
    facts.add(ReportLabel::PublicAddress, g.PublicAddress);
}

void addsystem(FactList& facts, const Gathered& g) {
    facts.add(SystemVersion, limited(reststring(g.Machine.VersionString, 9)));
    facts.add(ReportLabel::Uptime, uptimetext(g.Machine.Uptime).Text);
}

// The facts up to the benchmarks, which are measured while the report stands on the screen.
ReportFacts describedfacts(const Gathered& g, bool named) {
    FactList facts;
    const std::string identifier = value(g.Hardware, "Model Identifier: ");
    const bool parallels = named && addhardware(facts, identifier);
    facts.addifpresent(ReportLabel::ModelIdentifier, identifier);
    addprocessor(facts, g.Hardware);
    addcores(facts, g);
    addmemory(facts, g);
    addfirmware(facts, g.Hardware);
    facts.add(ReportLabel::Interfaces, g.Interfaces);
    facts.addifpresent(ReportLabel::Graphics, graphicsvalue(g.Displays, parallels));
    facts.addifpresent(ReportLabel::Display, displayvalue(g.Displays, parallels));
    addnetwork(facts, g);
    addsystem(facts, g);
    return std::move(facts.facts());
}

// The record of the report on the screen; nothing when the screen shows something else.
void keepfacts(std::optional<ReportFacts> facts) {
    ReportState& state = reportstate();
    const std::lock_guard<std::mutex> guard(state.FactsLock);
    state.Facts = std::move(facts);
}

std::string gflops(double value) {
    return formatreal(32, 1, 2, true, value) + " GFLOPs";
}

std::size_t charactercount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<UInt8>(byte) & 0xC0) != 0x80;
    }));
}

// The screen lines a fact takes: a line that fills the width exactly leaves the cursor on the
// next line, so its line end adds an empty one.
std::size_t linesof(const ReportFact& fact) {
    const std::size_t cells =
        charactercount(printedlabel(fact.Label)) + charactercount(screenform(fact.Value));
    return cells / ScreenColumns + 1;
}

std::size_t screenlinesof(const ReportFacts& facts) {
    std::size_t lines = BenchmarkLines;
    for (const ReportFact& fact : facts)
        lines += linesof(fact);
    return lines;
}

bool islist(ReportLabel label) {
    return label == ReportLabel::LocalAddress || label == ReportLabel::Interfaces ||
           label == ReportLabel::Display;
}

std::vector<std::string> itemsof(const std::string& list) {
    std::vector<std::string> items;
    for (std::size_t start = 0;;) {
        const std::size_t end = list.find(ItemSeparator, start);
        items.push_back(list.substr(start, end - start));
        if (end == std::string::npos) return items;
        start = end + ItemSeparator.size();
    }
}

// The first `kept` items and how many more there are: "a, b ... und 9 weitere".
std::string shortenedlist(const std::vector<std::string>& items, std::size_t kept) {
    std::string text;
    for (std::size_t k = 0; k < kept; ++k)
        text += (k == 0 ? "" : std::string(ItemSeparator)) + items[k];
    return text + " " + std::string(Ellipsis) + " und " + std::to_string(items.size() - kept) +
           " weitere";
}

// The longest fact that takes more than one line and that `canshorten` accepts; null for none.
ReportFact* longestwrapped(ReportFacts& facts, bool (*canshorten)(const ReportFact&)) {
    ReportFact* longest = nullptr;
    for (ReportFact& fact : facts)
        if (linesof(fact) > 1 && canshorten(fact) &&
            (!longest || charactercount(fact.Value) > charactercount(longest->Value)))
            longest = &fact;
    return longest;
}

// Drops list items from the longest wrapped lists until the report fits.
void shortenlists(ReportFacts& facts) {
    struct Items {
        std::vector<std::string> All;
        std::size_t Kept;
    };
    std::map<const ReportFact*, Items> lists;
    for (const ReportFact& fact : facts)
        if (islist(fact.Label)) {
            std::vector<std::string> all = itemsof(fact.Value);
            lists[&fact] = {all, all.size()};
        }
    const auto shortenable = [](const ReportFact& fact) {
        return islist(fact.Label) && fact.Value.find(ItemSeparator) != std::string::npos;
    };
    while (screenlinesof(facts) > ScreenLines) {
        ReportFact* longest = longestwrapped(facts, shortenable);
        if (!longest) return;
        Items& list = lists.at(longest);
        longest->Value = shortenedlist(list.All, --list.Kept);
    }
}

// A value cut to the first screen line, ending with the ellipsis.
void cuttooneline(ReportFact& fact) {
    const std::size_t room =
        ScreenColumns - 1 - charactercount(printedlabel(fact.Label)) - Ellipsis.size();
    std::string& value = fact.Value;
    std::size_t end = 0;
    for (std::size_t characters = 0; end < value.size() && characters < room; ++characters)
        do
            ++end;
        while (end < value.size() && (static_cast<UInt8>(value[end]) & 0xC0) == 0x80);
    value = value.substr(0, end) + std::string(Ellipsis);
}

// The report fits window 0 without scrolling its first lines away: the longest lists lose
// items first, then the longest other wrapped values are cut to one line.
ReportFacts fittedtoscreen(ReportFacts facts) {
    shortenlists(facts);
    while (screenlinesof(facts) > ScreenLines) {
        ReportFact* longest = longestwrapped(facts, [](const ReportFact&) { return true; });
        if (!longest) break;
        cuttooneline(*longest);
    }
    return facts;
}

// Shows "(wird berechnet)" while the measurement runs, then its result in its place.
ReportFact measuredfact(ReportLabel label, const std::function<double()>& measure) {
    print(std::string(printedlabel(label)) + "(wird berechnet)");
    refreshreportscreen();
    t_Htab(ReportWindow, BenchmarkColumn);
    const double result = measure();
    t_ClearEndOfLine(ReportWindow);
    const std::string shown = gflops(result);
    print(shown);
    return {label, shown};
}

// Prints the facts and measures the benchmarks below them; the record of the whole report is
// kept for the batch run's JSON.
void printreport(const ReportSources& s, ReportFacts facts, Int processors) {
    clearreportwindow();
    for (const ReportFact& fact : facts)
        printfact(fact);
    facts.push_back(measuredfact(ReportLabel::SingleCore, s.SingleCore));
    t_Cr(ReportWindow);
    facts.push_back(
        measuredfact(ReportLabel::MultiCore, [&] { return s.MultiCore(processors) + 0.005; }));
    refreshreportscreen();
    for (ReportFact& fact : facts)
        fact.Value = screenform(fact.Value);
    keepfacts(std::move(facts));
    t_WindowAutoUpdate(ReportWindow, true);
}

// Where a VRAM value's number ends: past leading blanks, a sign, the digits and a fraction
// after a decimal comma or point, as the user's number format writes it ("1,5 GB", "1.5 GB").
std::size_t numberend(const std::string& vram, std::size_t& fractionstart) {
    constexpr const char* Digits = "0123456789";
    std::size_t at = vram.find_first_not_of(' ');
    if (at == std::string::npos) return vram.size();
    if (vram[at] == '-') ++at;
    at = std::min(vram.find_first_not_of(Digits, at), vram.size());
    fractionstart = at;
    const bool separator = at < vram.size() && (vram[at] == ',' || vram[at] == '.');
    if (!separator || at + 1 >= vram.size() || vram[at + 1] < '0' || vram[at + 1] > '9') return at;
    fractionstart = at + 1;
    return std::min(vram.find_first_not_of(Digits, at + 1), vram.size());
}

// The unit a VRAM value names right after its number ("MB" or "GB"), "" when it names none.
std::string namedunit(const std::string& vram, std::size_t end) {
    const std::size_t at = vram.find_first_not_of(' ', end);
    if (at == std::string::npos) return "";
    const std::string unit = vram.substr(at, 2);
    return unit == "MB" || unit == "GB" ? unit : "";
}

// The value of a fraction's digits: "5" gives 0.5, "25" gives 0.25, in any process locale.
double fractionvalue(const std::string& digits) {
    double value = 0;
    double scale = 0.1;
    for (char digit : digits) {
        value += (digit - '0') * scale;
        scale /= 10;
    }
    return value;
}

// " (n MB VRAM)" for a VRAM value; without a unit of its own, fallback names it. A size with a
// fraction of a GB is shown in whole MB.
std::string vramtext(const std::string& vram, const std::string& fallback) {
    std::size_t fractionstart = 0;
    const std::size_t end = numberend(vram, fractionstart);
    std::string unit = namedunit(vram, end);
    if (unit.empty()) unit = fallback;
    Int size = leadingintegerof(vram);
    const std::string fraction = vram.substr(fractionstart, end - fractionstart);
    if (unit == "GB" && !fraction.empty() && size >= 0 && size < 1048576) {
        size = size * 1024 + static_cast<Int>(std::lround(fractionvalue(fraction) * 1024));
        unit = "MB";
    }
    return " (" + grouped(size) + " " + unit + " VRAM)";
}

// Where the list of a graphics device's displays begins: the line after the first line that
// reads "Displays:" after its indentation. npos when there is none.
std::size_t displaylist(const Bytes& text) {
    const std::string_view title = "Displays:";
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = start;
        while (end < text.size() && text[end] != LineEnd)
            ++end;
        std::size_t first = start;
        while (first < end && text[first] == ' ')
            ++first;
        std::size_t last = end;
        while (last > first && text[last - 1] == ' ')
            --last;
        const std::string_view line(reinterpret_cast<const char*>(text.data()) + first,
                                    last - first);
        if (line == title) return end + 1;
        start = end + 1;
    }
    return std::string_view::npos;
}

std::string depthtext(const Text& displays) {
    const std::string depth = value(displays, "Pixel Depth: ");
    return depth.empty() ? ")" : ", " + std::to_string(leadingintegerof(depth)) + " Bit)";
}

std::string resolutiontext(const std::string& resolution, const Text& displays) {
    if (resolution.empty()) return "";
    if (!contains(resolution, " x ")) return "(" + resolution + ")";
    std::string text = "(" + grouped(leadingintegerof(resolution)) + " x " +
                       grouped(integerafter(resolution, " x ")) + " Pixel";
    if (contains(resolution, " @ "))
        text += ", " + grouped(integerafter(resolution, " @ ")) + " Hz";
    return text + depthtext(displays);
}

} // namespace

std::string& modelname() {
    return reportstate().ModelName;
}

void refreshreportscreen() {
    t_WindowUpdate(ReportWindow, false);
    p_SetPrinter(t_GetScreen(ReportWindow, "\r"));
}

void preparereportscreen() {
    keepfacts(std::nullopt);
    t_WindowCenter(ReportWindow);
    t_WindowFront(ReportWindow);
    t_WindowUpdate(ReportWindow, false);
    p_SetPrinter(t_GetScreen(ReportWindow, "\r"));
}

std::optional<ReportFacts> shownreportfacts() {
    ReportState& state = reportstate();
    const std::lock_guard<std::mutex> guard(state.FactsLock);
    return state.Facts;
}

void runreport(ReportSources sources) {
    const ReportSources s = withdefaults(std::move(sources));
    showdocumenttitle(""); // a new report is no saved document yet
    showwaitmessage();
    Gathered g = gather(s);
    g.Interfaces = shortenedinterfacelist(g.Interfaces);
    if (!contains(g.Hardware, "Hardware Overview:")) {
        showfailure();
        return;
    }
    const bool named = namemodel(s, g);
    printreport(s, fittedtoscreen(describedfacts(g, named)), g.Machine.ProcessorCount);
}

std::string shortenedinterfacelist(const std::string& list) {
    static const std::pair<const char*, const char*> steps[] = {
        {"FireWire", "FW"},     {"Camera", "Cam"},     {"EtherNet", "ENet"},
        {"CardReader", "Card"}, {"ThunderBolt", "TB"}, {"Audio", "AU"}};
    std::string shorter = list;
    if (shorter.size() >= 60) shorter = replacestring(shorter, "BlueTooth", "BT", false);
    for (const auto& [name, abbreviation] : steps)
        if (static_cast<Int>(shorter.size()) >= InterfaceListWidth)
            shorter = replacestring(shorter, name, abbreviation, false);
    if (static_cast<Int>(shorter.size()) > InterfaceListWidth) shorter.resize(InterfaceListWidth);
    return shorter;
}

std::string coresvalue(const Text& cores) {
    const std::string text = bytesof(cores);
    if (!contains(text, "performance") || !contains(text, "efficiency")) return text;
    return std::to_string(leadinginteger(cores)) + " (" + std::to_string(integerafter(text, "(")) +
           " x Performance & " + std::to_string(integerafter(text, " and ")) + " x Effizienz)";
}

std::string graphicsvalue(const Text& displays, bool parallels) {
    const std::string chipset = value(displays, "Chipset Model: ");
    if (!chipset.empty()) {
        std::string vram = value(displays, "VRAM (Dynamic, Max): ");
        if (vram.empty()) vram = value(displays, "VRAM (Total): ");
        if (vram.empty()) return chipset;
        return chipset + vramtext(vram, leadingintegerof(vram) > 255 ? "MB" : "GB");
    }
    const std::string type = value(displays, "Type: ");
    if (type.empty()) return "";
    const std::string vram = value(displays, "VRAM (Total): ");
    return (parallels ? "Parallels " : "") + type + (vram.empty() ? "" : vramtext(vram, "MB"));
}

std::string displayvalue(const Text& displays, bool parallels) {
    const std::size_t list = displaylist(displays.Elements);
    if (list == std::string_view::npos) return "";
    const Text rest = trimtext(resttext(displays, static_cast<Int>(list) + 1));
    const Int q = position(rest, Text{{LineEnd}}, 1);
    if (q == 0) return "";
    const std::string name = limited(bytesof(lefttext(rest, q - 2)));
    return (parallels ? "Parallels " : "") + name + " " +
           resolutiontext(value(rest, "Resolution: "), displays);
}

} // namespace mdx
