// The report program behind the frame's door, driven as the program thread drives it: its
// start-up, the order in which it gets menu and file events, and the dispatch of the "Ablage"
// menu. Documents handed over go to the imports or the report opener by their size:
// tests/report/revarud_test.cpp hands files of every size to the real routines.
#include "support/testing.h"

#include "report_screen.h"
#include "runtime/checked_window.h"
#include "runtime/window_management.h"

namespace mdx::test {
namespace {

// Puts recorders in place of the report's routines: each call leaves a line such as
// "open /tmp/x" or "run".
class ProgramTest : public ReportScreenTest {
  protected:
    void SetUp() override {
        auto note = [this](const std::string& what) { calls.push_back(what); };
        ReportRoutines entries;
        entries.RunReport = [note] { note("run"); };
        entries.SaveReport = [note] { note("save"); };
        entries.OpenReport = [note](const std::string& p) { note("open " + p); };
        entries.ImportRevarud = [note](const std::string& p) { note("import " + p); };
        setprogramwork(std::make_shared<ReportProgram>(entries));
    }
    static void ablage(const std::string& item) {
        t_MenuEventHandler(MenuItemInfo{true, "Ablage", item, "", 0, 0});
    }

    std::vector<std::string> calls; // all on this thread, which runs programpass
};

// "Öffnen…" and the import ask through their panels (a cancelled panel does nothing); other
// menus and unknown items are left alone.
TEST_F(ProgramTest, MenuChoicesGoBeforeDocumentsInTheirOrderAndIdleWaitsForThem) {
    EXPECT_FALSE(programidle());
    app().ProgramStarted = true;
    const std::string document = dir.file("bericht.mirdx");
    std::ofstream(document) << "Bericht";
    t_PostFileEvent(document, 0);
    for (const auto& chosen :
         std::vector<std::vector<std::string>>{{"/daten/alt.mirdx"}, {}, {"/daten/RE.DAT"}})
        layer.setNextOpenPanelResult(chosen);
    for (const char* item :
         {"Neu", "Sichern unter…", "Öffnen…", "Öffnen…", "Revarud Erur importieren…", "Unbekannt"})
        ablage(item);
    t_MenuEventHandler(MenuItemInfo{true, "Bearbeiten", "Neu", "", 0, 0});
    EXPECT_TRUE(!programidle() && programpass());
    EXPECT_EQ(std::pair(calls, app().MenuEventQueue.current().ItemTitle),
              std::pair(std::vector<std::string>{"run"}, std::string("Neu")));
    runallevents();
    EXPECT_EQ(std::pair(calls, app().FileEventQueue.current().Description),
              std::pair(std::vector<std::string>{"run", "save", "open /daten/alt.mirdx",
                                                 "import /daten/RE.DAT", "open " + document},
                        document));
    EXPECT_TRUE(!programpass() && programidle());
    const auto requests = layer.openPanelRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(
        std::tuple(requests[0].FileTypes, requests[0].MultipleSelection, requests[2].FileTypes),
        std::tuple(std::vector<std::string>{"mirdx"}, false, std::vector<std::string>{}));
}

// ---- Start-up ---------------------------------------------------------------------------------

TEST_F(ProgramTest, StartUpShowsWindowZeroSmallerOnSmallScreensAndPreparesThePrinter) {
    const std::pair<Size, bool> cases[] = {
        {{1920, 1080}, false}, {{1312, 800}, false}, {{1311, 1080}, true}, {{1312, 799}, true}};
    for (const auto& [size, smaller] : cases) {
        resetruntime();
        installprogram();
        rt().TitleBarHeight = 28;
        layer.setScreenSize(size);
        programinit();
        const Rect view = layer.state(0).ViewFrame;
        EXPECT_EQ(std::pair(view.width, view.height),
                  smaller ? std::pair(688.0, 432.0) : std::pair(1312.0, 800.0))
            << size.width << "x" << size.height;
    }
    EXPECT_TRUE(windowready(0) && rt().WindowTable[0].Visible && layer.isVisible(layer.window(0)) &&
                rt().PrinterUpdateRunning);
    EXPECT_EQ(layer.state(VirtualPrinterWindowNumber).Frame.width, 657);
}

} // namespace
} // namespace mdx::test
