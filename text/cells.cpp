#include "text/cells.h"

#include <cstring>
#include <utility>

#include "base/log.h"
#include "runtime/checked_window.h"
#include "runtime/font.h"
#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace mdx {
namespace {

// A symbol and the attribute it is stored with.
struct CellContent {
    UInt8 Symbol;
    UInt8 Attribute;
};

void storeCell(Runtime& r, const t_Window& w, CellContent content, Cell cell) {
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const Int offset = (cell.Line.Value - 1) * w.TextWidth + (cell.Column.Value - 1);
    const Int character = w.TextMemoryStart + offset;
    if (offset < 0 || offset >= half || character + half >= static_cast<Int>(r.VideoMemory.size()))
        return;
    r.VideoMemory[static_cast<std::size_t>(character)] = content.Symbol;
    r.VideoMemory[static_cast<std::size_t>(character + half)] = content.Attribute;
}

// Column and line are compared with the picture size before multiplying, so that huge values
// cannot overflow.
bool cellInside(const t_Window& w, Cell cell) {
    const Int fw = w.Font.Width;
    const Int fh = w.Font.Height;
    const Int x = cell.Column.Value;
    const Int y = cell.Line.Value;
    return fw > 0 && fh > 0 && x >= 1 && y >= 1 && x <= w.Width && y <= w.Height &&
           x * fw <= w.Width && y * fh <= w.Height;
}

void logIllegalCoordinates(UInt8 window, Cell cell) {
    logline("t_PrintSymbol: Window #" + std::to_string(window) + " illegal coordinates (x = " +
            std::to_string(cell.Column.Value) + ", y = " + std::to_string(cell.Line.Value) + ").");
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

void drawCellIn(Runtime& r, const t_Window& w, UInt8 window, CellContent content, Cell cell) {
    const UInt8 symbol = content.Symbol;
    const UInt8 color = content.Attribute;
    if (w.Font.Data.empty()) {
        lognotinitialized("t_PrintSymbol", window);
        return;
    }
    int fore = color >> 4;
    int back = color & 15;
    if (w.TextInverse) std::swap(fore, back);
    if (!cellInside(w, cell)) {
        logIllegalCoordinates(window, cell);
        return;
    }
    if (symbol >= w.Font.Start && symbol <= w.Font.End) {
        if (w.Font.Format == FontFormatGrey)
            drawGlyph(r, w, symbol, fore, back, cell.Column.Value, cell.Line.Value);
        else
            logFontFormat(w.Font);
    }
    storeCell(r, w, {symbol, static_cast<UInt8>(back | (fore << 4))}, cell);
    markchanged(r, window);
}

// The cells of columns c1..c2 on lines v1..v2, all of them inside the picture and the text planes.
struct CellBlock {
    Int c1, c2, v1, v2;
};

bool blockInside(const Runtime& r, const t_Window& w, const CellBlock& b) {
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const Int last = (b.v2 - 1) * w.TextWidth + (b.c2 - 1);
    return b.c1 >= 1 && b.v1 >= 1 && b.c1 <= b.c2 && b.v1 <= b.v2 &&
           cellInside(w, {TextColumn{b.c2}, TextLine{b.v2}}) && b.c2 <= w.TextWidth &&
           last < half && w.TextMemoryStart + last + half < static_cast<Int>(r.VideoMemory.size());
}

// A block that t_PrintSymbol would draw cell by cell without a word: into the window itself,
// with a drawable glyph, every cell inside.
bool drawnSilently(const Runtime& r, const t_Window& w, UInt8 window, UInt8 symbol,
                   const CellBlock& b) {
    const t_Font& font = w.Font;
    const Int glyphBytes = font.Width * font.Height;
    return redirectiontarget(r, window) == OutputTarget::Window && font.Format == FontFormatGrey &&
           symbol >= font.Start && symbol <= font.End &&
           (symbol + 1) * glyphBytes <= static_cast<Int>(font.Data.size()) &&
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

OutputTarget redirectiontarget(const Runtime& r, UInt8 window) {
    const t_Window* w = windowrecord(r, window);
    return w ? outputtarget(w->TextRedirectOutput.load()) : OutputTarget::Window;
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
    if (const t_Window* w = readywindow(r, window))
        drawCellIn(r, *w, window, {symbol, color}, {TextColumn{x}, TextLine{y}});
}

bool fillcells(UInt8 window, UInt8 symbol, UInt8 color, Int firstColumn, Int lastColumn,
               Int firstLine, Int lastLine) {
    if (firstColumn > lastColumn || firstLine > lastLine) return true;
    Runtime& r = rt();
    const CellBlock block{firstColumn, lastColumn, firstLine, lastLine};
    t_Window* w = readywindow(r, window);
    if (!w || !drawnSilently(r, *w, window, symbol, block)) {
        for (Int v = firstLine; v <= lastLine; ++v)
            for (Int h = firstColumn; h <= lastColumn; ++h)
                t_PrintSymbol(window, symbol, color, h, v);
        return false;
    }
    for (Int h = firstColumn; h <= lastColumn; ++h)
        drawCellIn(r, *w, window, {symbol, color}, {TextColumn{h}, TextLine{firstLine}});
    copyFirstLine(r, *w, block);
    markchanged(r, window);
    return true;
}

void t_PrintSymbol(UInt8 window, UInt8 symbol, UInt8 color, Int x, Int y) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_PrintSymbol");
        return;
    }
    Runtime& r = rt();
    const OutputTarget target = redirectiontarget(r, window);
    if (target == OutputTarget::StandardOutput) writeredirected(symbol);
    if (target != OutputTarget::Window) return;
    if (const t_Window* w = readywindow(r, window))
        drawCellIn(r, *w, window, {symbol, color}, {TextColumn{x}, TextLine{y}});
    else
        lognotinitialized("t_PrintSymbol", window);
}

Int t_NearestColorIndex(UInt8 red, UInt8 green, UInt8 blue) {
    return nearestpaletteindex(red, green, blue);
}

} // namespace mdx
