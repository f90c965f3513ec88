#include "tools/fontgen/text_glyphs.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "tools/fontgen/fontgen.h"
#include "tools/fontgen/graphic_glyphs.h"

namespace mdx::fontgen {

namespace {

// Codes 0..31 show in display mode 2 for the characters @ A..Z [ \ ] ^ _ (code + 64). The letters
// get the Greek letters of the usual Greek keyboard layout (Q, which has none there, gets the
// script theta), the rest a bullet, the four card suits and infinity.
constexpr std::array<char32_t, 32> Symbols = {
    U'\u2022', // 0  @  bullet
    U'\u03B1', // 1  A  alpha
    U'\u03B2', // 2  B  beta
    U'\u03C8', // 3  C  psi
    U'\u03B4', // 4  D  delta
    U'\u03B5', // 5  E  epsilon
    U'\u03C6', // 6  F  phi
    U'\u03B3', // 7  G  gamma
    U'\u03B7', // 8  H  eta
    U'\u03B9', // 9  I  iota
    U'\u03BE', // 10 J  xi
    U'\u03BA', // 11 K  kappa
    U'\u03BB', // 12 L  lambda
    U'\u03BC', // 13 M  mu
    U'\u03BD', // 14 N  nu
    U'\u03BF', // 15 O  omicron
    U'\u03C0', // 16 P  pi
    U'\u03D1', // 17 Q  script theta
    U'\u03C1', // 18 R  rho
    U'\u03C3', // 19 S  sigma
    U'\u03C4', // 20 T  tau
    U'\u03B8', // 21 U  theta
    U'\u03C9', // 22 V  omega
    U'\u03C2', // 23 W  final sigma
    U'\u03C7', // 24 X  chi
    U'\u03C5', // 25 Y  upsilon
    U'\u03B6', // 26 Z  zeta
    U'\u2660', // 27 [  spade
    U'\u2665', // 28 \  heart
    U'\u2666', // 29 ]  diamond
    U'\u2663', // 30 ^  club
    U'\u221E', // 31 _  infinity
};

// Sizes are tried from large to small in quarter pixels (26.6 fixed point: 16 units a step).
constexpr FT_F26Dot6 LargestSize = 48 * 64;
constexpr FT_F26Dot6 SmallestSize = 8 * 64;
constexpr FT_F26Dot6 SizeStep = 16;

// FreeType's default hinting snaps stems and the baseline to whole pixels; the coverage comes from
// its antialiased renderer.
constexpr FT_Int32 LoadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL;

// Where the ink of all glyphs lies relative to the baseline (y upwards) and the cell's left edge.
struct Extents {
    int top = INT_MIN;
    int bottom = INT_MAX;
    int left = INT_MAX;
    int right = INT_MIN;
    int advance = 0;
};

std::string unicodename(char32_t codepoint) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codepoint));
    return name;
}

int pixels(FT_Pos value26dot6) {
    return static_cast<int>((value26dot6 + 32) >> 6);
}

// The column of the pen so that a glyph of this advance sits in the middle of the cell.
int penx(const FT_GlyphSlot slot) {
    return (CellWidth - pixels(slot->advance.x)) / 2;
}

} // namespace

std::optional<char32_t> textcodepoint(int code) {
    if (code < 0 || code >= GlyphCount) return std::nullopt;
    if (code < static_cast<int>(Symbols.size())) return Symbols[static_cast<std::size_t>(code)];
    if (code >= FirstGraphicCode && code <= LastGraphicCode) return std::nullopt;
    return static_cast<char32_t>(code);
}

struct TextRasteriser::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~Face() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }

    // Renders a code point into the glyph slot at the current size.
    FT_GlyphSlot render(char32_t codepoint) const {
        if (FT_Load_Char(face, codepoint, LoadFlags) != 0)
            throw Error("cannot render " + unicodename(codepoint));
        FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            throw Error("no grey rendering of " + unicodename(codepoint));
        return slot;
    }

    void setsize(FT_F26Dot6 size) const {
        if (FT_Set_Char_Size(face, 0, size, 72, 72) != 0) throw Error("font is not scalable");
    }

    Extents measure() const {
        Extents e;
        for (int code = 0; code < GlyphCount; ++code) {
            std::optional<char32_t> codepoint = textcodepoint(code);
            if (!codepoint) continue;
            FT_GlyphSlot slot = render(*codepoint);
            e.advance = std::max(e.advance, pixels(slot->advance.x));
            if (slot->bitmap.rows == 0 || slot->bitmap.width == 0) continue;
            int left = penx(slot) + slot->bitmap_left;
            e.top = std::max(e.top, slot->bitmap_top);
            e.bottom = std::min(e.bottom, slot->bitmap_top - static_cast<int>(slot->bitmap.rows));
            e.left = std::min(e.left, left);
            e.right = std::max(e.right, left + static_cast<int>(slot->bitmap.width));
        }
        return e;
    }
};

namespace {

bool fits(const Extents& e) {
    if (e.top == INT_MIN) return false; // no ink at all
    return e.advance <= CellWidth && e.left >= 0 && e.right <= CellWidth &&
           e.top - e.bottom <= CellHeight - 2 * TextMargin;
}

// The extents' free rows are shared out above and below, the odd one going below.
int baselinefor(const Extents& e) {
    int spare = CellHeight - (e.top - e.bottom);
    return spare / 2 + e.top;
}

} // namespace

TextRasteriser::TextRasteriser(const std::string& ttfpath) : face_(std::make_unique<Face>()) {
    if (FT_Init_FreeType(&face_->library) != 0) throw Error("cannot start FreeType");
    if (FT_New_Face(face_->library, ttfpath.c_str(), 0, &face_->face) != 0)
        throw Error("cannot open font " + ttfpath);
    for (FT_F26Dot6 size = LargestSize; size >= SmallestSize; size -= SizeStep) {
        face_->setsize(size);
        Extents e = face_->measure();
        if (!fits(e)) continue;
        pixelsize_ = static_cast<double>(size) / 64;
        baseline_ = baselinefor(e);
        return;
    }
    throw Error("no size of " + ttfpath + " fits a " + std::to_string(CellWidth) + " x " +
                std::to_string(CellHeight) + " cell");
}

TextRasteriser::~TextRasteriser() = default;

void TextRasteriser::draw(char32_t codepoint, Canvas& canvas, int x, int y) const {
    FT_GlyphSlot slot = face_->render(codepoint);
    const FT_Bitmap& bitmap = slot->bitmap;
    int left = x + penx(slot) + slot->bitmap_left;
    int top = y + baseline_ - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column)
            canvas.plot(left + static_cast<int>(column), top + static_cast<int>(row), line[column]);
    }
}

} // namespace mdx::fontgen
