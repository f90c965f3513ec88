// Saved reports: the save panel and what it writes, a failed or cancelled save, opening through
// the menu (documents handed over are opened in tests/platform's batch runs), files that are no
// saved reports whatever their content, files that can be neither opened nor imported, and the
// report's lines as the JSON output reads them back from a screen.
#include "support/testing.h"

#include <sys/stat.h>

#include "report/documents.h"
#include "report/report_facts.h"
#include "report_screen.h"
#include "text/output.h"

namespace mdx::test {
namespace {

const std::string EmptyScreen = "Das Fenster ist leer, es gibt nichts zu sichern.";

class DocumentTest : public ReportScreenTest {
  protected:
    // A report screen with a frame of the runtime's graphic characters around a German line.
    static void drawreport() {
        t_Print(0, "Hardware           = MacBook Pro (13-inch, 2017)\r");
        t_Print(0, "\u0087\u008D\u008D\u0088\r\u008B\u00E4\u00DF\u008B\rEnde");
    }
    const std::vector<std::string> plainreport = {
        "Hardware           = MacBook Pro (13-inch, 2017)", "+--+", "|äß|", "Ende"};
};

TEST_F(DocumentTest, SaveThenOpenGivesBackTheScreenWithPlainCharacters) {
    drawreport();
    modelname() = "MacBook Pro (13-inch, 2017) 2-inch"; // only the first inch becomes a quote
    const std::string path = dir.file("MacBook Pro (13\", 2017).mirdx");
    layer.setNextSavePanelResult(path);
    choosefromablage("Sichern unter…", "");

    const auto requests = layer.savePanelRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(std::pair(requests[0].FileName, requests[0].FileTypes),
              std::pair(std::string("MacBook Pro (13\", 2017) 2-inch"),
                        std::vector<std::string>{"mirdx"}));
    EXPECT_EQ(readfile(path), "Hardware           = MacBook Pro (13-inch, 2017)\r+--+\r|äß|\rEnde");

    t_Print(0, "\x0C"); // clears the window
    modelname() = "";
    choosefromablage("Öffnen…", path);
    EXPECT_EQ(std::pair(screen(), modelname()),
              std::pair(plainreport, std::string("MacBook Pro (13\", 2017)")));
}

// Whatever a file holds, it is printed or refused, and the window's display settings are the
// same afterwards. Only names ending in ".mirdx" are opened; the model is named by the file.
TEST_F(DocumentTest, AnyContentIsPrintedOrRefusedNeverMore) {
    const std::vector<std::string> lines{"Zeile 1", "Zeile 2"};
    const struct {
        std::string Name, Contents;
        std::vector<std::string> Screen;
        std::string Model;
    } cases[] = {
        // clang-format off
        {"BERICHT.MIRDX", "Zeile 1\rZeile 2", noinfoscreen(), "BERICHT.MIRDX"},
        {"mirdx", "Zeile 1\rZeile 2", noinfoscreen(), "mirdx"},
        {".mirdx", "Zeile 1\rZeile 2", lines, ""}, {"a.mirdx", "Zeile 1\rZeile 2", lines, "a"},
        // Not UTF-8: Mac OS Roman.
        {"roman.mirdx", "Ger\x8Ate \xA5 \xFF", {"Geräte ? ?"}, "roman"},
        // Line ends of Linux tools are the report's own; beside a lone CR a line feed goes down.
        {"lf.mirdx", "eins\nzwei\n", {"eins", "zwei"}, "lf"},
        {"crlf.mirdx", "eins\r\nzwei\r\n", {"eins", "zwei"}, "crlf"},
        {"gemischt.mirdx", "eins\ntwo\r\ndrei", {"eins", "two", "drei"}, "gemischt"},
        {"cr-lf.mirdx", "eins\rzwei\ndrei", {"eins", "zwei", "    drei"}, "cr-lf"},
        {"steuer.mirdx", std::string("a\0b\x1B", 4), {"ab"}, "steuer"},
        // Without line ends the text wraps; the last full line leaves the cursor on a new one.
        {"lang.mirdx", std::string(82 * 30, 'x'), std::vector(24, std::string(82, 'x')), "lang"}};
    // clang-format on
    for (const auto& c : cases) {
        choosefromablage("Öffnen…", writefile(c.Name, c.Contents));
        EXPECT_EQ(std::tuple(screen(), modelname(), rt().WindowTable[0].TextDisplayMode),
                  std::tuple(c.Screen, c.Model, 0))
            << c.Name;
    }
}

// A report of a classic file's size handed over is still opened as a report; an empty screen is
// not saved, by the panel or to a path, and nothing is written.
TEST_F(DocumentTest, ClassicSizedReportsOpenAndEmptyScreensAreNotSaved) {
    for (const std::size_t size : {6400u, 8192u}) {
        std::string report = "Hardware           = Test\r";
        report.resize(size, '\0');
        t_PostFileEvent(writefile("gross.mirdx", report), 0);
        runallevents();
        EXPECT_EQ(screen(), std::vector<std::string>{"Hardware           = Test"}) << size;
    }
    t_Print(0, "\x0C");
    choosefromablage("Sichern unter…", "");
    EXPECT_FALSE(savereportto(dir.file("leer.mirdx")));
    EXPECT_EQ(std::tuple(layer.savePanelRequests().size(), layer.alerts(),
                         std::filesystem::exists(dir.file("leer.mirdx"))),
              std::tuple(0u,
                         std::vector<std::string>{
                             "Der Bericht konnte nicht gesichert werden. " + EmptyScreen,
                             "Der Bericht konnte nicht als \u201E" + dir.file("leer.mirdx") +
                                 "\u201C gesichert werden. " + EmptyScreen},
                         false));
}

// A file that cannot be opened or imported leaves the screen and the name that a save proposes
// as they were, and one alert names the file and the reason; a report file that is only too long
// says so.
TEST_F(DocumentTest, FailedOpensKeepTheScreenAndTellWhy) {
    const std::string pipe = dir.file("rohr.mirdx");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("ordner.mirdx"));
    const std::string special = "Das ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät).";
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("fehlt.mirdx"), "Die Datei oder ihr Ordner wurde nicht gefunden."},
        {dir.file("ordner.mirdx"), "Das ist ein Ordner, keine Datei."},
        {writefile("leer.mirdx", ""), "Die Datei ist leer."},
        {pipe, special},
        {"/dev/zero", special},
        {writefile("riesig.mirdx", std::string(LargestReportFile + 1, 'x')), ""}};
    drawreport();
    const std::vector<std::string> before = screen();
    for (const auto& [path, reason] : cases) {
        for (const bool import : {false, true}) {
            if (import && reason.empty()) continue; // a file of another size is no import
            import ? importrevarud(path) : openreport(path);
            const std::string message =
                reason.empty()
                    ? "\u201C ist zu lang für einen gesicherten Bericht. Ein Bericht hat "
                      "höchstens 262.144 Bytes."
                    : (import ? "\u201C konnte nicht importiert werden. "
                              : "\u201C konnte nicht geöffnet werden. ") +
                          reason;
            EXPECT_EQ(std::tuple(screen(), modelname(), layer.alerts().back()),
                      std::tuple(before, "Vorher", "\u201E" + path + message));
        }
    }
    EXPECT_EQ(layer.alerts().size(), 2 * std::size(cases) - 1);
}

// A failed save says why and keeps the screen; a save over a write-protected file is refused.
// A cancelled save writes nothing and says nothing; a name of 250 characters, too long for a
// temporary file beside it, still saves.
TEST_F(DocumentTest, FailedSavesTellWhyAndKeepTheOldFile) {
    drawreport();
    const std::vector<std::string> before = screen();
    const std::string locked = writefile("geschuetzt.mirdx", "alt");
    const std::string longname = writefile(std::string(249, 'n') + ".mirdx", "alter Bericht");
    chmod(locked.c_str(), 0444);
    for (const std::string& path :
         {std::string(), dir.file("fehlt/bericht.mirdx"), locked, longname}) {
        layer.setNextSavePanelResult(path);
        choosefromablage("Sichern unter…", "");
    }
    EXPECT_EQ(layer.alerts(),
              (std::vector<std::string>{
                  "Der Bericht konnte nicht als \u201E" + dir.file("fehlt/bericht.mirdx") +
                      "\u201C gesichert werden. Die Datei oder ihr Ordner wurde nicht gefunden.",
                  "Der Bericht konnte nicht als \u201E" + locked +
                      "\u201C gesichert werden. Keine Berechtigung für diese Datei oder ihren "
                      "Ordner."}));
    EXPECT_EQ(std::tuple(readfile(locked), readfile(longname).substr(0, 9), screen(),
                         std::distance(std::filesystem::directory_iterator(dir.path()), {})),
              std::tuple("alt", "Hardware ", before, 2));
}

// Names from outside (a model lookup's answer, the firmware) become bare names in the panel's
// folder: no separators, control bytes or leading dots.
TEST_F(DocumentTest, ProposedNamesAreBareNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"../../../elsewhere/x 2 x 2.45 GHz", "elsewherex 2 x 2.45 GHz"},
        {" .versteckt\x01\n\x7F", "versteckt"},
        {"ThinkPad T14/T15 Gen 2", "ThinkPad T14T15 Gen 2"},
        {"Mac mini 2.0", "Mac mini 2.0"}};
    for (const auto& [model, proposed] : cases)
        EXPECT_EQ(defaultreportname(model), proposed) << model;
}

// The report's lines read back from a screen text (a whole report's are tests/e2e's E2eJson):
// a value wrapped at the screen's edge, an empty value, lines without a label; and the
// benchmark figures, which are numbers only in the report's own form.
TEST(ReportFacts, WrappedEmptyAndOtherLinesAndFigures) {
    const std::string wide = "Grafikkarte        = " + std::string(60, 'x') + "ä";
    std::string read;
    for (const ReportFact& fact :
         factsofscreen("Fehler\n" + wide + "\nö\nInternet-Adresse   =\n" +
                       "Taktfrequenz       = 2,9 GHz\nfremd\n" + "Hostnamen          = nein\n"))
        read += labelwords(fact.Label) + "=" + fact.Value + ";";
    EXPECT_EQ(read,
              "Grafikkarte=" + std::string(60, 'x') + "äö;Internet-Adresse=;Taktfrequenz=2,9 GHz;");
    EXPECT_EQ(gflopsfigure("1.234.567,89 GFLOPs"), 1234567.89);
    for (const char* other : {"(wird berechnet)", " GFLOPs", "1,2,3 GFLOPs", "-1,00 GFLOPs"})
        EXPECT_EQ(gflopsfigure(other), std::nullopt) << other;
}

} // namespace
} // namespace mdx::test
