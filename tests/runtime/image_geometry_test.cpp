// The screen image while the program thread initialises its window again: every image is of one
// whole geometry and reads no byte outside the block that geometry was checked against.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "runtime/image.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

struct Shape {
    Int depth, width, height;
};

// A small shallow picture and a large deep one: an image that mixed their fields would claim
// the large size, or read the deep picture's bytes from the small block.
constexpr Shape Small{8, 64, 32};
constexpr Shape Large{32, 512, 256};

void initwindow(const Shape& s) {
    t_InitWindow(0, s.depth, false, s.width, s.height, 0, 0, t_Font{}, true);
}

bool isshape(const WindowImage& image, const Shape& s) {
    return image.Width == s.width && image.Height == s.height &&
           image.Pixels.size() == static_cast<std::size_t>(s.width * s.height);
}

class ImageGeometryTest : public RuntimeTest {};

TEST_F(ImageGeometryTest, ImagesStayWholeWhileTheWindowIsInitialisedAgain) {
    initwindow(Small);
    rt().WindowTable[0].Visible = true;
    std::atomic<bool> done{false};
    std::thread program([&] {
        for (int round = 0; round < 300; ++round)
            initwindow(round % 2 == 0 ? Large : Small);
        done = true;
    });
    int mixed = 0;
    while (!done) {
        const std::optional<WindowImage> image = t_WindowImage(0);
        if (image && !isshape(*image, Small) && !isshape(*image, Large)) ++mixed;
    }
    program.join();
    EXPECT_EQ(mixed, 0);
    const std::optional<WindowImage> last = t_WindowImage(0);
    ASSERT_TRUE(last);
    EXPECT_TRUE(isshape(*last, Small));
}

} // namespace
} // namespace mdx::test
