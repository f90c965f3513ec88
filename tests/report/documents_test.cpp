// Saved reports: the save panel and what it writes, a failed or cancelled save, opening through
// the menu (documents handed over are opened in tests/platform's batch runs), and files that are
// no saved reports whatever their content.
#include "support/testing.h"

#include <sys/stat.h>

#include "report/documents.h"
#include "report_screen.h"
#include "text/output.h"

namespace mdx::test {
namespace {

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
    EXPECT_EQ(requests[0].FileName, "MacBook Pro (13\", 2017) 2-inch");
    EXPECT_EQ(requests[0].FileTypes, std::vector<std::string>{"mirdx"});
    EXPECT_EQ(readfile(path), "Hardware           = MacBook Pro (13-inch, 2017)\r+--+\r|äß|\rEnde");

    t_Print(0, "\x0C"); // clears the window
    modelname() = "";
    choosefromablage("Öffnen…", path);
    EXPECT_EQ(screen(), plainreport);
    EXPECT_EQ(modelname(), "MacBook Pro (13\", 2017)");
}

// The file is replaced only once the new text is written in full: a save whose temporary file
// cannot be made (its name is too long beside a target of 250 characters) keeps the old file.
TEST_F(DocumentTest, CancelledSavesWriteNothingLongNamesSaveAndMissingFoldersFail) {
    drawreport();
    layer.setNextSavePanelResult("");
    savereport();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    const std::string target = writefile(std::string(249, 'n') + ".mirdx", "alter Bericht");
    layer.setNextSavePanelResult(target);
    savereport();
    EXPECT_EQ(readfile(target).substr(0, 9), "Hardware ");
    EXPECT_FALSE(savereportto(dir.file("fehlt/bericht.mirdx")));
    EXPECT_TRUE(savereportto(dir.file("bericht.mirdx")));
    EXPECT_EQ(readfile(dir.file("bericht.mirdx")).substr(0, 9), "Hardware ");
}

TEST_F(DocumentTest, NamesOtherThanDotMirdxAreRefusedAndKeepTheirFullName) {
    const std::pair<std::string, std::string> cases[] = {
        {"BERICHT.MIRDX", "BERICHT.MIRDX"}, {"mirdx", "mirdx"}, {".mirdx", ""}, {"a.mirdx", "a"}};
    for (const auto& [name, model] : cases) {
        choosefromablage("Öffnen…", writefile(name, "Zeile 1\rZeile 2"));
        const std::vector<std::string> opened{"Zeile 1", "Zeile 2"};
        EXPECT_EQ(screen(), name.ends_with(".mirdx") ? opened : noinfoscreen()) << name;
        EXPECT_EQ(modelname(), model) << name;
    }
}

// Whatever a ".mirdx" file holds, it is printed or refused, and the window's display settings
// are the same afterwards.
TEST_F(DocumentTest, AnyContentIsPrintedOrRefusedNeverMore) {
    const std::string pipe = dir.file("rohr.mirdx");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        std::string Name;
        std::string Contents;
        std::vector<std::string> Screen;
    } cases[] = {
        // clang-format off
        // Not UTF-8, or cut inside a character: Mac OS Roman.
        {"leer.mirdx", "", {}}, {"roman.mirdx", "Ger\x8Ate \xA5 \xFF", {"Geräte ? ?"}},
        {"abgeschnitten.mirdx", "ab\xC3", {"ab?"}},
        {"zeilenende.mirdx", "eins\ntwo\r\ndrei", {"eins", "    two", "", "drei"}},
        {"steuer.mirdx", std::string("a\0b\x1B", 4), {"ab"}},
        // Without line ends the text wraps; the last full line leaves the cursor on a new one.
        {"lang.mirdx", std::string(82 * 30, 'x'), std::vector(24, std::string(82, 'x'))},
        {"riesig.mirdx", std::string(LargestReportFile + 1, 'x'), noinfoscreen()}};
    // clang-format on
    for (const auto& c : cases) {
        choosefromablage("Öffnen…", writefile(c.Name, c.Contents));
        EXPECT_EQ(screen(), c.Screen) << c.Name;
        EXPECT_EQ(rt().WindowTable[0].TextDisplayMode, 0) << c.Name;
    }
    for (const std::string& path : {pipe, dir.path() + "/fehlt.mirdx"}) {
        openreport(path);
        EXPECT_EQ(screen(), pipe == path ? noinfoscreen() : std::vector<std::string>{}) << path;
    }
    EXPECT_TRUE(log.contains("getstringfromfile: Error #2"));
}

} // namespace
} // namespace mdx::test
