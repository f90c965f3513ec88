// Where a batch run's saves and pictures may land: a regular file or a new name, or standard
// output for "-"; never a pipe or a device. A refused save fails the run and leaves what stood
// there as it was. (Links in shared folders: tests/base/kwtools_files_test.cpp.)
#include "support/testing.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "e2e_support.h"
#include "support/png_io.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;
using test::whatstands;

std::string reportfile(const TempDir& dir) {
    std::ofstream(dir.file("bericht.mirdx")) << "Prozessor          = Test\r";
    return dir.file("bericht.mirdx");
}

TEST(E2eSaves, PipesDevicesAndLinksToThemAreRefusedAndStayAsTheyWere) {
    TempDir dir;
    if (mknod(dir.file("geraet").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device needs root";
    ASSERT_EQ(mkfifo(dir.file("rohr").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.file("geraet"), dir.file("geraet-link"));
    std::filesystem::create_symlink(dir.file("rohr"), dir.file("rohr-link"));
    const std::string report = reportfile(dir);
    for (const char* name : {"rohr", "geraet", "geraet-link", "rohr-link"}) {
        const auto was = whatstands(dir.file(name));
        for (const char* option : {"--save", "--png"}) {
            const ProgramRun run = runprogram({"--batch", report, option, dir.file(name)}, {});
            EXPECT_TRUE(failedsaying(run, "Das ist keine gewöhnliche Datei"))
                << option << " " << name << ": " << run.Errors;
            EXPECT_EQ(whatstands(dir.file(name)), was) << option << " " << name;
        }
    }
}

// "-" sends the saved report or the picture to standard output in place of the screen text;
// standard output takes only one of them.
TEST(E2eSaves, ADashWritesToStandardOutput) {
    TempDir dir;
    const std::string report = reportfile(dir);
    ProgramRun run = runprogram({"--batch", report, "--png", "-"}, {});
    EXPECT_EQ(run.Status, 0) << run.Errors;
    std::ofstream(dir.file("aus.png"), std::ios::binary) << run.Output;
    const WindowImage picture = test::readpng(dir.file("aus.png")).value_or(WindowImage{});
    EXPECT_EQ(std::pair(picture.Width, picture.Height), (std::pair<Int, Int>(1312, 800)));

    run = runprogram({"--batch", report, "--save", dir.file("kopie.mirdx")}, {});
    EXPECT_EQ(run.Status, 0) << run.Errors;
    run = runprogram({"--batch", report, "--save", "-"}, {});
    EXPECT_EQ(std::pair(run.Status, run.Output), std::pair(0, contents(dir.file("kopie.mirdx"))));

    const std::vector<std::string> twice[] = {{"--save", "-", "--png", "-"},
                                              {"--png", "-", "--json"}};
    for (std::vector<std::string> arguments : twice) {
        arguments.insert(arguments.begin(), {"--batch", report});
        run = runprogram(arguments, {});
        EXPECT_TRUE(failedsaying(run, "kann auf die Standardausgabe schreiben.")) << run.Errors;
        EXPECT_EQ(run.Output, "");
    }
    EXPECT_FALSE(std::filesystem::exists("-"));
}

} // namespace
} // namespace mdx::e2e
