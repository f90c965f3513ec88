// What a graphic window shows: its picture in the view, the border colour around it, the view at
// the frame the runtime gave it.
#include <QPixmap>

#include "platform/qt/graphic_view.h"
#include "platform/qt/layer_window.h"
#include "qt_fixture.h"
#include "runtime/colours.h"
#include "runtime/state.h"
#include "runtime/window_management.h"

namespace mdx::test {
namespace {

class ViewPaintTest : public QtLayerTest {
  protected:
    // Every pixel of the grab equals the picture's pixel at (x / scale, y / scale).
    void expectshows(const QImage& grab, const WindowImage& picture, int scale) {
        ASSERT_EQ(grab.width(), picture.Width * scale);
        ASSERT_EQ(grab.height(), picture.Height * scale);
        int wrong = 0;
        for (int y = 0; y < grab.height(); ++y)
            for (int x = 0; x < grab.width(); ++x) {
                const auto i = static_cast<std::size_t>((y / scale) * picture.Width + x / scale);
                if (rgbat(grab, x, y) != (picture.Pixels[i] & 0xFFFFFF)) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(ViewPaintTest, ViewShowsTheWindowPictureOneToOneAndScaled) {
    initwindow(0, 64, 48, 8);
    paintpattern(0);
    const std::optional<WindowImage> picture = t_WindowImage(0);
    ASSERT_TRUE(picture);
    qt::GraphicView* view = layer->viewwidget(0);
    expectshows(view->grab().toImage(), *picture, 1);

    // A drawing area twice as large shows every picture pixel as a 2 x 2 block.
    t_WindowSize(0, -1, -1, 128, 96);
    expectshows(view->grab().toImage(), *picture, 2);
}

// The border is the window's background around the view, which sits at the border's width and
// height from the bottom left of the content.
TEST_F(ViewPaintTest, BorderColourSurroundsTheViewAtItsFrame) {
    initwindow(0, 40, 32, 6);
    paintpattern(0);
    qt::ContentArea* content = layer->windowwidget(0)->content();
    ASSERT_EQ(content->size(), QSize(40 + 2 * 6, 32 + 2 * 6));
    EXPECT_EQ(layer->viewwidget(0)->geometry(), QRect(6, 6, 40, 32));

    QImage shot = content->grab().toImage();
    EXPECT_EQ(rgbat(shot, 0, 0), 0x545454u); // palette colour 5, the initial border
    EXPECT_EQ(rgbat(shot, 51, 43), 0x545454u);
    EXPECT_EQ(rgbat(shot, 6 + 39, 6 + 31), t_WindowImage(0)->Pixels.back() & 0xFFFFFF);

    t_ColorBorder(0, 1);
    shot = content->grab().toImage();
    EXPECT_EQ(rgbat(shot, 2, 2), 0xFF0000u);
}

// A hidden window gives no picture; its view then shows what it showed last.
TEST_F(ViewPaintTest, ViewKeepsItsLastPictureWhenTheRuntimeGivesNone) {
    initwindow(0, 32, 32, 2);
    paintpattern(0);
    qt::GraphicView* view = layer->viewwidget(0);
    const QImage shown = view->grab().toImage();
    rt().WindowTable[0].Visible = false;
    ASSERT_FALSE(t_WindowImage(0));
    EXPECT_EQ(view->grab().toImage(), shown);
}

} // namespace
} // namespace mdx::test
