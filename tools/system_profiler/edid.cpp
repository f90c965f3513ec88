#include "tools/system_profiler/edid.h"

#include <array>

#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

constexpr std::size_t BlockSize = 128;
constexpr std::array<std::uint8_t, 8> Header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t FirstDescriptor = 54;
constexpr std::size_t DescriptorSize = 18;
constexpr std::uint8_t NameTag = 0xFC;

// The maker code packs three letters of five bits each, 1 standing for 'A', big-endian.
std::string manufacturercode(const std::uint8_t* block) {
    unsigned packed = static_cast<unsigned>(block[8] << 8 | block[9]);
    std::string code;
    for (int shift : {10, 5, 0}) {
        unsigned letter = (packed >> shift) & 0x1F;
        if (letter < 1 || letter > 26) return {};
        code += static_cast<char>('A' + letter - 1);
    }
    return code;
}

// Text of a display descriptor: up to 13 bytes, ended by a line feed, padded with spaces.
std::string descriptortext(const std::uint8_t* descriptor) {
    std::string text;
    for (std::size_t i = 5; i < DescriptorSize && descriptor[i] != 0x0A; ++i)
        text += static_cast<char>(descriptor[i]);
    text = trim(text);
    return printable(text) ? text : std::string();
}

std::optional<EdidMode> detailedtiming(const std::uint8_t* d) {
    unsigned clock = static_cast<unsigned>(d[0] | d[1] << 8); // in 10 kHz
    int width = d[2] | (d[4] & 0xF0) << 4;
    int hblank = d[3] | (d[4] & 0x0F) << 8;
    int height = d[5] | (d[7] & 0xF0) << 4;
    int vblank = d[6] | (d[7] & 0x0F) << 8;
    if (clock == 0 || width == 0 || height == 0) return {};
    EdidMode mode{width, height, 0};
    bool interlaced = (d[17] & 0x80) != 0;
    double total = static_cast<double>(width + hblank) * static_cast<double>(height + vblank);
    if (interlaced) mode.height *= 2;
    // For interlaced timings this is the field rate, the figure such modes are known by.
    if (total > 0) mode.refresh = clock * 10000.0 / total;
    return mode;
}

} // namespace

std::optional<EdidInfo> parseedid(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < BlockSize) return {};
    for (std::size_t i = 0; i < Header.size(); ++i)
        if (data[i] != Header[i]) return {};
    EdidInfo info;
    info.manufacturer = manufacturercode(data);
    info.product = static_cast<std::uint16_t>(data[10] | data[11] << 8);
    for (int k = 0; k < 4; ++k) {
        const std::uint8_t* d =
            data + FirstDescriptor + static_cast<std::size_t>(k) * DescriptorSize;
        bool timing = d[0] != 0 || d[1] != 0;
        if (timing && k == 0) info.preferred = detailedtiming(d);
        if (!timing && d[3] == NameTag && info.name.empty()) info.name = descriptortext(d);
    }
    return info;
}

} // namespace mdx::sysprof
