// The view of a graphic window: draws the window's picture and hands keys, clicks and modifier
// changes to the runtime.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>

#include "platform/qt/geometry.h"
#include "platform/qt/key_input.h"
#include "runtime/image.h"

namespace mdx::qt {

class GraphicView : public QWidget {
  public:
    GraphicView(UInt8 window, QWidget* parent, KeySource keys);

    UInt8 windownumber() const { return window_; }

    // Called after each paint that drew a picture of the window.
    std::function<void(UInt8)> drawn;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Tab and shift-tab are keys for the program, not focus moves.
    bool focusNextPrevChild(bool next) override;

  private:
    void handkey(const KeyInput& input);
    void modifierschanged(const QKeyEvent& event, bool pressed);
    PicturePlace placeof(QSize picture) const;
    QPointF inpicture(QPointF at) const;
    MouseInput mouseinput(const QMouseEvent& event) const;

    UInt8 window_;
    KeySource keys_;
    // The last picture drawn: shown again when the runtime gives none.
    std::optional<WindowImage> last_;
};

} // namespace mdx::qt
