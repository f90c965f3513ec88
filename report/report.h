// The hardware report: gathers the facts, names the model and prints the German report lines in
// window 0, ending with the two benchmark lines.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/kwtools.h"
#include "report/machine.h"
#include "report/report_facts.h"

namespace mdx {

// Where a report run takes its facts from. Members left empty stand for the machine's own
// (the operating system, the profiler command, the network lookups, the benchmark); tests fill
// in their own.
struct ReportSources {
    std::function<MachineFacts()> Machine;
    std::function<Text(const std::string&)> Profiler;
    std::function<std::string()> PublicAddress;
    std::function<std::string()> Interfaces;
    std::function<std::string(const std::string&)> LookupModelName;
    std::function<double()> SingleCore;
    std::function<double(Int)> MultiCore;
};

// The window that shows the report, the opened documents and the imports.
inline constexpr UInt8 ReportWindow = 0;

// Runs the hardware report in window 0 on the program thread, with the machine's own sources
// unless given others.
void runreport(ReportSources sources = {});

// The record of the report that window 0 shows, as the run made it; nothing when the screen shows
// anything else (a document, an import, the failure notice) or no run finished yet.
std::optional<ReportFacts> shownreportfacts();

// Updates window 0 and copies its text to the virtual printer.
void refreshreportscreen();
// Centres window 0, brings it to the front, updates it and copies its text to the virtual
// printer; ends every report, import and opening. The screen shows no report record from then on.
void preparereportscreen();

// The model name of the current report: set by the report run and by the imports and openings,
// offered as the file name when saving. Used on the program thread only.
std::string& modelname();

// The pieces of the report that depend on the facts alone.
// The model name of an identifier in the model table, "" when it is not listed.
std::string modeltablename(const std::string& identifier);
// Whether an identifier names one of the machines the online model lookup knows: listed in the
// model table, or a family of the table with its two numbers ("MacPro9,1"). Other machines are
// never looked up, so a foreign serial number is not sent and cannot come back as one of them.
bool ownmodelidentifier(const std::string& identifier);
// Shortens a long interface list name by name, then cuts it to 59 characters.
std::string shortenedinterfacelist(const std::string& list);
// The value of the "Anzahl Kerne" line for a "Total Number of Cores: " value.
std::string coresvalue(const Text& cores);
// The value of the "Grafikkarte" line, "" when the display text names no graphics.
std::string graphicsvalue(const Text& displays, bool parallels);
// The value of the "Bildschirm" line, "" when the display text names no display.
std::string displayvalue(const Text& displays, bool parallels);

} // namespace mdx
