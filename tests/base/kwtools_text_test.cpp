#include <gtest/gtest.h>

#include "base/kwtools.h"
#include "support/log_capture.h"

namespace mdx {
namespace {

Text t(std::string_view s) {
    return totext(s);
}

TEST(Position, FindsFirstOccurrenceAtOrAfterStart) {
    struct Case {
        const char* text;
        const char* pattern;
        Int start;
        Int expected;
    } cases[] = {
        {"abcd", "cd", 3, 3}, {"abcd", "cd", 4, 0}, {"abcd", "cd", 1, 3}, {"abab", "ab", 2, 3},
        {"abcd", "", 1, 0},   {"ab", "abc", 1, 0},  {"abcd", "d", 4, 4},  {"abcd", "d", 5, 0},
        {"abcd", "x", 1, 0},  {"", "a", 1, 0},      {"aaa", "aa", 2, 2},  {"abcd", "abcd", 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(position(t(c.text), t(c.pattern), c.start), c.expected)
            << c.text << " / " << c.pattern << " from " << c.start;
}

TEST(Position, StartBelowOneIsLoggedWithThePattern) {
    test::LogCapture log;
    EXPECT_EQ(position(t("abcd"), t("cd"), 0), 0);
    EXPECT_EQ(position(t("abcd"), t("cd"), -5), 0);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"position: Startposition must be >= 1 (cd)",
                                                     "position: Startposition must be >= 1 (cd)"}));
}

TEST(KeyValue, ValueRunsToTheTerminatorOrTheEnd) {
    struct Case {
        const char* text;
        const char* key;
        Int start;
        Int position;
        const char* value;
    } cases[] = {
        {"Hardware:\r  Model Name: MacBook Pro\r  Model Identifier: X\r", "Model Name: ", 1, 13,
         "MacBook Pro"},
        // No terminator after the key: everything after the key, not the key itself.
        {"Serial: C02X", "Serial: ", 1, 1, "C02X"},
        {"a=1\ra=2\r", "a=", 2, 5, "2"},
        {"key\r", "key", 1, 1, ""},
        {"key", "key", 1, 1, ""},
        {"nothing here", "key", 1, 0, ""},
    };
    for (const auto& c : cases) {
        KeyValue kv = keyvalue(t(c.text), t(c.key), 13, c.start);
        EXPECT_EQ(kv.Position, c.position) << c.text;
        EXPECT_EQ(tostring(kv.Value), c.value) << c.text;
    }
}

TEST(Cutting, LeftAndRestOfText) {
    struct Case {
        Int n;
        const char* left;
        const char* rest;
    } cases[] = {
        {-1, "", "abc"}, {0, "", "abc"}, {1, "a", "abc"}, {2, "ab", "bc"},
        {3, "abc", "c"}, {4, "abc", ""}, {99, "abc", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tostring(lefttext(t("abc"), c.n)), c.left) << c.n;
        EXPECT_EQ(tostring(resttext(t("abc"), c.n)), c.rest) << c.n;
    }
}

TEST(Cutting, TrimRemovesOnlySpacesAtBothEnds) {
    EXPECT_EQ(tostring(trimtext(t("  a b  "))), "a b");
    EXPECT_EQ(tostring(trimtext(t("\ta \r"))), "\ta \r");
    EXPECT_EQ(tostring(trimtext(t("    "))), "");
    EXPECT_EQ(tostring(trimtext(t(""))), "");
}

TEST(CompareText, FirstDifferenceOrLengthDecides) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"abc", "abc", 0}, {"abd", "abc", 1}, {"abc", "abd", -1}, {"ab", "abc", -1},
        {"abc", "ab", 1},  {"", "", 0},       {"", "a", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(comparetext(t(c.a), t(c.b)), c.expected) << c.a << " vs " << c.b;
    // Bytes compare unsigned: 0xE4 is above 'z'.
    EXPECT_EQ(comparetext(Text{{0xE4}}, t("z")), 1);
}

TEST(LeadingInteger, SkipsSpacesAndSign) {
    struct Case {
        const char* text;
        Int expected;
    } cases[] = {
        {"42", 42},   {"  42 MB", 42},
        {"-17", -17}, {" - 17x", -17},
        {"abc", 0},   {"", 0},
        {"-", 0},     {"007", 7},
        {"12-3", 12}, {"99999999999999999999999", INT64_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadinginteger(t(c.text)), c.expected) << c.text;
}

TEST(SplitAndJoin, PiecesBetweenSeparators) {
    struct Case {
        const char* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {"", {}},       {"a", {"a"}},       {"a\rb", {"a", "b"}}, {"a\r\rb", {"a", "", "b"}},
        {"a\r", {"a"}}, {"\ra", {"", "a"}}, {"\r", {""}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const Text& piece : splittext(t(c.text), 13))
            got.push_back(tostring(piece));
        EXPECT_EQ(got, c.pieces) << c.text;
    }
    // Joining undoes splitting unless the text ended with a separator.
    for (const char* text : {"", "a", "a\rb", "a\r\rb", "\ra"})
        EXPECT_EQ(tostring(jointext(splittext(t(text), 13), 13)), text);
}

TEST(BigEndian32, ReadsFourBytesOrGivesZero) {
    Bytes bytes = {0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(bigendian32(bytes, 0), 0x12345678u);
    EXPECT_EQ(bigendian32(bytes, 1), 0x3456789Au);
    EXPECT_EQ(bigendian32(bytes, 2), 0u);
    EXPECT_EQ(bigendian32(bytes, SIZE_MAX), 0u);
    EXPECT_EQ(bigendian32({}, 0), 0u);
}

} // namespace
} // namespace mdx
