// Bitmap font files: a big-endian 16-byte header ("kwfn") followed by glyph data, plain or
// LZW-compressed.
#pragma once

#include <string>

#include "base/types.h"

namespace mdx {

// The header's length in bytes.
inline constexpr Int FontHeaderSize = 16;

struct t_Font {
    Int HeaderSize = FontHeaderSize;
    Bytes Identifier{'k', 'w', 'f', 'n'};
    Int Format = 0;
    Int Size = 0;
    UInt8 Start = 0;
    UInt8 End = 0;
    Int Width = 0;
    Int Height = 0;
    Int Reserved = 0;
    Bytes Data;
    bool operator==(const t_Font&) const = default;
};

// Format codes.
inline constexpr Int FontFormatPlain = 0;
inline constexpr Int FontFormatGrey = 2;
inline constexpr Int FontFormatPlainLZW = 100;
inline constexpr Int FontFormatGreyLZW = 102;

// Reads a font from the bundle's Contents/Resources folder. Never fails towards the caller:
// problems are logged and give the empty font or a record whose Data is empty.
t_Font t_LoadFontResource(const std::string& name);

// Parses the bytes of a font file as t_LoadFontResource does (name is used in log lines only).
t_Font parsefontfile(const Bytes& file, const std::string& name);

// Formats 100 and 102 become 0 and 2 with their Data decoded; other fonts are returned unchanged.
t_Font fontdecompress(const t_Font& font);

} // namespace mdx
