// Glyphs rendered from a TrueType font: the ISO 8859-1 characters and the symbols on codes
// 0..31, all on one baseline at the largest size whose every glyph fits the cell.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tools/fontgen/canvas.h"

namespace mdx::fontgen {

// Rows kept free above and below the tallest and deepest glyph, so that accents of one text line
// never touch the descenders of the line above.
inline constexpr int TextMargin = 1;

// The code point drawn for a character code, or nothing for the runtime's graphic characters
// 127..160, which are drawn by hand.
std::optional<char32_t> textcodepoint(int code);

class TextRasteriser {
  public:
    // Opens the font and chooses the size. Throws Error when the font cannot be opened or no size
    // fits.
    explicit TextRasteriser(const std::string& ttfpath);
    ~TextRasteriser();
    TextRasteriser(const TextRasteriser&) = delete;
    TextRasteriser& operator=(const TextRasteriser&) = delete;

    // The chosen em size in pixels.
    double pixelsize() const { return pixelsize_; }
    // The cell row just below the baseline: the bottom row of a capital H is baseline() - 1.
    int baseline() const { return baseline_; }

    // Draws a code point with the cell's top left corner at (x, y) of the canvas, centred on its
    // advance. Ink that falls outside the canvas is dropped; pass a larger canvas to see it.
    void draw(char32_t codepoint, Canvas& canvas, int x, int y) const;

  private:
    struct Face;
    std::unique_ptr<Face> face_;
    double pixelsize_ = 0;
    int baseline_ = 0;
};

} // namespace mdx::fontgen
