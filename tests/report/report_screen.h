// Shared helpers of the report program's screen tests: window 0 as the program makes it, its
// lines read back, the "Ablage" menu and file events handled as the program thread does.
#pragma once

#include "support/testing.h"

#include "app/events.h"
#include "app/menus.h"
#include "app/program.h"
#include "base/kwtools.h"
#include "report/documents.h"
#include "report/report.h"
#include "report/report_program.h"
#include "report/revarud.h"
#include "runtime/font.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/files.h"
#include "support/runtime_fixture.h"
#include "support/scoped_env.h"

namespace mdx::test {

class ReportScreenTest : public RuntimeTest {
  protected:
    ReportScreenTest() {
        t_InitWindow(0, 24, false, 1312, 800, 16, 16, t_LoadFontResource("MenloRegular 16x32.font"),
                     true);
        modelname() = "Vorher";
        log.clear();
        layer.clearCalls();
    }

    // The lines of window 0 without trailing spaces, trailing empty lines left out.
    static std::vector<std::string> screen() {
        std::vector<std::string> lines;
        for (const Text& line : splittext(totext(t_GetScreen(0, "\r")), '\r'))
            lines.push_back(tostring(line));
        return lines;
    }
    // The refusal of a file that is no report: line 12, centred in 80 columns.
    static std::vector<std::string> noinfoscreen() {
        std::vector<std::string> lines(11);
        lines.push_back(std::string(24, ' ') + "Diese Datei ist keine Info-Datei");
        return lines;
    }

    std::string writefile(const std::string& name, const std::string& bytes) const {
        mdx::test::writefile(dir.file(name), bytes);
        return dir.file(name);
    }

    // The menu path: the item chosen, its open panel answered with `path`.
    void choosefromablage(const std::string& item, const std::string& path) {
        if (!path.empty()) layer.setNextOpenPanelResult({path});
        t_MenuEventHandler(MenuItemInfo{true, "Ablage", item, "", 0, 0});
        runallevents();
    }
    static void runallevents() {
        while (programpass()) {
        }
    }

    TempDir dir;
};

} // namespace mdx::test
