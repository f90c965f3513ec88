#include "platform/qt/layer_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

#include "app/events.h"
#include "platform/qt/geometry.h"

namespace mdx::qt {
namespace {

// The local paths of the dropped URLs as bytes: a file name need not be valid UTF-8, and its
// percent-encoded form keeps every byte.
std::vector<std::string> droppedfiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                                .toStdString());
    return files;
}

} // namespace

ContentArea::ContentArea(QWidget* parent) : QWidget(parent) {}

void ContentArea::place(QWidget* child, const Rect& frame) {
    auto it = std::find_if(frames_.begin(), frames_.end(),
                           [child](const auto& entry) { return entry.first == child; });
    if (it == frames_.end())
        frames_.emplace_back(child, frame);
    else
        it->second = frame;
    child->setGeometry(totopleft(frame, height()));
}

Rect ContentArea::frameof(const QWidget* child) const {
    for (const auto& [widget, frame] : frames_)
        if (widget == child) return frame;
    return Rect{};
}

void ContentArea::setlayout(std::function<void(QSize)> layout) {
    layout_ = std::move(layout);
    laidOut_ = size();
    if (layout_) layout_(size());
}

void ContentArea::arrange(QSize size) {
    if (size != laidOut_) {
        laidOut_ = size;
        if (layout_) layout_(size);
    }
    placeall();
}

void ContentArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange(size());
}

void ContentArea::placeall() {
    for (const auto& [widget, frame] : frames_)
        if (widget) widget->setGeometry(totopleft(frame, height()));
}

LayerWindow::LayerWindow(UInt8 number, const QString& title)
    : number_(number), menuBar_(new QMenuBar(this)), content_(new ContentArea(this)) {
    setWindowTitle(title);
    content_->setAutoFillBackground(true);
}

int LayerWindow::titlebarheight() const {
    return titleBarVisible_ ? menuBar_->sizeHint().height() : 0;
}

void LayerWindow::settitlebarvisible(bool visible) {
    if (visible == titleBarVisible_) return;
    titleBarVisible_ = visible;
    const bool shown = isVisible();
    const QRect kept = geometry();
    setWindowFlag(Qt::FramelessWindowHint, !visible); // this hides the window
    menuBar_->setHidden(!visible);
    setclientgeometry(kept);
    if (shown) show();
}

void LayerWindow::setclientgeometry(const QRect& geometry) {
    if (keepSize_) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    setGeometry(geometry);
    if (keepSize_) setFixedSize(geometry.size());
    arrange();
}

void LayerWindow::keepsize() {
    keepSize_ = true;
    setclientgeometry(geometry());
}

void LayerWindow::acceptfiles() {
    setAcceptDrops(true);
}

void LayerWindow::arrange() {
    const int bar = titlebarheight();
    if (titleBarVisible_) menuBar_->setGeometry(0, 0, width(), bar);
    content_->setGeometry(0, bar, width(), std::max(0, height() - bar));
    content_->arrange(content_->size());
}

// The close box hides the window and never closes it, so it can be shown again; the
// application decides when closing means quitting.
void LayerWindow::closeEvent(QCloseEvent* event) {
    if (closing) {
        event->setAccepted(closing(number_));
        return;
    }
    event->ignore();
    t_MouseEventPostCloseBoxClick(number_);
}

void LayerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void LayerWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && activated)
        activated(number_);
}

void LayerWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedfiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void LayerWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = droppedfiles(event->mimeData());
    if (files.empty()) return;
    for (const std::string& file : files)
        t_PostFileEvent(file, 0);
    event->acceptProposedAction();
}

} // namespace mdx::qt
