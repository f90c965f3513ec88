#include "text/scrolling.h"

#include <cstring>

#include "runtime/checked_window.h"
#include "runtime/state.h"
#include "text/cells.h"

namespace mdx {
namespace {

constexpr UInt8 Blank = 32;

// A locked window is skipped without a word, whatever state it is in.
CheckedWindow scrollWindow(std::string_view routine, UInt8 window) {
    const t_Window* w = windowrecord(rt(), window);
    if (w && w->ScrollLock) return {routine, window, nullptr};
    return checkwindow(routine, window);
}

bool fullWidth(const t_Window& w) {
    return w.TextFirstColumn == 1 && w.TextLastColumn == w.TextWidth;
}

// Bytes from the start of the picture up to and including the one that holds the last pixel
// before pixel index `pixels` (rounded up, so that a last byte shared by two cells moves too).
Int bytesBefore(const t_Window& w, Int pixels) {
    return (pixels * w.BitDepth + 7) / 8;
}

Int lineBytes(const t_Window& w) {
    return (w.Font.Height * w.Width * w.BitDepth) / 8;
}

// The region's picture rows from `firstLine` to `lastLine` (text lines), as the number of the
// first byte and the number of bytes up to the region's last pixel.
struct ByteRange {
    Int start;
    Int count;
};

ByteRange regionBytes(const t_Window& w, Int firstLine, Int lastLine) {
    const Int start = w.MemoryStart + (firstLine * w.Font.Height * w.Width * w.BitDepth) / 8;
    const Int lastRowStart = (lastLine * w.Font.Height - 1) * w.Width;
    const Int end = w.MemoryStart + bytesBefore(w, lastRowStart + w.Font.Width * w.TextLastColumn);
    return {start, end - start};
}

void movePlanes(const t_Window& w, Int fromLine, Int toLine) {
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const Int count = (w.TextLastLine - w.TextFirstLine) * w.TextWidth;
    for (Int plane : {w.TextMemoryStart, w.TextMemoryStart + half})
        t_MoveMemory(plane + fromLine * w.TextWidth, plane + toLine * w.TextWidth, count);
}

struct StoredCell {
    UInt8 Symbol = Blank;
    UInt8 Attribute = 0;
};

StoredCell readCell(const t_Window& w, Int x, Int y) {
    const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
    const Int offset = (y - 1) * w.TextWidth + (x - 1);
    const Int address = w.TextMemoryStart + offset;
    if (offset < 0 || offset >= half || address + half >= static_cast<Int>(rt().VideoMemory.size()))
        return {Blank, w.TextColor};
    const Bytes& memory = rt().VideoMemory;
    return {memory[static_cast<std::size_t>(address)],
            memory[static_cast<std::size_t>(address + half)]};
}

// Redraws line `to` of the region from the cells of line `from`. The stored attributes are the
// ones drawn, so with inverse held off the copy is exact.
void copyLine(const CheckedWindow& w, Int from, Int to) {
    for (Int h = w->TextFirstColumn; h <= w->TextLastColumn; ++h) {
        const StoredCell cell = readCell(*w, h, from);
        drawcell(w.number(), cell.Symbol, cell.Attribute, h, to);
    }
}

void blankLine(const CheckedWindow& w, Int line) {
    for (Int h = w->TextFirstColumn; h <= w->TextLastColumn; ++h)
        drawcell(w.number(), Blank, w->TextColor, h, line);
}

// The attribute a blank cell is stored with: the colour's nibbles swapped while inverse is on.
UInt8 drawnAttribute(const t_Window& w) {
    const UInt8 color = w.TextColor;
    return w.TextInverse ? static_cast<UInt8>((color >> 4) | (color << 4)) : color;
}

// True when the cells from (column, line) to the end of the region are known to be blank in the
// attribute that blanking draws now.
bool knownBlank(const CheckedWindow& checked, Int column, Int line) {
    const Runtime& r = rt();
    const UInt8 window = checked.number();
    const BlankArea& a = r.BlankAreas[window];
    const t_Window& w = *checked;
    const bool after = line > a.FromLine || (line == a.FromLine && column >= a.FromColumn);
    return a.Changes == r.WindowChanges[window].load() && a.FirstColumn == w.TextFirstColumn &&
           a.LastColumn == w.TextLastColumn && a.FirstLine == w.TextFirstLine &&
           a.LastLine == w.TextLastLine && a.Attribute == drawnAttribute(w) && after &&
           column >= w.TextFirstColumn && line <= w.TextLastLine;
}

void rememberBlank(const CheckedWindow& checked, Int column, Int line) {
    Runtime& r = rt();
    const UInt8 window = checked.number();
    const t_Window& w = *checked;
    if (column < w.TextFirstColumn || line < w.TextFirstLine || line > w.TextLastLine) return;
    r.BlankAreas[window] = {r.WindowChanges[window].load(),
                            w.TextFirstColumn,
                            w.TextLastColumn,
                            w.TextFirstLine,
                            w.TextLastLine,
                            column,
                            line,
                            drawnAttribute(w)};
}

// A region that is blank throughout stays as it is when scrolled.
bool scrollChangesNothing(const CheckedWindow& w) {
    return knownBlank(w, w->TextFirstColumn, w->TextFirstLine);
}

void scrollUpByBlocks(const t_Window& w) {
    const ByteRange r = regionBytes(w, w.TextFirstLine, w.TextLastLine);
    t_MoveMemory(r.start, r.start - lineBytes(w), r.count);
    movePlanes(w, w.TextFirstLine, w.TextFirstLine - 1);
}

void scrollDownByBlocks(const t_Window& w) {
    const ByteRange r = regionBytes(w, w.TextFirstLine - 1, w.TextLastLine - 1);
    t_MoveMemory(r.start, r.start + lineBytes(w), r.count);
    movePlanes(w, w.TextFirstLine - 1, w.TextFirstLine);
}

void scrollUpByCells(const CheckedWindow& w) {
    const bool inverse = w->TextInverse;
    w->TextInverse = false;
    for (Int v = w->TextFirstLine; v < w->TextLastLine; ++v)
        copyLine(w, v + 1, v);
    w->TextInverse = inverse;
}

void scrollDownByCells(const CheckedWindow& w) {
    const bool inverse = w->TextInverse;
    w->TextInverse = false;
    for (Int v = w->TextLastLine; v > w->TextFirstLine; --v)
        copyLine(w, v - 1, v);
    w->TextInverse = inverse;
}

} // namespace

void t_MoveMemory(Int source, Int destination, Int count) {
    Bytes& memory = rt().VideoMemory;
    const auto size = static_cast<Int>(memory.size());
    if (count <= 0 || source < 0 || destination < 0 || source > size - count ||
        destination > size - count)
        return;
    std::memmove(memory.data() + destination, memory.data() + source,
                 static_cast<std::size_t>(count));
    markallchanged(rt());
}

void t_ScrollUp(UInt8 window) {
    const CheckedWindow w = scrollWindow("t_ScrollUp", window);
    if (!w || scrollChangesNothing(w)) return;
    if (fullWidth(*w))
        scrollUpByBlocks(*w);
    else
        scrollUpByCells(w);
    blankLine(w, w->TextLastLine);
}

void t_ScrollDown(UInt8 window) {
    const CheckedWindow w = scrollWindow("t_ScrollDown", window);
    if (!w || scrollChangesNothing(w)) return;
    if (fullWidth(*w))
        scrollDownByBlocks(*w);
    else
        scrollDownByCells(w);
    blankLine(w, w->TextFirstLine);
}

void t_ClearEndOfLine(UInt8 window) {
    const CheckedWindow w = checkwindow("t_ClearEndOfLine", window);
    if (!w) return;
    fillcells(window, Blank, w->TextColor, w->TextHpos, w->TextLastColumn, w->TextVpos,
              w->TextVpos);
}

// The cursor's line from the cursor on, then the lines below it whole, each in one fill. A
// region already blank from the cursor on is left as it is.
void t_ClearEndOfWindow(UInt8 window) {
    const CheckedWindow checked = checkwindow("t_ClearEndOfWindow", window);
    if (!checked) return;
    const t_Window& w = *checked;
    const Int hpos = w.TextHpos;
    const Int vpos = w.TextVpos;
    const bool drawn = outputtarget(w.TextRedirectOutput) == OutputTarget::Window;
    if (drawn && knownBlank(checked, hpos, vpos)) return;
    const bool line = fillcells(window, Blank, w.TextColor, hpos, w.TextLastColumn, vpos, vpos);
    const bool below = fillcells(window, Blank, w.TextColor, w.TextFirstColumn, w.TextLastColumn,
                                 vpos + 1, w.TextLastLine);
    if (line && below) rememberBlank(checked, hpos, vpos);
}

} // namespace mdx
