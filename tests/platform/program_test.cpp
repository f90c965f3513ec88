// The program as a whole: batch runs and the command line's errors (the desktop under a real X
// server is xvfb_desktop_test.sh).
#include <gtest/gtest.h>

#include <QProcess>

#include <fstream>

#include "support/png_io.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

struct ProgramRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

ProgramRun runprogram(const QStringList& arguments, const TempDir& home) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path()));
    process.setProcessEnvironment(environment);
    process.start(MIRADEX_PROGRAM, arguments);
    ProgramRun run;
    if (!process.waitForFinished(120000)) return run;
    run.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = process.readAllStandardOutput().toStdString();
    run.Err = process.readAllStandardError().toStdString();
    return run;
}

void writefile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(ProgramTest, CommandLineErrorsAndInformation) {
    TempDir home;
    const ProgramRun bogus = runprogram({"--bogus"}, home);
    EXPECT_EQ(bogus.Code, 2);
    EXPECT_NE(bogus.Err.find("Unbekannte Option „--bogus“"), std::string::npos);
    EXPECT_EQ(bogus.Out, "");
    const ProgramRun version = runprogram({"--version"}, home);
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out.rfind("Miradex ", 0), 0u);
    EXPECT_NE(runprogram({"--help"}, home).Out.find("--batch"), std::string::npos);
}

// Every document given goes to the report opener, in order, whatever its name; the log goes to
// standard error. The last document is no saved report, so its refusal is the screen left (had
// the saved report come last, its text would be).
TEST(ProgramTest, BatchOpensEachDocumentInOrderAndPrintsTheScreen) {
    TempDir home;
    writefile(home.file("bericht.mirdx"), "Miradex-Bericht\r");
    writefile(home.file("notiz.txt"), "keine Info-Datei");
    const ProgramRun run =
        runprogram({"--batch", QString::fromStdString(home.file("bericht.mirdx")),
                    QString::fromStdString(home.file("notiz.txt"))},
                   home);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out,
              std::string(11, '\n') + std::string(24, ' ') + "Diese Datei ist keine Info-Datei\n");
    EXPECT_NE(run.Err.find("applicationDidFinishLaunching: End."), std::string::npos);
    EXPECT_EQ(count(run.Out, "applicationDidFinishLaunching"), 0); // no log on the screen text
}

TEST(ProgramTest, BatchWritesThePictureOfWindowZero) {
    TempDir home;
    const ProgramRun run =
        runprogram({"--batch", "--png", QString::fromStdString(home.file("w0.png"))}, home);
    EXPECT_EQ(run.Code, 0) << run.Err;
    const std::optional<WindowImage> picture = readpng(home.file("w0.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width, 1312);
    EXPECT_EQ(picture->Height, 800);

    const ProgramRun unwritable = runprogram({"--batch", "--png", "/nonexistent/dir/w0.png"}, home);
    EXPECT_EQ(unwritable.Code, 1);
    EXPECT_NE(unwritable.Err.find("konnte nicht"), std::string::npos);
}

} // namespace
} // namespace mdx::test
