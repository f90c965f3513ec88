#include "text/output.h"

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <utility>

#include "base/kwtools.h"
#include "base/log.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

// One load and one test per printed line while nothing is installed.
bool outputpause(UInt8 code, bool wait) {
    const OutputPause pause = upcalls().PauseOutput.load(std::memory_order_relaxed);
    return pause && pause(code, wait);
}

// What one coverage value 0..255 of a glyph turns into for one colour pair at one bit depth:
// the blended colour, and the byte or bit that the depth stores for it (grey level at 8 and 16
// bits, palette index at 4 bits, 0 or 1 at 1 bit).
struct Shades {
    Int Key = -1;
    std::array<std::array<UInt8, 4>, 256> Colour{}; // red, green, blue and a spare byte
    std::array<UInt8, 256> Level{};
    std::array<UInt8, 3 * 8> BackgroundRun{}; // eight background pixels at 24 bits
};

UInt8 blend(Int coverage, Int background, Int foreground) {
    return static_cast<UInt8>(((255 - coverage) * background) / 255 +
                              (coverage * foreground) / 255);
}

Int paletteGrey(int index) {
    return (Palette16Red[index] + Palette16Green[index] + Palette16Blue[index]) / 3;
}

UInt8 depthLevel(Int depth, const std::array<UInt8, 4>& c, Int coverage, int fore, int back) {
    switch (depth) {
    case 1: return (c[0] + c[1] + c[2]) / 3 >= 128 ? 1 : 0;
    case 4: return static_cast<UInt8>(t_NearestColorIndex(c[0], c[1], c[2]));
    case 8:
    case 16: return blend(coverage, paletteGrey(back), paletteGrey(fore));
    default: return 0;
    }
}

void buildShades(Shades& s, int fore, int back, Int depth) {
    for (Int g = 0; g < 256; ++g) {
        auto& c = s.Colour[g];
        c[0] = blend(g, Palette16Red[back], Palette16Red[fore]);
        c[1] = blend(g, Palette16Green[back], Palette16Green[fore]);
        c[2] = blend(g, Palette16Blue[back], Palette16Blue[fore]);
        s.Level[g] = depthLevel(depth, c, g, fore, back);
    }
    for (std::size_t i = 0; i < s.BackgroundRun.size(); ++i)
        s.BackgroundRun[i] = s.Colour[0][i % 3];
}

// A small per-thread cache of shade tables, so that a run of text in a few colour pairs builds
// each table once.
const Shades& shadesFor(int fore, int back, Int depth) {
    thread_local std::unique_ptr<std::array<Shades, 16>> cache;
    if (!cache) cache = std::make_unique<std::array<Shades, 16>>();
    const Int key = depth * 256 + fore * 16 + back;
    Shades& slot = (*cache)[static_cast<std::size_t>((fore + back * 7) & 15)];
    if (slot.Key != key) {
        buildShades(slot, fore, back, depth);
        slot.Key = key;
    }
    return slot;
}

// One glyph placed in the picture: `line` is the first byte of the picture line holding the
// glyph's top row, `px` the glyph's first pixel column.
struct Blit {
    UInt8* line;
    Int stride;
    Int px;
    const UInt8* glyph;
    Int fw;
    Int fh;
};

void blit1(const Blit& b, const Shades& s) {
    for (Int r = 0; r < b.fh; ++r) {
        UInt8* line = b.line + r * b.stride;
        const UInt8* g = b.glyph + r * b.fw;
        for (Int c = 0; c < b.fw; ++c) {
            const Int x = b.px + c;
            const auto mask = static_cast<UInt8>(0x80u >> (x & 7));
            UInt8& byte = line[x >> 3];
            byte = static_cast<UInt8>((byte & ~mask) | (s.Level[g[c]] ? mask : 0));
        }
    }
}

void blit4(const Blit& b, const Shades& s) {
    for (Int r = 0; r < b.fh; ++r) {
        UInt8* line = b.line + r * b.stride;
        const UInt8* g = b.glyph + r * b.fw;
        for (Int c = 0; c < b.fw; ++c) {
            const Int x = b.px + c;
            const int shift = (x & 1) ? 0 : 4;
            UInt8& byte = line[x >> 1];
            byte = static_cast<UInt8>((byte & (0xF0 >> shift)) | (s.Level[g[c]] << shift));
        }
    }
}

// Grey levels at 8 bits (one byte per pixel) and 16 bits (the second byte of two).
template <int BytesPerPixel>
void blitGrey(const Blit& b, const Shades& s) {
    for (Int r = 0; r < b.fh; ++r) {
        UInt8* p = b.line + r * b.stride + b.px * BytesPerPixel + (BytesPerPixel - 1);
        const UInt8* g = b.glyph + r * b.fw;
        for (Int c = 0; c < b.fw; ++c, p += BytesPerPixel)
            *p = s.Level[g[c]];
    }
}

// Eight coverage bytes that are all 0: a run of pure background.
bool emptyRun(const UInt8* coverage) {
    std::uint64_t eight;
    std::memcpy(&eight, coverage, sizeof eight);
    return eight == 0;
}

// Red, green, blue at 24 bits, in blocks of eight pixels: a block of pure background is copied
// whole; in other blocks each pixel is stored as four bytes, the fourth overwritten by the next
// pixel, except the block's last pixel, so that nothing reaches past the block.
void blit24(const Blit& b, const Shades& s) {
    for (Int r = 0; r < b.fh; ++r) {
        UInt8* p = b.line + r * b.stride + b.px * 3;
        const UInt8* g = b.glyph + r * b.fw;
        Int c = 0;
        for (; c + 8 <= b.fw; c += 8, p += 24) {
            if (emptyRun(g + c)) {
                std::memcpy(p, s.BackgroundRun.data(), 24);
                continue;
            }
            for (Int i = 0; i < 7; ++i)
                std::memcpy(p + 3 * i, s.Colour[g[c + i]].data(), 4);
            std::memcpy(p + 21, s.Colour[g[c + 7]].data(), 3);
        }
        for (; c < b.fw; ++c, p += 3)
            std::memcpy(p, s.Colour[g[c]].data(), 3);
    }
}

// Red, green, blue in bytes 1..3 of each pixel at 32 bits; byte 0 is kept.
void blit32(const Blit& b, const Shades& s) {
    for (Int r = 0; r < b.fh; ++r) {
        UInt8* p = b.line + r * b.stride + b.px * 4 + 1;
        const UInt8* g = b.glyph + r * b.fw;
        for (Int c = 0; c < b.fw; ++c, p += 4)
            std::memcpy(p, s.Colour[g[c]].data(), 3);
    }
}

using BlitRoutine = void (*)(const Blit&, const Shades&);

BlitRoutine blitterFor(Int depth) {
    switch (depth) {
    case 1: return blit1;
    case 4: return blit4;
    case 8: return blitGrey<1>;
    case 16: return blitGrey<2>;
    case 24: return blit24;
    case 32: return blit32;
    default: return nullptr;
    }
}

// The whole picture lies inside the window's graphic block and the video memory.
bool pictureInMemory(const Runtime& r, const t_Window& w, Int stride) {
    const Int last = w.MemoryStart + stride * w.Height - 1;
    return w.MemoryStart >= 0 && last <= w.MemoryEnd &&
           last < static_cast<Int>(r.VideoMemory.size());
}

void drawGlyph(Runtime& r, const t_Window& w, UInt8 symbol, int fore, int back, Int x, Int y) {
    const t_Font& font = w.Font;
    const Int glyphBytes = font.Width * font.Height;
    const Int offset = symbol * glyphBytes;
    if (offset + glyphBytes > static_cast<Int>(font.Data.size())) return; // glyph beyond Data
    BlitRoutine blit = blitterFor(w.BitDepth);
    const Int stride = bytesperline(w.BitDepth, w.Width);
    if (!blit || !pictureInMemory(r, w, stride)) return;
    UInt8* top = r.VideoMemory.data() + w.MemoryStart + (y - 1) * font.Height * stride;
    blit(
        Blit{top, stride, (x - 1) * font.Width, font.Data.data() + offset, font.Width, font.Height},
        shadesFor(fore, back, w.BitDepth));
}

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
           blitterFor(w.BitDepth) && pictureInMemory(r, w, bytesperline(w.BitDepth, w.Width)) &&
           blockInside(r, w, b);
}

// Copies the bits first..last-1 of a picture line, counted from the top bit of its first byte
// (the order in which 1- and 4-bit pictures hold their pixels); the other bits are kept.
void copyBits(const UInt8* from, UInt8* to, Int first, Int last) {
    const Int head = first / 8;
    const Int tail = (last - 1) / 8;
    const auto headMask = static_cast<UInt8>(0xFFu >> (first % 8));
    const auto tailMask = static_cast<UInt8>(0xFFu << (7 - (last - 1) % 8));
    auto merge = [&](Int at, UInt8 mask) {
        to[at] = static_cast<UInt8>((to[at] & ~mask) | (from[at] & mask));
    };
    if (head == tail) {
        merge(head, headMask & tailMask);
        return;
    }
    merge(head, headMask);
    std::memcpy(to + head + 1, from + head + 1, static_cast<std::size_t>(tail - head - 1));
    merge(tail, tailMask);
}

// Copies pixels first..last-1 of a picture line, exactly the bytes and bits that the glyph
// blitter of the depth writes: not the first byte of a 16-bit pixel, nor of a 32-bit one.
void copyPixels(Int depth, const UInt8* from, UInt8* to, Int first, Int last) {
    switch (depth) {
    case 1:
    case 4: copyBits(from, to, first * depth, last * depth); break;
    case 8:
    case 24: {
        const Int size = depth / 8;
        std::memcpy(to + first * size, from + first * size,
                    static_cast<std::size_t>((last - first) * size));
        break;
    }
    case 16:
        for (Int p = first; p < last; ++p)
            to[2 * p + 1] = from[2 * p + 1];
        break;
    default:
        for (Int p = first; p < last; ++p)
            std::memcpy(to + 4 * p + 1, from + 4 * p + 1, 3);
        break;
    }
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

// Decodes one Unicode scalar at `pos` and moves past it. A byte that does not start a complete,
// well-formed sequence (no overlong forms, surrogates or values above U+10FFFF) is one scalar of
// its own value.
std::uint32_t nextScalar(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<UInt8>(s[pos]);
    const int length = lead < 0x80    ? 1
                       : lead >= 0xF8 ? 0
                       : lead >= 0xF0 ? 4
                       : lead >= 0xE0 ? 3
                       : lead >= 0xC0 ? 2
                                      : 0;
    if (length <= 1 || pos + static_cast<std::size_t>(length) > s.size()) {
        ++pos;
        return lead;
    }
    std::uint32_t value = lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<UInt8>(s[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    static constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += static_cast<std::size_t>(length);
    return value;
}

// t_Print's checks; it has a line of its own for a window without a text font.
bool printReady(UInt8 window) {
    if (!checktextwindow("t_Print", window)) return false;
    if (rt().WindowTable[window].Font.Data.empty()) {
        logline("t_Print: Window #" + std::to_string(window) + " has no text font.");
        return false;
    }
    return true;
}

void printUnit(UInt8 window, std::uint32_t unit) {
    t_Window& w = rt().WindowTable[window];
    if (unit < 32 && w.TextDisplayMode <= 2) {
        if (unit == 13) outputpause(19, true); // control-S holds the output before a new line
        t_PrintControl(window, static_cast<UInt8>(unit));
        return;
    }
    const DisplayTranslation t = t_ApplyDisplayMode(window, static_cast<Int>(unit));
    Int code = t.Code;
    if (code > 255) {
        if (w.TextDisplayMode == 4) t_Color(window, 1);
        code = '?';
    }
    if (code >= 0) {
        t_PrintSymbol(window, static_cast<UInt8>(code), w.TextColor, w.TextHpos, w.TextVpos);
        t_CursorRight(window);
    }
    w.TextInverse = t.Inverse;
    w.TextColor = t.Attribute;
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
    if (red == green && green == blue) {
        const Int sum = 3 * red;
        return sum < 192 ? 0 : sum <= 383 ? 5 : sum <= 575 ? 10 : 15;
    }
    Int best = 65535;
    Int bestIndex = 0;
    for (int i = 0; i < 16; ++i) {
        const Int dr = red - Palette16Red[i];
        const Int dg = green - Palette16Green[i];
        const Int db = blue - Palette16Blue[i];
        const Int distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            bestIndex = i;
        }
    }
    return bestIndex;
}

void t_PrintChar(UInt8 window, UInt8 code) {
    if (!checktextwindow("t_PrintChar", window)) return;
    t_Window& w = rt().WindowTable[window];
    const DisplayTranslation t = t_ApplyDisplayMode(window, code);
    if (t.Code >= 0 && t.Code <= 255) {
        t_PrintSymbol(window, static_cast<UInt8>(t.Code), w.TextColor, w.TextHpos, w.TextVpos);
        t_CursorRight(window);
    }
    w.TextInverse = t.Inverse;
    w.TextColor = t.Attribute;
}

void t_Print(UInt8 window, std::string_view text) {
    if (!printReady(window)) return;
    for (std::size_t pos = 0; pos < text.size();)
        printUnit(window, nextScalar(text, pos));
    outputpause(19, true);
}

void t_Print(UInt8 window, const std::string& text) {
    t_Print(window, std::string_view(text));
}

void t_Print(UInt8 window, const char* text) {
    t_Print(window, std::string_view(text ? text : ""));
}

void t_Print(UInt8 window, const Text& text) {
    if (!printReady(window)) return;
    for (UInt8 byte : text.Elements)
        printUnit(window, byte);
    outputpause(19, true);
}

void t_Cr(UInt8 window) {
    if (!checktextwindow("t_Cr", window)) return;
    t_Window& w = rt().WindowTable[window];
    w.TextHpos = w.TextFirstColumn;
    w.TextVpos = w.TextVpos + 1;
    if (w.TextVpos > w.TextLastLine) {
        t_ScrollUp(window);
        w.TextVpos = w.TextVpos - 1;
    }
}

} // namespace mdx
