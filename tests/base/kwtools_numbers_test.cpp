#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "base/kwtools.h"

namespace mdx {
namespace {

TEST(FormatInteger, GroupingSignAndFill) {
    struct Case {
        Int n;
        UInt8 fill;
        Int width;
        bool grouping;
        const char* expected;
    } cases[] = {
        {1234567, ' ', 1, true, "1.234.567"},
        {-1234, ' ', 1, true, "-1.234"},
        {12, ' ', 5, false, "   12"},
        {123, ' ', 1, true, "123"},
        {1000, ' ', 1, false, "1000"},
        {0, ' ', 0, true, "0"},
        {7, '0', 3, false, "007"},
        {-7, '0', 4, false, "00-7"}, // the fill goes in front of the sign
        {123456, ' ', 3, true, "123.456"},
        {INT64_MIN, ' ', 1, true, "-9.223.372.036.854.775.808"},
        {5, 0xA0, 3, false, "\u00A0\u00A05"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatinteger(c.n, c.fill, c.width, c.grouping), c.expected) << c.n;
    EXPECT_EQ(formatinteger(1, ' ', INT64_MAX, false).size(), 32767u);
}

TEST(RealToString, ShortestFormWithDecimalComma) {
    struct Case {
        double x;
        const char* expected;
    } cases[] = {
        {3.0, "3"},      {2.5, "2,5"},       {-2.5, "-2,5"}, {0.1, "0,1"},      {1e20, "1e+20"},
        {1e-7, "1e-07"}, {4.0198, "4,0198"}, {0.0, "0"},     {HUGE_VAL, "inf"}, {-HUGE_VAL, "-inf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(realtostring(c.x), c.expected) << c.x;
}

TEST(FormatReal, TruncatesGroupsAndFills) {
    struct Case {
        UInt8 fill;
        Int width;
        Int decimals;
        bool grouping;
        double x;
        const char* expected;
    } cases[] = {
        {' ', 1, 2, true, 3075.0, "3.075,00"}, // 3148800 / 1024 of video memory
        {' ', 1, 2, false, 4.0198, "4,01"},    // cut, not rounded
        {' ', 1, 2, false, 4.0199999, "4,01"},
        {' ', 1, 3, false, 2.5, "2,500"},
        {' ', 1, 0, false, 2.5, "2"},
        {' ', 10, 2, true, 1234.5, "  1.234,50"},
        {'0', 8, 1, false, 3.25, "000003,2"},
        {' ', 1, 2, true, -1234567.891, "-1.234.567,89"},
        {' ', 1, 2, false, 1e20, "100000000000000000000,00"},
        {' ', 1, 2, true, 1e20, "100.000.000.000.000.000.000,00"},
        {' ', 1, 9, false, 1e-7, "0,000000100"},
        {' ', 1, 2, false, 1e-7, "0,00"},
        {' ', 1, 3, false, 1.5e-3, "0,001"},
        {' ', 1, 2, false, 0.0, "0,00"},
        {' ', 1, 2, false, 1.25e5, "125000,00"},
        {' ', 1, 2, false, 4.005, "4,00"},
        {' ', 1, 2, false, 4.0114, "4,01"},
        {' ', 1, 4, false, 4.005, "4,0050"}, // the shortest form, not the binary expansion
        {' ', 1, 2, false, 1.5e20, "150000000000000000000,00"},
        {' ', 1, 9, false, -1.25e-7, "-0,000000125"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatreal(c.fill, c.width, c.decimals, c.grouping, c.x), c.expected) << c.x;
}

TEST(FormatReal, NonNumbersComeBackUnchanged) {
    EXPECT_EQ(formatreal(' ', 10, 2, true, HUGE_VAL), "inf");
    EXPECT_EQ(formatreal(' ', 10, 2, true, -HUGE_VAL), "-inf");
    EXPECT_EQ(formatreal(' ', 10, 2, true, std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(FormatReal, ExtremesStayBounded) {
    EXPECT_EQ(formatreal(' ', 1, 0, false, 1.7976931348623157e308).size(), 309u);
    EXPECT_EQ(formatreal(' ', 1, 2, false, 5e-324), "0,00");
    EXPECT_EQ(formatreal(' ', 1, INT64_MAX, false, 1.5).size(), 2u + 32767u);
}

TEST(Uptime, DaysOnlyWhenPresent) {
    struct Case {
        Int seconds;
        Int days, hours, minutes, secs;
        const char* text;
    } cases[] = {
        {59, 0, 0, 0, 59, "00:00:59"},
        {90061, 1, 1, 1, 1, "1#01:01:01"},
        {18429, 0, 5, 7, 9, "05:07:09"},
        {86399, 0, 23, 59, 59, "23:59:59"},
        {86400LL * 1234, 1234, 0, 0, 0, "1.234#00:00:00"},
        {0, 0, 0, 0, 0, "00:00:00"},
        {-5, 0, 0, 0, 0, "00:00:00"},
    };
    for (const auto& c : cases) {
        Uptime up = uptimetext(c.seconds);
        EXPECT_EQ(up.Text, c.text) << c.seconds;
        EXPECT_EQ((std::array<Int, 4>{up.Days, up.Hours, up.Minutes, up.Seconds}),
                  (std::array<Int, 4>{c.days, c.hours, c.minutes, c.secs}))
            << c.seconds;
    }
}

} // namespace
} // namespace mdx
