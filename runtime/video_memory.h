// The shared video memory and the initialisation of graphic windows: each window takes a graphic
// block and a text block from the top of the memory downwards.
#pragma once

#include "base/types.h"
#include "runtime/font.h"

namespace mdx {

// Creates the window table and the video memory; only the first call acts, callers on other
// threads wait until it has finished. Runs the step installed as PrepareMemory
// (runtime/upcalls.h) once the memory exists.
void t_InitMemory();

void t_InitWindow(UInt8 window, Int bitDepth, bool autoUpdate, Int width, Int height,
                  Int borderWidth, Int borderHeight, const t_Font& font, bool titleVisible);

// Clears the picture to black and the text grid to spaces in the window's text colour.
void t_ClearWindowMemory(UInt8 window);

} // namespace mdx
