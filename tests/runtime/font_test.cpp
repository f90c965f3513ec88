#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "base/kwtools.h"
#include "runtime/font.h"
#include "runtime/lzw.h"
#include "support/runtime_fixture.h"

namespace mdx {
namespace {

struct Header {
    UInt8 headersize = 16;
    std::string identifier = "kwfn";
    UInt8 format = FontFormatGrey;
    std::uint32_t size = 0;
    UInt8 start = 32;
    UInt8 end = 255;
    UInt8 width = 16;
    UInt8 height = 32;
    std::uint16_t reserved = 0;
};

Bytes fontfile(const Header& h, const Bytes& data = {}) {
    auto byte = [](auto value, int shift) { return static_cast<UInt8>(value >> shift); };
    Bytes file{h.headersize,
               0,
               0,
               0,
               0,
               h.format,
               byte(h.size, 24),
               byte(h.size, 16),
               byte(h.size, 8),
               byte(h.size, 0),
               h.start,
               h.end,
               h.width,
               h.height,
               byte(h.reserved, 8),
               byte(h.reserved, 0)};
    std::copy(h.identifier.begin(), h.identifier.end(), file.begin() + 1);
    file.resize(file.size() + data.size());
    std::copy(data.begin(), data.end(), file.end() - static_cast<std::ptrdiff_t>(data.size()));
    return file;
}

// The file with another header-size byte, cut to `size` bytes when that is given.
Bytes reheadered(Bytes file, UInt8 headersize, std::size_t size = SIZE_MAX) {
    file.resize(std::min(size, file.size()));
    file[0] = headersize;
    return file;
}

// 256 glyphs of 16 x 32 grey pixels: a stem and a bar whose places depend on the code.
Bytes greyglyphs() {
    Bytes data(256 * 512, 0);
    for (int code = 32; code < 256; ++code) {
        for (int y = 4; y < 28; ++y) {
            UInt8* row = &data[code * 512 + y * 16];
            int stem = 2 + code % 4 * 3;
            row[stem] = row[stem + 2] = 0x80;
            row[stem + 1] = 0xFF;
            if (y == 8 + code / 32 * 2) std::fill(row + 2, row + 14, UInt8{0xC0});
        }
    }
    return data;
}

// Moves packed codes from one width to another, bit by bit.
Bytes repack(const Bytes& packed, int from, int to) {
    std::size_t count = packed.size() * 8 / from;
    Bytes out((count * to + 7) / 8, 0);
    for (std::size_t code = 0; code < count; ++code) {
        for (int bit = 0; bit < from; ++bit) {
            std::size_t source = code * from + bit;
            std::size_t target = code * to + (to - from) + bit;
            if ((packed[source / 8] >> (7 - source % 8)) & 1)
                out[target / 8] |= static_cast<UInt8>(0x80 >> (target % 8));
        }
    }
    return out;
}

t_Font emptyfont(Int headersize, const std::string& identifier = "kwfn") {
    t_Font font;
    font.HeaderSize = headersize;
    font.Identifier.assign(identifier.begin(), identifier.end());
    return font;
}

t_Font greyfont(Int format, const Bytes& data) {
    t_Font font{16, {'k', 'w', 'f', 'n'}, format, 0, 32, 255, 16, 32, 0, data};
    return font;
}

// A bundle of its own in a temporary folder, so every test decides what the font file holds.
class FontFileTest : public test::RuntimeTest {
  protected:
    FontFileTest() {
        std::filesystem::create_directories(bundle.path() + "/Contents/Resources");
        setbundlepath(bundle.path());
    }

    t_Font load(const Bytes& file) {
        std::ofstream(bundle.path() + "/Contents/Resources/test.font", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
        return t_LoadFontResource("test.font");
    }

    test::TempDir bundle;
};

TEST_F(FontFileTest, LoadsAGreyFontSilently) {
    Bytes glyphs = greyglyphs();
    t_Font font = load(fontfile({.size = 0x12345678, .reserved = 0xBEEF}, glyphs));
    t_Font expected = greyfont(FontFormatGrey, glyphs);
    expected.Size = 0x12345678;
    expected.Reserved = 0xBEEF;
    EXPECT_EQ(font, expected);
    EXPECT_EQ(font.Data.size(), 131072u);
    EXPECT_EQ(log.text(), "");
}

TEST_F(FontFileTest, CompressedFontsLoadAsTheirPlainForm) {
    Bytes glyphs = greyglyphs();
    LzwStream stream = lzwencode(glyphs);
    ASSERT_LE(stream.Width, 12) << "the test glyphs must fit 12-bit codes";
    Bytes data{12};
    Bytes codes = repack(stream.Packed, static_cast<int>(stream.Width), 12);
    data.insert(data.end(), codes.begin(), codes.end());
    const std::pair<UInt8, Int> formats[] = {{FontFormatGreyLZW, FontFormatGrey},
                                             {FontFormatPlainLZW, FontFormatPlain}};
    for (auto [stored, loaded] : formats) {
        t_Font font = load(fontfile({.format = stored, .size = 77, .reserved = 5}, data));
        t_Font expected = greyfont(loaded, glyphs);
        expected.Size = 77;
        expected.Reserved = 5;
        EXPECT_EQ(font, expected) << "format " << int{stored};
    }
    EXPECT_EQ(log.text(), "");
}

TEST_F(FontFileTest, RefusesBrokenHeadersWithOneLine) {
    struct Case {
        const char* what;
        Bytes file;
        t_Font expected;
        std::string line;
    };
    const std::string invalidsize = "t_LoadFontResource: Invalid header size";
    const std::string invalidtype = "t_LoadFontResource: Invalid file type";
    const Case cases[] = {
        {"empty file", {}, t_Font{}, "t_LoadFontResource: Could not load file „test.font“"},
        {"header size beyond the file", {20, 'k', 'w', 'f', 'n', 2}, emptyfont(20), invalidsize},
        {"header size 0", fontfile({.headersize = 0}, {1}), emptyfont(0), invalidsize},
        {"too short for the identifier", {3, 'k', 'w'}, emptyfont(3), invalidsize},
        {"too short for the fixed fields", reheadered(fontfile({}), 13, 13), emptyfont(13),
         invalidsize},
        {"upper-case identifier", fontfile({.identifier = "KWFN"}, {1}), emptyfont(16, "KWFN"),
         invalidtype},
        {"other identifier", {5, 'f', 'o', 'n', 't'}, emptyfont(5, "font"), invalidtype},
    };
    for (const auto& c : cases) {
        log.clear();
        EXPECT_EQ(load(c.file), c.expected) << c.what;
        EXPECT_EQ(log.lines(), std::vector<std::string>{c.line}) << c.what;
    }
}

TEST_F(FontFileTest, AcceptsOddButReadableFilesSilently) {
    struct Case {
        const char* what;
        Bytes file;
        t_Font expected;
    };
    auto font = [](Int headersize, Int format, Int size, Int reserved, Bytes data) {
        t_Font f = greyfont(format, std::move(data));
        f.HeaderSize = headersize;
        f.Size = size;
        f.Reserved = reserved;
        return f;
    };
    Bytes full = fontfile({.size = 0x01020304, .reserved = 0x0506}, {9, 9, 9, 9});
    auto compressed = [](Bytes data) { return fontfile({.format = FontFormatGreyLZW}, data); };
    const Case cases[] = {
        {"14-byte header", reheadered(full, 14, 14), font(14, 2, 0x01020304, 0, {})},
        {"15-byte header", reheadered(full, 15, 15), font(15, 2, 0x01020304, 0, {})},
        {"reserved read from the data", reheadered(full, 14),
         font(14, 2, 0x01020304, 0x0506, {5, 6, 9, 9, 9, 9})},
        {"header longer than 16 bytes", reheadered(full, 18),
         font(18, 2, 0x01020304, 0x0506, {9, 9})},
        {"compressed, no data", compressed({}), font(16, 2, 0, 0, {})},
        {"compressed, first code above 255", compressed({9, 0x80, 0x00}), font(16, 2, 0, 0, {})},
        {"compressed, invalid code", compressed({9, 0x20, 0xE0, 0x00}), font(16, 2, 0, 0, {})},
        {"compressed, width 0", compressed({0, 65, 66}), font(16, 2, 0, 0, {})},
        {"compressed, width 40", compressed({40, 0, 0, 0, 0, 65}), font(16, 2, 0, 0, {})},
        {"illegal format kept", fontfile({.format = 7}, {1, 2}), font(16, 7, 0, 0, {1, 2})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(load(c.file), c.expected) << c.what;
    EXPECT_EQ(log.text(), "");
}

TEST_F(FontFileTest, MissingFileLogsItsName) {
    EXPECT_EQ(t_LoadFontResource("Nothing 8x8.font"), t_Font{});
    EXPECT_TRUE(log.contains("t_LoadFontResource: Could not load file „Nothing 8x8.font“"))
        << log.text();
}

TEST(FontDecompress, ChangesOnlyCompressedFormats) {
    Bytes ab{9, 0x20, 0x90, 0x80}; // codes 65, 66 at 9 bits
    const std::tuple<Int, Bytes, Int, Bytes> cases[] = {
        {FontFormatGrey, ab, FontFormatGrey, ab},
        {101, ab, 101, ab},
        {FontFormatPlainLZW, ab, FontFormatPlain, {65, 66}},
        {FontFormatGreyLZW, {}, FontFormatGrey, {}},
    };
    for (const auto& [format, data, newformat, newdata] : cases) {
        t_Font font = greyfont(format, data);
        font.Size = 3;
        t_Font expected = font;
        expected.Format = newformat;
        expected.Data = newdata;
        EXPECT_EQ(fontdecompress(font), expected) << "format " << format;
    }
}

// The generated font comes from another build step; only its shape is checked here.
using GeneratedFontTest = test::RuntimeTest;

TEST_F(GeneratedFontTest, LoadsAsGreyFont) {
    std::error_code error;
    auto path = std::string(MIRADEX_TEST_BUNDLE) + "/Contents/Resources/MenloRegular 16x32.font";
    if (std::filesystem::file_size(path, error) == 0 || error) GTEST_SKIP() << "no font in bundle";
    t_Font font = t_LoadFontResource("MenloRegular 16x32.font");
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(font.Format, FontFormatGrey);
    EXPECT_EQ(font.Width, 16);
    EXPECT_EQ(font.Height, 32);
    EXPECT_GE(font.Data.size(), (font.End + 1u) * 512u);
}

} // namespace
} // namespace mdx
