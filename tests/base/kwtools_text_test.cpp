#include <gtest/gtest.h>

#include "base/kwtools.h"
#include "support/log_capture.h"

namespace mdx {
namespace {

Text t(std::string_view s) {
    return totext(s);
}

TEST(Position, FindsFirstOccurrenceAtOrAfterStartAndLogsAStartBelowOne) {
    const std::tuple<const char*, const char*, Int, Int> cases[] = {
        {"abcd", "cd", 3, 3}, {"abcd", "cd", 4, 0}, {"abab", "ab", 2, 3}, {"abcd", "", 1, 0},
        {"ab", "abc", 1, 0},  {"abcd", "d", 4, 4},  {"abcd", "d", 5, 0},  {"aaa", "aa", 2, 2},
    };
    for (const auto& [text, pattern, start, expected] : cases)
        EXPECT_EQ(position(t(text), t(pattern), start), expected) << text << pattern << start;
    test::LogCapture log;
    EXPECT_EQ(position(t("abcd"), t("cd"), 0), 0);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"position: Startposition must be >= 1 (cd)"});
}

TEST(KeyValue, ValueRunsToTheTerminatorOrTheEnd) {
    // Without a terminator the value is the rest, without the key.
    // clang-format off
    const std::tuple<const char*, const char*, Int, Int, const char*> cases[] = {
        {"Hardware:\r  Model Name: MacBook Pro\r  Model Identifier: X\r", "Model Name: ", 1, 13, "MacBook Pro"},
        {"Serial: C02X", "Serial: ", 1, 1, "C02X"}, {"a=1\ra=2\r", "a=", 2, 5, "2"},
        {"key", "key", 1, 1, ""}, {"nothing here", "key", 1, 0, ""}};
    // clang-format on
    for (const auto& [text, key, start, at, value] : cases) {
        const KeyValue kv = keyvalue(t(text), t(key), 13, start);
        EXPECT_EQ(std::pair(kv.Position, tostring(kv.Value)), std::pair(at, std::string(value)));
    }
}

TEST(Cutting, LeftRestAndTrim) {
    const std::tuple<Int, const char*, const char*> cases[] = {
        {0, "", "abc"}, {1, "a", "abc"}, {2, "ab", "bc"}, {4, "abc", ""}};
    for (const auto& [n, left, rest] : cases)
        EXPECT_EQ(std::tuple(tostring(lefttext(t("abc"), n)), tostring(resttext(t("abc"), n))),
                  std::tuple(left, rest))
            << n;
    for (const auto& [text, trimmed] :
         {std::pair("  a b  ", "a b"), {"\ta \r", "\ta \r"}, {"    ", ""}})
        EXPECT_EQ(tostring(trimtext(t(text))), trimmed);
}

TEST(CompareText, FirstDifferenceOrLengthDecides) {
    // clang-format off
    const std::tuple<const char*, const char*, int> cases[] = {
        {"abc", "abc", 0}, {"abd", "abc", 1}, {"abc", "abd", -1}, {"ab", "abc", -1}, {"abc", "ab", 1}};
    // clang-format on
    for (const auto& [a, b, expected] : cases)
        EXPECT_EQ(comparetext(t(a), t(b)), expected) << a << " vs " << b;
    EXPECT_EQ(comparetext(Text{{0xE4}}, t("z")), 1); // bytes compare unsigned
}

TEST(LeadingInteger, SkipsSpacesAndSign) {
    // clang-format off
    const std::pair<const char*, Int> cases[] = {{"  42 MB", 42}, {" - 17x", -17}, {"abc", 0}, {"-", 0},
                                                 {"12-3", 12}, {"99999999999999999999999", INT64_MAX}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(leadinginteger(t(text)), expected) << text;
}

TEST(SplitAndJoin, PiecesBetweenSeparators) {
    // The number of pieces, then the pieces joined with "|".
    const std::pair<const char*, const char*> cases[] = {
        {"", "0:"}, {"a\r\rb", "3:a||b"}, {"a\r", "1:a"}, {"\ra", "2:|a"}, {"\r", "1:"}};
    for (const auto& [text, pieces] : cases) {
        const std::vector<Text> split = splittext(t(text), 13);
        EXPECT_EQ(std::to_string(split.size()) + ":" + tostring(jointext(split, '|')), pieces);
    }
    EXPECT_EQ(tostring(jointext(splittext(t("a\r\rb"), 13), 13)), "a\r\rb");
}

} // namespace
} // namespace mdx
