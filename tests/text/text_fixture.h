// Shared helpers of the text engine and runtime tests: small fonts built in memory, a window to
// print into, and readers for the two text planes and the picture bytes.
#pragma once

#include "support/testing.h"

#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {

// Coverage of pixel (row, column) of the glyph of `code` in the pattern font: every glyph is
// different, and each holds 0, 255 and values between, and an empty row.
inline UInt8 patterncoverage(Int code, Int row, Int column) {
    if (row == 0) return 255;
    if (column == 0 || row == 3) return 0;
    return static_cast<UInt8>((code * 31 + row * 17 + column * 29) & 0xFF);
}

// A grey font of fw x fh glyphs for the codes start..end, data for every code up to `end`.
inline t_Font patternfont(Int fw = 8, Int fh = 8, UInt8 start = 0, UInt8 end = 255) {
    t_Font font{16, {'k', 'w', 'f', 'n'}, FontFormatGrey, 0, start, end, fw, fh, 0, {}};
    for (Int code = 0; code <= end; ++code)
        for (Int r = 0; r < fh; ++r)
            for (Int c = 0; c < fw; ++c)
                font.Data.push_back(patterncoverage(code, r, c));
    return font;
}

// The region of text lines and columns that printing and scrolling keep to.
struct Region {
    Int firstColumn, lastColumn, firstLine, lastLine;
};

class TextTest : public RuntimeTest {
  protected:
    static constexpr const char* RefreshThreadPrefix = "t_WindowAutoUpdateProcess:";

    // Window `n` at `depth`, visible, with the pattern font; picture width x height pixels. The
    // log and the layer's calls start empty afterwards.
    t_Window& openwindow(UInt8 n, Int depth, Int width, Int height,
                         const t_Font& font = patternfont()) {
        t_InitWindow(n, depth, false, width, height, 0, 0, font, true);
        win(n).Visible = true;
        log.clear();
        layer.clearCalls();
        return win(n);
    }
    t_Window& win(UInt8 n = 0) { return rt().WindowTable[n]; }
    UInt8& byte(Int address) { return rt().VideoMemory[static_cast<std::size_t>(address)]; }
    UInt8& character(Int x, Int y, UInt8 n = 0) {
        return byte(win(n).TextMemoryStart + (y - 1) * win(n).TextWidth + (x - 1));
    }
    UInt8 attribute(Int x, Int y, UInt8 n = 0) {
        const Int half = (win(n).TextMemoryEnd - win(n).TextMemoryStart + 1) / 2;
        return byte(win(n).TextMemoryStart + half + (y - 1) * win(n).TextWidth + (x - 1));
    }
    // The character plane of line y as text.
    std::string row(Int y, UInt8 n = 0) {
        const char* at = reinterpret_cast<const char*>(&character(1, y, n));
        return std::string(at, static_cast<std::size_t>(win(n).TextWidth));
    }
    std::vector<std::string> rows(UInt8 n = 0) {
        std::vector<std::string> all;
        for (Int y = 1; y <= win(n).TextHeight; ++y)
            all.push_back(row(y, n));
        return all;
    }
    // The graphic block's picture bytes.
    Bytes picture(UInt8 n = 0) {
        const t_Window& w = win(n);
        auto first = rt().VideoMemory.begin() + w.MemoryStart;
        return Bytes(first, first + bytesperline(w.BitDepth, w.Width) * w.Height);
    }
    void setregion(const Region& r, UInt8 n = 0) {
        std::tie(win(n).TextFirstColumn, win(n).TextLastColumn, win(n).TextFirstLine,
                 win(n).TextLastLine) =
            std::tie(r.firstColumn, r.lastColumn, r.firstLine, r.lastLine);
    }
    std::pair<Int, Int> cursor(UInt8 n = 0) { return {win(n).TextHpos, win(n).TextVpos}; }
    void setcursor(Int x, Int y, UInt8 n = 0) {
        std::tie(win(n).TextHpos, win(n).TextVpos) = std::pair(x, y);
    }
    // The log without the refresh thread's lines, which arrive whenever that thread runs.
    std::string textoutput() {
        std::string text = log.text();
        for (std::size_t at; (at = text.find(RefreshThreadPrefix)) != std::string::npos;)
            text.erase(at, text.find('\n', at) - at + 1);
        return text;
    }
};

} // namespace mdx::test
