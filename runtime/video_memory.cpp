#include "runtime/video_memory.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/checked_window.h"
#include "runtime/colours.h"
#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/update.h"
#include "runtime/window_management.h"

namespace mdx {
namespace {

void runmemorypreparation() {
    if (const MemoryPreparation step = upcalls().PrepareMemory.load()) step();
}

// Clears bits 0 to 9 and bit 11 of a block's start address.
constexpr Int BlockMask = 0xFFFFF400;

Int placementstart(Int high, Int needed) {
    return (high - needed + 1) & BlockMask;
}

std::string prefix(UInt8 window) {
    return "t_InitWindow: GraphicWindow #" + std::to_string(window);
}

std::string kilobytes(Int bytes) {
    return formatreal(' ', 1, 2, true, static_cast<double>(bytes) / 1024.0);
}

void waitformemory() {
    Runtime& r = rt();
    if (!r.MemoryInitStarted) t_InitMemory();
    while (!r.MemoryInitialized)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Marks a window's geometry as changing for as long as it lives: the generation is odd from
// construction to destruction, and differs afterwards from any count read before.
class GeometryChange {
  public:
    explicit GeometryChange(t_Window& w) : w_(w) {
        w_.GeometryGeneration.store(w_.GeometryGeneration + 1);
    }
    ~GeometryChange() { w_.GeometryGeneration.store(w_.GeometryGeneration + 1); }
    GeometryChange(const GeometryChange&) = delete;
    GeometryChange& operator=(const GeometryChange&) = delete;

  private:
    t_Window& w_;
};

// Takes a block of `needed` bytes from the top of the free memory.
template <typename Address>
void placeblock(Int needed, Address& start, Address& end) {
    Runtime& r = rt();
    start = placementstart(r.HighMemory, needed);
    end = r.HighMemory;
    r.HighMemory = start - 1;
}

// Copies [start, end] up by `distance` bytes; memmove copies as from the highest address down.
void moveblock(Int start, Int end, Int distance) {
    UInt8* memory = rt().VideoMemory.data();
    std::memmove(memory + start + distance, memory + start,
                 static_cast<std::size_t>(end - start + 1));
}

// Moves the blocks of every initialised window that lies below `top` up by `size` bytes, the
// highest first, so that no block is overwritten before it has moved.
void moveblocksbelow(const std::string& p, Int top, Int size) {
    Runtime& r = rt();
    std::vector<UInt8> below;
    for (UInt8 v = 0; v < GraphicWindowCount; ++v)
        if (windowrecord(r, v)->Initialized && windowrecord(r, v)->MemoryStart < top)
            below.push_back(v);
    std::sort(below.begin(), below.end(), [&](UInt8 a, UInt8 b) {
        return windowrecord(r, a)->MemoryStart > windowrecord(r, b)->MemoryStart;
    });
    for (UInt8 v : below) {
        t_Window& w = *windowrecord(r, v);
        const GeometryChange moving(w);
        logline(p + " moving graphic block for win #" + std::to_string(v) + "$" +
                hex8(w.MemoryStart) + "..." + hex8(w.MemoryEnd) + " to" +
                hex8(w.MemoryStart + size) + "..." + hex8(w.MemoryEnd + size));
        moveblock(w.MemoryStart, w.MemoryEnd, size);
        if (w.TextMemoryStart >= 0 && w.TextMemoryStart < top) {
            logline(p + " moving text block for win #" + std::to_string(v) + "$" +
                    hex8(w.TextMemoryStart) + "..." + hex8(w.TextMemoryEnd) + " to" + "$" +
                    hex8(w.TextMemoryStart + size) + "..." + hex8(w.TextMemoryEnd + size));
            moveblock(w.TextMemoryStart, w.TextMemoryEnd, size);
            w.TextMemoryStart += size;
            w.TextMemoryEnd += size;
        }
        w.MemoryStart = w.MemoryStart + size;
        w.MemoryEnd = w.MemoryEnd + size;
        markchanged(r, v);
    }
}

// Gives the blocks of a window that is initialised again back to the free memory.
void giveblocksback(UInt8 window) {
    Runtime& r = rt();
    t_Window& w = *windowrecord(r, window);
    std::string p = prefix(window);
    w.Initialized = false;
    Int size = w.MemoryEnd - w.MemoryStart + 1;
    logline(p + " high memory = $" + hex8(w.MemoryEnd) + ", graphic block size to delete = $" +
            hex8(size) + ".");
    if (w.TextMemoryStart >= 0) {
        Int textSize = w.TextMemoryEnd - w.TextMemoryStart + 1;
        logline(p + " high memory = $" + hex8(w.MemoryEnd) + ", text block size to delete = $" +
                hex8(textSize) + ".");
        size += textSize;
    }
    moveblocksbelow(p, w.MemoryEnd, size);
    r.HighMemory = r.HighMemory + size;
}

std::string depthtext(Int depth) {
    return " pixel x " + std::to_string(depth) + " bit";
}

// Checks width, height and depth, correcting what can be corrected. Returns the graphic block
// size, or -1 for a depth the runtime cannot show.
Int checkpicture(const std::string& p, Int depth, Int& width, Int& height) {
    if (width < 32 || width > 8192) {
        logline(p + " cannot display " + std::to_string(width) + " horizontal pixel.");
        width = 1280;
    }
    if (height < 32 || height > 8192) {
        logline(p + " cannot display " + std::to_string(height) + " vertical pixel.");
        height = 800;
    }
    switch (depth) {
    case 8:
    case 16:
    case 24:
    case 32: return height * depth * width / 8;
    case 4:
        if (width % 4 != 0) {
            logline(p + " width with 4 bit depth must be a multiple of 4.");
            width += 4 - width % 4;
        }
        return height * width / 2;
    case 1:
        if (width % 8 != 0) {
            logline(p + " width with 1 bit depth must be a multiple of 8.");
            width += 8 - width % 8;
        }
        return height * width / 8;
    default: logline(p + " unsupported " + std::to_string(depth) + " bit depth."); return -1;
    }
}

// A font draws text only with glyph data and a size; a zero size would give no cells.
bool istextfont(const t_Font& font) {
    return !font.Data.empty() && font.Width > 0 && font.Height > 0;
}

void storepicturefields(t_Window& w, Int depth, bool autoUpdate, Int width, Int height,
                        Int borderWidth, Int borderHeight, bool titleVisible) {
    w.UpdateStarted = 0;
    w.UpdateFinished = 0;
    w.VerticalBlank = true;
    w.IgnoreEvents = false;
    w.RefreshRate = 30;
    w.AutoUpdate = autoUpdate;
    w.QuickUpdate = true;
    w.ScrollLock = false;
    w.BitDepth = depth;
    w.Width = width;
    w.Height = height;
    w.BorderWidth = borderWidth;
    w.BorderHeight = borderHeight;
    w.TitleHeight = titleVisible ? rt().TitleBarHeight.load() : 0;
    w.RGBColor = t_ColorIndexToRGB(0);
    w.RGBColorBorder = t_ColorIndexToRGB(5);
    w.DrawingMode = 0;
    w.PositionX = 0;
    w.PositionY = 0;
}

void storetextfields(t_Window& w, Int columns, Int lines) {
    w.TextWidth = columns;
    w.TextHeight = lines;
    w.TextFirstColumn = 1;
    w.TextLastColumn = columns;
    w.TextFirstLine = 1;
    w.TextLastLine = lines;
    w.TextHpos = 1;
    w.TextVpos = 1;
    w.TextColor = 0xC0;
    w.LoResOffsetX = 0;
    w.LoResOffsetY = 0;
    w.LoResMode = 0;
}

// The window title: the bundle's name without ".app", with "-Grafik" for a window without text.
std::string windowtitle(bool hasText) {
    std::string name = lastpathcomponent(bundlepath());
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(lowercase(static_cast<UInt8>(c)));
    if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".app") != 0) return name;
    name.resize(name.size() - 4);
    return hasText ? name : name + "-Grafik";
}

void clearblocks(Runtime& r, UInt8 window);

} // namespace

void t_InitMemory() {
    Runtime& r = rt();
    if (r.MemoryInitStarted.exchange(true)) return;
    logline("t_InitMemory: Start.");
    if (t_ThreadNumber() == 2) setthreadname("Main Program");
    r.HighMemory = VideoMemoryTop;
    r.VideoMemory.assign(static_cast<std::size_t>(VideoMemorySize), 0xFF);
    r.WindowTable.assign(GraphicWindowCount, t_Window{});
    runmemorypreparation();
    r.MemoryInitialized = true;
    logline("t_InitMemory: End.");
}

void t_InitWindow(UInt8 window, Int bitDepth, bool autoUpdate, Int width, Int height,
                  Int borderWidth, Int borderHeight, const t_Font& font, bool titleVisible) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_InitWindow");
        return;
    }
    // One initialisation at a time: two threads placing blocks at once would place them over
    // each other.
    const std::lock_guard serialised(rt().WindowInitLock);
    const std::string p = prefix(window);
    logline(p + " Start.");
    waitformemory();
    Runtime& r = rt();
    if (r.DefaultWindow == NoWindow) r.DefaultWindow = window;
    if (!r.AutoUpdateRunning) startautoupdate(currentruntime());
    t_Window& w = *windowrecord(r, window);
    // Ends before the window layer is called: the main thread must not find the geometry
    // changing while the program thread waits for it.
    std::optional<GeometryChange> changing(std::in_place, w);
    if (w.Initialized) giveblocksback(window);

    const Int available = r.HighMemory - VideoMemoryReserve;
    const Int needed = checkpicture(p, bitDepth, width, height);
    if (needed < 0) return;
    if (needed > available) {
        logline(p + " has not enough graphic-video-memory (" + std::to_string(available / 1024) +
                "K available).");
        logline("t_InitWindow: Displaying " + std::to_string(width) + " x " +
                std::to_string(height) + depthtext(bitDepth) + " needs " + kilobytes(needed) +
                "K video-memory.");
        return;
    }
    if (!titleVisible) {
        t_WindowTitleVisible(window, false);
        logline(p + " title will be invisible.");
    }
    if (borderWidth < 0) borderWidth = t_WindowPos(window, WindowItem::ScreenWidth) - width;
    if (borderHeight < 0) borderHeight = t_WindowPos(window, WindowItem::ScreenHeight) - height;

    const bool textFont = istextfont(font);
    const Int columns = textFont ? width / font.Width : -1;
    const Int lines = textFont ? height / font.Height : -1;
    const Int textNeeded = textFont ? 2 * columns * lines : 0;
    // Both blocks must fit together: the text block goes below the placed graphic block.
    const Int textAvailable = placementstart(r.HighMemory, needed) - 1 - VideoMemoryReserve;
    if (textNeeded > available || textNeeded > textAvailable) {
        Int shown = textNeeded > available ? available : textAvailable;
        logline(p + " has not enough text-video-memory (" + std::to_string(shown / 1024) +
                "K available).");
        logline("t_InitWindow: Displaying " + std::to_string(columns) + " x " +
                std::to_string(lines) + " characters needs " + kilobytes(textNeeded) +
                "K text-video-memory.");
        return;
    }

    storepicturefields(w, bitDepth, autoUpdate, width, height, borderWidth, borderHeight,
                       titleVisible);
    placeblock(needed, w.MemoryStart, w.MemoryEnd);
    logline(p + " = " + std::to_string(width) + " x " + std::to_string(height) +
            depthtext(bitDepth) + " = " + kilobytes(needed) + "K video-memory = $" +
            hex8(w.MemoryStart) + ".");
    storetextfields(w, columns, lines);
    if (textNeeded == 0) {
        w.TextMemoryStart = -1;
        w.TextMemoryEnd = -1;
    } else {
        placeblock(textNeeded, w.TextMemoryStart, w.TextMemoryEnd);
    }

    Handle view = t_WindowView(window);
    if (!view) {
        w.Font = t_Font{};
        logline(p + " could not be initialized, resource undefined.");
        // Each failed try would otherwise keep its blocks, megabytes at a time.
        giveblocksback(window);
        w.MemoryStart = w.MemoryEnd = w.TextMemoryStart = w.TextMemoryEnd = -1;
        return;
    }
    w.View = view;
    w.Window = t_WindowObject(window);
    w.Font = font;
    // Published only once the blocks are cleared: a view or the refresh thread that sees the
    // flag must find a finished window.
    clearblocks(r, window);
    w.Initialized = true;
    changing.reset();

    t_WindowTitle(window, windowtitle(w.TextMemoryStart >= 0));
    t_WindowSize(window, -1, -1, width, height);
    t_ColorBorder(window, 5);
    logline(p + " End.");
}

void t_ClearWindowMemory(UInt8 window) {
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_ClearWindowMemory");
        return;
    }
    if (!windowready(window)) return;
    Runtime& r = rt();
    clearblocks(r, window);
}

namespace {

// Fills the picture with black (opaque at depth 32) and the text cells with spaces.
void clearblocks(Runtime& r, UInt8 window) {
    const t_Window& w = *windowrecord(r, window);
    UInt8* memory = r.VideoMemory.data();
    const Int pictureBytes = bytesperline(w.BitDepth, w.Width) * w.Height;
    if (w.BitDepth == 32) {
        for (Int a = w.MemoryStart; a < w.MemoryStart + pictureBytes; a += 4) {
            memory[a] = 0xFF;
            memory[a + 1] = memory[a + 2] = memory[a + 3] = 0;
        }
    } else {
        std::memset(memory + w.MemoryStart, 0, static_cast<std::size_t>(pictureBytes));
    }
    if (w.TextMemoryStart >= 0) {
        const Int cells = w.TextWidth * w.TextHeight;
        const Int half = (w.TextMemoryEnd - w.TextMemoryStart + 1) / 2;
        std::memset(memory + w.TextMemoryStart, 0x20, static_cast<std::size_t>(cells));
        std::memset(memory + w.TextMemoryStart + half, w.TextColor,
                    static_cast<std::size_t>(cells));
    }
    markchanged(r, window);
}

} // namespace

} // namespace mdx
