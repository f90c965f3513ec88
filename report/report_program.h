// The report program behind the application frame's door (app/program_work.h): its start-up
// screen and printer, its "Ablage" menu with the open panels, and the routing of a document by
// its size to the imports or the report opener.
#pragma once

#include <functional>
#include <string>

#include "app/program_work.h"

namespace mdx {

// The report's routines as the program reaches them. Members left empty stand for the report's
// own (report.h, documents.h, revarud.h); tests record instead.
struct ReportRoutines {
    std::function<void()> RunReport;
    std::function<void(const std::string&)> OpenReport;
    std::function<void(const std::string&)> ImportRevarud;
    std::function<void(const std::string&)> ImportRevarud6400;
    std::function<void(const std::string&)> ImportRevarud8192;
    std::function<void()> SaveReport;
};

// Wires the program together in the current runtime at start-up (and tests after each fresh
// runtime): the application frame's steps in the table of upcalls, and the report program behind
// the frame's door.
void installprogram();

class ReportProgram : public ProgramWork {
  public:
    explicit ReportProgram(ReportRoutines routines = {});
    // Loads the font, initialises and shows window 0 (smaller on small screens) and prepares
    // the virtual printer.
    void start() override;
    // The items of "Ablage"; other menus are no business of the report.
    void choose(const t_MenuEvent& event) override;
    // Documents of the two Revarud Erur sizes are imports, everything else goes to the opener.
    void open(const std::string& path) override;

  private:
    ReportRoutines entries_;
};

} // namespace mdx
