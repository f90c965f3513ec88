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

Environment machine(const std::string& profiles) {
    return {{"MIRADEX_COMMAND_PATH", Profiles},
            {"E2E_PROFILES", Profiles + "/common.txt " + profiles + Profiles + "/intel.txt"},
            {"MIRADEX_PUBLIC_IP_HOST", ""},
            {"MIRADEX_MODEL_HOST", ""}};
}

// Also where thirteen local addresses would push the report past window 0's last line: the saved
// screen and the JSON still begin with "Hardware", the list ends with how many more.
TEST(E2eJson, ValuesAreTheScreenLinesOfTheSameRun) {
    test::TempDir dir;
    for (const std::string& crowded : {std::string(), Profiles + "/crowded.txt "}) {
        SCOPED_TRACE(crowded);
        const ProgramRun run =
            runprogram({"--batch", "--new", "--json", "--save", dir.file("r")}, machine(crowded));
        ASSERT_EQ(run.Status, 0) << run.Errors;
        const Json json = Json::parse(run.Output);
        std::vector<std::string> fromjson, screen;
        for (const auto& [label, value] : json.items()) {
            const std::string line = label + std::string(18 - label.size(), ' ') + " = " +
                                     (value.is_string() ? std::string(value) : "");
            if (value.is_string())
                fromjson.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
        }
        for (const Text& line : splittext(totext(getstringfromfile(dir.file("r"))), '\r'))
            if (!line.Elements.empty()) screen.push_back(tostring(line));
        // The crowded list wraps on the screen: there the first lines alone are compared.
        if (!crowded.empty()) fromjson.resize(1), screen.resize(1);
        EXPECT_EQ(fromjson, screen);
        EXPECT_EQ(json.begin().key(), "Hardware");
        EXPECT_EQ(std::string(json.at("Computer-Adresse")).ends_with(" ... und 6 weitere"),
                  !crowded.empty());
        for (const char* benchmark : {"Single-Core", "Multi-Core"})
            EXPECT_EQ(json.at("GFLOPs").at(benchmark),
                      std::stod(replacestring(replacestring(json.at(benchmark), ".", "", true), ",",
                                              ".", true)));
    }
    const Environment environment = machine("");
    // A label that comes twice keeps both values.
    std::ofstream(dir.file("zwei.mirdx")) << "Bildschirm         = A\rBildschirm         = B\r";
    EXPECT_EQ(
        Json::parse(runprogram({"--batch", "--json", dir.file("zwei.mirdx")}, environment).Output)
            .at("Bildschirm"),
        Json::array({"A", "B"}));
    // A screen without a report gives an empty object and status 1; no JSON without "--batch".
    std::ofstream(dir.file("leer.txt")) << "Hardware           = kein Bericht\r";
    const ProgramRun refused = runprogram({"--batch", "--json", dir.file("leer.txt")}, environment);
    EXPECT_EQ(std::pair(refused.Status, refused.Output), std::pair(1, std::string("{}\n")));
    EXPECT_EQ(runprogram({"--json"}, environment).Status, 2);
}

} // namespace
} // namespace mdx::e2e
