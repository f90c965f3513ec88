#include "tools/fontgen/fontgen.h"

#include <cstdint>
#include <fstream>
#include <optional>

#include <png.h>

#include "runtime/font.h"
#include "runtime/lzw.h"
#include "tools/fontgen/graphic_glyphs.h"
#include "tools/fontgen/text_glyphs.h"

namespace mdx::fontgen {

namespace {

// The sheet: every cell enlarged this many times, with grid lines of this width around it.
constexpr int SheetScale = 2;
constexpr int SheetGrid = 2;
constexpr int SheetColumns = 16;
constexpr UInt8 SheetGridGrey = 160;

void appendbigendian32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<UInt8>(value >> shift));
}

Canvas glyph(int code, const TextRasteriser& text) {
    if (std::optional<char32_t> codepoint = textcodepoint(code)) {
        Canvas c(CellWidth, CellHeight);
        text.draw(*codepoint, c, 0, 0);
        return c;
    }
    return graphicglyph(code, text.baseline());
}

} // namespace

std::string defaultsource() {
    return MIRADEX_FONTGEN_DEFAULT_SOURCE;
}

Bytes makeglyphtable(const std::string& ttfpath) {
    TextRasteriser text(ttfpath);
    Bytes table;
    table.reserve(TableBytes);
    for (int code = 0; code < GlyphCount; ++code) {
        Canvas cell = glyph(code, text);
        table.insert(table.end(), cell.pixels().begin(), cell.pixels().end());
    }
    return table;
}

Bytes makefontfile(const Bytes& glyphtable) {
    LzwStream stream = lzwencode(glyphtable);
    Bytes file = {FontHeaderSize, 'k', 'w', 'f', 'n', FontFormatGreyLZW};
    appendbigendian32(file, static_cast<std::uint32_t>(glyphtable.size()));
    file.push_back(0);   // first code: the symbols 0..31 are shown too
    file.push_back(255); // last code
    file.push_back(CellWidth);
    file.push_back(CellHeight);
    file.push_back(0); // reserved
    file.push_back(0);
    file.push_back(static_cast<UInt8>(stream.Width));
    file.insert(file.end(), stream.Packed.begin(), stream.Packed.end());
    return file;
}

void writefile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw Error("cannot write " + path);
}

void writesheet(const std::string& path, const Bytes& glyphtable) {
    constexpr int cellw = CellWidth * SheetScale + SheetGrid;
    constexpr int cellh = CellHeight * SheetScale + SheetGrid;
    const int rows = (GlyphCount + SheetColumns - 1) / SheetColumns;
    const int width = SheetColumns * cellw + SheetGrid;
    const int height = rows * cellh + SheetGrid;
    Bytes image(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), SheetGridGrey);
    for (int code = 0; code < GlyphCount; ++code) {
        int left = (code % SheetColumns) * cellw + SheetGrid;
        int top = (code / SheetColumns) * cellh + SheetGrid;
        std::size_t glyphstart = static_cast<std::size_t>(code) * GlyphBytes;
        for (int y = 0; y < CellHeight * SheetScale; ++y) {
            for (int x = 0; x < CellWidth * SheetScale; ++x) {
                std::size_t source =
                    glyphstart +
                    static_cast<std::size_t>((y / SheetScale) * CellWidth + x / SheetScale);
                UInt8 coverage = source < glyphtable.size() ? glyphtable[source] : 0;
                image[static_cast<std::size_t>((top + y) * width + left + x)] =
                    static_cast<UInt8>(255 - coverage);
            }
        }
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_GRAY;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.data(), width, nullptr))
        throw Error("cannot write " + path + ": " + png.message);
}

} // namespace mdx::fontgen
