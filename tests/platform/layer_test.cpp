// The window layer's geometry, text windows, clipboard and its hand-over to the main thread,
// checked through the runtime routines that use them.
#include "support/testing.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QThread>

#include <stdexcept>

#include "platform/qt/graphic_view.h"
#include "platform/qt/layer_window.h"
#include "qt_fixture.h"
#include "runtime/state.h"
#include "runtime/window_management.h"
#include "text/text_windows.h"

namespace mdx::test {
namespace {

class LayerTest : public QtLayerTest {
  protected:
    int bar() const { return static_cast<int>(layer->titlebarheight()); }
    QRect geometry(UInt8 n) const { return layer->windowwidget(n)->geometry(); }
};

TEST_F(LayerTest, FramesCountFromTheBottomLeftAndMatchTheRuntimesGeometry) {
    const Handle main = layer->window(MainWindowNumber);
    layer->setFrame(main, Rect{100, 200, 300, 150});
    EXPECT_EQ(geometry(MainWindowNumber), QRect(100, 1080 - 350, 300, 150));
    EXPECT_EQ(std::pair(layer->frame(main), layer->screenSize(main)),
              std::pair(Rect{100, 200, 300, 150}, Size{1920, 1080}));
    EXPECT_EQ(t_WindowPos(MainWindowNumber, 14), 1080 - 350); // top edge below the screen's top

    // Handles that are none of the layer's widgets do nothing.
    layer->setFrame(Handle{12345}, Rect{1, 2, 3, 4});
    EXPECT_EQ(std::pair(layer->frame(Handle{12345}), layer->screenSize(Handle{})),
              std::pair(Rect{}, Size{}));

    // The runtime's frame of a graphic window is the whole window with the menu bar as its title
    // bar; the view is the drawing area at the border's distance from the bottom left.
    ASSERT_GT(bar(), 0);
    initwindow(0, 1312, 800, 16);
    EXPECT_EQ(std::tuple(geometry(0).size(), t_WindowPos(0, 12), t_WindowPos(0, 17)),
              std::tuple(QSize(1344, 832 + bar()), 832 + bar(), bar()));
    EXPECT_EQ(layer->viewwidget(0)->geometry(), QRect(16, 16, 1312, 800));

    // Without the title bar the content takes the bar's place.
    qt::LayerWindow* window = layer->windowwidget(0);
    const QRect before = window->geometry();
    t_WindowTitleVisible(0, false);
    EXPECT_TRUE((window->windowFlags() & Qt::FramelessWindowHint) &&
                window->menubar()->isHidden() && window->isVisible());
    EXPECT_EQ(std::pair(window->geometry(), window->content()->height()),
              std::pair(before, before.height())); // the frame stays as it was

    t_WindowSize(0, -1, -1, -1, -1); // now without the bar's height
    EXPECT_EQ(window->geometry(), before.adjusted(0, before.height() - 832, 0, 0));
    EXPECT_EQ(layer->viewwidget(0)->geometry(), QRect(16, 16, 1312, 800));

    t_WindowTitleVisible(0, true);
    EXPECT_FALSE(window->menubar()->isHidden() ||
                 (window->windowFlags() & Qt::FramelessWindowHint));

    t_WindowSize(0, 50, 50, 688, 432); // the small screen's size
    EXPECT_EQ(geometry(0), QRect(50, 1080 - 50 - (464 + bar()), 720, 464 + bar()));
    EXPECT_EQ(layer->viewwidget(0)->geometry(), QRect(16, 16, 688, 432));
    EXPECT_EQ(std::pair(t_WindowPos(0, 13), t_WindowPos(0, 20)), std::pair(Int{50}, Int{50}));
}

// The windows that the "Fenster" menu shows are cascaded by the title bar's height: each one's
// corner is visible, none covers another whole, and all lie on the screen.
TEST_F(LayerTest, WindowsStartCascadedAndTheLastMadeKeyIsInFrontWhileShown) {
    for (UInt8 a = 1; a <= MainWindowNumber; ++a) {
        EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(geometry(a))) << int(a);
        for (UInt8 b = 1; b <= MainWindowNumber; ++b)
            EXPECT_TRUE(a == b || !geometry(a).contains(geometry(b))) << int(a) << " " << int(b);
    }
    EXPECT_EQ(geometry(SystemConsoleWindowNumber).topLeft() -
                  geometry(VirtualPrinterWindowNumber).topLeft(),
              QPoint(bar(), bar()));
    // The window made key last is the front one while it is shown; hidden, it no longer counts, and
    // the active window does if it is one of the layer's.
    const auto front = [&] { return pumpuntil([] { return false; }, 100), layer->frontWindow(); };
    for (UInt8 n : {VirtualPrinterWindowNumber, SystemConsoleWindowNumber})
        layer->makeKeyAndOrderFront(layer->window(n));
    EXPECT_EQ(front(), SystemConsoleWindowNumber);
    layer->orderOut(layer->window(SystemConsoleWindowNumber));
    const UInt8 shown = front();
    const auto* active = dynamic_cast<qt::LayerWindow*>(QApplication::activeWindow());
    const bool activeShown = active && active->isVisible() && !active->isMinimized();
    EXPECT_EQ(shown, activeShown ? active->number() : NoWindow);
    EXPECT_NE(shown, SystemConsoleWindowNumber);
}

TEST_F(LayerTest, TextWindowsAndThePasteboardLayOutTheirViewsAndShowPlainText) {
    const qt::TextWindowParts printer = layer->textparts(VirtualPrinterWindowNumber);
    ASSERT_TRUE(printer.Text && printer.Ruler);
    EXPECT_EQ(printer.Text->geometry().topLeft(), QPoint(20, 35)); // laid out from the start
    layer->setFrame(layer->window(VirtualPrinterWindowNumber), Rect{0, 0, 657, 400.0 + bar()});
    EXPECT_EQ(std::pair(printer.Text->geometry(), printer.Ruler->geometry()),
              std::pair(QRect(20, 35, 617, 345), QRect(24, 12, 609, 19)));
    const qt::TextWindowParts pasteboard = layer->textparts(PasteboardWindowNumber);
    ASSERT_EQ(pasteboard.Ruler, nullptr);
    layer->setFrame(layer->window(PasteboardWindowNumber), Rect{0, 0, 300, 200.0 + bar()});
    EXPECT_EQ(pasteboard.Text->geometry(), QRect(10, 10, 280, 180));

    // The scroll view keeps its bottom left corner; -1 keeps a dimension.
    layer->setScrollViewSize(VirtualPrinterWindowNumber, 500, -1);
    EXPECT_EQ(printer.Text->geometry(), QRect(20, 35, 500, 345));
    layer->setScrollViewSize(VirtualPrinterWindowNumber, -1, 100);
    EXPECT_EQ(printer.Text->geometry(), QRect(20, 400 - 20 - 100, 500, 100));

    layer->setText(VirtualPrinterWindowNumber, "Zeile 1\rZeile 2\r\nZeile 3");
    EXPECT_EQ(layer->text(VirtualPrinterWindowNumber), "Zeile 1\nZeile 2\nZeile 3");
    // Columns line up: every character is as wide as every other. Measured rather than asked of
    // QFontInfo, which calls some monospaced fonts (Noto Sans Mono) proportional.
    const QFontMetrics metrics(printer.Text->font());
    EXPECT_EQ(printer.Text->font().pixelSize(), 12);
    EXPECT_EQ(std::pair(metrics.horizontalAdvance('i'), metrics.horizontalAdvance(QChar(0xE4))),
              std::pair(metrics.horizontalAdvance('W'), metrics.horizontalAdvance('W')));

    p_SetPrinterWidth(82); // sets the ruler and the window's width
    EXPECT_EQ(std::pair(printer.Ruler->text().size(), printer.Ruler->text().left(10)),
              std::pair(qsizetype{82}, QString("L...!....1")));
    EXPECT_EQ(std::pair(geometry(VirtualPrinterWindowNumber).width(), printer.Text->width()),
              std::pair(657, 617));

    // The pasteboard holds text and fills its window.
    layer->setPasteboardText("Grüße\raus Miradex"); // the runtime's line ends
    t_WindowVisible(PasteboardWindowNumber, true);
    EXPECT_EQ(std::tuple(QGuiApplication::clipboard()->text().toStdString(),
                         layer->pasteboardText(), layer->text(PasteboardWindowNumber)),
              std::tuple("Grüße\naus Miradex", "Grüße\naus Miradex", "Grüße\naus Miradex"));

    // A picture with too few pixels is ignored (pictures copied: MenuTest's edit actions).
    layer->setPasteboardImage(WindowImage{4, 4, {0xFF000000}});
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
}

// Hiding minimises a shown window, which then counts as hidden, and showing brings it back (the
// close box, which withdraws it: InputTest). The shown pasteboard window follows the clipboard.
TEST_F(LayerTest, HidingMinimisesAndTheShownPasteboardFollowsTheClipboard) {
    qt::LayerWindow* printer = layer->windowwidget(VirtualPrinterWindowNumber);
    const Handle handle = layer->window(VirtualPrinterWindowNumber);
    const auto state = [&] {
        return std::tuple(printer->isVisible(), printer->isMinimized(), layer->isVisible(handle));
    };
    t_WindowVisible(VirtualPrinterWindowNumber, true);
    t_WindowVisible(VirtualPrinterWindowNumber, false);
    EXPECT_EQ(state(), std::tuple(true, true, false));
    t_WindowFront(VirtualPrinterWindowNumber);
    EXPECT_EQ(state(), std::tuple(true, false, true));

    t_WindowVisible(PasteboardWindowNumber, true);
    QGuiApplication::clipboard()->setText("neu kopiert");
    EXPECT_TRUE(pumpuntil([&] { return layer->text(PasteboardWindowNumber) == "neu kopiert"; }));
}

// Work from another thread runs on the main thread in order; a waiting caller returns after its
// work, with its exception. On the main thread itself work is posted, not run.
TEST_F(LayerTest, WorkFromOtherThreadsRunsOnTheMainThreadInOrder) {
    QThread* const main = QThread::currentThread();
    std::vector<int> order; // written on the main thread; minus: elsewhere
    std::atomic<bool> returned = false;
    std::thread caller([&] {
        for (int i : {1, 2, 3})
            layer->runOnMain([&, i] { order.push_back(QThread::currentThread() == main ? i : -i); },
                             i == 3);
        EXPECT_EQ(order.size(), 3u); // the last waited for its work
        EXPECT_THROW(layer->runOnMain([] { throw std::runtime_error("refused"); }, true),
                     std::runtime_error);
        returned = true;
    });
    ASSERT_TRUE(pumpuntil([&] { return returned.load(); }));
    caller.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

    bool later = false;
    layer->runOnMain([&] { later = true; }, false);
    EXPECT_TRUE(!later && pumpuntil([&] { return later; }));
}

} // namespace
} // namespace mdx::test
