#include "support/png_io.h"

#include <png.h>

#include <cstring>
#include <unordered_map>
#include <vector>

namespace mdx::test {
namespace {

std::uint8_t channel(std::uint32_t pixel, int shift) {
    return static_cast<std::uint8_t>(pixel >> shift);
}

png_image header(const WindowImage& image, png_uint_32 format) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.Width);
    png.height = static_cast<png_uint_32>(image.Height);
    png.format = format;
    return png;
}

// Palette entries and one index per pixel, or nothing when there are more than 256 colours.
struct Indexed {
    std::vector<std::uint8_t> palette; // red, green, blue per entry
    std::vector<std::uint8_t> indices;
};

std::optional<Indexed> indexed(const WindowImage& image) {
    Indexed result;
    std::unordered_map<std::uint32_t, std::uint8_t> seen;
    result.indices.reserve(image.Pixels.size());
    for (std::uint32_t pixel : image.Pixels) {
        auto [it, added] = seen.try_emplace(pixel, static_cast<std::uint8_t>(seen.size()));
        if (added) {
            if (seen.size() > 256) return std::nullopt;
            for (int shift : {16, 8, 0})
                result.palette.push_back(channel(pixel, shift));
        }
        result.indices.push_back(it->second);
    }
    return result;
}

bool writeindexed(const std::string& path, const WindowImage& image, const Indexed& colours) {
    png_image png = header(image, PNG_FORMAT_RGB_COLORMAP);
    png.colormap_entries = static_cast<png_uint_32>(colours.palette.size() / 3);
    return png_image_write_to_file(&png, path.c_str(), 0, colours.indices.data(), 0,
                                   colours.palette.data()) != 0;
}

bool writergb(const std::string& path, const WindowImage& image) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.Pixels.size() * 3);
    for (std::uint32_t pixel : image.Pixels)
        for (int shift : {16, 8, 0})
            bytes.push_back(channel(pixel, shift));
    png_image png = header(image, PNG_FORMAT_RGB);
    return png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

} // namespace

bool writepng(const std::string& path, const WindowImage& image) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() != static_cast<std::size_t>(image.Width * image.Height))
        return false;
    if (auto colours = indexed(image)) return writeindexed(path, image, *colours);
    return writergb(path, image);
}

std::optional<WindowImage> readpng(const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    WindowImage image{png.width, png.height, {}};
    image.Pixels.reserve(bytes.size() / 3);
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3)
        image.Pixels.push_back(0xFF000000u | std::uint32_t{bytes[i]} << 16 |
                               std::uint32_t{bytes[i + 1]} << 8 | bytes[i + 2]);
    return image;
}

} // namespace mdx::test
