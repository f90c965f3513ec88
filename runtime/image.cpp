#include "runtime/image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <string>

#include "base/clock.h"
#include "base/log.h"
#include "runtime/state.h"
#include "runtime/window.h"

namespace mdx {
namespace {

constexpr std::uint32_t Opaque = 0xFF000000;
// Pixels are converted in chunks that stay in the first-level cache and are then appended to
// the image in one copy each; this keeps the image vector from being zero-filled first.
constexpr std::size_t ChunkPixels = 256;

using Colours = std::array<std::uint32_t, 16>;

std::uint32_t rgb(UInt8 red, UInt8 green, UInt8 blue) {
    return Opaque | std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
}

std::uint32_t grey(UInt8 level) {
    return Opaque | std::uint32_t{level} * 0x010101u;
}

Colours palettecolours() {
    Colours colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = rgb(Palette16Red[i], Palette16Green[i], Palette16Blue[i]);
    return colours;
}

// The graphic block of a window as the conversion sees it. Pixel i is counted line by line
// from the top left; the lines follow each other without a gap.
struct Picture {
    const UInt8* bytes = nullptr;
    std::size_t size = 0; // bytes that may be read
    std::size_t pixels = 0;
    Colours colours{}; // used at depth 4
};

template <int Depth>
std::uint32_t pixelat(const Picture& p, std::size_t i) {
    const UInt8* b = p.bytes;
    if constexpr (Depth == 1) {
        const std::uint32_t bit = (b[i / 8] >> (7 - i % 8)) & 1u;
        return Opaque | (0u - bit) >> 8; // 0 black, 1 white
    } else if constexpr (Depth == 4) {
        const unsigned shift = (~i & 1u) * 4; // even pixels in the high four bits
        return p.colours[(b[i / 2] >> shift) & 0xFu];
    } else if constexpr (Depth == 8) {
        return grey(b[i]);
    } else if constexpr (Depth == 16) {
        return grey(b[2 * i + 1]);
    } else if constexpr (Depth == 24) {
        return rgb(b[3 * i], b[3 * i + 1], b[3 * i + 2]);
    } else {
        return rgb(b[4 * i + 1], b[4 * i + 2], b[4 * i + 3]);
    }
}

using Vector16 = UInt8 __attribute__((vector_size(16)));

// Four pixels of Stride bytes each, with red, green and blue at byte offsets R, G and B, become
// four little-endian 0xFFRRGGBB words in one byte shuffle. Reads 16 bytes from source.
template <int Stride, int R, int G, int B>
[[gnu::always_inline]] inline void shufflefour(const UInt8* source, std::uint32_t* out) {
    constexpr int A = 16; // any byte of the second operand, which is all 0xFF
    const Vector16 opaque = {255, 255, 255, 255, 255, 255, 255, 255,
                             255, 255, 255, 255, 255, 255, 255, 255};
    Vector16 in;
    std::memcpy(&in, source, sizeof in);
    const Vector16 result = __builtin_shufflevector(
        in, opaque, B, G, R, A, Stride + B, Stride + G, Stride + R, A, 2 * Stride + B,
        2 * Stride + G, 2 * Stride + R, A, 3 * Stride + B, 3 * Stride + G, 3 * Stride + R, A);
    std::memcpy(out, &result, sizeof result);
}

template <int Depth>
[[gnu::always_inline]] inline void shufflepixels(const UInt8* source, std::uint32_t* out) {
    if constexpr (Depth == 8) shufflefour<1, 0, 0, 0>(source, out);
    if constexpr (Depth == 16) shufflefour<2, 1, 1, 1>(source, out);
    if constexpr (Depth == 24) shufflefour<3, 0, 1, 2>(source, out);
    if constexpr (Depth == 32) shufflefour<4, 1, 2, 3>(source, out);
}

// Converts count pixels from pixel first on. Whole-byte depths go four pixels at a time while
// 16 bytes can be read; the rest, and the depths below 8, go pixel by pixel.
template <int Depth>
[[gnu::always_inline]] inline void convertrun(const Picture& p, std::size_t first,
                                              std::size_t count, std::uint32_t* out) {
    std::size_t i = 0;
    if constexpr (Depth >= 8 && std::endian::native == std::endian::little) {
        constexpr std::size_t stride = Depth / 8;
        for (; i + 4 <= count && (first + i) * stride + 16 <= p.size; i += 4)
            shufflepixels<Depth>(p.bytes + (first + i) * stride, out + i);
    }
    for (; i < count; ++i)
        out[i] = pixelat<Depth>(p, first + i);
}

// The depth is chosen once per chunk, never per pixel.
[[gnu::always_inline]] inline void convertchunk(int depth, const Picture& p, std::size_t first,
                                                std::size_t count, std::uint32_t* out) {
    switch (depth) {
    case 1: convertrun<1>(p, first, count, out); break;
    case 4: convertrun<4>(p, first, count, out); break;
    case 8: convertrun<8>(p, first, count, out); break;
    case 16: convertrun<16>(p, first, count, out); break;
    case 24: convertrun<24>(p, first, count, out); break;
    default: convertrun<32>(p, first, count, out); break;
    }
}

using ChunkConverter = void (*)(int, const Picture&, std::size_t, std::size_t, std::uint32_t*);

void convertchunkplain(int depth, const Picture& p, std::size_t first, std::size_t count,
                       std::uint32_t* out) {
    convertchunk(depth, p, first, count, out);
}

// On x86 the byte shuffle is one instruction with SSSE3 and a long sequence without, so a second
// copy is built for SSSE3 and chosen when the processor has it. The choice is made here rather
// than by the loader, whose early resolver calls the sanitizers do not survive.
#if defined(__x86_64__)
[[gnu::target("ssse3")]] void convertchunkssse3(int depth, const Picture& p, std::size_t first,
                                                std::size_t count, std::uint32_t* out) {
    convertchunk(depth, p, first, count, out);
}

ChunkConverter chunkconverter() {
    static const ChunkConverter chosen =
        __builtin_cpu_supports("ssse3") ? convertchunkssse3 : convertchunkplain;
    return chosen;
}
#else
ChunkConverter chunkconverter() {
    return convertchunkplain;
}
#endif

// The one deliberate race: the pixels are read while the program thread may write them, and a
// redraw that mixes old and new pixels is corrected by the next one. Under the thread sanitizer
// these reads, and only these, are left out of its records.
#if defined(__SANITIZE_THREAD__)
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
struct RacyPixelReads {
    RacyPixelReads() { AnnotateIgnoreReadsBegin(__FILE__, __LINE__); }
    ~RacyPixelReads() { AnnotateIgnoreReadsEnd(__FILE__, __LINE__); }
    RacyPixelReads(const RacyPixelReads&) = delete;
    RacyPixelReads& operator=(const RacyPixelReads&) = delete;
};
#else
struct RacyPixelReads {};
#endif

std::vector<std::uint32_t> convertpicture(int depth, const Picture& p) {
    std::vector<std::uint32_t> pixels;
    pixels.reserve(p.pixels);
    std::array<std::uint32_t, ChunkPixels> chunk;
    const ChunkConverter convert = chunkconverter();
    for (std::size_t first = 0; first < p.pixels; first += ChunkPixels) {
        const std::size_t count = std::min(ChunkPixels, p.pixels - first);
        {
            [[maybe_unused]] const RacyPixelReads racy;
            convert(depth, p, first, count, chunk.data());
        }
        pixels.insert(pixels.end(), chunk.begin(),
                      chunk.begin() + static_cast<std::ptrdiff_t>(count));
    }
    return pixels;
}

bool knowndepth(Int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// A window's geometry read once, with the generation count it was read under.
struct Geometry {
    Int generation = 0;
    Int depth = 0;
    Int width = 0;
    Int height = 0;
    Int start = -1;
    Int end = -1;
};

Geometry snapshot(const t_Window& w) {
    return {w.GeometryGeneration, w.BitDepth, w.Width, w.Height, w.MemoryStart, w.MemoryEnd};
}

// The fields were all of one initialisation when no change ran while they were read and none
// has run since: an odd count means a change was under way.
bool stillcurrent(const t_Window& w, const Geometry& g) {
    return g.generation % 2 == 0 && w.GeometryGeneration == g.generation;
}

// The window's graphic block, or nothing when the geometry does not describe a picture that
// lies within its block and the video memory.
std::optional<Picture> picturefor(const Runtime& r, const Geometry& g) {
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

std::optional<WindowImage> renderwindow(const Runtime& r, const Geometry& g) {
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
    const Geometry g = snapshot(w);
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
    t_Window& w = runtime->WindowTable[window];
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
    t_Window* blanking = window == 0 && memoryready(*runtime) ? &runtime->WindowTable[0] : nullptr;
    if (blanking) blanking->VerticalBlank = false;
    std::optional<WindowImage> image = t_WindowImage(window);
    if (blanking) blanking->VerticalBlank = true;
    return image;
}

} // namespace mdx
