// The program as a whole from its command line (its errors and information are
// tests/platform/command_line_test.cpp's): documents opened in order, and a start without any
// display (the desktop under a real X server is xvfb_desktop_test.sh).
#include "support/testing.h"

#include "e2e_support.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;

// Every document given goes to the report opener, in order, whatever its name; the log goes to
// standard error. The saved report is shown, the next is no saved report and its refusal is the
// screen left, and a missing last one keeps that screen: the run fails naming both (the reasons
// of every failed open are DocumentTest.FailedOpensKeepTheScreenAndTellWhy's).
TEST(ProgramTest, BatchOpensEachDocumentInOrderAndPrintsTheScreen) {
    TempDir home;
    std::ofstream(home.file("bericht.mirdx")) << "Miradex-Bericht\r";
    std::ofstream(home.file("notiz.txt")) << "keine Info-Datei";
    const ProgramRun run = runprogram(
        {"--batch", home.file("bericht.mirdx"), home.file("notiz.txt"), home.file("fehlt.mirdx")},
        {{"XDG_RUNTIME_DIR", home.path()}});
    EXPECT_TRUE(e2e::failedsaying(run, "miradex: \u201E" + home.file("notiz.txt") +
                                           "\u201C ist keine Info-Datei. Gesicherte Berichte "
                                           "haben Namen, die auf \u201E.mirdx\u201C enden.\n") &&
                run.Errors.find("miradex: \u201E" + home.file("fehlt.mirdx") +
                                "\u201C konnte nicht geöffnet werden. Die Datei oder ihr Ordner "
                                "wurde nicht gefunden.\n") != std::string::npos)
        << run.Errors;
    EXPECT_EQ(run.Output,
              std::string(11, '\n') + std::string(24, ' ') + "Diese Datei ist keine Info-Datei\n");
    EXPECT_NE(run.Errors.find("applicationDidFinishLaunching: End."), std::string::npos);
}

// Display mode 2 stores control codes in cells (a document's "ESC [2J" and window-title bytes):
// standard output and the saved copy carry them as control pictures, never as control bytes,
// and the copy reopens as the same screen.
TEST(ProgramTest, ControlCodesInCellsReachNoTerminalAndNoFile) {
    TempDir home;
    std::ofstream(home.file("steuer.mirdx")) << "Titel \x1F[[2J]0;fremd\x07\x13 Ende\r";
    const auto controls = [](const std::string& text, char lineend) {
        return std::count_if(text.begin(), text.end(), [&](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != lineend;
        });
    };
    const Environment own{{"XDG_RUNTIME_DIR", home.path()}};
    const ProgramRun run =
        runprogram({"--batch", home.file("steuer.mirdx"), "--save", home.file("kopie.mirdx")}, own);
    const std::string copy = test::readfile(home.file("kopie.mirdx"));
    EXPECT_EQ(std::tuple(run.Status, controls(run.Output, '\n'), controls(copy, '\r')),
              std::tuple(0, 0, 0));
    EXPECT_NE(run.Output.find("Titel \u241B\u241B2\u240A\u241D0;"), std::string::npos)
        << run.Output;
    EXPECT_EQ(runprogram({"--batch", home.file("kopie.mirdx")}, own).Output, run.Output);
}

// Started without a display it can reach, the desktop program says so in German and ends with
// status 1, instead of Qt's English text and an abort.
TEST(NoDisplayTest, EndsWithTheGermanLineAndStatusOne) {
    const Environment cases[] = {{},
                                 {{"DISPLAY", ":4711"}},
                                 {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "nirgends"}}};
    for (Environment settings : cases) {
        TempDir home;
        const std::string what = settings.empty() ? "ohne Anzeige" : settings.begin()->first;
        settings.insert({{"DISPLAY", std::nullopt},
                         {"WAYLAND_DISPLAY", std::nullopt},
                         {"QT_QPA_PLATFORM", std::nullopt},
                         {"XDG_RUNTIME_DIR", home.path()}});
        const ProgramRun run = runprogram({}, settings);
        EXPECT_EQ(run.Status, 1) << what;
        EXPECT_TRUE(run.Errors.ends_with("Keine Anzeige gefunden (weder X11 noch Wayland). Ohne "
                                         "Anzeige arbeitet „miradex --batch“.\n"))
            << what << ": " << run.Errors;
        EXPECT_EQ(run.Errors.find("Qt platform plugin"), std::string::npos) << what;
    }
}

} // namespace
} // namespace mdx::e2e
