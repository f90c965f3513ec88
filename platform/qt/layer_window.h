// The application's windows: a top-level widget with a menu bar and a content area below it.
// The menu bar counts as the window's title bar: the runtime's frame of a window is the widget's
// geometry, and its content is the area below the bar.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

#include "base/types.h"

class QMenuBar;

namespace mdx::qt {

// The content of a window. Children keep their frames measured from the bottom left, as the
// runtime gives them, so a window that grows or shrinks moves them with its bottom edge.
class ContentArea : public QWidget {
  public:
    explicit ContentArea(QWidget* parent);

    // Places child at a frame in points from the bottom left of this area.
    void place(QWidget* child, const Rect& frame);
    Rect frameof(const QWidget* child) const;

    // The window's own layout rule (text windows): run now and whenever the area changes size.
    void setlayout(std::function<void(QSize)> layout);

    // Runs the layout rule if the size changed since the last run, then places the children.
    void arrange(QSize size);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeall();

    std::function<void(QSize)> layout_;
    std::vector<std::pair<QPointer<QWidget>, Rect>> frames_;
    QSize laidOut_{-1, -1};
};

class LayerWindow : public QWidget {
  public:
    LayerWindow(UInt8 number, const QString& title);

    UInt8 number() const { return number_; }
    QMenuBar* menubar() const { return menuBar_; }
    ContentArea* content() const { return content_; }

    // The height above the content: the menu bar's, 0 without a title bar.
    int titlebarheight() const;
    bool titlebarvisible() const { return titleBarVisible_; }
    // Without a title bar the window has no frame of the window manager and no menu bar; its
    // geometry stays as it was, and the content grows into the bar's place.
    void settitlebarvisible(bool visible);

    // Sets the geometry and lays out menu bar and content at once, also while hidden.
    void setclientgeometry(const QRect& geometry);
    // From now on the window keeps the size the program gives it: the window manager can
    // neither maximise nor resize it (a graphic window's picture has a size of its own).
    void keepsize();

    // Files dropped on the window are handed to the program as opened documents.
    void acceptfiles();

    // Called when the window becomes the active window.
    std::function<void(UInt8)> activated;
    // Asked when the window is to close (its close box, quitting, the end of the session); true
    // lets it close, false keeps it. The layer answers by withdrawing the window through the
    // runtime; without an answer the runtime hides it.
    std::function<bool(UInt8)> closing;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void arrange();

    UInt8 number_;
    QMenuBar* menuBar_;
    ContentArea* content_;
    bool titleBarVisible_ = true;
    bool keepSize_ = false;
};

} // namespace mdx::qt
