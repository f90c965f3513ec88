// Keys, clicks, modifier changes, the close box and dropped files, from the Qt event to the
// runtime's event records.
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "platform/qt/graphic_view.h"
#include "platform/qt/key_input.h"
#include "platform/qt/layer_window.h"
#include "qt_fixture.h"
#include "runtime/state.h"

namespace mdx::test {
namespace {

using Mods = Qt::KeyboardModifiers;

class InputTest : public QtLayerTest {
  protected:
    InputTest() { initwindow(0, 64, 48, 8); }

    void press(int qtKey, Mods mods, const QString& text, QEvent::Type type = QEvent::KeyPress) {
        QKeyEvent event(type, qtKey, mods, text);
        QCoreApplication::sendEvent(layer->viewwidget(0), &event);
    }
    void click(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), layer->viewwidget(0)->mapToGlobal(QPointF(at)), button,
                          held, Qt::NoModifier);
        QCoreApplication::sendEvent(layer->viewwidget(0), &event);
    }
    std::vector<t_Event> keys() const { return app().KeyEventQueue.contents(); }
};

// Name, Qt key, modifiers, text (UTF-8), the event's value, cursor key, function key.
using KeyCase = std::tuple<const char*, int, Mods, const char*, Int, bool, bool>;

// One row per rule of the key table: the German characters the option key gives and the fallback
// to the key's character, control characters, cursor and function keys, the keypad.
const KeyCase KeyCases[] = {
    {"option-A å", Qt::Key_A, Qt::AltModifier, "å", 176, false, false},
    {"plain A", Qt::Key_A, Qt::NoModifier, "a", 97, false, false},
    {"option-D without ∂", Qt::Key_D, Qt::AltModifier, "d", 100, false, false},
    {"shift-tab", Qt::Key_Backtab, Qt::ShiftModifier, "", 20, false, false},
    {"backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", 127, false, false},
    {"forward delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", 7, false, false},
    {"left", Qt::Key_Left, Qt::NoModifier, "", 8, true, false},
    {"home", Qt::Key_Home, Qt::NoModifier, "", 2, true, false},
    {"F1", Qt::Key_F1, Qt::NoModifier, "", 129, false, true},
    {"return", Qt::Key_Return, Qt::NoModifier, "\r", 13, false, false},
    {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", 13, false, false},
    {"option keypad 8", Qt::Key_8, Qt::KeypadModifier | Qt::AltModifier, "8", 230, false, false},
    {"keypad 8", Qt::Key_8, Qt::KeypadModifier, "8", 56, false, false},
    {"keypad 8, num lock off", Qt::Key_Up, Qt::KeypadModifier, "", 56, false, false},
    {"control-S", Qt::Key_S, Qt::ControlModifier, "\x13", 19, false, false},
};

TEST_F(InputTest, KeysBecomeKeyEventsWithTheTableValues) {
    for (const auto& [name, qtKey, mods, text, value, cursor, function] : KeyCases) {
        app().KeyEventQueue.clear();
        press(qtKey, mods, QString::fromUtf8(text));
        const std::vector<t_Event> queued = keys();
        ASSERT_EQ(queued.size(), 1u) << name;
        const t_Event& e = queued[0];
        EXPECT_EQ(std::tuple(e.Kind, e.Window, e.Value, e.CursorKeyPressed, e.FunctionKeyPressed,
                             e.OptionPressed),
                  std::tuple(1, 0, value, cursor, function, bool(mods & Qt::AltModifier)))
            << name;
    }
}

// On X11 and Wayland a key is known by its place (evdev code + 8), whatever the layout types on
// it: the German layout's Z sits where the table's Y (16) is, and its ^ and < keys are the ISO
// keys 10 and 50.
TEST(KeyCodeTest, ScanCodesNameTheKeysPlace) {
    const std::tuple<quint32, int, Int> cases[] = {
        {38, Qt::Key_A, 0},     {29, Qt::Key_Z, 16},
        {52, Qt::Key_Y, 6},     {49, Qt::Key_Dead_Circumflex, 10},
        {94, Qt::Key_Less, 50}, {104, Qt::Key_Enter, 76},
        {67, Qt::Key_F1, 122},  {77, Qt::Key_NumLock, qt::UnlistedKeyCode}};
    for (const auto& [scanCode, qtKey, code] : cases)
        EXPECT_EQ(qt::keycode(qtKey, Qt::NoModifier, scanCode, qt::KeySource::ScanCode), code)
            << "scan code " << scanCode;
    // An event without a scan code (a synthetic one) is known by its Qt key.
    EXPECT_EQ(qt::keycode(Qt::Key_Y, Qt::NoModifier, 0, qt::KeySource::ScanCode), 16);
}

// The function and special keys carry the characters the key handler knows; characters above
// 255 other than those queue nothing, and control-keypad-8 redirects the output instead.
TEST_F(InputTest, SpecialKeysCarryTheirCharactersAndOthersQueueNothing) {
    // clang-format off
    const std::tuple<int, Mods, const char*> presses[] = {
        {Qt::Key_F1, {}, ""}, {Qt::Key_Backspace, {}, "\b"}, {Qt::Key_Left, {}, ""}, {Qt::Key_unknown, {}, "😀"},
        {Qt::Key_unknown, {}, "€"}, {Qt::Key_8, Qt::KeypadModifier | Qt::ControlModifier, "8"}};
    // clang-format on
    for (const auto& [qtKey, mods, text] : presses)
        press(qtKey, mods, QString::fromUtf8(text));
    std::vector<std::string> typed;
    for (const t_Event& e : keys())
        typed.push_back(e.Description);
    EXPECT_EQ(typed, (std::vector<std::string>{"\uF704", "\x7f", "\uF702"}));
    EXPECT_EQ(rt().WindowTable[0].TextRedirectOutput, 2);
}

TEST_F(InputTest, ModifierKeysAndReleasesUpdateTheLiveFlags) {
    const LiveInput& live = app().Live;
    press(Qt::Key_Shift, Qt::NoModifier, "");
    EXPECT_TRUE(live.Shift);
    press(Qt::Key_Alt, Qt::ShiftModifier, "");
    press(Qt::Key_Shift, Qt::ShiftModifier | Qt::AltModifier, "", QEvent::KeyRelease);
    EXPECT_EQ(std::pair(live.Shift.load(), live.Option.load()), std::pair(false, true));
    EXPECT_TRUE(keys().empty()); // modifier keys type nothing

    press(Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_TRUE(live.KeyDown);
    press(Qt::Key_X, Qt::NoModifier, "x", QEvent::KeyRelease);
    EXPECT_FALSE(live.KeyDown);
}

// The view is the drawing area: its top left pixel is (0, 0) of the picture (the left clicks at
// its corners are xvfb_desktop_test.sh's).
TEST_F(InputTest, ClicksBecomeMouseEventsInPictureCoordinates) {
    click(QEvent::MouseButtonPress, {10, 20}, Qt::RightButton, Qt::RightButton);
    const std::vector<t_Event> queued = app().MouseEventQueue.contents();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(std::tuple(queued[0].ClickX, queued[0].ClickY, queued[0].Index,
                         app().Live.RightMouseDown.load()),
              std::tuple(10, 20, 2, true));
    click(QEvent::MouseButtonRelease, {10, 20}, Qt::RightButton, Qt::NoButton);
    EXPECT_FALSE(app().Live.RightMouseDown);
}

TEST_F(InputTest, CloseBoxHidesTheWindowWhichCanBeShownAgain) {
    qt::LayerWindow* console = layer->windowwidget(SystemConsoleWindowNumber);
    layer->setText(SystemConsoleWindowNumber, "Zeile 1\rZeile 2");
    console->show();
    EXPECT_FALSE(console->close());     // the close is refused ...
    EXPECT_FALSE(console->isVisible()); // ... and the window hidden
    EXPECT_TRUE(log.contains("t_MouseEventPostCloseBoxClick: Window = 10"));
    console->show();
    EXPECT_EQ(layer->text(SystemConsoleWindowNumber), "Zeile 1\nZeile 2");

    qt::LayerWindow* graphic = layer->windowwidget(0);
    EXPECT_FALSE(graphic->close());
    EXPECT_FALSE(graphic->isVisible());
    EXPECT_FALSE(rt().WindowTable[0].Visible); // its picture is no longer made
}

TEST_F(InputTest, FilesDroppedOnAGraphicWindowBecomeFileEvents) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a bericht.mirdx"), QUrl("https://example.org/x"),
                  QUrl::fromLocalFile("/tmp/b.bin")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(layer->windowwidget(0), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(layer->windowwidget(0), &drop);
    const std::vector<t_Event> files = app().FileEventQueue.contents();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(std::tuple(files[0].Kind, files[0].Description, files[1].Description),
              std::tuple(4, "/tmp/a bericht.mirdx", "/tmp/b.bin"));
}

} // namespace
} // namespace mdx::test
