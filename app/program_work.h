// The one door between the application frame and the program it runs. The frame's program
// thread (app/program.cpp) hands the program its start and then, one by one, the menu choices
// and the documents that the window layer delivered; nothing else passes here. The report
// program implements it (report/report_program.h); tests install a recording one.
#pragma once

#include <memory>
#include <string>

#include "app/event_state.h"

namespace mdx {

class ProgramWork {
  public:
    virtual ~ProgramWork() = default;
    // On the program thread before the first event: the program makes its windows.
    virtual void start() = 0;
    // A menu choice of any menu, in the order they were made; the program picks its own.
    virtual void choose(const t_MenuEvent& event) = 0;
    // A document handed to the program: named on the command line, dropped, opened from a file
    // manager or handed over by a second start. Menu choices waiting go first.
    virtual void open(const std::string& path) = 0;
};

// Installs the program of the current runtime; until then the frame's work goes nowhere.
void setprogramwork(std::shared_ptr<ProgramWork> work);
// The program of a runtime, nullptr when none is installed.
std::shared_ptr<ProgramWork> programwork(Runtime& runtime);

} // namespace mdx
