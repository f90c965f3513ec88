// Where a batch run's saves and pictures may land: a regular file or a new name, or standard
// output for "-"; never a pipe. A refused save fails the run and leaves what stood there as it
// was.
#include "support/testing.h"

#include <sys/stat.h>

#include "e2e_support.h"
#include "support/png_io.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;

std::string reportfile(const TempDir& dir) {
    std::ofstream(dir.file("bericht.mirdx")) << "Prozessor          = Test\r";
    return dir.file("bericht.mirdx");
}

// Both go through the writer that refuses what is no regular file (every kind of it, and links
// to them: FileTest.SavesRefuseWhatIsNoRegularFileOrNotTheUsersToWrite).
TEST(E2eSaves, APipeIsRefusedAndStaysAsItWas) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("rohr").c_str(), 0600), 0);
    const std::string report = reportfile(dir);
    for (const char* option : {"--save", "--png"}) {
        const ProgramRun run = runprogram({"--batch", report, option, dir.file("rohr")}, {});
        EXPECT_TRUE(failedsaying(run, "Das ist keine gewöhnliche Datei"))
            << option << ": " << run.Errors;
        EXPECT_TRUE(std::filesystem::is_fifo(dir.file("rohr"))) << option;
    }
}

// A file or "-", which sends the saved report or the picture to standard output in place of the
// screen text: the same bytes; the picture is a PNG of window 0's whole picture. Standard output
// takes only one of them.
TEST(E2eSaves, ADashWritesToStandardOutput) {
    TempDir dir;
    const std::string report = reportfile(dir);
    for (const char* option : {"--save", "--png"}) {
        ProgramRun run = runprogram({"--batch", report, option, dir.file("kopie")}, {});
        EXPECT_EQ(run.Status, 0) << run.Errors;
        run = runprogram({"--batch", report, option, "-"}, {});
        EXPECT_EQ(std::pair(run.Status, run.Output),
                  std::pair(0, test::readfile(dir.file("kopie"))));
    }
    const WindowImage picture = test::readpng(dir.file("kopie")).value_or(WindowImage{});
    EXPECT_EQ(std::pair(picture.Width, picture.Height), (std::pair<Int, Int>(1312, 800)));

    const std::vector<std::string> twice[] = {{"--save", "-", "--png", "-"},
                                              {"--png", "-", "--json"}};
    for (std::vector<std::string> arguments : twice) {
        arguments.insert(arguments.begin(), {"--batch", report});
        const ProgramRun run = runprogram(arguments, {});
        EXPECT_TRUE(failedsaying(run, "kann auf die Standardausgabe schreiben.")) << run.Errors;
        EXPECT_EQ(run.Output, "");
    }
    EXPECT_FALSE(std::filesystem::exists("-"));
}

} // namespace
} // namespace mdx::e2e
