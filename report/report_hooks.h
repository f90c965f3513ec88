// The report program's entry points that the application frame calls from the program thread:
// the menu "Ablage" and opened documents lead here.
#pragma once

#include <string>

namespace mdx {

// Wires the program together in the current runtime at start-up (and tests after each fresh
// runtime): the application frame's steps in the table of upcalls, and the report program
// (report_program.h) behind the frame's door.
void installprogram();

// Runs the hardware report in the report window.
void runreport();
// Shows a saved report document, or tells that the file is none.
void openreport(const std::string& path);
// Imports a Revarud Erur file chosen in the import panel, whatever its size.
void importrevarud(const std::string& path);
// The imports of the two Revarud Erur file sizes, for documents handed to the program.
void importrevarud6400(const std::string& path);
void importrevarud8192(const std::string& path);
// Saves the report screen through a save panel.
void savereport();
// Saves the report screen as "Sichern unter…" saves it, to the given path without a panel (the
// batch mode's --save). False when nothing was written.
bool savereportto(const std::string& path);

// The model name of the current report: set by the report run and by the imports and openings,
// offered as the file name when saving. Used on the program thread only.
std::string& modelname();
// Centres window 0, brings it to the front, updates it and copies its text to the virtual
// printer; ends every report, import and opening.
void preparereportscreen();

} // namespace mdx
