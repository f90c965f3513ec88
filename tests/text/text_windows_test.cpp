// The virtual printer: its ruler, its refresh thread and buffer, and the text it shows for bytes
// that are not UTF-8.
#include "support/testing.h"

#include "runtime/state.h"
#include "support/eventually.h"
#include "support/runtime_fixture.h"
#include "text/text_windows.h"

namespace mdx::test {
namespace {

class PrinterTest : public RuntimeTest {
  protected:
    std::string printed() { return layer.text(VirtualPrinterWindowNumber); }
};

TEST(RulerTextTest, MarginsDotsHalfDecadesAndDecadeDigits) {
    for (auto [width, ruler] :
         {std::pair{20, "L...!....1....!....R"}, {1, "L"}, {2, "LR"}, {0, ""}, {-3, ""}})
        EXPECT_EQ(p_RulerText(width), ruler) << width;
    EXPECT_EQ(p_RulerText(160).substr(97), "..0....!....1....!....2....!....3....!....4....!....5."
                                           "...!....R"); // column 100 shows the decade's last digit
}

TEST_F(PrinterTest, InitialisingTwiceStartsOneThreadThatEndsWithItsRuntime) {
    layer.setText(VirtualPrinterWindowNumber, "alt");
    p_InitPrinter();
    p_InitPrinter();
    EXPECT_EQ(std::tuple(printed(), layer.textView(9).Ruler, layer.textView(9).SetUp,
                         rt().PrinterThreads.running()),
              std::tuple("", p_RulerText(160), true, 1));
    ASSERT_TRUE(
        eventually([&] { return log.text().find("Start as thread #") != std::string::npos; }));

    std::shared_ptr<Runtime> old = currentruntime();
    resetruntime();
    EXPECT_EQ(old->PrinterThreads.running(), 0);
    EXPECT_EQ(log.lines().back(), "p_PrinterAutoUpdateProcess: End.");
}

// Appended text reaches the view whole, in order, through the refresh thread.
TEST_F(PrinterTest, AppendedTextReachesTheView) {
    p_InitPrinter();
    p_AppendPrinter("a ");
    p_AppendPrinter("b ");
    ASSERT_TRUE(eventually([&] { return printed() == "a b "; }));
    p_AppendPrinter("\xE9"); // not UTF-8: shown by the fallback
    EXPECT_TRUE(eventually([&] { return printed() == "a b é"; }));
}

// Escaped codes that are not hexadecimal, cut short or a surrogate stay as they are.
TEST(PrinterFallbackTest, EachByteIsItsCharacterExceptEscapedCodes) {
    // clang-format off
    for (auto [bytes, text] : {std::pair{"\xE9", "é"}, {"a\xFF", "a\xC3\xBF"}, {"", ""},
             {"\03320AC\035", "€"}, {"\03300e9\035!", "é!"}, {"\0330041\035\0330042\035", "AB"},
             {"\0330041", "\0330041"}, {"\03300G1\035", "\03300G1\035"},
             {"\033D800\035", "\033D800\035"}})
        // clang-format on
        EXPECT_EQ(printerfallbacktext(bytes), text) << bytes;
    EXPECT_EQ(printerfallbacktext(std::string("\0330000\035", 6)), std::string(1, '\0'));
}

} // namespace
} // namespace mdx::test
