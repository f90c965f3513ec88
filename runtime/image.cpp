#include "runtime/image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <string>

#include "base/clock.h"
#include "base/log.h"
#include "runtime/checked_window.h"
#include "runtime/pixels.h"
#include "runtime/state.h"
#include "runtime/window.h"

namespace mdx {
namespace {

bool knowndepth(Int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// A window's geometry read once, with the generation count it was read under.
struct PictureLayout {
    Int generation = 0;
    Int depth = 0;
    Int width = 0;
    Int height = 0;
    Int start = -1;
    Int end = -1;
};

PictureLayout snapshot(const t_Window& w) {
    return {w.GeometryGeneration, w.BitDepth, w.Width, w.Height, w.MemoryStart, w.MemoryEnd};
}

// The fields were all of one initialisation when no change ran while they were read and none
// has run since: an odd count means a change was under way.
bool stillcurrent(const t_Window& w, const PictureLayout& g) {
    return g.generation % 2 == 0 && w.GeometryGeneration == g.generation;
}

// The window's graphic block, or nothing when the geometry does not describe a picture that
// lies within its block and the video memory.
std::optional<Picture> picturefor(const Runtime& r, const PictureLayout& g) {
    if (g.width < 1 || g.width > 8192 || g.height < 1 || g.height > 8192) return std::nullopt;
    const Int needed = (g.width * g.height * g.depth + 7) / 8;
    const Int end = std::min<Int>(g.end, static_cast<Int>(r.VideoMemory.size()) - 1);
    if (g.start < 0 || end - g.start + 1 < needed) return std::nullopt;
    Picture p;
    p.bytes = r.VideoMemory.data() + g.start;
    p.size = static_cast<std::size_t>(end - g.start + 1);
    p.pixels = static_cast<std::size_t>(g.width * g.height);
    if (g.depth == 4) p.colours = palettecolours();
    return p;
}

std::optional<WindowImage> renderwindow(const Runtime& r, const PictureLayout& g) {
    if (!knowndepth(g.depth)) {
        logline("t_WindowImage: Illegal bit depth.");
        return std::nullopt;
    }
    std::optional<Picture> picture = picturefor(r, g);
    try {
        if (picture)
            return WindowImage{g.width, g.height,
                               convertpicture(static_cast<int>(g.depth), *picture)};
    } catch (const std::bad_alloc&) {
    }
    logline("t_WindowImage: Data could not be collected, image could not be created.");
    return std::nullopt;
}

// The image of one consistent geometry. A window initialised again while it is read gives no
// image: its geometry no longer matches the bytes, and the initialisation marks the window
// changed, so a redraw of the new picture follows.
std::optional<WindowImage> consistentimage(const Runtime& r, const t_Window& w) {
    const PictureLayout g = snapshot(w);
    if (!stillcurrent(w, g)) return std::nullopt;
    std::optional<WindowImage> image = renderwindow(r, g);
    if (!stillcurrent(w, g)) return std::nullopt;
    return image;
}

bool memoryready(const Runtime& r) {
    return r.MemoryInitialized && r.WindowTable.size() == GraphicWindowCount;
}

} // namespace

std::optional<WindowImage> t_WindowImage(UInt8 window) {
    const std::shared_ptr<Runtime> runtime = currentruntime();
    if (!memoryready(*runtime)) return std::nullopt;
    if (window >= GraphicWindowCount) {
        lognotgraphic("t_WindowImage");
        return std::nullopt;
    }
    t_Window& w = *windowrecord(*runtime, window);
    if (!w.Initialized) {
        logline("t_WindowImage: Graphic window #" + std::to_string(window) + " not initialized.");
        return std::nullopt;
    }
    if (!w.Visible) return std::nullopt;
    const Int started = absolutetimeus();
    std::optional<WindowImage> image = consistentimage(*runtime, w);
    if (!image) return std::nullopt;
    w.UpdateDuration = absolutetimeus() - started;
    w.UpdateFinished = absolutetimems();
    return image;
}

std::optional<WindowPicture> t_WindowPicture(UInt8 window) {
    if (window >= GraphicWindowCount || !t_WindowView(window)) return std::nullopt;
    std::optional<WindowImage> image = t_WindowImage(window);
    if (!image) return std::nullopt;
    const Size points{static_cast<double>(image->Width), static_cast<double>(image->Height)};
    return WindowPicture{std::move(*image), points};
}

std::optional<WindowImage> viewimage(UInt8 window) {
    const std::shared_ptr<Runtime> runtime = currentruntime();
    t_Window* blanking = window == 0 && memoryready(*runtime) ? windowrecord(*runtime, 0) : nullptr;
    if (blanking) blanking->VerticalBlank = false;
    std::optional<WindowImage> image = t_WindowImage(window);
    if (blanking) blanking->VerticalBlank = true;
    return image;
}

} // namespace mdx
