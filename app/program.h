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

// The two halves of ProgramMain. programinit hands the installed program its start
// (app/program_work.h). programpass hands it the oldest menu event or, when there is none, the
// oldest file event; false when neither was waiting.
void programinit();
bool programpass();

// True when the program thread has started, no menu or file event is waiting and none is being
// handled (batch runs exit then).
bool programidle();

// Installs the application frame's steps in the current runtime's table of upcalls
// (runtime/upcalls.h): the menu preparation inside t_InitMemory and the control-S pause of the
// text output.
void installapplicationsteps();

} // namespace mdx
