// The program as a whole: batch runs and the command line's errors (the desktop under a real X
// server is xvfb_desktop_test.sh).
#include "support/testing.h"

#include <QProcess>

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
    if (!process.waitForFinished(120000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

TEST(ProgramTest, CommandLineErrorsAndInformation) {
    TempDir home;
    const ProgramRun bogus = runprogram({"--bogus"}, home);
    EXPECT_EQ(std::tie(bogus.Code, bogus.Out), std::tuple(2, ""));
    EXPECT_NE(bogus.Err.find("Unbekannte Option „--bogus“"), std::string::npos);
    const ProgramRun version = runprogram({"--version"}, home);
    EXPECT_EQ(std::tuple(version.Code, version.Out.substr(0, 8)), std::tuple(0, "Miradex "));
    EXPECT_NE(runprogram({"--help"}, home).Out.find("--batch"), std::string::npos);
}

// Every document given goes to the report opener, in order, whatever its name; the log goes to
// standard error. The last document is no saved report, so its refusal is the screen left (had
// the saved report come last, its text would be).
TEST(ProgramTest, BatchOpensEachDocumentInOrderAndPrintsTheScreen) {
    TempDir home;
    std::ofstream(home.file("bericht.mirdx")) << "Miradex-Bericht\r";
    std::ofstream(home.file("notiz.txt")) << "keine Info-Datei";
    const ProgramRun run =
        runprogram({"--batch", QString::fromStdString(home.file("bericht.mirdx")),
                    QString::fromStdString(home.file("notiz.txt"))},
                   home);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out,
              std::string(11, '\n') + std::string(24, ' ') + "Diese Datei ist keine Info-Datei\n");
    EXPECT_NE(run.Err.find("applicationDidFinishLaunching: End."), std::string::npos);
}

} // namespace
} // namespace mdx::test
