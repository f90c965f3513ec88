#include "platform/qt/graphic_view.h"

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/events.h"

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
    painter.drawImage(rect(), picture);
    if (fresh && drawn) drawn(window_);
}

void GraphicView::keyPressEvent(QKeyEvent* event) {
    if (ismodifierkey(event->key()))
        modifierschanged(*event, true);
    else
        viewKeyDown(window_, keyinput(*event, keys_));
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

MouseInput GraphicView::mouseinput(const QMouseEvent& event) const {
    // Points from the bottom left of the window's content, as the runtime measures clicks.
    const QPointF inContent = mapToParent(event.position());
    const int contentHeight = parentWidget() ? parentWidget()->height() : height();
    MouseInput mouse;
    mouse.X = inContent.x();
    mouse.Y = contentHeight - inContent.y();
    mouse.PressedButtons = pressedbuttons(event.buttons());
    mouse.ModifierFlags = modifierflags(event.modifiers(), false);
    return mouse;
}

void GraphicView::mousePressEvent(QMouseEvent* event) {
    if (!isleftorright(event->button())) return;
    viewMouseDown(window_, mouseinput(*event), event->button() == Qt::RightButton);
}

void GraphicView::mouseReleaseEvent(QMouseEvent* event) {
    if (isleftorright(event->button())) viewMouseUp();
}

bool GraphicView::focusNextPrevChild(bool) {
    return false;
}

} // namespace mdx::qt
