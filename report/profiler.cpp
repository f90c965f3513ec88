#include "report/profiler.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "base/log.h"
#include "report/commands.h"
#include "report/report_state.h"

namespace mdx {
namespace {

constexpr const char* ProfilerCommand = "system_profiler";
constexpr const char* DefaultPublicAddressHost = "ipecho.net";
constexpr const char* DefaultModelNameHost = "support-sp.apple.com";
constexpr std::size_t SerialQueryLength = 4;

// A profiler that hangs (on a sysfs or DRM read, say) is ended after this long; the report then
// shows its failure screen. MIRADEX_PROFILER_SECONDS shortens it for tests.
constexpr double DefaultProfilerTimeLimit = 60;

double profilertimelimit() {
    const char* text = std::getenv("MIRADEX_PROFILER_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0;
    return seconds > 0 && seconds < DefaultProfilerTimeLimit ? seconds : DefaultProfilerTimeLimit;
}

// More output than this is no profile of a real machine (a few hundred kilobytes at most): the
// run is ended and counts as failed, so that a runaway profiler cannot fill the memory.
constexpr std::size_t ProfilerOutputLimit = 16u << 20;

CommandResult runprofiler(const std::string& argument) {
    CommandResult result =
        runcommand(ProfilerCommand, "", {argument}, profilertimelimit(), ProfilerOutputLimit);
    if (result.Code == CommandOutputTooLong)
        logline("systemprofiler: Output of " + argument + " longer than " +
                std::to_string(ProfilerOutputLimit >> 20) + " MiB");
    return result;
}

std::string keptdatatypelist() {
    ReportState& state = reportstate();
    std::lock_guard<std::mutex> guard(state.DataTypeListLock);
    return state.DataTypeList;
}

// Fetches the list when none is kept yet; false (after logging) when that fetch failed.
bool havedatatypelist() {
    if (!keptdatatypelist().empty()) return true;
    const CommandResult result = runprofiler("-listDataTypes");
    {
        ReportState& state = reportstate();
        std::lock_guard<std::mutex> guard(state.DataTypeListLock);
        state.DataTypeList = result.Output;
    }
    if (result.Code == CommandOk) return true;
    logline("systemprofiler: Could not get data-type-list");
    return false;
}

Text withcarriagereturns(const std::string& output) {
    Text text = totext(output);
    std::replace(text.Elements.begin(), text.Elements.end(), UInt8{10}, UInt8{13});
    return text;
}

bool contains(const Text& text, const char* pattern) {
    return position(text, totext(pattern), 1) > 0;
}

// A host from the environment, or the default when the variable is not set. A value that curl
// would take for an option counts as switched off.
std::string servicehost(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    const std::string host = value != nullptr ? value : fallback;
    return !host.empty() && host.front() == '-' ? "" : host;
}

// What an answer may hold at most: an address fits in 64 bytes, the model lookup's page in a
// few kilobytes. A longer answer is no answer to these questions and counts as a failed lookup.
constexpr std::size_t AddressAnswerLimit = 1024;
constexpr std::size_t ModelAnswerLimit = 65536;

// The answer of a lookup, or nothing when there is none to take. "-q" first: curl then reads no
// configuration file, so the user's settings cannot change what is asked or where the answer
// goes. Only a successful HTTP status gives an answer: "--fail" makes curl end with a non-zero
// status on an error status (an error page may hold any text, an address too), and a redirect
// is not followed ("--max-redirs 0" turns it into a failure as well).
std::optional<std::string> fetch(const std::string& address, std::size_t answerLimit) {
    const CommandResult result = runcommand(
        "curl", "", {"-q", "--fail", "--silent", "--location", "--max-redirs", "0", address},
        LookupTimeLimit, answerLimit);
    if (result.ExitStatus != 0 || result.Code == CommandOutputTooLong) return std::nullopt;
    return result.StandardOutput;
}

// Whether text is an IPv4 or IPv6 address and nothing else.
bool isaddress(const std::string& text) {
    unsigned char parsed[sizeof(in6_addr)];
    return inet_pton(AF_INET, text.c_str(), parsed) == 1 ||
           inet_pton(AF_INET6, text.c_str(), parsed) == 1;
}

bool continues(char c) {
    return (static_cast<UInt8>(c) & 0xC0) == 0x80;
}

// Where the characters of s begin: a byte that does not continue a UTF-8 sequence, with at most
// the three bytes that may continue it.
std::vector<std::size_t> characterstarts(const std::string& s) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < s.size();) {
        starts.push_back(at++);
        for (int k = 0; k < 3 && at < s.size() && continues(s[at]); ++k)
            ++at;
    }
    return starts;
}

bool isalnumascii(UInt8 c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

Text systemprofiler(const std::string& datatype) {
    if (!havedatatypelist()) return {};
    if (position(totext(keptdatatypelist()), totext(datatype), 1) == 0) {
        logline("systemprofiler: Unknown data-type");
        return {};
    }
    const CommandResult result = runprofiler(datatype);
    if (result.Code != CommandOk)
        logline("systemprofiler: Error " + std::to_string(result.Code) + " while getting " +
                datatype);
    // A cut-off text is no profile.
    if (result.Code == CommandTimedOut || result.Code == CommandOutputTooLong) return {};
    // Only what the profiler wrote as its output: an error message appended to it would read
    // as one more section ("Error while executing:" and a line end).
    return withcarriagereturns(result.StandardOutput);
}

bool profilershowsdevice(const Text& text, const std::string& shortName) {
    if (text.Elements.empty() || !contains(text, ":\r")) return false;
    if (shortName != "ThunderBolt") return true;
    return !contains(text, "Thunderbolt: No drivers are loaded") &&
           !contains(text, "Thunderbolt: No hardware was found");
}

std::string interfacelist() {
    std::string list;
    for (const ProfilerType& row : ProfilerTypeTable) {
        if (!profilershowsdevice(systemprofiler(row.DataType), row.ShortName)) continue;
        if (!list.empty()) list += ", ";
        list += row.ShortName;
    }
    return list;
}

std::string publicaddresshost() {
    return servicehost("MIRADEX_PUBLIC_IP_HOST", DefaultPublicAddressHost);
}

std::string modelnamehost() {
    return servicehost("MIRADEX_MODEL_HOST", DefaultModelNameHost);
}

std::string publicaddress() {
    const std::string host = publicaddresshost();
    if (host.empty()) return "";
    const std::optional<std::string> answer = fetch(host + "/plain", AddressAnswerLimit);
    if (!answer) return "";
    // The address ends at the first line end; a service that ends its answer with a line feed
    // must not carry that into the report line.
    // Control codes are dropped before the check; an answer that is not an address gives none.
    const std::size_t end = answer->find_first_of("\r\n");
    const std::string address = withoutcontrolcodes(answer->substr(0, end));
    return isaddress(address) ? address : "";
}

std::string serialquery(const std::string& serial) {
    const std::vector<std::size_t> starts = characterstarts(serial);
    std::string code = serial;
    if (starts.size() > SerialQueryLength)
        code = serial.substr(starts[starts.size() - SerialQueryLength]);
    std::string query;
    for (char c : code) {
        const auto byte = static_cast<UInt8>(c);
        if (isalnumascii(byte)) {
            query += c;
        } else {
            query += '%';
            query += hexdigit(byte >> 4);
            query += hexdigit(byte & 15);
        }
    }
    return query;
}

std::string modelnamefromanswer(const std::string& answer) {
    const std::string open = "<configCode>";
    const std::size_t start = answer.find(open);
    if (start == std::string::npos) return "";
    const std::size_t end = answer.find("</configCode>", start + open.size());
    if (end == std::string::npos) return "";
    std::string name =
        withoutcontrolcodes(answer.substr(start + open.size(), end - start - open.size()));
    name = replacestring(name, "Mac mini", "Mac Mini", false);
    return replacestring(name, "Four Thunderbolt 3 Ports", "4 x TB3", false);
}

std::string lookupmodelname(const std::string& serial) {
    const std::string host = modelnamehost();
    if (host.empty()) return "";
    const std::optional<std::string> answer =
        fetch("http://" + host + "/sp/product?cc=" + serialquery(serial), ModelAnswerLimit);
    return answer ? modelnamefromanswer(*answer) : "";
}

} // namespace mdx
