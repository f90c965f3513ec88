// What a graphic window shows: its picture in the view, the border colour around it, the view at
// the frame the runtime gave it.
#include <QPixmap>

#include "platform/qt/geometry.h"
#include "platform/qt/graphic_view.h"
#include "platform/qt/layer_window.h"
#include "qt_fixture.h"
#include "runtime/colours.h"
#include "runtime/image.h"
#include "runtime/state.h"
#include "runtime/window_management.h"

namespace mdx::test {
namespace {

using ViewPaintTest = QtLayerTest;

// The picture as the view should show it, one to one.
QImage asimage(const WindowImage& picture) {
    const QImage image(reinterpret_cast<const uchar*>(picture.Pixels.data()),
                       static_cast<int>(picture.Width), static_cast<int>(picture.Height),
                       QImage::Format_RGB32);
    return image.copy();
}

// A hidden window gives no picture; its view then shows what it showed last. The border is the
// window's background around the view, which sits at the border's width and height from the
// bottom left of the content (the view's frame: LayerTest; the picture drawn twice as large,
// pixel for pixel: xvfb_window_test.sh).
TEST_F(ViewPaintTest, ViewShowsTheWindowPictureAndKeepsTheLast) {
    initwindow(0, 64, 48, 8);
    qt::ContentArea* content = layer->windowwidget(0)->content();
    ASSERT_EQ(content->size(), QSize(64 + 2 * 8, 48 + 2 * 8));
    t_ColorBorder(0, 1); // the first border's grey is xvfb_window_test.sh's
    const QImage shot = content->grab().toImage();
    EXPECT_EQ(std::pair(shot.pixel(0, 0), shot.pixel(79, 63)), std::pair(0xFFFF0000u, 0xFFFF0000u));
    paintpattern(0);
    const std::optional<WindowImage> picture = t_WindowImage(0);
    ASSERT_TRUE(picture);
    qt::GraphicView* view = layer->viewwidget(0);
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, asimage(*picture));
    rt().WindowTable[0].Visible = false;
    ASSERT_FALSE(t_WindowImage(0));
    EXPECT_EQ(view->grab().toImage().convertToFormat(QImage::Format_RGB32), shown);
}

// The picture keeps its shape: the largest whole multiple of its size in device pixels that
// fits, centred on whole device pixels; filtered and shrunk evenly when not even one fits.
TEST(PicturePlaceTest, WholeMultiplesCentredOrShrunkEvenly) {
    const QSize report(1312, 800);
    const std::tuple<QSize, double, QRectF, bool> cases[] = {
        // view, device pixel ratio, place
        {report, 1, QRectF(0, 0, 1312, 800), false},
        {report, 2, QRectF(0, 0, 1312, 800), false}, // 2 x 2 device pixels each
        {report, 1.5, QRectF(328 / 1.5, 200 / 1.5, 1312 / 1.5, 800 / 1.5), false}, // 1 x 1, centred
        {QSize(2700, 1700), 1, QRectF(38, 50, 2624, 1600), false},
        {QSize(656, 600), 1, QRectF(0, 100, 656, 400), true}, // half, even in both directions
        {QSize(0, 800), 1, QRectF(), false}};
    for (const auto& [view, ratio, area, smooth] : cases) {
        const qt::PicturePlace place = qt::placepicture(report, view, ratio);
        EXPECT_EQ(std::pair(place.Area, place.Smooth), std::pair(area, smooth))
            << view.width() << "x" << view.height() << " @" << ratio;
    }
}

// Window 0's picture takes the largest size its room allows: whole multiples in device pixels
// where one fits (a scale factor never shrinks it below its pixels), shrunk evenly below that
// (twice at factor 1 and at 1.5 on a large screen: xvfb_window_test.sh).
TEST(PicturePlaceTest, WindowZeroFillsItsRoomWithoutLosingItsShape) {
    const QSize report(1312, 800);
    const std::tuple<QSize, double, QSize> cases[] = {
        // room, device pixel ratio, picture size in logical pixels
        {QSize(1326, 675), 1, QSize(1107, 675)}, // 1366 x 768 less frame and bar
        {QSize(1400, 850), 2, QSize(1312, 800)}, // each pixel on 2 x 2
        {QSize(1400, 700), 2, QSize(656, 400)},  // 2 x 2 does not fit: as at factor 1
        {QSize(0, 700), 1, QSize()}};
    for (const auto& [room, ratio, size] : cases)
        EXPECT_EQ(qt::fittedpicture(report, room, ratio), size)
            << room.width() << "x" << room.height() << " @" << ratio;
}

} // namespace
} // namespace mdx::test
