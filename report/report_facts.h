// The report's facts as one record: each line's label and value as window 0 shows them, in
// screen order. The report run prints its lines from it and the batch run's JSON is made from it;
// a screen read back (an opened report) gives the same kind of record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mdx {

enum class ReportLabel : std::uint8_t {
    Hardware,
    ModelIdentifier,
    Processor,
    ClockSpeed,
    ProcessorCount,
    Cores,
    Threads,
    L2CachePerCore,
    L2CachePerProcessor,
    L2Cache,
    L3Cache,
    Memory,
    BootRom,
    SystemFirmware,
    Smc,
    Interfaces,
    Graphics,
    Display,
    SerialNumber,
    HostName,
    LocalAddress,
    RouterAddress,
    PublicAddress,
    LinuxVersion,
    MacosVersion,
    Uptime,
    SingleCore,
    MultiCore,
};
inline constexpr std::size_t ReportLabelCount = 28;

// The operating-system line names the system the program runs on; saved reports of the classic
// edition carry the other one.
#if defined(__APPLE__)
inline constexpr ReportLabel SystemVersion = ReportLabel::MacosVersion;
#else
inline constexpr ReportLabel SystemVersion = ReportLabel::LinuxVersion;
#endif

// The label as printed, padded and with "= ": "Prozessor          = ".
std::string_view printedlabel(ReportLabel label);
// The label's words alone: "Prozessor".
std::string labelwords(ReportLabel label);

struct ReportFact {
    ReportLabel Label;
    std::string Value; // as the screen shows it, wrapped lines joined
    bool operator==(const ReportFact&) const = default;
};
using ReportFacts = std::vector<ReportFact>;

// A value as window 0 shows it once printed: each decoded character one cell, a character the
// cells cannot hold shown as "?", the runtime's graphic characters made plain.
std::string screenform(std::string_view value);

// The facts of a screen text (lines ended by line feeds, as the batch run prints it): each line
// that begins with a label gives a fact; lines without a label are left out, except that a line
// right after a fact's line continues its value when the value was too long for one line of the
// screen. Wrapping drops a blank at the screen's edge, which a record made by the run keeps.
ReportFacts factsofscreen(const std::string& screen);

// The number of a benchmark value as the report prints it ("1.234,56 GFLOPs" gives 1234.56);
// nothing for any other text, such as "(wird berechnet)".
std::optional<double> gflopsfigure(const std::string& value);

} // namespace mdx
