#include <gtest/gtest.h>

#include "base/kwtools.h"

namespace mdx {
namespace {

TEST(TextConversion, ValidUtf8PassesThroughAndStrayBytesBecomeLatin1) {
    EXPECT_EQ(tostring(totext("Grüße €")), "Grüße €");
    // Latin-1 ä, an overlong "/", a surrogate, a code above U+10FFFF, an emoji, a truncated
    // sequence at the end.
    const Bytes mixed = {'a',  0xE4, 'b',  0xC0, 0xAF, 0xED, 0xA0, 0x80, 0xF4,
                         0x90, 0x80, 0x80, 0xF0, 0x9F, 0x98, 0x80, 0xC3};
    EXPECT_EQ(tostring(Text{mixed}),
              "a\u00E4b\u00C0\u00AF\u00ED\u00A0\u0080\u00F4\u0090\u0080\u0080"
              "\U0001F600\u00C3");
    EXPECT_TRUE(isvalidutf8("\u00E4\u20AC\U0010FFFF"));
    for (std::string_view bad : {"\xE4", "\xE2\x82", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xBF\xBF",
                                 "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF8"})
        EXPECT_FALSE(isvalidutf8(bad)) << testing::PrintToString(bad);
}

TEST(Characters, CountedInCodePoints) {
    const std::tuple<Int, const char*, const char*> cases[] = {
        {0, "aä€b", ""}, {1, "aä€b", "a"}, {2, "ä€b", "ä"}, {4, "b", "b"}, {5, "", ""}};
    for (const auto& [n, rest, at] : cases)
        EXPECT_EQ(std::tuple(reststring("aä€b", n), charat("aä€b", n)), std::tuple(rest, at)) << n;
    EXPECT_EQ(charat("x\xE4y", 3), "y"); // a stray byte counts as one character
    const std::pair<const char*, Int> codes[] = {
        {"", 0}, {"äb", 0xE4}, {"€", 0x20AC}, {"\U0001F600", 0x1F600}, {"\xE4", 0xE4}};
    for (const auto& [s, code] : codes)
        EXPECT_EQ(charcode(s), code) << s;
}

TEST(Replace, FirstOrAllAndBoundedRepeats) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*, bool, const char*> cases[] = {
        {"a.b.c", ".", ",", true, "a,b,c"}, {"a.b.c", ".", ",", false, "a,b.c"}, {"aaa", "aa", "b", true, "ba"},
        {"abc", "", "y", true, "abc"}, {"aa", "a", "aa", true, "aaaa"}};
    // clang-format on
    for (const auto& [s, find, with, all, expected] : cases)
        EXPECT_EQ(replacestring(s, find, with, all), expected) << s;
    EXPECT_EQ(std::tuple(spaces(32767).size(), spaces(32768), spaces(-1), repeatstring("ab", 3),
                         repeatstring("ab", 32768)),
              std::tuple(32767u, "", "", "ababab", ""));
}

// ä -> Ä, ß has no capital, Ö -> ö. Centring trims and pads in front only, counting characters.
TEST(CaseAndCentre, GermanCapitalsAndCentredText) {
    EXPECT_EQ(std::tuple(uppercase(228), uppercase(223), lowercase(214)),
              std::tuple(196, 223, 246));
    EXPECT_EQ(std::tuple(centertext("  abc \t", 9), centertext("abcdef", 4), centertext("äöü", 7)),
              std::tuple("   abc", "abcdef", "  äöü"));
}

} // namespace
} // namespace mdx
