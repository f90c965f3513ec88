// Reading and writing PNG files of 0xFFRRGGBB pixels for the golden-image tests.
#pragma once

#include <optional>
#include <string>

#include "runtime/image.h"

namespace mdx::test {

// Writes the picture as 8-bit RGBA; false when the file cannot be written.
bool writepng(const std::string& path, const WindowImage& image);

// Reads any PNG as opaque 0xFFRRGGBB pixels; nothing when the file is missing or not a PNG.
std::optional<WindowImage> readpng(const std::string& path);

} // namespace mdx::test
