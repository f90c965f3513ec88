// The report program's entry points that the application frame calls from the program thread:
// the menu "Ablage" and opened documents lead here.
#pragma once

#include <string>

namespace mdx {

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

} // namespace mdx
