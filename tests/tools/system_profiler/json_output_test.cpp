// The JSON form and the detail levels: the same facts as the text form, nested the same way, on
// every copied tree; values that JSON must escape; what "-detailLevel mini" leaves out.
#include "support/testing.h"

#include <regex>

#include <nlohmann/json.hpp>

#include "tools/system_profiler/json_output.h"
#include "tools/system_profiler/profiler.h"

namespace mdx::sysprof {
namespace {

using Json = nlohmann::ordered_json;
const std::string Fixtures = SYSTEM_PROFILER_TESTS "/fixtures/";
const char* const Trees[] = {"hybrid-laptop", "desktop-amd", "ryzen-desktop", "qemu-vm",
                             "micro-vm",      "arm-board",   "amd-laptop",    "riscv-board"};

std::string run(const std::vector<std::string>& arguments, char point = '.') {
    std::ostringstream out, err;
    EXPECT_EQ(runprofiler(arguments, "", out, err, point), 0) << err.str();
    return out.str();
}

// The text form's lines without indentation or blank lines, read from the JSON form: a
// section's name, its keys, each group and list under its name, then its subsections.
void textlines(const Json& json, std::string& lines) {
    for (const auto& [key, value] : json.items()) {
        if (value.is_string())
            lines += (key == "_name" ? "" : key + ": ") + std::string(value) +
                     (key == "_name" ? ":\n" : "\n");
        else if (json.is_array() || key == "_items")
            textlines(value, lines);
        else
            textlines(value, lines += key + ":\n");
    }
}

// Every data type of every tree, under both decimal separators: one array per data type asked
// for, in order, which read back gives the text form's lines in order.
TEST(SystemProfilerJson, SameFactsAndNestingAsTheTextForm) {
    for (const char* name : Trees) {
        for (const char point : {'.', ','}) {
            SCOPED_TRACE(std::string(name) + " " + point);
            const Json whole = Json::parse(run({"--root", Fixtures + name, "-json"}, point));
            std::vector<std::string> keys;
            for (const auto& [key, value] : whole.items())
                keys.push_back(key);
            EXPECT_EQ(keys, datatypes());
            for (const std::string& type : datatypes()) {
                const std::string text = run({"--root", Fixtures + name, type}, point);
                std::string lines = text.substr(0, text.find('\n') + 1);
                textlines(whole.at(type), lines);
                const std::string flat = std::regex_replace(text, std::regex("\n +"), "\n");
                EXPECT_EQ(lines, std::regex_replace(flat, std::regex("\n\n+"), "\n")) << type;
            }
        }
    }
    EXPECT_EQ(run({"--root", Fixtures + "micro-vm", "-json", "SPUSBDataType"}),
              "{\n  \"SPUSBDataType\": []\n}\n");
}

// Quotes, backslashes, control bytes and bytes that are not UTF-8 come out as valid JSON that
// reads back as the value (the last as U+FFFD).
TEST(SystemProfilerJson, ValuesThatNeedEscapingStayValid) {
    Section section("Name \"quoted\"");
    section.fields = {{"Key \\", "a\"b\\c\x01\x1f\td\n"}, {"Broken", "x\xff\xfey"}};
    const Json read = Json::parse(renderjson({{"SPTestDataType", {section}}})).at("SPTestDataType");
    EXPECT_EQ(read,
              Json::parse(R"([{"_name": "Name \"quoted\"", "Key \\": "a\"b\\c\u0001\u001f\td\n",
                                     "Broken": "x\ufffd\ufffdy"}])"));
}

// "mini" prints the full text less the lines of serial numbers and addresses (and groups left
// empty by that), in both forms, and hides a MAC address inside an interface name
// ("enx00e04c680a1b" on hybrid-laptop's USB adapter); "basic" and "full" print it all; another
// level is refused.
TEST(SystemProfilerDetailLevel, MiniLeavesOutSerialNumbersAndAddresses) {
    const std::regex identifying(" *(Serial Number.*|GUID|Port Name|Node Name|MAC Address|"
                                 "IPv4 Addresses|Addresses|Router|ARPResolved.*): .*\n");
    for (const char* name : Trees) {
        SCOPED_TRACE(name);
        const std::string root = Fixtures + name, full = run({"--root", root});
        const std::regex emptygroup("\n( {6}| {10})[^ ][^:\n]*:\n(?=\n)");
        const std::regex macname("enx[0-9a-f]{12}");
        const std::string mini = run({"--root", root, "-detailLevel", "mini"});
        const std::string kept = std::regex_replace(full, identifying, "");
        EXPECT_EQ(mini, std::regex_replace(std::regex_replace(kept, emptygroup, "\n"), macname,
                                           "enx************"));
        EXPECT_EQ(mini, std::regex_replace(mini, macname, "enx************"));
        EXPECT_EQ(run({"--root", root, "-detailLevel", "basic"}), full);
        EXPECT_EQ(run({"-detailLevel", "full", "--root", root}), full);
        std::string lines;
        textlines(Json::parse(run({"--root", root, "-json", "-detailLevel", "mini"})), lines);
        EXPECT_FALSE(std::regex_search(lines, identifying)) << lines;
        EXPECT_FALSE(std::regex_search(lines, macname)) << lines;
    }
    std::ostringstream out, err;
    EXPECT_EQ(runprofiler({"-detailLevel", "huge"}, "", out, err), 2);
    EXPECT_NE(err.str().find("Unbekannte Detailstufe huge"), std::string::npos);
}

} // namespace
} // namespace mdx::sysprof
