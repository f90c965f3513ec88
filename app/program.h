// The application's lifecycle and the program thread.
#pragma once

#include <functional>
#include <string>

#include "base/types.h"

namespace mdx {

// The delegate's lifecycle, called by the window layer on the main thread.
void applicationWillFinishLaunching();
// Prepares the tool library, stores the measured title-bar height and starts the program thread.
void applicationDidFinishLaunching(Int titleBarHeight);
void applicationDidBecomeActive();
void applicationWillResignActive();
void applicationWillTerminate();

// The program thread's main routine: initialises the screen, then handles menu and file events
// for ever (until its runtime is replaced, which only tests do).
void ProgramMain();

// The two halves of ProgramMain. programinit loads the font, initialises and shows window 0
// (smaller on small screens) and prepares the virtual printer. programpass handles the oldest
// menu event or, when there is none, the oldest file event; false when neither was waiting.
void programinit();
bool programpass();

// True when the program thread has started, no menu or file event is waiting and none is being
// handled (batch runs exit then).
bool programidle();

// The report program's routines as the program thread reaches them. Members left empty stand
// for the defaults, the report's own routines that it installs at start-up, so
// setprogramentries({}) restores them (tests record instead).
struct ProgramEntries {
    std::function<void()> RunReport;
    std::function<void(const std::string&)> OpenReport;
    std::function<void(const std::string&)> ImportRevarud;
    std::function<void(const std::string&)> ImportRevarud6400;
    std::function<void(const std::string&)> ImportRevarud8192;
    std::function<void()> SaveReport;
};
void setprogramentries(ProgramEntries entries);
void setdefaultprogramentries(ProgramEntries entries);
ProgramEntries programentries();

// Installs the application frame's steps in the layers below it: the menu preparation inside
// t_InitMemory and the control-S pause of the text output.
void installapplicationsteps();

} // namespace mdx
