#include "platform/qt/graphic_view.h"

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

#include "app/events.h"
#include "platform/qt/geometry.h"
#include "platform/qt/screen_accessibility.h"
#include "platform/qt/selftest_trace.h"
#include "runtime/image.h"

namespace mdx::qt {
namespace {

// The picture as a Qt image over the same pixels, without a copy.
QImage wrap(const WindowImage& image) {
    const auto width = static_cast<int>(image.Width);
    const auto height = static_cast<int>(image.Height);
    if (width <= 0 || height <= 0 || image.Pixels.size() < static_cast<std::size_t>(width) * height)
        return QImage();
    return QImage(reinterpret_cast<const uchar*>(image.Pixels.data()), width, height,
                  static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
}

// The modifier that a modifier key itself stands for.
Qt::KeyboardModifiers modifierofkey(int key) {
    switch (key) {
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R: return Qt::MetaModifier;
    default: return Qt::NoModifier;
    }
}

Int pressedbuttons(Qt::MouseButtons buttons) {
    Int pressed = 0;
    if (buttons & Qt::LeftButton) pressed |= 1;
    if (buttons & Qt::RightButton) pressed |= 2;
    return pressed;
}

bool isleftorright(Qt::MouseButton button) {
    return button == Qt::LeftButton || button == Qt::RightButton;
}

} // namespace

GraphicView::GraphicView(UInt8 window, QWidget* parent, KeySource keys)
    : QWidget(parent), window_(window), keys_(keys) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphicView::paintEvent(QPaintEvent*) {
    std::optional<WindowImage> image = viewimage(window_);
    const bool fresh = image.has_value();
    if (fresh) last_ = std::move(image);
    QPainter painter(this);
    const QImage picture = last_ ? wrap(*last_) : QImage();
    if (picture.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const PicturePlace place = placeof(picture.size());
    // Around the picture the window's border colour, as if the border were wider.
    const QColor border =
        parentWidget() ? parentWidget()->palette().color(QPalette::Window) : QColor(Qt::black);
    QRegion around(rect());
    around -= place.Area.toAlignedRect();
    for (const QRect& part : around)
        painter.fillRect(part, border);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, place.Smooth);
    painter.drawImage(place.Area, picture);
    if (!fresh) return;
    screenmaychange(*this);
    if (drawn) drawn(window_);
}

void GraphicView::keyPressEvent(QKeyEvent* event) {
    if (ismodifierkey(event->key()))
        modifierschanged(*event, true);
    else
        handkey(keyinput(*event, keys_));
}

void GraphicView::handkey(const KeyInput& input) {
    selftesttrace("key " + std::to_string(input.KeyCode) + " " +
                  QByteArray::fromStdString(input.Characters).toHex().toStdString() + " " +
                  std::to_string(input.ModifierFlags));
    viewKeyDown(window_, input);
}

void GraphicView::keyReleaseEvent(QKeyEvent* event) {
    if (ismodifierkey(event->key()))
        modifierschanged(*event, false);
    else if (!event->isAutoRepeat())
        viewKeyUp();
}

// A modifier key's own event may or may not count its modifier already; the flags say what
// holds after the change.
void GraphicView::modifierschanged(const QKeyEvent& event, bool pressed) {
    Qt::KeyboardModifiers modifiers = event.modifiers();
    const Qt::KeyboardModifiers own = modifierofkey(event.key());
    modifiers = pressed ? (modifiers | own) : (modifiers & ~own);
    bool capsLock = capslockon(event);
    if (event.key() == Qt::Key_CapsLock && pressed) capsLock = !capsLock;
    viewFlagsChanged(modifierflags(modifiers, capsLock));
}

PicturePlace GraphicView::placeof(QSize picture) const {
    return placepicture(picture, size(), devicePixelRatioF());
}

// The picture is drawn scaled and centred in the view (smaller than it is when the window had
// to shrink to fit the screen, larger on a screen of many pixels per point): a click is measured
// through the same scale, in the picture's own points, as if the view showed the picture at its
// size; a click beside the picture counts at its nearest edge.
QPointF GraphicView::inpicture(QPointF at) const {
    if (!last_ || width() <= 0 || height() <= 0) return at;
    const double pictureWidth = last_->Width;
    const double pictureHeight = last_->Height;
    const QRectF area = placeof(QSize(int(pictureWidth), int(pictureHeight))).Area;
    if (area == QRectF(0, 0, pictureWidth, pictureHeight) || area.isEmpty()) return at;
    // Each pixel's centre, so that the last pixel gives the picture's last point; whole points,
    // since the runtime counts lines from the bottom and would round the other way.
    const auto along = [](double point, double start, double length, double pixels) {
        return std::floor(std::clamp((point - start + 0.5) * pixels / length, 0.0, pixels - 1));
    };
    return {along(at.x(), area.x(), area.width(), pictureWidth),
            along(at.y(), area.y(), area.height(), pictureHeight)};
}

MouseInput GraphicView::mouseinput(const QMouseEvent& event) const {
    // Points from the bottom left of the window's content, as the runtime measures clicks.
    const QPointF at = inpicture(event.position());
    const double pictureHeight = last_ && width() > 0 && height() > 0 ? last_->Height : height();
    const int contentHeight = parentWidget() ? parentWidget()->height() : height();
    const int viewBottom = contentHeight - (y() + height());
    MouseInput mouse;
    mouse.X = x() + at.x();
    mouse.Y = viewBottom + (pictureHeight - at.y());
    mouse.PressedButtons = pressedbuttons(event.buttons());
    mouse.ModifierFlags = modifierflags(event.modifiers(), false);
    return mouse;
}

void GraphicView::mousePressEvent(QMouseEvent* event) {
    if (!isleftorright(event->button())) return;
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    selftesttrace("view " + std::to_string(origin.x()) + " " + std::to_string(origin.y()) + " " +
                  std::to_string(width()) + " " + std::to_string(height()));
    viewMouseDown(window_, mouseinput(*event), event->button() == Qt::RightButton);
}

void GraphicView::mouseReleaseEvent(QMouseEvent* event) {
    if (isleftorright(event->button())) viewMouseUp();
}

bool GraphicView::focusNextPrevChild(bool) {
    return false;
}

} // namespace mdx::qt
