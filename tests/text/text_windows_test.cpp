// The virtual printer: its ruler and width, its refresh thread and buffer, the text it shows for
// bytes that are not UTF-8, and the clearing of text windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "runtime/state.h"
#include "support/runtime_fixture.h"
#include "text/text_windows.h"

namespace mdx::test {
namespace {

using Clock = std::chrono::steady_clock;

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class PrinterTest : public RuntimeTest {
  protected:
    std::string printed() { return layer.text(VirtualPrinterWindowNumber); }
    int loglines(const std::string& prefix) const {
        const auto lines = log.lines();
        return static_cast<int>(std::count_if(
            lines.begin(), lines.end(), [&](const auto& l) { return l.rfind(prefix, 0) == 0; }));
    }
};

TEST(RulerTextTest, MarginsDotsHalfDecadesAndDecadeDigits) {
    EXPECT_EQ(p_RulerText(20), "L...!....1....!....R");
    EXPECT_EQ(p_RulerText(1), "L");
    EXPECT_EQ(p_RulerText(2), "LR");
    EXPECT_EQ(p_RulerText(0), "");
    EXPECT_EQ(p_RulerText(-3), "");
    const std::string wide = p_RulerText(160);
    ASSERT_EQ(wide.size(), 160u);
    EXPECT_EQ(wide.substr(97, 3), "..0"); // column 100 shows the decade's last digit
    EXPECT_EQ(wide.back(), 'R');
}

TEST_F(PrinterTest, WidthOf82ColumnsMakesA657PointWindow) {
    rt().TitleBarHeight = 28;
    layer.setFrame(layer.window(9), Rect{30, 40, 900, 528});
    p_SetPrinterWidth(82);
    const std::string ruler = layer.textView(VirtualPrinterWindowNumber).Ruler;
    ASSERT_EQ(ruler.size(), 82u);
    EXPECT_EQ(ruler.front(), 'L');
    EXPECT_EQ(ruler.back(), 'R');
    for (int decade = 1; decade <= 8; ++decade)
        EXPECT_EQ(ruler[static_cast<std::size_t>(10 * decade - 1)], '0' + decade) << decade;
    EXPECT_EQ(layer.state(VirtualPrinterWindowNumber).Frame, (Rect{30, 40, 657, 528}));
    // The scroll view follows the width only; its height stays as it was.
    EXPECT_EQ(layer.textView(VirtualPrinterWindowNumber).ScrollViewSize, (Size{617, 400}));
}

TEST_F(PrinterTest, InitialisingTwiceStartsOneThreadThatEndsWithItsRuntime) {
    layer.setText(VirtualPrinterWindowNumber, "alt");
    p_InitPrinter();
    p_InitPrinter();
    EXPECT_EQ(printed(), "");
    EXPECT_EQ(layer.textView(VirtualPrinterWindowNumber).Ruler, p_RulerText(160));
    EXPECT_TRUE(layer.textView(VirtualPrinterWindowNumber).SetUp);
    ASSERT_TRUE(eventually([&] { return loglines("p_PrinterAutoUpdateProcess: Start") > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(loglines("p_PrinterAutoUpdateProcess: Start as thread #"), 1);

    std::shared_ptr<Runtime> old = currentruntime();
    resetruntime();
    EXPECT_EQ(old->PrinterThreads.running(), 0);
    EXPECT_EQ(log.lines().back(), "p_PrinterAutoUpdateProcess: End.");
}

TEST_F(PrinterTest, AppendedTextAppearsAtMostAboutTenTimesASecond) {
    p_InitPrinter();
    const auto start = Clock::now();
    std::string all;
    for (int i = 0; i < 40; ++i) {
        const std::string piece = std::to_string(i) + " ";
        p_AppendPrinter(piece);
        all += piece;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(eventually([&] { return printed() == all; }));
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    // Transfers are 101 ms apart at least; the initialisation's own emptying is one more.
    EXPECT_LE(layer.count("setText 9"), elapsed / 101 + 2) << elapsed << " ms";
    EXPECT_FALSE(rt().PrinterChanged);
}

TEST_F(PrinterTest, BytesThatAreNotUtf8AreShownByTheFallback) {
    p_InitPrinter();
    p_AppendPrinter("\xE9");
    EXPECT_TRUE(eventually([&] { return printed() == "é"; }));
}

TEST(PrinterFallbackTest, EachByteIsItsCharacterExceptEscapedCodes) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xE9", "é"},
        {"a\xFF", "a\xC3\xBF"},
        {"\x1B"
         "20AC\x1D",
         "€"},
        {"\x1B"
         "00e9\x1D!",
         "é!"},
        {"\x1B"
         "0041\x1D\x1B"
         "0042\x1D",
         "AB"},
        {"\x1B"
         "00G1\x1D",
         "\x1B"
         "00G1\x1D"}, // not hexadecimal
        {"\x1B"
         "0041",
         "\x1B"
         "0041"}, // cut short
        {"\x1B"
         "D800\x1D",
         "\x1B"
         "D800\x1D"}, // a surrogate is no character
        {std::string("\x1B"
                     "0000\x1D",
                     6),
         std::string(1, '\0')},
        {"", ""},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(printerfallbacktext(bytes), text) << bytes;
}

TEST_F(PrinterTest, MissingPrinterViewIsReportedAndNothingStarts) {
    layer.removeTextView(VirtualPrinterWindowNumber);
    p_InitPrinter();
    p_SetPrinter("x");
    p_SetRuler("x");
    EXPECT_FALSE(rt().PrinterUpdateRunning);
    EXPECT_TRUE(layer.calls().empty());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "p_InitPrinter: Virtual printer window is nil, resource undefined.",
                               "p_SetPrinter: Virtual printer window is nil, resource undefined.",
                               "p_SetRuler: Virtual printer window is nil, resource undefined.",
                           }));
}

TEST_F(PrinterTest, ClearingEmptiesOnlyThePrinterAndTheConsole) {
    for (UInt8 n : {8, 9, 10})
        layer.setText(n, "Text");
    for (UInt8 n : {8, 9, 10, 0, 200})
        t_ClearTextWindow(n);
    EXPECT_EQ(layer.text(PasteboardWindowNumber), "Text");
    EXPECT_EQ(layer.text(VirtualPrinterWindowNumber), "");
    EXPECT_EQ(layer.text(SystemConsoleWindowNumber), "");
}

} // namespace
} // namespace mdx::test
