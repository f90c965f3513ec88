// The bundled profiler run on the fixture trees of known machines, fed through the report: the
// report lines that come from the profiler are compared with the expected lines of each machine.
// MIRADEX_REBASELINE=1 rewrites the expected files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e_support.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;

// Lines whose values come from this machine or the clock rather than from the profiler.
const char* const LocalLabels[] = {"Anzahl Threads", "RAM Speicher",       "Hostname",
                                   "Linux Version",  "Eingeschaltet seit", "Single-Core",
                                   "Multi-Core",     "Internet-Adresse"};

bool islocal(const std::string& line) {
    for (const char* label : LocalLabels)
        if (line.rfind(label, 0) == 0) return true;
    return false;
}

std::string readfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A system_profiler command that runs the bundled one on a fixture tree.
void writewrapper(const TempDir& dir, const std::string& tree) {
    const std::string path = dir.file("system_profiler");
    std::ofstream(path) << "#!/bin/sh\nexec '" MIRADEX_TEST_BUNDLE
                           "/Contents/Helpers/system_profiler' --root '" MIRADEX_SOURCE_DIR
                           "/tests/system_profiler/fixtures/"
                        << tree << "' \"$@\"\n";
    chmod(path.c_str(), 0755);
}

std::string profilerlines(const std::string& output) {
    std::string kept;
    for (const std::string& line : splitlines(output))
        if (line.find(" = ") != std::string::npos && !islocal(line)) kept += line + "\n";
    return kept;
}

// The program run in batch mode on a fixture tree, with the locale variables naming only LANG.
ProgramRun runonfixture(const TempDir& dir, const std::string& tree, const std::string& lang) {
    writewrapper(dir, tree);
    return runprogram({MIRADEX_PROGRAM, "--batch", "--new"},
                      {{"MIRADEX_COMMAND_PATH", dir.path()},
                       {"MIRADEX_PUBLIC_IP_HOST", ""},
                       {"MIRADEX_MODEL_HOST", ""},
                       {"MIRADEX_BENCH_ADDITIONS", "1000"},
                       {"QT_QPA_PLATFORM", "offscreen"},
                       {"LANG", lang},
                       {"LC_ALL", std::nullopt},
                       {"LC_NUMERIC", std::nullopt}},
                      120);
}

class E2eFixtureReport : public ::testing::TestWithParam<const char*> {};

// The expected lines are those a German user sees: measures with a decimal comma.
TEST_P(E2eFixtureReport, ProfilerFactsReachTheReport) {
    TempDir dir;
    const ProgramRun run = runonfixture(dir, GetParam(), "de_DE.UTF-8");
    ASSERT_TRUE(run.Ended);
    EXPECT_EQ(run.Status, 0);
    const std::string lines = profilerlines(run.Output);
    const std::string expected =
        std::string(MIRADEX_SOURCE_DIR "/tests/e2e/expected/") + GetParam() + ".txt";
    if (const char* rebase = std::getenv("MIRADEX_REBASELINE"); rebase && *rebase == '1')
        std::ofstream(expected, std::ios::binary) << lines;
    EXPECT_EQ(lines, readfile(expected)) << run.Output;
}

// Every report line made from a number is right in both number formats.
TEST(E2eFixtureLocale, NumberLinesUnderGermanAndCLocale) {
    struct Case {
        const char* lang;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases{
        {"de_DE.UTF-8",
         {"Taktfrequenz       = 3,5 GHz", "Anzahl Kerne       = 8", "L2-Cache pro Kern  = 1 MB",
          "L3-Cache           = 16,5 MB", "Grafikkarte        = AMD Radeon Pro W5700X (16 GB VRAM)",
          "Bildschirm         = DELL U2723QE (3.840 x 2.160 Pixel)"}},
        {"C",
         {"Taktfrequenz       = 3.5 GHz", "Anzahl Kerne       = 8", "L2-Cache pro Kern  = 1 MB",
          "L3-Cache           = 16.5 MB", "Grafikkarte        = AMD Radeon Pro W5700X (16 GB VRAM)",
          "Bildschirm         = DELL U2723QE (3.840 x 2.160 Pixel)"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const ProgramRun run = runonfixture(dir, "desktop-amd", c.lang);
        ASSERT_TRUE(run.Ended) << c.lang;
        const std::vector<std::string> shown = splitlines(run.Output);
        for (const std::string& line : c.lines)
            EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end())
                << c.lang << ": " << line << "\n"
                << run.Output;
    }
}

std::string testname(const ::testing::TestParamInfo<const char*>& tree) {
    std::string name = tree.param;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Machines, E2eFixtureReport,
                         ::testing::Values("hybrid-laptop", "desktop-amd", "ryzen-desktop",
                                           "qemu-vm", "micro-vm", "arm-board"),
                         testname);

} // namespace
} // namespace mdx::e2e
