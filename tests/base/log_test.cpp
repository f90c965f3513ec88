// The log sink's escaping: C0 and C1 controls are written as hexadecimal, all other text as it is.
#include "support/log_capture.h"

namespace mdx {
namespace {

TEST(LogTest, ControlCharactersAreEscapedAndOtherTextIsKept) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb\x1B[2J\x7F", "a\\x0Ab\\x1B[2J\\x7F"},
        {"NEL\xC2\x85 CSI\xC2\x9B" "31m APC\xC2\x9F", "NEL\\xC2\\x85 CSI\\xC2\\x9B31m APC\\xC2\\x9F"},
        // Neighbours of C1 that are text: NBSP, "ä", the euro sign (its second byte is 0x82),
        // and a lone lead byte at the end.
        {"\xC2\xA0\xC3\xA4\xE2\x82\xAC\xC2", "\xC2\xA0\xC3\xA4\xE2\x82\xAC\xC2"}};
    // clang-format on
    for (const auto& [line, written] : cases) {
        test::LogCapture log;
        logline(line);
        EXPECT_EQ(log.text(), written + "\n");
    }
}

} // namespace
} // namespace mdx
