#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/kwtools.h"

namespace mdx {
namespace {

TEST(FormatInteger, GroupingSignAndFill) {
    // The fill goes in front of the sign.
    // clang-format off
    const std::tuple<Int, UInt8, Int, bool, const char*> cases[] = {
        {1234567, ' ', 1, true, "1.234.567"}, {-1234, ' ', 1, true, "-1.234"},
        {12, ' ', 5, false, "   12"}, {-7, '0', 4, false, "00-7"}, {123456, ' ', 3, true, "123.456"},
        {INT64_MIN, ' ', 1, true, "-9.223.372.036.854.775.808"}, {5, 0xA0, 3, false, "\u00A0\u00A05"},
    };
    // clang-format on
    for (const auto& [n, fill, width, grouping, expected] : cases)
        EXPECT_EQ(formatinteger(n, fill, width, grouping), expected) << n;
    EXPECT_EQ(formatinteger(1, ' ', INT64_MAX, false).size(), 32767u);
}

TEST(FormatReal, ShortestFormTruncatedGroupedAndFilled) {
    const std::pair<double, const char*> shortest[] = {
        {3.0, "3"}, {-2.5, "-2,5"}, {1e20, "1e+20"}, {1e-7, "1e-07"}, {-HUGE_VAL, "-inf"}};
    for (const auto& [x, expected] : shortest)
        EXPECT_EQ(realtostring(x), expected) << x;
    // 4.0199999 is cut, not rounded; 4.005 gives its shortest form, not the binary expansion.
    // clang-format off
    const std::tuple<UInt8, Int, Int, bool, double, const char*> cases[] = {
        {' ', 1, 2, false, 4.0199999, "4,01"}, {' ', 1, 0, false, 2.5, "2"},
        {' ', 10, 2, true, 1234.5, "  1.234,50"}, {'0', 8, 1, false, 3.25, "000003,2"},
        {' ', 1, 2, true, -1234567.891, "-1.234.567,89"}, {' ', 1, 4, false, 4.005, "4,0050"},
        {' ', 1, 2, true, 1e20, "100.000.000.000.000.000.000,00"},
        {' ', 1, 9, false, 1e-7, "0,000000100"}, {' ', 1, 9, false, -1.25e-7, "-0,000000125"},
        {' ', 10, 2, true, -HUGE_VAL, "-inf"}, {' ', 1, 2, false, 5e-324, "0,00"},
        {' ', 10, 2, true, std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    // clang-format on
    for (const auto& [fill, width, decimals, grouping, x, expected] : cases)
        EXPECT_EQ(formatreal(fill, width, decimals, grouping, x), expected) << x;
    EXPECT_EQ(formatreal(' ', 1, 0, false, 1.7976931348623157e308).size(), 309u);
    EXPECT_EQ(formatreal(' ', 1, INT64_MAX, false, 1.5).size(), 2u + 32767u);
}

TEST(Uptime, DaysOnlyWhenPresent) {
    // clang-format off
    const std::pair<Int, const char*> cases[] = {{59, "00:00:59"}, {93784, "1#02:03:04"}, {86399, "23:59:59"},
                                                 {-5, "00:00:00"}, {106617600, "1.234#00:00:00"}};
    // clang-format on
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(uptimetext(seconds).Text, text) << seconds;
}

} // namespace
} // namespace mdx
