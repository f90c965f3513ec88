// The layer's text views, clipboard, file panels, menus and beep.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstdio>

#include "platform/qt/beep.h"
#include "platform/qt/file_panels.h"
#include "platform/qt/layer_window.h"
#include "platform/qt/qt_window_layer.h"

namespace mdx::qt {

TextWindowParts QtWindowLayer::textparts(UInt8 window) const {
    return window < texts_.size() ? texts_[window] : TextWindowParts{};
}

bool QtWindowLayer::hasTextView(UInt8 window) {
    return textparts(window).Text != nullptr;
}

void QtWindowLayer::setUpTextView(UInt8 window) {
    QPlainTextEdit* view = textparts(window).Text;
    if (!view) return;
    view->setFont(textfont());
    view->clear();
    view->update();
}

void QtWindowLayer::setText(UInt8 window, const std::string& text) {
    if (QPlainTextEdit* view = textparts(window).Text) view->setPlainText(viewtext(text));
}

std::string QtWindowLayer::text(UInt8 window) {
    QPlainTextEdit* view = textparts(window).Text;
    return view ? view->toPlainText().toStdString() : std::string();
}

bool QtWindowLayer::hasRuler(UInt8 window) {
    return textparts(window).Ruler != nullptr;
}

void QtWindowLayer::setRuler(UInt8 window, const std::string& text) {
    if (QLineEdit* ruler = textparts(window).Ruler) ruler->setText(QString::fromStdString(text));
}

void QtWindowLayer::setScrollViewSize(UInt8 window, double width, double height) {
    QPlainTextEdit* view = textparts(window).Text;
    if (!view) return;
    ContentArea* area = windows_[window]->content();
    Rect frame = area->frameof(view);
    if (width >= 0) frame.width = width;
    if (height >= 0) frame.height = height;
    area->place(view, frame);
}

std::string QtWindowLayer::pasteboardText() {
    return QGuiApplication::clipboard()->text().toStdString();
}

// The runtime ends its lines with carriage returns; programs on Linux expect line feeds.
void QtWindowLayer::setPasteboardText(const std::string& text) {
    QString lines = QString::fromStdString(text);
    lines.replace("\r\n", "\n");
    lines.replace('\r', '\n');
    QGuiApplication::clipboard()->setText(lines);
}

void QtWindowLayer::setPasteboardImage(const WindowImage& image) {
    const auto width = static_cast<int>(image.Width);
    const auto height = static_cast<int>(image.Height);
    if (width <= 0 || height <= 0 || image.Pixels.size() < static_cast<std::size_t>(width) * height)
        return;
    // The clipboard keeps its own copy: the picture's pixels go when the caller's image goes.
    const QImage wrapped(reinterpret_cast<const uchar*>(image.Pixels.data()), width, height,
                         static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    QGuiApplication::clipboard()->setImage(wrapped.copy());
}

// A batch run shows no panels: they count as cancelled.
std::vector<std::string> QtWindowLayer::openPanel(const OpenPanelRequest& request) {
    if (options_.Invisible) return {};
    return runopenpanel(request, windowwidget(frontWindow()));
}

std::string QtWindowLayer::savePanel(const SavePanelRequest& request) {
    if (options_.Invisible) return "";
    return runsavepanel(request, windowwidget(frontWindow()));
}

Int QtWindowLayer::menuItemCount(const std::string& menu) {
    return menus_.itemcount(menu);
}

std::string QtWindowLayer::menuItemTitle(const std::string& menu, Int position) {
    return menus_.itemtitle(menu, position);
}

void QtWindowLayer::deleteMenuItem(const std::string& menu, Int position) {
    menus_.deleteitem(menu, position);
}

void QtWindowLayer::beep() {
    warningsound();
}

// A batch run has no one to click an alert away: its text goes to standard error instead.
void QtWindowLayer::alert(const std::string& message, const std::string& detail) {
    alerted_ = true;
    if (options_.Invisible) {
        const std::string line = "miradex: " + message + " " + detail + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return;
    }
    showalert(message, detail, windowwidget(frontWindow()));
}

} // namespace mdx::qt
