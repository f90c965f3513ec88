// The text windows: the virtual printer (9), the system console (10) and the pasteboard (8).
#pragma once

#include <string>

#include "base/types.h"

namespace mdx {

void p_InitPrinter();
void p_SetPrinter(const std::string& text);
void p_SetRuler(const std::string& text);
void p_SetPrinterWidth(Int columns);
std::string p_RulerText(Int columns);
void p_PrinterAutoUpdateProcess();
// Adds bytes to the printer's pending text; the printer thread shows them within about 110 ms.
void p_AppendPrinter(const std::string& bytes);
// Empties the text view of window 9 or 10 (main thread).
void t_ClearTextWindow(UInt8 window);

// How the printer reads bytes that are not UTF-8: each byte is the character of the same code
// point, except that ESC, four hexadecimal digits and GS stand for the character they name.
std::string printerfallbacktext(const std::string& bytes);

} // namespace mdx
