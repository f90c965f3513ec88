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

TEST(E2eJson, ValuesAreTheScreenLinesOfTheSameRun) {
    const std::string profiles = MIRADEX_SOURCE_DIR "/tests/e2e/profiles";
    const std::map<std::string, std::optional<std::string>> environment = {
        {"MIRADEX_COMMAND_PATH", profiles},
        {"E2E_PROFILES", profiles + "/common.txt " + profiles + "/intel.txt"},
        {"MIRADEX_PUBLIC_IP_HOST", ""},
        {"MIRADEX_MODEL_HOST", ""}};
    test::TempDir dir;
    const ProgramRun run =
        runprogram({"--batch", "--new", "--json", "--save", dir.file("r")}, environment);
    ASSERT_EQ(run.Status, 0);
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
    for (const char* benchmark : {"Single-Core", "Multi-Core"})
        EXPECT_EQ(json.at("GFLOPs").at(benchmark),
                  std::stod(replacestring(replacestring(json.at(benchmark), ".", "", true), ",",
                                          ".", true)));
    // A screen without a report gives an empty object and status 1; no JSON without "--batch".
    std::ofstream(dir.file("leer.txt")) << "Hardware           = kein Bericht\r";
    const ProgramRun refused = runprogram({"--batch", "--json", dir.file("leer.txt")}, environment);
    EXPECT_EQ(std::pair(refused.Status, refused.Output), std::pair(1, std::string("{}\n")));
    EXPECT_EQ(runprogram({"--json"}, environment).Status, 2);
}

} // namespace
} // namespace mdx::e2e
