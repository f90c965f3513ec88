// The command line, the batch run's text and the hand-over between two starts.
#include <gtest/gtest.h>

#include "platform/qt/batch_run.h"
#include "platform/qt/command_line.h"
#include "platform/qt/instance_link.h"

namespace mdx::test {
namespace {

// What the command line asks for, in one line: action, new report, batch, save and picture
// paths, the files; or the error.
std::string summary(const qt::CommandLine& line) {
    using Action = qt::CommandLine::Action;
    if (line.What == Action::Error) return "error " + line.Error;
    if (line.What != Action::Run) return line.What == Action::Help ? "help" : "version";
    std::string text = std::string("run") + (line.NewReport ? " new" : "") +
                       (line.Batch ? " batch" : "") + " save=" + line.SavePath +
                       " png=" + line.PngPath;
    for (const std::string& file : line.Files)
        text += " [" + file + "]";
    return text;
}

TEST(CommandLineTest, ArgumentsBecomeTheRunsSettings) {
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--new", "a.mirdx", "b c"}, "run new save= png= [a.mirdx] [b c]"}, {{"x", "--help", "--bogus"}, "help"},
        {{"--batch", "--save", "r.mirdx", "--png=s.png", "f"}, "run batch save=r.mirdx png=s.png [f]"},
        {{"--", "--new", "-"}, "run save= png= [--new] [-]"}, {{"--batch", "--save"}, "error Option „--save“ braucht"},
        {{"--batch", "--png="}, "error Option „--png“ braucht"},
        {{"--png", "a.png"}, "error „--save“ und „--png“ gelten nur zusammen mit"}};
    // clang-format on
    for (const auto& [arguments, expected] : cases) {
        const std::string got = summary(qt::parsecommandline(arguments));
        EXPECT_EQ(got.substr(0, expected.size()), expected) << ::testing::PrintToString(arguments);
    }
}

// Lines end at CR, CR LF or LF; the last line without an end gets one, blank lines are kept.
TEST(CommandLineTest, BatchTextEndsLinesWithLineFeedsWithoutTrailingSpaces) {
    EXPECT_EQ(qt::batchtext(""), "");
    EXPECT_EQ(qt::batchtext("A  \rB\r\nC\n\r  D  \r   "), "A\nB\nC\n\n  D\n\n");
}

// Any path survives the wire; of whatever arrives, only whole records count (the hand-over
// between two programs, of a file name that is no UTF-8 too, is xvfb_desktop_test.sh's).
TEST(InstanceLinkTest, HandOverKeepsEveryPathAndOnlyWholeRecords) {
    const qt::HandOver sent{true, {"/tmp/a b.mirdx", "/tmp/zeile\numbruch", ""}};
    const qt::HandOver received = qt::decodehandover(qt::encodehandover(sent));
    EXPECT_EQ(std::tie(received.NewReport, received.Files),
              std::tuple(true, std::vector<std::string>{"/tmp/a b.mirdx", "/tmp/zeile\numbruch"}));
    const qt::HandOver garbage = qt::decodehandover(QByteArray("Fx\0Q\0\0F\0N", 10));
    EXPECT_EQ(std::tie(garbage.NewReport, garbage.Files),
              std::tuple(true, std::vector<std::string>{"x"}));
    EXPECT_FALSE(qt::decodehandover(QByteArray()).NewReport);
}

} // namespace
} // namespace mdx::test
