#include "runtime/pixels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>

#include "runtime/state.h"

namespace mdx {
namespace {

constexpr std::uint32_t Opaque = 0xFF000000;
// Pixels are converted in chunks that stay in the first-level cache and are then appended to
// the image in one copy each; this keeps the image vector from being zero-filled first.
constexpr std::size_t ChunkPixels = 256;

std::uint32_t rgb(UInt8 red, UInt8 green, UInt8 blue) {
    return Opaque | std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
}

std::uint32_t grey(UInt8 level) {
    return Opaque | std::uint32_t{level} * 0x010101u;
}

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
    case 4: return static_cast<UInt8>(nearestpaletteindex(c[0], c[1], c[2]));
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

} // namespace

Colours palettecolours() {
    Colours colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = rgb(Palette16Red[i], Palette16Green[i], Palette16Blue[i]);
    return colours;
}

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

Int nearestpaletteindex(UInt8 red, UInt8 green, UInt8 blue) {
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

bool packsdepth(Int depth) {
    return blitterFor(depth) != nullptr;
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

} // namespace mdx
