// "miradex --batch --new --json": the JSON parses, and its values are the lines of the screen
// that the same run saves with "--save"; the benchmark figures are the numbers those lines show.
#include "support/testing.h"

#include <nlohmann/json.hpp>

#include "base/kwtools.h"
#include "e2e_support.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using Json = nlohmann::ordered_json;

const std::string Profiles = MIRADEX_SOURCE_DIR "/tests/e2e/profiles";

Environment machine() {
    return {{"MIRADEX_COMMAND_PATH", Profiles},
            {"E2E_PROFILES", Profiles + "/common.txt " + Profiles + "/intel.txt"},
            {"MIRADEX_PUBLIC_IP_HOST", ""},
            {"MIRADEX_MODEL_HOST", ""}};
}

// The benchmark figures of the real measurement read back as numbers. (A crowded report's record
// holds what window 0 shows: ReportRunTest.ACrowdedReportFitsTheWindow.)
TEST(E2eJson, ValuesAreTheScreenLinesOfTheSameRun) {
    test::TempDir dir;
    const Environment environment = machine();
    const ProgramRun run =
        runprogram({"--batch", "--new", "--json", "--save", dir.file("r")}, environment);
    ASSERT_EQ(run.Status, 0) << run.Errors;
    const Json json = Json::parse(run.Output);
    std::vector<std::string> fromjson, screen;
    for (const auto& [label, value] : json.items()) {
        const std::string line = label + std::string(18 - label.size(), ' ') + " = " +
                                 (value.is_string() ? std::string(value) : "");
        if (value.is_string()) fromjson.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    }
    for (const Text& line : splittext(totext(getstringfromfile(dir.file("r"))), '\r'))
        if (!line.Elements.empty()) screen.push_back(tostring(line));
    EXPECT_EQ(fromjson, screen);
    EXPECT_EQ(json.begin().key(), "Hardware");
    for (const char* benchmark : {"Single-Core", "Multi-Core"})
        EXPECT_EQ(json.at("GFLOPs").at(benchmark),
                  std::stod(replacestring(replacestring(json.at(benchmark), ".", "", true), ",",
                                          ".", true)));
    // A label that comes twice keeps both values.
    std::ofstream(dir.file("zwei.mirdx")) << "Bildschirm         = A\rBildschirm         = B\r";
    EXPECT_EQ(
        Json::parse(runprogram({"--batch", "--json", dir.file("zwei.mirdx")}, environment).Output)
            .at("Bildschirm"),
        Json::array({"A", "B"}));
    // A screen without a report gives an empty object and status 1; no JSON without "--batch".
    std::ofstream(dir.file("leer.txt")) << "Hardware           = kein Bericht\r";
    const ProgramRun refused = runprogram({"--batch", "--json", dir.file("leer.txt")}, environment);
    EXPECT_TRUE(failedsaying(refused, "miradex: Der Bildschirm zeigt keinen Bericht.\n") &&
                refused.Output == "{}\n")
        << refused.Output << refused.Errors;
    EXPECT_EQ(runprogram({"--json"}, environment).Status, 2);
}

} // namespace
} // namespace mdx::e2e
