// The command on copied /sys and /proc trees: whole outputs compared with the expected texts in
// tests/tools/system_profiler/expected/ (after a deliberate change of the output, run the tests
// with MIRADEX_REBASELINE=1 to rewrite them, and review the difference), and damaged copies of the
// trees. The end-to-end tests run the built command itself.
#include "support/testing.h"

#include <random>
#include <regex>
#include <set>

#include "support/files.h"
#include "support/runtime_fixture.h"
#include "tools/system_profiler/profiler.h"

namespace mdx::sysprof {
namespace {

namespace fs = std::filesystem;

const std::string Tests = SYSTEM_PROFILER_TESTS, Fixtures = Tests + "/fixtures/";
const char* const Trees[] = {
    "hybrid-laptop", "desktop-amd",        "ryzen-desktop",     "qemu-vm",
    "micro-vm",      "arm-board",          "kunpeng-server",    "hybrid-arm",
    "aspeed-server", "nvidia-workstation", "old-kernel-server", "vmware-guest",
    "xen-guest",     "amd-laptop",         "riscv-board",       "riscv-cpuinfo"};

using test::readfile;

struct Result {
    int status;
    std::string out, err;
};

Result run(const std::vector<std::string>& arguments, const std::string& root = "",
           char point = '.') {
    std::ostringstream out, err;
    const int status = runprofiler(arguments, root, out, err, point);
    return {status, out.str(), err.str()};
}

// Each data type alone prints nothing or a header of its own (the report counts an interface
// as present when its text holds a section header), and the whole output is those texts in the
// order of the list.
TEST(SystemProfilerFixture, WholeOutputMatchesExpectedAndIsMadeOfTheTypesAlone) {
    for (const char* name : Trees) {
        SCOPED_TRACE(name);
        const Result whole = run({"--root", Fixtures + name});
        ASSERT_EQ(std::pair(whole.status, whole.err), std::pair(0, std::string()));
        const std::string expected = Tests + "/expected/" + name + ".txt";
        if (const char* rebase = std::getenv("MIRADEX_REBASELINE"); rebase && *rebase == '1')
            std::ofstream(expected, std::ios::binary) << whole.out;
        EXPECT_EQ(whole.out, readfile(expected));
        std::string joined;
        for (const std::string& type : datatypes()) {
            const std::string alone = run({"--root", Fixtures + name, type}).out;
            EXPECT_TRUE(alone.empty() || alone.find(":\n") != std::string::npos) << type;
            joined += alone;
        }
        EXPECT_EQ(joined, whole.out);
    }
}

// Data types in the order asked; an unknown one refused on standard error with status 1 and
// nothing written; the German help; a wrong option (the root from the environment: the
// end-to-end report of each copied tree).
TEST(SystemProfilerCommand, ArgumentsAndEnvironment) {
    const std::string laptop = Fixtures + "hybrid-laptop";
    const Result hardware = run({"--root", laptop, "SPHardwareDataType"});
    const Result network = run({"--root=" + laptop, "SPNetworkDataType"});
    const Result both = run({"--root", laptop, "SPNetworkDataType", "SPHardwareDataType"});
    EXPECT_EQ(std::pair(both.status, both.out), std::pair(0, network.out + hardware.out));
    const Result unknown =
        run({"--root", laptop, "-json", "SPNetworkDataType", "SPNoSuchDataType"});
    EXPECT_EQ(std::tuple(unknown.status, unknown.out, unknown.err),
              std::tuple(1, "",
                         "system_profiler: Unbekannter Datentyp SPNoSuchDataType "
                         "(system_profiler -listDataTypes nennt die bekannten)\n"));
    EXPECT_EQ(run({"--help"}).out.rfind("Aufruf: system_profiler", 0), 0u);
    const Result wrong = run({"--frobnicate"});
    EXPECT_TRUE(wrong.status == 2 && wrong.out.empty() &&
                wrong.err.find("--frobnicate") != std::string::npos);
    EXPECT_EQ(run({"--root", "/nonexistent/tree"}).out, "Hardware:\n\n    Hardware Overview:\n\n");
}

// Title lines, section lines ("    Name:") and key lines ("      Key: Value"), or blank.
bool wellformed(const std::string& output, std::string& badline) {
    static const std::regex line(
        R"(^$|^[^ \x00-\x1f\x7f][^\x00-\x1f\x7f]*:$|)"
        R"(^( {2})+[^ \x00-\x1f\x7f][^\x00-\x1f\x7f]*:( [^\x00-\x1f\x7f]+)?$)");
    std::istringstream lines(output);
    while (std::getline(lines, badline))
        if (!std::regex_match(badline, line)) return false;
    return true;
}

// The files of a tree to damage: all of them, or in the large trees of many processors one of
// each kind (the path with its numbers left out), since cpu0 to cpu127 hold the same files.
std::vector<fs::path> filestodamage(const fs::path& tree) {
    std::vector<fs::path> files;
    std::set<std::string> kinds;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path());
    if (files.size() <= 400) return files;
    std::sort(files.begin(), files.end());
    std::vector<fs::path> chosen;
    for (const fs::path& file : files)
        if (kinds.insert(std::regex_replace(file.string(), std::regex("[0-9]+"), "#")).second)
            chosen.push_back(file);
    return chosen;
}

// Every file of a copied tree in turn emptied, cut short and replaced by random bytes; then
// every device directory gone, so that the links of /sys/class and /sys/bus lead nowhere. The
// command still finishes with status 0 and well-formed output (under the sanitizer build any
// bad read fails the test),
// One test per tree, so that each has its own time limit and they may run side by side.
class SystemProfilerDamagedTree : public ::testing::TestWithParam<const char*> {};

TEST_P(SystemProfilerDamagedTree, EveryFileEmptiedCutAndScrambledAndLinksBroken) {
    std::mt19937 random(20240601);
    const char* name = GetParam();
    test::TempDir scratch;
    const fs::path copy = fs::path(scratch.path()) / "tree";
    fs::copy(Fixtures + name, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const std::vector<fs::path> files = filestodamage(copy);
    ASSERT_GT(files.size(), 10u);
    for (const fs::path& file : files) {
        const std::string original = readfile(file.string());
        std::string scrambled;
        for (auto n = 16 + random() % 240; n-- > 0;)
            scrambled += static_cast<char>(random() & 0xFF);
        for (const std::string& damaged :
             {std::string(), original.substr(0, original.size() / 2), scrambled}) {
            std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
            const Result result = run({"--root", copy.string()});
            std::string bad;
            ASSERT_TRUE(result.status == 0 && wellformed(result.out, bad) &&
                        result.out.find("    Hardware Overview:\n") != std::string::npos)
                << file << ": \"" << bad << "\"";
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << original;
    }
    fs::remove_all(copy / "sys" / "devices");
    const Result broken = run({"--root", copy.string()});
    std::string bad;
    EXPECT_TRUE(broken.status == 0 && wellformed(broken.out, bad)) << bad;
}

// The last tree holds three files of /proc alone, too few to damage one by one.
INSTANTIATE_TEST_SUITE_P(Trees, SystemProfilerDamagedTree,
                         ::testing::ValuesIn(std::begin(Trees), std::end(Trees) - 1),
                         [](const ::testing::TestParamInfo<const char*>& entry) {
                             return std::regex_replace(entry.param, std::regex("-"), "_");
                         });

} // namespace
} // namespace mdx::sysprof
