// The report as "miradex --batch --new" prints it: a stand-in profiler printing the outputs in
// profiles/, the real curl asking small HTTP servers on 127.0.0.1 for the public address and the
// model name; and the bundled profiler run on the copied trees of known machines.
// MIRADEX_REBASELINE=1 rewrites the expected lines of those machines.
#include "support/testing.h"

#include <unistd.h>

#include <regex>

#include "base/kwtools.h"
#include "e2e_support.h"

namespace mdx::e2e {
namespace {

const std::string Source = MIRADEX_SOURCE_DIR "/tests/e2e/";

// The screen in screens/<name>.txt with this machine's name, thread count and the public
// address filled in. An expected line ending in "*" stands for every line that begins like it;
// a last line "..." for any further lines.
void expectscreen(const std::string& output, const std::string& name, const std::string& address) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string pattern;
    for (std::string line : splitlines(getstringfromfile(Source + "screens/" + name + ".txt"))) {
        line = replacestring(replacestring(line, "{hostname}", host, true), "{threads}",
                             std::to_string(sysconf(_SC_NPROCESSORS_ONLN)), true);
        line = replacestring(line, "{address}", address.empty() ? "" : " " + address, true);
        line = std::regex_replace(line, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
        pattern +=
            line == R"(\.\.\.)" ? R"([\s\S]*)" : replacestring(line + "\n", "\\*\n", ".*\n", false);
    }
    EXPECT_TRUE(std::regex_match(output, std::regex(pattern))) << output;
}

// The profiles beside common.txt, the profiler "hangs", "fails" or "", the hosts of the address
// and the model name, the screen, the address shown and the requests the services get.
struct Case {
    const char *Name, *Profiles, *Profiler, *AddressHost, *ModelHost, *Screen, *Address;
    std::vector<std::string> Requests;
};

// Hosts: the answering services, a port where nothing listens, a server that never answers.
TEST(E2eReport, MachinesAndServices) {
    // clang-format off
    const std::vector<Case> cases = {
        {"Intel Mac named online", "intel.txt", "", "services", "services", "intel-online",
         "198.51.100.23", {"/plain", "/sp/product?cc=GTFM"}},
        {"Intel Mac offline, named from the table", "intel.txt", "", "closed", "closed",
         "intel-offline", "", {}},
        {"silent services", "intel.txt", "", "silent", "silent", "intel-offline", "", {}},
        {"Apple chip", "apple-chip.txt", "", "", "", "apple-chip", "", {}},
        {"Parallels", "parallels.txt", "", "services", "", "parallels", "198.51.100.23", {"/plain"}},
        {"no model name", "nameless.txt", "", "services", "services", "nameless", "", {"/plain"}},
        {"failing profiler", "intel.txt", "fails", "services", "services", "failure", "", {}},
        {"hanging profiler", "intel.txt", "hangs", "services", "services", "failure", "", {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        HttpServer services{[](const std::string& path) -> std::string {
            if (path == "/plain") return "198.51.100.23\n";
            if (path.rfind("/sp/product?cc=", 0) != 0) return "";
            return "<?xml version=\"1.0\"?><root><name>CPU Name</name><configCode>MacBook Pro "
                   "(13-inch, Late 2016, Four Thunderbolt 3 Ports)</configCode>"
                   "<locale>de_DE</locale></root>";
        }};
        HttpServer silent{[](const std::string&) { return std::string(); }, true};
        std::map<std::string, std::string> host = {
            {"services", services.host()}, {"silent", silent.host()}, {"closed", closedhost()}};
        const ProgramRun run = runbatch(
            {{"MIRADEX_COMMAND_PATH", Source + "profiles"},
             {"E2E_PROFILES", Source + "profiles/common.txt " + Source + "profiles/" + c.Profiles},
             {"E2E_PROFILER", c.Profiler},
             {"MIRADEX_PROFILER_SECONDS", *c.Profiler == 'h' ? "1" : ""},
             {"MIRADEX_PUBLIC_IP_HOST", host[c.AddressHost]},
             {"MIRADEX_MODEL_HOST", host[c.ModelHost]}});
        EXPECT_EQ(std::pair(run.Ended, run.Status), std::pair(true, 0));
        expectscreen(run.Output, c.Screen, c.Address);
        EXPECT_EQ(services.requests(), c.Requests);
    }
}

// The report lines that come from the profiler, as a German user sees them, against the
// expected lines of each machine; lines from this machine or the clock are left out.
// "desktop-amd.C" is that machine under the C locale: its numbers in the C form.
TEST(E2eFixtureReport, ProfilerFactsReachTheReport) {
    const std::regex local("^(Anzahl Threads|Hostname|Linux Version|Eingeschaltet "
                           "seit|Single-Core|Multi-Core|Internet-Adresse) .*");
    for (const std::string tree :
         {"hybrid-laptop", "desktop-amd", "ryzen-desktop", "qemu-vm", "micro-vm", "arm-board",
          "kunpeng-server", "hybrid-arm", "aspeed-server", "nvidia-workstation",
          "old-kernel-server", "desktop-amd.C", "vmware-guest", "xen-guest", "amd-laptop",
          "riscv-board", "riscv-cpuinfo"}) {
        SCOPED_TRACE(tree);
        // The bundled profiler on the copied tree, the locale variables naming only LANG.
        // clang-format off
        const ProgramRun run = runbatch(
            {{"MIRADEX_COMMAND_PATH", MIRADEX_TEST_BUNDLE "/Contents/Helpers"},
             {"MIRADEX_SYSROOT", Source + "../tools/system_profiler/fixtures/" + tree.substr(0, tree.find('.'))},
             {"MIRADEX_PUBLIC_IP_HOST", ""}, {"MIRADEX_MODEL_HOST", ""}, {"LC_ALL", std::nullopt},
             {"LANG", tree.ends_with(".C") ? "C" : "de_DE.UTF-8"}, {"LC_NUMERIC", std::nullopt}});
        // clang-format on
        EXPECT_EQ(std::pair(run.Ended, run.Status), std::pair(true, 0));
        std::string lines;
        for (const std::string& line : splitlines(run.Output))
            if (line.find(" = ") != std::string::npos && !std::regex_match(line, local))
                lines += line + "\n";
        const std::string expected = Source + "expected/" + tree + ".txt";
        if (const char* rebase = std::getenv("MIRADEX_REBASELINE"); rebase && *rebase == '1')
            std::ofstream(expected, std::ios::binary) << lines;
        EXPECT_EQ(lines, getstringfromfile(expected)) << run.Output;
    }
}

} // namespace
} // namespace mdx::e2e
