// Font files (the header checks in their order, the compressed formats, odd but
// readable files) and the LZW codec that compresses them.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string_view>

#include "runtime/font.h"
#include "runtime/lzw.h"
#include "support/runtime_fixture.h"

namespace mdx {
namespace {

// Header size 16, "kwfn", the format, the size (four bytes, big-endian), Start
// 32, End 255, glyphs of 16 x 32, the reserved field (two bytes, big-endian);
// then the data.
Bytes fontfile(UInt8 format, const Bytes& data = {}, std::uint32_t size = 0, UInt8 reserved = 0) {
    Bytes file{16, 'k', 'w', 'f', 'n', format};
    for (int shift : {24, 16, 8, 0})
        file.push_back(static_cast<UInt8>(size >> shift));
    file.insert(file.end(), {32, 255, 16, 32, 0, reserved});
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// The file with another header-size byte, cut to `size` bytes when that is
// given. The bytes cut off stay in the vector's storage, so a read past the end
// finds them instead of zeros.
Bytes reheadered(Bytes file, UInt8 headersize, std::size_t size = SIZE_MAX) {
    file.resize(std::min(size, file.size()));
    file[0] = headersize;
    return file;
}

t_Font font(Int headersize, Int format, Int size, Int reserved, Bytes data) {
    return t_Font{headersize, {'k', 'w', 'f', 'n'}, format, size, 32, 255, 16, 32, reserved, data};
}

// What a file that fails a header check leaves: its header size and, past the
// size check, the identifier it has.
t_Font refused(Int headersize, std::string_view identifier = "kwfn") {
    t_Font f;
    f.HeaderSize = headersize;
    f.Identifier.assign(identifier.begin(), identifier.end());
    return f;
}

using FontFileTest = test::RuntimeTest;

// Each check in its order: the file is there, the header size fits the file and
// the identifier, the identifier, the fixed fields. Past them anything loads
// without a word: 256 glyphs of 16 x 32 stored plain, and compressed as the
// code width followed by the packed codes (formats 102 and 100, which load as 2
// and 0).
TEST_F(FontFileTest, HeaderChecksRefuseWithOneLineAndAnythingElseLoads) {
    Bytes glyphs(256 * 512);
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        glyphs[i] = static_cast<UInt8>(i % 16 < i / 512 % 16 ? 0xFF : i % 5 * 40);
    const LzwStream stream = lzwencode(glyphs);
    Bytes packed{static_cast<UInt8>(stream.Width)};
    packed.insert(packed.end(), stream.Packed.begin(), stream.Packed.end());
    const std::string size = "t_LoadFontResource: Invalid header size\n";
    const Bytes full = fontfile(FontFormatGrey, {9, 9, 9, 9}, 0x01020304, 6);
    // Refused: no file, a header size beyond the file, 0, too short for the identifier or for the
    // fixed fields, an upper-case identifier. Loaded: a 14-byte header, the reserved field read
    // from the data, a 15-byte file (half the reserved field reads as 0, not with the byte
    // beyond), an 18-byte header; plain, grey LZW, plain LZW, an invalid code, an illegal format.
    // clang-format off
    const std::tuple<Bytes, t_Font, std::string> cases[] = {
        {{}, t_Font{}, "t_LoadFontResource: Could not load file „test.font“\n"},
        {{20, 'k', 'w', 'f', 'n', 2}, refused(20), size}, {reheadered(full, 0), refused(0), size},
        {{3, 'k', 'w'}, refused(3), size}, {reheadered(full, 13, 13), refused(13), size},
        {{5, 'K', 'W', 'F', 'N'}, refused(5, "KWFN"), "t_LoadFontResource: Invalid file type\n"},
        {reheadered(full, 14, 14), font(14, 2, 0x01020304, 0, {}), ""},
        {reheadered(full, 14), font(14, 2, 0x01020304, 6, {0, 6, 9, 9, 9, 9}), ""},
        {reheadered(full, 15, 15), font(15, 2, 0x01020304, 0, {}), ""},
        {reheadered(full, 18), font(18, 2, 0x01020304, 6, {9, 9}), ""},
        {fontfile(FontFormatGrey, glyphs, 0x12345678, 0xEF),
         font(16, FontFormatGrey, 0x12345678, 0xEF, glyphs), ""},
        {fontfile(FontFormatGreyLZW, packed), font(16, FontFormatGrey, 0, 0, glyphs), ""},
        {fontfile(FontFormatPlainLZW, packed), font(16, FontFormatPlain, 0, 0, glyphs), ""},
        {fontfile(FontFormatGreyLZW, {9, 0x20, 0xE0, 0x00}), font(16, 2, 0, 0, {}), ""},
        {fontfile(7, {1, 2}), font(16, 7, 0, 0, {1, 2}), ""}};
    // clang-format on
    for (const auto& c : cases) {
        log.clear();
        const t_Font parsed = parsefontfile(std::get<0>(c), "test.font");
        EXPECT_EQ(std::pair(parsed, log.text()), std::pair(std::get<1>(c), std::get<2>(c)))
            << &c - cases;
    }
}

using Codes = std::vector<std::uint64_t>;

// Packs codes bit by bit, most significant bit first, and pads the last byte
// with zero bits.
Bytes pack(const Codes& codes, int width) {
    Bytes out;
    int bits = 0;
    for (std::uint64_t code : codes) {
        for (int bit = width - 1; bit >= 0; --bit, ++bits) {
            if (bits % 8 == 0) out.push_back(0);
            if ((code >> bit) & 1) out.back() |= static_cast<UInt8>(0x80 >> (bits % 8));
        }
    }
    return out;
}

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// Every code the next free one: n codes describe about n * n / 2 bytes.
Codes growingchain(std::size_t n) {
    Codes codes{65};
    for (std::uint64_t code = 256; codes.size() < n; ++code)
        codes.push_back(code);
    return codes;
}

TEST(LzwDecode, DecodesCodeSequencesAndRefusesInvalidOnes) {
    // Known and next free codes; an entry followed by its own successor; a chain of next free
    // codes; plain bytes. Refused: an unknown code after the first, one beyond the next free, a
    // first code above 255 or the largest 32-bit value. Leftover bits are ignored; zero padding
    // that makes whole codes is not. Fewer bits than one code, no bytes, widths 0, -8 and 33
    // give nothing. 25 KB of codes that would expand to 67 MB are refused; a shorter chain not.
    // clang-format off
    const std::tuple<Bytes, Int, Bytes> cases[] = {
        {pack({65, 66, 256, 258}, 9), 9, bytes("ABABABA")}, {pack({1, 2, 255}, 8), 8, {1, 2, 255}},
        {pack({65, 66, 256, 257}, 32), 32, bytes("ABABBA")}, {pack({0, 256, 257}, 9), 9, Bytes(6)},
        {pack({65, 300}, 9), 9, {}}, {pack({65, 66, 258}, 9), 9, {}}, {pack({256, 65}, 9), 9, {}},
        {pack({0xFFFFFFFF}, 32), 32, {}}, {{0x04, 0x10, 0x42, 0xFF}, 12, bytes("AB")},
        {pack({1, 0, 1}, 1), 1, {1, 0, 1, 0, 0, 0, 0, 0}}, {{0xFF}, 9, {}}, {Bytes{}, 9, {}},
        {{65}, 0, {}}, {{65}, -8, {}}, {Bytes(9, 0), 33, {}},
        {pack(growingchain(11600), 17), 17, {}}};
    // clang-format on
    for (const auto& [packed, width, expected] : cases)
        EXPECT_EQ(lzwdecode(packed, width), expected) << ::testing::PrintToString(packed);
    EXPECT_EQ(lzwdecode(pack(growingchain(2000), 17), 17).size(), 2000u * 2001u / 2u);
}

// Peak memory, not time: nine megabytes of codes must not make the decoder
// reserve hundreds of megabytes before its output cap applies (the process's
// high-water mark, in KiB).
TEST(LzwDecode, NineMegabytesOfCodesStayWithinTheirMemory) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own bookkeeping grows with every allocation";
#endif
    const Bytes stream(9u << 20, 0);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    EXPECT_TRUE(lzwdecode(stream, 1).empty()); // 75 million codes: more than the cap allows
    EXPECT_EQ(lzwdecode(stream, 2).size(), stream.size() * 4);
    EXPECT_EQ(lzwdecode(stream, 9).size(), stream.size() * 8 / 9);
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 150 * 1024);
}

} // namespace
} // namespace mdx
