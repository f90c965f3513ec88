#include "support/png_io.h"

#include <png.h>

#include <bit>
#include <cstring>

namespace mdx::test {
namespace {

// A pixel 0xAARRGGBB lies in memory as blue, green, red, alpha on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

png_image header() {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    return png;
}

} // namespace

bool writepng(const std::string& path, const WindowImage& image) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() != static_cast<std::size_t>(image.Width * image.Height))
        return false;
    png_image png = header();
    png.width = static_cast<png_uint_32>(image.Width);
    png.height = static_cast<png_uint_32>(image.Height);
    png.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&png, path.c_str(), 0, image.Pixels.data(), 0, nullptr) != 0;
}

std::optional<WindowImage> readpng(const std::string& path) {
    png_image png = header();
    if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
    png.format = PNG_FORMAT_BGRA;
    WindowImage image{png.width, png.height, std::vector<std::uint32_t>(png.width * png.height)};
    if (!png_image_finish_read(&png, nullptr, image.Pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    for (std::uint32_t& pixel : image.Pixels)
        pixel |= 0xFF000000u;
    return image;
}

} // namespace mdx::test
