// "miradex --batch --new --json": the JSON parses, and its values are the lines of the screen
// that the same run saves with "--save"; the benchmark figures are the numbers those lines show.
#include "support/testing.h"

#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "base/kwtools.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using Json = nlohmann::ordered_json;
const std::string Profiles = MIRADEX_SOURCE_DIR "/tests/e2e/profiles";

std::pair<int, std::string> program(const std::string& arguments) {
    const std::string command = "env MIRADEX_COMMAND_PATH='" + Profiles + "' E2E_PROFILES='" +
                                Profiles + "/common.txt " + Profiles +
                                "/intel.txt' MIRADEX_PUBLIC_IP_HOST= MIRADEX_MODEL_HOST= "
                                "MIRADEX_BENCH_ADDITIONS=1000 QT_QPA_PLATFORM=offscreen timeout "
                                "-s KILL 60 '" MIRADEX_PROGRAM "' " +
                                arguments + " 2>/dev/null";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[65536];
    for (std::size_t count; pipe && (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, count);
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

double figure(const Json& value) {
    return std::stod(replacestring(replacestring(value, ".", "", true), ",", ".", true));
}

TEST(E2eJson, ValuesAreTheScreenLinesOfTheSameRun) {
    test::TempDir dir;
    const auto [status, output] = program("--batch --new --json --save '" + dir.file("r") + "'");
    ASSERT_EQ(status, 0);
    std::ofstream(dir.file("r.json"), std::ios::binary) << output;
    EXPECT_EQ(std::system(("python3 -m json.tool '" + dir.file("r.json") + "' >/dev/null").c_str()),
              0);
    const Json json = Json::parse(output);
    std::vector<std::string> fromjson, screen;
    for (const auto& [label, value] : json.items()) {
        if (!value.is_string()) continue;
        std::string line = label + std::string(18 - label.size(), ' ') + " = " + std::string(value);
        fromjson.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    }
    for (const Text& line : splittext(totext(getstringfromfile(dir.file("r"))), '\r'))
        if (!line.Elements.empty()) screen.push_back(tostring(line));
    EXPECT_EQ(fromjson, screen);
    EXPECT_GT(fromjson.size(), 20u);
    EXPECT_EQ(json.at("GFLOPs").at("Single-Core"), figure(json.at("Single-Core")));
    EXPECT_EQ(json.at("GFLOPs").at("Multi-Core"), figure(json.at("Multi-Core")));
    // A screen without a report gives an empty object and status 1; no JSON without "--batch".
    std::ofstream(dir.file("leer.txt")) << "Hardware           = kein Bericht\r";
    EXPECT_EQ(program("--batch --json '" + dir.file("leer.txt") + "'"),
              std::pair(1, std::string("{}\n")));
    EXPECT_EQ(program("--json").first, 2);
}

} // namespace
} // namespace mdx::e2e
