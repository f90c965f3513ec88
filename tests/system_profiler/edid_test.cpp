#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_runner.h"
#include "tools/system_profiler/edid.h"

namespace mdx::sysprof::test {
namespace {

std::vector<std::uint8_t> bytesof(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> monitorblob(const std::string& tree, const std::string& connector) {
    std::string card = tree == "desktop-amd" ? "card0" : "card1";
    return bytesof(
        readfile(fixturepath(tree) + "/sys/class/drm/" + card + "-" + connector + "/edid"));
}

TEST(SystemProfilerEdid, MonitorsOfTheTrees) {
    struct Case {
        std::string tree;
        std::string connector;
        std::string manufacturer;
        std::string name;
        int width;
        int height;
        double refresh;
    };
    const std::vector<Case> cases{
        {"hybrid-laptop", "DP-1", "DEL", "DELL U2723QE", 3840, 2160, 59.997},
        {"hybrid-laptop", "eDP-1", "BOE", "", 2560, 1600, 59.971},
        {"desktop-amd", "DP-2", "DEL", "DELL P2419H", 1920, 1080, 60.0},
        {"arm-board", "HDMI-A-1", "GSM", "LG HDR 4K", 3840, 2160, 59.997},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> blob = monitorblob(c.tree, c.connector);
        auto info = parseedid(blob.data(), blob.size());
        ASSERT_TRUE(info) << c.tree << " " << c.connector;
        EXPECT_EQ(info->manufacturer, c.manufacturer);
        EXPECT_EQ(info->name, c.name);
        ASSERT_TRUE(info->preferred);
        EXPECT_EQ(info->preferred->width, c.width);
        EXPECT_EQ(info->preferred->height, c.height);
        EXPECT_NEAR(info->preferred->refresh, c.refresh, 0.001) << c.name;
    }
}

TEST(SystemProfilerEdid, DamagedBlocks) {
    std::vector<std::uint8_t> good = monitorblob("hybrid-laptop", "DP-1");
    ASSERT_EQ(good.size(), 128u);

    EXPECT_FALSE(parseedid(nullptr, 0));
    EXPECT_FALSE(parseedid(good.data(), 127)) << "shorter than a block";
    std::vector<std::uint8_t> header = good;
    header[3] = 0;
    EXPECT_FALSE(parseedid(header.data(), header.size())) << "wrong header";

    // A name descriptor holding control bytes is no name; the rest still counts.
    std::vector<std::uint8_t> garbled = good;
    for (std::size_t i = 0; i < 4; ++i)
        if (garbled[54 + 18 * i + 3] == 0xFC && garbled[54 + 18 * i] == 0)
            garbled[54 + 18 * i + 6] = 0x07;
    auto info = parseedid(garbled.data(), garbled.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "");
    EXPECT_TRUE(info->preferred);

    // A first descriptor without pixel clock or size gives no preferred mode.
    std::vector<std::uint8_t> notiming = good;
    notiming[56] = 0; // width, low byte
    notiming[58] = 0; // width, high bits
    info = parseedid(notiming.data(), notiming.size());
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->preferred);

    // Letters of the maker code outside A..Z leave the code empty.
    std::vector<std::uint8_t> maker = good;
    maker[8] = 0x7F;
    maker[9] = 0xFF;
    EXPECT_EQ(parseedid(maker.data(), maker.size())->manufacturer, "");
}

TEST(SystemProfilerEdid, InterlacedTimingGivesFrameHeightAndFieldRate) {
    std::vector<std::uint8_t> blob = monitorblob("desktop-amd", "DP-2");
    // 1920 x 1080i: 540 lines per field, 22 lines of blanking, 74.25 MHz, flag bit 7.
    std::uint8_t* d = blob.data() + 54;
    d[0] = 7425 & 0xFF;
    d[1] = 7425 >> 8;
    d[5] = 540 & 0xFF;
    d[6] = 22;
    d[7] = (540 >> 8) << 4;
    d[17] |= 0x80;
    auto info = parseedid(blob.data(), blob.size());
    ASSERT_TRUE(info && info->preferred);
    EXPECT_EQ(info->preferred->height, 1080);
    EXPECT_NEAR(info->preferred->refresh, 60.05, 0.01);
}

} // namespace
} // namespace mdx::sysprof::test
