// The profiler command and the network lookups, against fake "system_profiler" and "curl"
// commands found through MIRADEX_COMMAND_PATH.
#include "support/testing.h"

#include "report/commands.h"
#include "report/profiler.h"
#include "support/files.h"
#include "support/http_server.h"
#include "support/runtime_fixture.h"
#include "support/scoped_env.h"

namespace mdx::test {
namespace {

// The fake profiler prints <type>.txt for a type (list.txt for the list) and <type>.err on its
// error output, and notes every call in calls.log.
const char* FakeProfiler = R"(d=$(dirname "$0"); echo "$1" >> "$d/calls.log"
name="$1"; [ "$1" = -listDataTypes ] && name=list
[ -f "$d/$name.txt" ] && cat "$d/$name.txt"; [ -f "$d/$name.err" ] && cat "$d/$name.err" >&2
exit 0)";

// The fake curl notes its arguments and answers with answer.txt, and progress.txt on its error
// output.
const char* FakeCurl = R"(d=$(dirname "$0"); echo "$@" >> "$d/curl.log"
[ -f "$d/answer.txt" ] && cat "$d/answer.txt"; [ -f "$d/progress.txt" ] && cat "$d/progress.txt" >&2
exit 0)";

class ProfilerTest : public RuntimeTest {
  protected:
    ProfilerTest() {
        writescript(dir.file("system_profiler"), FakeProfiler);
        writescript(dir.file("curl"), FakeCurl);
        writefile(dir.file("list.txt"),
                  "Available Datatypes:\nSPHardwareDataType\nSPAudioDataType\nSPUSBDataType\n");
    }
    void answer(const std::string& type, const std::string& text) {
        writefile(dir.file(type + ".txt"), text);
    }
    std::string calls() { return readfile(dir.file("calls.log")); }

    TempDir dir;
    ScopedEnv path{"MIRADEX_COMMAND_PATH", dir.path()};
    ScopedEnv addressHost{"MIRADEX_PUBLIC_IP_HOST", "echo.test:8080"};
    ScopedEnv modelHost{"MIRADEX_MODEL_HOST", "modelle.test"};
};

// Line feeds become carriage returns, the error output is logged and kept out of the text, an
// unknown data type is not asked for, and the list is fetched once.
TEST_F(ProfilerTest, LineFeedsBecomeCarriageReturnsAndTheListIsFetchedOnce) {
    answer("SPHardwareDataType", "eins\nzwei: 2\n\ndrei\xC3\xA4");
    answer("SPAudioDataType", "Audio:\n");
    writefile(dir.file("SPAudioDataType.err"), "warning\n");
    writefile(dir.file("SPUSBDataType.err"), "failed\n");
    const std::string hardware = "eins\rzwei: 2\r\rdrei\xC3\xA4";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"SPHardwareDataType", hardware}, {"SPHardwareDataType", hardware},
        {"SPMadeUpDataType", ""}, {"SPAudioDataType", "Audio:\r"}, {"SPUSBDataType", ""}};
    // clang-format on
    for (const auto& [type, text] : cases)
        EXPECT_EQ(systemprofiler(type), totext(text)) << type;
    EXPECT_EQ(calls(), "-listDataTypes\nSPHardwareDataType\nSPHardwareDataType\nSPAudioDataType\n"
                       "SPUSBDataType\n");
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"systemprofiler: Unknown data-type",
                                        "systemprofiler: Error -3 while getting SPAudioDataType",
                                        "systemprofiler: Error -2 while getting SPUSBDataType"}));
}

// A failed list is kept (the error message names no data type); a missing profiler is looked for
// again on each call.
TEST_F(ProfilerTest, FailedListIsKeptAndAMissingProfilerIsLookedForAgain) {
    std::filesystem::remove(dir.file("list.txt"));
    writefile(dir.file("list.err"), "kaputt\n");
    answer("SPHardwareDataType", "Hardware:\n");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(systemprofiler("SPHardwareDataType"), Text{});
    EXPECT_EQ(calls(), "-listDataTypes\n");
    resetruntime(); // a fresh program fetches the list again
    std::filesystem::remove(dir.file("system_profiler"));
    setbundlepath(dir.file("kein.app"));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(systemprofiler("SPHardwareDataType"), Text{});
    const std::string nolist = "systemprofiler: Could not get data-type-list";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{nolist, "systemprofiler: Unknown data-type",
                                                     nolist, nolist}));
}

// The profiler's output is read up to 16 MiB; more is a failed run with a log line, not a text
// cut somewhere.
TEST_F(ProfilerTest, OutputBeyondItsBoundIsAFailedRun) {
    constexpr std::size_t bound = 16u << 20;
    const std::string type = "SPAudioDataType";
    for (const std::size_t size : {bound, bound + 1}) {
        writescript(dir.file(type + ".sh"),
                    "head -c " + std::to_string(size) + " /dev/zero | tr '\\0' a\n");
        writescript(dir.file("system_profiler"),
                    "[ \"$1\" = -listDataTypes ] && exec cat \"$(dirname \"$0\")/list.txt\"\n"
                    "exec \"$(dirname \"$0\")/$1.sh\"\n");
        log.clear();
        EXPECT_EQ(systemprofiler(type).Elements.size(), size == bound ? bound : 0) << size;
        EXPECT_EQ(log.contains("systemprofiler: Output of " + type + " longer than 16 MiB"),
                  size > bound);
    }
}

// With the real curl against 127.0.0.1: only a successful status gives an answer. An error page
// or a redirect whose body reads like an address or holds a model name gives nothing.
TEST(ProfilerLookups, OnlyASuccessfulStatusGivesAnAnswer) {
    if (resolvecommand("curl").empty()) GTEST_SKIP() << "no curl";
    const ScopedEnv direct{"no_proxy", "*"};
    const std::string model = "<configCode>Mac mini (2018)</configCode>";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"200 OK", "203.0.113.9", "Mac Mini (2018)"},
        {"500 Internal Server Error", "", ""},
        {"302 Found", "", ""}};
    for (const auto& [status, address, name] : cases) {
        const std::string headers = status.starts_with("302") ? "Location: /anders\r\n" : "";
        HttpServer addressServer(
            [&](auto&) { return httpresponse(status, "203.0.113.9\n", headers); });
        HttpServer modelServer([&](auto&) { return httpresponse(status, model, headers); });
        const ScopedEnv addressHost{"MIRADEX_PUBLIC_IP_HOST", addressServer.host()};
        const ScopedEnv modelHost{"MIRADEX_MODEL_HOST", modelServer.host()};
        EXPECT_EQ(std::pair(publicaddress(), lookupmodelname("C07XK1ABJYVW")),
                  std::pair(address, name))
            << status;
    }
}

TEST(ProfilerDevices, ThunderboltNotesDoNotCount) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"Thunderbolt:\r    Bus 0:\r", "ThunderBolt", true},
        {"Thunderbolt:\r  Thunderbolt: No drivers are loaded\r", "ThunderBolt", false},
        {"Thunderbolt:\r  Thunderbolt: No hardware was found\r", "USB", true},
        {"Thunderbolt: No drivers are loaded\r", "ThunderBolt", false},
        {"USB:", "USB", false}};
    for (const auto& [text, name, shown] : cases)
        EXPECT_EQ(profilershowsdevice(totext(text), name), shown) << text;
}

TEST_F(ProfilerTest, PublicAddressIsTheFirstLineOfTheAnswer) {
    // Control codes around an address are dropped; what is then no address gives none.
    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"203.0.113.7", "", "203.0.113.7"}, {"\r203.0.113.7", "", ""},
        {"203.0.113.7", "  % Total    % Received\r\n", "203.0.113.7"},
        {"", "curl: (7) Failed to connect\n", ""},
        {"2001:db8::7\n", "", "2001:db8::7"}, {"203.0.113.999", "", ""},
        {"\033A\f203.0.113.9\f\033A\n", "", ""}, {"\f203.0.113.9\033\n", "", "203.0.113.9"},
        {"<html><head><title>404 Not Found</title></head></html>\n", "", ""},
        // An answer is read up to 1,024 bytes; a longer one is a failed lookup, not a cut one.
        {"203.0.113.7\n" + std::string(1012, 'x'), "", "203.0.113.7"},
        {"203.0.113.7\n" + std::string(1013, 'x'), "", ""}};
    // clang-format on
    for (const auto& [body, progress, address] : cases) {
        writefile(dir.file("answer.txt"), body);
        writefile(dir.file("progress.txt"), progress);
        EXPECT_EQ(publicaddress(), address) << body << progress;
    }
    EXPECT_TRUE(readfile(dir.file("curl.log")).starts_with("-q --fail ") &&
                readfile(dir.file("curl.log")).find(" echo.test:8080/plain\n") !=
                    std::string::npos);
}

TEST_F(ProfilerTest, EmptyHostSwitchesTheLookupOffAndOptionsAreRefused) {
    ScopedEnv offAddress{"MIRADEX_PUBLIC_IP_HOST", ""};
    ScopedEnv offModel{"MIRADEX_MODEL_HOST", ""};
    writefile(dir.file("answer.txt"), "<configCode>X</configCode>");
    EXPECT_TRUE(publicaddress().empty() && lookupmodelname("C07XK1ABJYVW").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("curl.log")));
    ScopedEnv unsetAddress{"MIRADEX_PUBLIC_IP_HOST", std::nullopt};
    ScopedEnv optionModel{"MIRADEX_MODEL_HOST", "--output=/tmp/x"};
    EXPECT_FALSE(publicaddresshost().empty());
    EXPECT_EQ(modelnamehost(), "");
}

TEST(ProfilerLookups, SerialQueryAndModelNameFromTheAnswer) {
    // Four characters from the serial's end, encoded.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"AB", "AB"}, {"12+/ Z", "%2B%2F%20Z"},
        {"a&b=c", "%26b%3Dc"}, {"xx\303\244abc", "%C3%A4abc"}, {"", ""}};
    // clang-format on
    for (const auto& [serial, query] : cases)
        EXPECT_EQ(serialquery(serial), query) << serial;
    // The model name is the configCode element's text (tests/e2e's online run shortens the ports
    // and asks with the last four characters of a whole serial).
    const std::pair<std::string, std::string> answers[] = {
        {"<configCode>iMac\033A\f (2020)</configCode>", "iMacA (2020)"},
        {"<configCode>Mac mini (2018, Mac mini)</configCode>", "Mac Mini (2018, Mac mini)"},
        {"<configCode>offen", ""},
        {"</configCode><configCode>", ""}};
    for (const auto& [answer, name] : answers)
        EXPECT_EQ(modelnamefromanswer(answer), name) << answer;
}

} // namespace
} // namespace mdx::test
