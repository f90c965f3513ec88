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
        {"roman.mirdx", "Ger\x8Ate \xA5 \xFF", {"Geräte ? ?"}},
        {"abgeschnitten.mirdx", "ab\xC3", {"ab?"}},
        {"zeilenende.mirdx", "eins\ntwo\r\ndrei", {"eins", "    two", "", "drei"}},
        {"steuer.mirdx", std::string("a\0b\x1B", 4), {"ab"}},
        // Without line ends the text wraps; the last full line leaves the cursor on a new one.
        {"lang.mirdx", std::string(82 * 30, 'x'), std::vector(24, std::string(82, 'x'))}};
    // clang-format on
    for (const auto& c : cases) {
        choosefromablage("Öffnen…", writefile(c.Name, c.Contents));
        EXPECT_EQ(screen(), c.Screen) << c.Name;
        EXPECT_EQ(rt().WindowTable[0].TextDisplayMode, 0) << c.Name;
    }
}

// A file that cannot be opened leaves the screen and the name that a save proposes as they
// were, and an alert names the file and the reason; a report file that is only too long says so.
TEST_F(DocumentTest, FailedOpensKeepTheScreenAndTellWhy) {
    const std::string pipe = dir.file("rohr.mirdx");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("ordner.mirdx"));
    const std::string opened = "\u201C konnte nicht geöffnet werden. ";
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("fehlt.mirdx"), opened + "Die Datei oder ihr Ordner wurde nicht gefunden."},
        {dir.file("ordner.mirdx"), opened + "Das ist ein Ordner, keine Datei."},
        {writefile("leer.mirdx", ""), opened + "Die Datei ist leer."},
        {pipe, opened + "Das ist keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät)."},
        {writefile("riesig.mirdx", std::string(LargestReportFile + 1, 'x')),
         "\u201C ist zu lang für einen gesicherten Bericht. Ein Bericht hat höchstens 262.144 "
         "Bytes."}};
    drawreport();
    const std::vector<std::string> before = screen();
    for (const auto& [path, message] : cases) {
        openreport(path);
        EXPECT_EQ(screen(), before) << path;
        EXPECT_EQ(modelname(), "Vorher") << path;
        EXPECT_EQ(layer.alerts().back(), "\u201E" + path + message);
    }
    EXPECT_TRUE(log.contains("getstringfromfile: Error #2"));
}

// A failed save says why and keeps the screen; a save over a write-protected file is refused.
TEST_F(DocumentTest, FailedSavesTellWhyAndKeepTheOldFile) {
    drawreport();
    const std::vector<std::string> before = screen();
    const std::string locked = writefile("geschuetzt.mirdx", "alt");
    chmod(locked.c_str(), 0444);
    for (const std::string& path : {dir.file("fehlt/bericht.mirdx"), locked}) {
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
    EXPECT_EQ(std::pair(readfile(locked), screen()), std::pair(std::string("alt"), before));
}

// Names from outside (a model lookup's answer, the firmware) become bare names in the panel's
// folder: no separators, control bytes or leading dots.
TEST_F(DocumentTest, ProposedNamesAreBareNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"../../../elsewhere/x 2 x 2.45 GHz", "elsewherex 2 x 2.45 GHz"},
        {"MacBook Pro (15-inch, 2018)", "MacBook Pro (15\", 2018)"},
        {" .versteckt\x01\n\x7F", "versteckt"},
        {"ThinkPad T14/T15 Gen 2", "ThinkPad T14T15 Gen 2"},
        {"Mac mini 2.0", "Mac mini 2.0"}};
    for (const auto& [model, proposed] : cases)
        EXPECT_EQ(defaultreportname(model), proposed) << model;
}

} // namespace
} // namespace mdx::test
