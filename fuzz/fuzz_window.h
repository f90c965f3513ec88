// Shared by the fuzz targets that print into the report window: window 0 with the report's
// 82 x 25 text grid, drawn four bits deep with a blank font of 2 x 2 pixels so that each input
// costs little, the headless window layer, and no log.
#pragma once

#include <string_view>

#include "base/log.h"
#include "runtime/font.h"
#include "runtime/headless_window_layer.h"
#include "runtime/video_memory.h"
#include "runtime/window_layer.h"

inline void preparefuzzwindow() {
    static mdx::HeadlessWindowLayer layer;
    mdx::setwindowlayer(&layer);
    mdx::setlogcapture([](std::string_view) {});
    mdx::t_Font font;
    font.Format = mdx::FontFormatGrey;
    font.Start = 0;
    font.End = 255;
    font.Width = 2;
    font.Height = 2;
    font.Data.assign(256 * 4, 0);
    mdx::t_InitWindow(0, 4, false, 164, 50, 0, 0, font, true);
}
