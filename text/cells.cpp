#include "text/cells.h"

#include <cstring>
#include <utility>

#include "base/log.h"
#include "runtime/font.h"
#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace mdx {
namespace {

void storeCell(Runtime& r, const t_Window& w, UInt8 symbol, UInt8 attribute, Int x, Int y) {
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const Int offset = (y - 1) * w.TextWidth + (x - 1);
    const Int character = w.TextMemoryStart + offset;
    if (offset < 0 || offset >= half || character + half >= static_cast<Int>(r.VideoMemory.size()))
        return;
    r.VideoMemory[static_cast<std::size_t>(character)] = symbol;
    r.VideoMemory[static_cast<std::size_t>(character + half)] = attribute;
}

// x and y are compared with the picture size before multiplying, so that huge values cannot
// overflow.
bool cellInside(const t_Window& w, Int x, Int y) {
    const Int fw = w.Font.Width;
    const Int fh = w.Font.Height;
    return fw > 0 && fh > 0 && x >= 1 && y >= 1 && x <= w.Width && y <= w.Height &&
           x * fw <= w.Width && y * fh <= w.Height;
}

void logIllegalCoordinates(UInt8 window, Int x, Int y) {
    logline("t_PrintSymbol: Window #" + std::to_string(window) +
            " illegal coordinates (x = " + std::to_string(x) + ", y = " + std::to_string(y) + ").");
}

// Tells a compressed font (a known format that is not drawn) from an illegal one by the format
// the font loader's decompression would give it; Data is left out so nothing is decoded.
void logFontFormat(const t_Font& font) {
    t_Font header = font;
    header.Data.clear();
    const Int format = fontdecompress(header).Format;
    if (format == FontFormatPlain || format == FontFormatGrey)
        logline("t_PrintSymbol: Font format must be uncompressed grey for text-printing.");
    else
        logline("t_PrintSymbol: Illegal font format.");
}

// Before the window table exists every window counts as drawing into itself.
Int redirection(const Runtime& r, UInt8 window) {
    return r.WindowTable.size() == GraphicWindowCount
               ? r.WindowTable[window].TextRedirectOutput.load()
               : 1;
}

bool textReady(const Runtime& r, UInt8 window) {
    return window < GraphicWindowCount && r.MemoryInitialized &&
           r.WindowTable.size() == GraphicWindowCount && r.WindowTable[window].Initialized &&
           r.WindowTable[window].TextMemoryStart >= 0;
}

void drawCellIn(Runtime& r, UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y) {
    const t_Window& w = r.WindowTable[window];
    if (w.Font.Data.empty()) {
        lognotinitialized("t_PrintSymbol", window);
        return;
    }
    int fore = color >> 4;
    int back = color & 15;
    if (w.TextInverse) std::swap(fore, back);
    if (!cellInside(w, x, y)) {
        logIllegalCoordinates(window, x, y);
        return;
    }
    if (symbol >= w.Font.Start && symbol <= w.Font.End) {
        if (w.Font.Format == FontFormatGrey)
            drawGlyph(r, w, symbol, fore, back, x, y);
        else
            logFontFormat(w.Font);
    }
    storeCell(r, w, symbol, static_cast<UInt8>(back | (fore << 4)), x, y);
    markchanged(r, window);
}

// The cells of columns c1..c2 on lines v1..v2, all of them inside the picture and the text planes.
struct CellBlock {
    Int c1, c2, v1, v2;
};

bool blockInside(const Runtime& r, const t_Window& w, const CellBlock& b) {
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const Int last = (b.v2 - 1) * w.TextWidth + (b.c2 - 1);
    return b.c1 >= 1 && b.v1 >= 1 && b.c1 <= b.c2 && b.v1 <= b.v2 && cellInside(w, b.c2, b.v2) &&
           b.c2 <= w.TextWidth && last < half &&
           w.TextMemoryStart + last + half < static_cast<Int>(r.VideoMemory.size());
}

// A block that t_PrintSymbol would draw cell by cell without a word: into the window itself,
// with a drawable glyph, every cell inside.
bool drawnSilently(const Runtime& r, UInt8 window, UInt8 symbol, const CellBlock& b) {
    const t_Window& w = r.WindowTable[window];
    const t_Font& font = w.Font;
    const Int glyphBytes = font.Width * font.Height;
    return redirection(r, window) == 1 && font.Format == FontFormatGrey && symbol >= font.Start &&
           symbol <= font.End && (symbol + 1) * glyphBytes <= static_cast<Int>(font.Data.size()) &&
           packsdepth(w.BitDepth) && pictureInMemory(r, w, bytesperline(w.BitDepth, w.Width)) &&
           blockInside(r, w, b);
}

// Line b.v1 is drawn already; every further line of the block becomes a copy of it.
void copyFirstLine(Runtime& r, const t_Window& w, const CellBlock& b) {
    const Int stride = bytesperline(w.BitDepth, w.Width);
    const Int lineBytes = w.Font.Height * stride;
    const Int first = (b.c1 - 1) * w.Font.Width;
    const Int last = b.c2 * w.Font.Width;
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const auto cells = static_cast<std::size_t>(b.c2 - b.c1 + 1);
    UInt8* memory = r.VideoMemory.data();
    const UInt8* source = memory + w.MemoryStart + (b.v1 - 1) * lineBytes;
    const UInt8* plane = memory + w.TextMemoryStart + (b.v1 - 1) * w.TextWidth + (b.c1 - 1);
    for (Int v = b.v1 + 1; v <= b.v2; ++v) {
        UInt8* target = memory + w.MemoryStart + (v - 1) * lineBytes;
        for (Int row = 0; row < w.Font.Height; ++row)
            copyPixels(w.BitDepth, source + row * stride, target + row * stride, first, last);
        UInt8* cell = memory + w.TextMemoryStart + (v - 1) * w.TextWidth + (b.c1 - 1);
        std::memcpy(cell, plane, cells);
        std::memcpy(cell + half, plane + half, cells);
    }
}

} // namespace

bool textwindowready(UInt8 window) {
    return textReady(rt(), window);
}

bool checktextwindow(std::string_view routine, UInt8 window) {
    if (window >= GraphicWindowCount) {
        lognotgraphic(routine);
        return false;
    }
    if (!textwindowready(window)) {
        lognotinitialized(routine, window);
        return false;
    }
    return true;
}

void writeredirected(UInt8 code) {
    std::string utf8;
    if (code < 0x80) {
        utf8.push_back(static_cast<char>(code));
    } else {
        utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    logtext(utf8);
}

void drawcell(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y) {
    Runtime& r = rt();
    if (textReady(r, window)) drawCellIn(r, window, symbol, color, x, y);
}

bool fillcells(UInt8 window, UInt8 symbol, UInt8 color, Int firstColumn, Int lastColumn,
               Int firstLine, Int lastLine) {
    if (firstColumn > lastColumn || firstLine > lastLine) return true;
    Runtime& r = rt();
    const CellBlock block{firstColumn, lastColumn, firstLine, lastLine};
    if (!textReady(r, window) || !drawnSilently(r, window, symbol, block)) {
        for (Int v = firstLine; v <= lastLine; ++v)
            for (Int h = firstColumn; h <= lastColumn; ++h)
                t_PrintSymbol(window, symbol, color, h, v);
        return false;
    }
    for (Int h = firstColumn; h <= lastColumn; ++h)
        drawCellIn(r, window, symbol, color, h, firstLine);
    copyFirstLine(r, r.WindowTable[window], block);
    markchanged(r, window);
    return true;
}

void t_PrintSymbol(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_PrintSymbol");
        return;
    }
    Runtime& r = rt();
    const Int redirect = redirection(r, window);
    if (!textReady(r, window)) {
        if (redirect == 2)
            writeredirected(symbol);
        else if (redirect == 1)
            lognotinitialized("t_PrintSymbol", window);
        return;
    }
    if (redirect == 2)
        writeredirected(symbol);
    else if (redirect == 1)
        drawCellIn(r, window, symbol, color, x, y);
}

Int t_NearestColorIndex(UInt8 red, UInt8 green, UInt8 blue) {
    return nearestpaletteindex(red, green, blue);
}

} // namespace mdx
