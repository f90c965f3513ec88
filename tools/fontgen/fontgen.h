// The build-time generator of the program's 16 x 32 text font: glyph table, font file and a
// sheet of all glyphs for people to look at.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "base/types.h"

namespace mdx::fontgen {

inline constexpr int CellWidth = 16;
inline constexpr int CellHeight = 32;
inline constexpr int GlyphCount = 256;
inline constexpr std::size_t GlyphBytes = std::size_t{CellWidth} * CellHeight;
inline constexpr std::size_t TableBytes = GlyphCount * GlyphBytes;

// Every failure of the generator: a font that cannot be read or rendered, a file that cannot be
// written.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The TrueType font the build rasterises from, as configured.
std::string defaultsource();

// The uncompressed grey glyph table: 256 glyphs of 32 rows of 16 coverage bytes, glyph c at
// byte c x 512. Throws Error when the font cannot be used.
Bytes makeglyphtable(const std::string& ttfpath);

// The bytes of the font file for a glyph table: the 16-byte header and the LZW-compressed data.
Bytes makefontfile(const Bytes& glyphtable);

// Writes bytes to a file, replacing it. Throws Error when that fails.
void writefile(const std::string& path, const Bytes& bytes);

// Writes all glyphs as a grey PNG, 16 to a row, enlarged twice, dark ink on white, the cells
// separated by grid lines. Throws Error when that fails.
void writesheet(const std::string& path, const Bytes& glyphtable);

} // namespace mdx::fontgen
