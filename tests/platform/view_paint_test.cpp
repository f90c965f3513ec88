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

using ViewPaintTest = QtLayerTest;

// The picture as the view should show it: every pixel a scale x scale block.
QImage scaled(const WindowImage& picture, int scale) {
    const QImage image(reinterpret_cast<const uchar*>(picture.Pixels.data()),
                       static_cast<int>(picture.Width), static_cast<int>(picture.Height),
                       QImage::Format_RGB32);
    return image.scaled(image.size() * scale).convertToFormat(QImage::Format_RGB32);
}

// A hidden window gives no picture; its view then shows what it showed last.
TEST_F(ViewPaintTest, ViewShowsTheWindowPictureOneToOneAndScaledAndKeepsTheLast) {
    initwindow(0, 64, 48, 8);
    paintpattern(0);
    const std::optional<WindowImage> picture = t_WindowImage(0);
    ASSERT_TRUE(picture);
    qt::GraphicView* view = layer->viewwidget(0);
    EXPECT_EQ(view->grab().toImage().convertToFormat(QImage::Format_RGB32), scaled(*picture, 1));
    t_WindowSize(0, -1, -1, 128, 96); // twice as large: every picture pixel a 2 x 2 block
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, scaled(*picture, 2));
    rt().WindowTable[0].Visible = false;
    ASSERT_FALSE(t_WindowImage(0));
    EXPECT_EQ(view->grab().toImage().convertToFormat(QImage::Format_RGB32), shown);
}

// The border is the window's background around the view, which sits at the border's width and
// height from the bottom left of the content (the view's frame: LayerTest).
TEST_F(ViewPaintTest, BorderColourSurroundsTheViewAtItsFrame) {
    initwindow(0, 40, 32, 6);
    qt::ContentArea* content = layer->windowwidget(0)->content();
    ASSERT_EQ(content->size(), QSize(40 + 2 * 6, 32 + 2 * 6));
    QImage shot = content->grab().toImage();
    // Palette colour 5, the initial border, at opposite corners.
    EXPECT_EQ(std::pair(rgbat(shot, 0, 0), rgbat(shot, 51, 43)), std::pair(0x545454u, 0x545454u));
    t_ColorBorder(0, 1);
    EXPECT_EQ(rgbat(content->grab().toImage(), 2, 2), 0xFF0000u);
}

} // namespace
} // namespace mdx::test
