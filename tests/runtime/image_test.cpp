// Reading a window back: its picture (the cases that give no image, the blanking
// of window 0, whole images while the window is made again), and its character
// grid as text.
#include "support/testing.h"

#include <cstring>

#include "base/log.h"
#include "runtime/image.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "text/text_fixture.h"

namespace mdx::test {
namespace {

class ImageTest : public TextTest {
  protected:
    void poke(Int address, const std::string& bytes) {
        std::memcpy(rt().VideoMemory.data() + address, bytes.data(), bytes.size());
    }
};

// Before the runtime exists and while the window is hidden: silently nothing. A
// record that does not describe a picture inside its block and the memory gives
// no image and reads nothing.
TEST_F(ImageTest, NoImageWithoutAReadyVisibleWindowAndBlankingWhileWindowZeroDraws) {
    EXPECT_FALSE(t_WindowImage(0));
    t_Window& w = openwindow(0, 24, 64, 32);
    const t_Window good = w;
    // A picture past the memory; more lines than the block; no width. (A depth
    // without a layout is refused below.)
    for (int spoil = 0; spoil < 4; ++spoil) {
        w = good;
        if (spoil == 3) w.Visible = false;
        if (spoil == 0) w.MemoryStart = VideoMemorySize - 16, w.MemoryEnd = VideoMemorySize + 6000;
        if (spoil == 1) w.Height = 100;
        if (spoil == 2) w.Width = 0;
        EXPECT_FALSE(t_WindowImage(0)) << spoil;
    }
    const std::string nodata = "t_WindowImage: Data could not be collected, image could not be "
                               "created.";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{nodata, nodata, nodata}));
    EXPECT_EQ(w.UpdateFinished, 0);
    // A view that draws window 0 clears VerticalBlank for the time of the conversion, so that the
    // refresh thread asks for no redraw meanwhile, and sets it again afterwards, even when there is
    // nothing to show; other windows leave it alone. The conversion is watched through the line
    // that an illegal depth logs while it runs.
    t_Window& w0 = openwindow(0, 24, 64, 32);
    openwindow(1, 24, 64, 32);
    ASSERT_TRUE(viewimage(0));
    EXPECT_TRUE(w0.VerticalBlank);
    std::vector<bool> blanking;
    setlogcapture([&](std::string_view text) {
        if (text.starts_with("t_WindowImage")) blanking.push_back(w0.VerticalBlank);
    });
    w0.BitDepth = 2;
    EXPECT_FALSE(viewimage(0));
    rt().WindowTable[1].BitDepth = 2;
    EXPECT_FALSE(viewimage(1));
    setlogcapture({});
    EXPECT_EQ(blanking, (std::vector<bool>{false, true}));
    EXPECT_TRUE(w0.VerticalBlank);
}

// While the program thread initialises window 0 again and again, every image is
// of one whole geometry: a small shallow picture or a large deep one, never one
// with the other's fields.
TEST_F(ImageTest, ImagesStayWholeWhileTheWindowIsInitialisedAgain) {
    const bool small = false, large = true;
    auto init = [](bool big) {
        t_InitWindow(0, big ? 32 : 8, false, big ? 512 : 64, big ? 256 : 32, 0, 0, {}, true);
    };
    auto is = [](const WindowImage& image, bool big) {
        const Int width = big ? 512 : 64, height = big ? 256 : 32;
        return image.Width == width && image.Height == height &&
               image.Pixels.size() == static_cast<std::size_t>(width * height);
    };
    init(small);
    rt().WindowTable[0].Visible = true;
    std::atomic<bool> done{false};
    std::thread program([&] {
        for (int round = 0; round < 300; ++round)
            init(round % 2 == 0 ? large : small);
        done = true;
    });
    int mixed = 0;
    while (!done)
        if (auto image = t_WindowImage(0); image && !is(*image, small) && !is(*image, large))
            ++mixed;
    program.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_TRUE(is(t_WindowImage(0).value_or(WindowImage{}), small));
}

// With a separator trailing blanks and empty lines at the end go; without one
// every cell is kept. Codes above seven bits become Latin-1 characters. Only
// carriage returns split lines: other separators are kept with the blanks
// before them, and only the very end loses its spaces.
TEST_F(ImageTest, ScreenTextDropsTrailingBlanksAndGraphicCharactersBecomePlain) {
    // The program's 82 x 25 character grid, cleared to spaces, from its first cell.
    const Int grid = openwindow(0, 24, 1312, 800, cellfont(16, 32)).TextMemoryStart;
    EXPECT_EQ(t_GetScreen(0, "\r"), ""); // all blank: one empty line, no separator
    poke(grid, "ab");
    std::string crlf = "ab"; // lines 2 to 25 lose their blanks, not the line feed before them
    for (int line = 2; line <= 26; ++line)
        crlf += "\r\n";
    EXPECT_EQ(t_GetScreen(0, "\r\n"), crlf);
    EXPECT_EQ(t_GetScreen(0, "\n").substr(0, 2 * 83),
              "ab" + std::string(80, ' ') + "\n" + std::string(82, ' ') + "\n");
    const std::string latin1("H\xC3\xA4\xC2\x80\x00\x7F", 7);
    poke(grid, std::string("H\xE4\x80\x00\x7F", 5));
    EXPECT_EQ(t_GetScreen(0, ""), latin1 + std::string(2045, ' '));
    poke(grid + 79, "end"), poke(grid + 2 * 82 + 1, "x y"), poke(grid + 24 * 82 + 81, "z");
    EXPECT_EQ(t_GetScreen(0, "\r"), latin1 + std::string(74, ' ') + "end\r\r x y" +
                                        std::string(22, '\r') + std::string(81, ' ') + "z");
    rt().WindowTable[0].TextWidth = 5000; // a grid larger than its block is not read
    EXPECT_EQ(t_GetScreen(0, ""), "");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"t_GetScreen: Window #0 not initialized."});
    std::string graphic = "\x7F"; // U+007F to U+00A0 in order
    for (int c = 0x80; c <= 0xA0; ++c)
        graphic += {'\xC2', static_cast<char>(c)};
    const std::pair<std::string, std::string> cases[] = {
        {graphic, "#*#<=>O++++||--++++++++++++--||+=\xCB\xBD"},
        {"\xC2\x8A Hi \xC2\x8A", "| Hi |"},
        {"a\xC3\xA4\xC2\xA1\xE2\x82\xAC~", "a\xC3\xA4\xC2\xA1\xE2\x82\xAC~"}, // kept
        {"\xC2", "\xC2"},
        {"\xC2\x41\x80", "\xC2\x41\x80"}, // cut short, not UTF-8
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(plainscreentext(text), expected) << text;
}

} // namespace
} // namespace mdx::test
