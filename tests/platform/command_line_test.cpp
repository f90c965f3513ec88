// The command line, the batch run's text and the hand-over between two starts.
#include <gtest/gtest.h>

#include "platform/qt/batch_run.h"
#include "platform/qt/command_line.h"
#include "platform/qt/instance_link.h"
#include "qt_fixture.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

using qt::CommandLine;
using Action = CommandLine::Action;

struct LineCase {
    std::vector<std::string> Arguments;
    Action What;
    bool NewReport;
    bool Batch;
    std::string Save;
    std::string Png;
    std::vector<std::string> Files;
    std::string Error;
};

TEST(CommandLineTest, ArgumentsBecomeTheRunsSettings) {
    const LineCase cases[] = {
        {{}, Action::Run, false, false, "", "", {}, ""},
        {{"--new", "a.mirdx", "b c"}, Action::Run, true, false, "", "", {"a.mirdx", "b c"}, ""},
        {{"--batch", "--save", "r.mirdx", "--png=s.png", "f"},
         Action::Run,
         false,
         true,
         "r.mirdx",
         "s.png",
         {"f"},
         ""},
        {{"--", "--new", "-"}, Action::Run, false, false, "", "", {"--new", "-"}, ""},
        {{"x", "--help", "--bogus"}, Action::Help, false, false, "", "", {}, ""},
        {{"--version"}, Action::Version, false, false, "", "", {}, ""},
        {{"--bogus"}, Action::Error, false, false, "", "", {}, "Unbekannte Option „--bogus“."},
        {{"-x"}, Action::Error, false, false, "", "", {}, "Unbekannte Option „-x“."},
        {{"--batch", "--save"}, Action::Error, false, false, "", "", {}, "„--save“ braucht"},
        {{"--batch", "--png="}, Action::Error, false, false, "", "", {}, "„--png“ braucht"},
        {{"--png", "a.png"}, Action::Error, false, false, "", "", {}, "nur zusammen mit"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Arguments));
        const CommandLine line = qt::parsecommandline(c.Arguments);
        EXPECT_EQ(line.What, c.What);
        if (c.What == Action::Error) {
            EXPECT_NE(line.Error.find(c.Error), std::string::npos) << line.Error;
            continue;
        }
        if (c.What != Action::Run) continue;
        EXPECT_EQ(line.NewReport, c.NewReport);
        EXPECT_EQ(line.Batch, c.Batch);
        EXPECT_EQ(line.SavePath, c.Save);
        EXPECT_EQ(line.PngPath, c.Png);
        EXPECT_EQ(line.Files, c.Files);
    }
}

TEST(CommandLineTest, BatchTextEndsLinesWithLineFeedsWithoutTrailingSpaces) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Miradex", "Miradex\n"},
        {"A  \rB", "A\nB\n"},
        {"A\r\r  B  \r", "A\n\n  B\n"},
        {"x\r\ny\n", "x\ny\n"},
        {"   ", "\n"},
    };
    for (const auto& [screen, printed] : cases)
        EXPECT_EQ(qt::batchtext(screen), printed) << ::testing::PrintToString(screen);
}

TEST(InstanceLinkTest, HandOverSurvivesTheWireWithAnyPath) {
    const qt::HandOver sent{true, {"/tmp/a b.mirdx", "/tmp/zeile\numbruch", "/tmp/Grüße", ""}};
    const qt::HandOver received = qt::decodehandover(qt::encodehandover(sent));
    EXPECT_TRUE(received.NewReport);
    EXPECT_EQ(received.Files,
              (std::vector<std::string>{"/tmp/a b.mirdx", "/tmp/zeile\numbruch", "/tmp/Grüße"}));

    // Whatever arrives, only whole records count.
    const qt::HandOver garbage = qt::decodehandover(QByteArray("Fx\0Q\0\0F\0N", 10));
    EXPECT_TRUE(garbage.NewReport);
    EXPECT_EQ(garbage.Files, std::vector<std::string>{"x"});
    EXPECT_FALSE(qt::decodehandover(QByteArray()).NewReport);
}

TEST(InstanceLinkTest, SecondStartHandsItsFilesToTheRunningProgram) {
    TempDir runtimeDir;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtimeDir.path()));
    EXPECT_FALSE(qt::handtorunninginstance(qt::HandOver{false, {"/tmp/x"}})); // nobody listens

    std::vector<qt::HandOver> received;
    qt::InstanceServer server([&](const qt::HandOver& h) { received.push_back(h); });
    ASSERT_TRUE(server.listening());
    ASSERT_TRUE(qt::handtorunninginstance(qt::HandOver{true, {"/tmp/eins", "/tmp/zwei"}}));
    ASSERT_TRUE(pumpuntil([&] { return !received.empty(); }));
    EXPECT_TRUE(received[0].NewReport);
    EXPECT_EQ(received[0].Files, (std::vector<std::string>{"/tmp/eins", "/tmp/zwei"}));
}

} // namespace
} // namespace mdx::test
