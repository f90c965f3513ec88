#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <iostream>
#include <random>
#include <string_view>

#include "runtime/lzw.h"

#if defined(__SANITIZE_THREAD__)
#define MDX_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define MDX_THREAD_SANITIZER 1
#endif
#endif

namespace mdx {
namespace {

using Codes = std::vector<std::uint64_t>;

// Packs codes bit by bit, most significant bit first, and pads the last byte with zero bits.
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

Codes unpack(const Bytes& packed, int width) {
    Codes codes(packed.size() * 8 / width);
    for (std::size_t bit = 0; bit < codes.size() * width; ++bit)
        codes[bit / width] = (codes[bit / width] << 1) | ((packed[bit / 8] >> (7 - bit % 8)) & 1);
    return codes;
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

struct DecodeCase {
    const char* what;
    Bytes packed;
    Int width;
    Bytes expected;
};

TEST(LzwDecode, DecodesCodeSequencesAndRefusesInvalidOnes) {
    const DecodeCase cases[] = {
        {"known and next free code", pack({65, 66, 256, 258}, 9), 9, bytes("ABABABA")},
        {"entry followed by its own successor", pack({65, 66, 256, 257}, 32), 32, bytes("ABABBA")},
        {"chain of next free codes", pack({0, 256, 257, 258}, 9), 9, Bytes(10, 0)},
        {"plain bytes", pack({1, 2, 255}, 8), 8, {1, 2, 255}},
        {"unknown code after the first", pack({65, 300}, 9), 9, {}},
        {"code one beyond the next free", pack({65, 66, 258}, 9), 9, {}},
        {"first code above 255", pack({256, 65}, 9), 9, {}},
        {"first code the largest 32-bit value", pack({0xFFFFFFFF}, 32), 32, {}},
        {"leftover bits ignored", {0x04, 0x10, 0x42, 0xFF}, 12, bytes("AB")},
        {"zero padding that makes whole codes", pack({1, 0, 1}, 1), 1, {1, 0, 1, 0, 0, 0, 0, 0}},
        {"fewer bits than one code", {0xFF}, 9, {}},
        {"no bytes", {}, 9, {}},
        {"width 0", {65}, 0, {}},
        {"negative width", {65}, -8, {}},
        {"width 33", Bytes(9, 0), 33, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lzwdecode(c.packed, c.width), c.expected) << c.what;
}

TEST(LzwDecode, RefusesStreamsThatWouldExpandBeyondAnyFont) {
    // 25 KB of codes that would expand to 67 MB, and a shorter chain that stays allowed.
    EXPECT_TRUE(lzwdecode(pack(growingchain(11600), 17), 17).empty());
    EXPECT_EQ(lzwdecode(pack(growingchain(2000), 17), 17).size(), 2000u * 2001u / 2u);
}

// Peak memory, not time: nine megabytes of codes must not make the decoder reserve hundreds of
// megabytes before its output cap applies (the process's high-water mark, in KiB).
TEST(LzwDecode, NineMegabytesOfCodesStayWithinTheirMemory) {
    const Bytes stream(9u << 20, 0);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    EXPECT_TRUE(lzwdecode(stream, 1).empty()); // 75 million codes: more than the cap allows
    EXPECT_EQ(lzwdecode(stream, 2).size(), stream.size() * 4);
    EXPECT_EQ(lzwdecode(stream, 9).size(), stream.size() * 8 / 9);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
#ifdef MDX_THREAD_SANITIZER
    GTEST_SKIP() << "the thread sanitizer's shadow memory outweighs the decoder's own";
#endif
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 150 * 1024);
    std::cout << "peak growth " << (after.ru_maxrss - before.ru_maxrss) / 1024 << " MiB\n";
}

TEST(LzwEncode, EmitsTheSmallestWorkingWidth) {
    struct Case {
        Bytes data;
        Int width;
    };
    // One 5-bit code leaves 3 padding bits; a narrower code would let the padding read as more
    // codes. Three 2-bit codes leave 2 bits, which would read as a fourth code.
    const Case cases[] = {{{}, 0}, {{0}, 5}, {{65}, 7}, {{1, 2, 3}, 5}, {bytes("ABABABA"), 9}};
    for (const auto& c : cases) {
        LzwStream stream = lzwencode(c.data);
        EXPECT_EQ(stream.Width, c.width) << ::testing::PrintToString(c.data);
        EXPECT_EQ(lzwdecode(stream.Packed, stream.Width), c.data);
    }
    EXPECT_EQ(lzwencode(bytes("ABABABA")).Packed, pack({65, 66, 256, 258}, 9));
}

Bytes randombytes(std::size_t size, int alphabet, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, alphabet - 1);
    Bytes data(size);
    for (auto& b : data)
        b = static_cast<UInt8>(value(random));
    return data;
}

Bytes everybyte() {
    Bytes data(256);
    for (int i = 0; i < 256; ++i)
        data[i] = static_cast<UInt8>(i);
    return data;
}

// No narrower width that holds every code decodes back to the same data.
void expectnonarrowerwidth(const Bytes& data, const LzwStream& stream) {
    if (stream.Width == 0) return;
    Codes codes = unpack(stream.Packed, static_cast<int>(stream.Width));
    std::uint64_t largest = codes.empty() ? 0 : *std::max_element(codes.begin(), codes.end());
    for (int width = 1; width < stream.Width; ++width) {
        if (largest >> width) continue;
        EXPECT_NE(lzwdecode(pack(codes, width), width), data) << "width " << width;
    }
}

TEST(LzwEncode, RoundTripsThroughDecode) {
    struct Case {
        const char* what;
        Bytes data;
    };
    Bytes alternating(5000);
    for (std::size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = i % 2 ? 0xFF : 0x00;
    const Case cases[] = {
        {"one byte", {200}},
        {"two equal bytes", {7, 7}},
        {"every byte value once", everybyte()},
        {"long run of one byte", Bytes(100000, 0x55)},
        {"alternating bytes", alternating},
        {"small alphabet", randombytes(50000, 3, 1)},
        {"random 100 KiB", randombytes(100 * 1024, 256, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LzwStream stream = lzwencode(c.data);
        ASSERT_GE(stream.Width, 1);
        ASSERT_LE(stream.Width, 32);
        EXPECT_EQ(lzwdecode(stream.Packed, stream.Width), c.data);
        if (c.data.size() < 10000) expectnonarrowerwidth(c.data, stream);
    }
}

TEST(LzwEncode, RoundTripsEveryShortLength) {
    for (std::size_t size = 0; size < 300; ++size) {
        Bytes data = randombytes(size, 1 + static_cast<int>(size % 7), static_cast<unsigned>(size));
        LzwStream stream = lzwencode(data);
        ASSERT_EQ(lzwdecode(stream.Packed, stream.Width), data) << "size " << size;
        expectnonarrowerwidth(data, stream);
    }
}

} // namespace
} // namespace mdx
