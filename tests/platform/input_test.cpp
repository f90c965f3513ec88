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

// On X11 and Wayland a key is known by its place, the evdev number + 8, whatever the layout types
// on it; the key code is that of the original keyboard at that place (ISO: the key left of 1 is
// 10, the one right of the left shift key 50). Rows: the lowest scan code, one key of each group
// (letters, digits, whitespace, keypad with its gap at 90, function keys, cursor keys, Insert
// and Help on one code, modifiers), and num lock, which the keyboard lacks.
TEST(KeyCodeTest, ScanCodesNameTheKeysPlace) {
    // clang-format off
    const std::pair<quint32, Int> cases[] = {
        {1, 53}, {30, 0}, {11, 29}, {41, 10}, {86, 50}, {28, 36}, {82, 82}, {72, 91}, {96, 76},
        {59, 122}, {88, 111}, {103, 126}, {110, 114}, {138, 114}, {42, 56}, {126, 54},
        {69, qt::UnlistedKeyCode}};
    // clang-format on
    for (const auto& [evdev, code] : cases)
        EXPECT_EQ(qt::keycode(Qt::Key_A, {}, evdev + 8, qt::KeySource::ScanCode), code) << evdev;
    // An event without a scan code (a synthetic one) is known by its Qt key.
    EXPECT_EQ(qt::keycode(Qt::Key_Y, Qt::NoModifier, 0, qt::KeySource::ScanCode), 16);
}

// Without scan codes the Qt key names the key, read with the US meaning; keys that type no text
// deliver the private-use characters the key handler knows them by ('a': the text typed).
TEST(KeyCodeTest, QtKeysNameTheKeyWithoutAScanCode) {
    using namespace Qt;
    // clang-format off
    struct Key { int qtKey; Int code; uint c = 'a'; };
    const Key keys[] = {
        {Key_A, 0}, {Key_0, 29}, {Key_Less, 50}, {Key_Tab, 48}, {Key_Backtab, 48, 0x19},
        {Key_Backspace, 51, 0x7F}, {Key_Enter, 76, 0x03}, {Key_Clear, 71, 0xF739},
        {Key_Up, 126, 0xF700}, {Key_Insert, 114, 0xF727}, {Key_Help, 114, 0xF746},
        {Key_F1, 122, 0xF704}, {Key_F12, 111, 0xF70F}, {Key_Search, qt::UnlistedKeyCode}};
    // clang-format on
    for (const auto& [qtKey, code, c] : keys)
        EXPECT_EQ(std::pair(qt::keycode(qtKey, {}, 0, qt::KeySource::QtKey),
                            qt::keycharacters(qtKey, "a").toUcs4()),
                  std::pair(code, QList<uint>{c}))
            << std::hex << qtKey;
}

// Keypad keys (keypad modifier) with num lock on and off; the digit keys type their digit either
// way, without the function bit. The modifier word.
TEST(KeyCodeTest, KeypadKeysAndModifiers) {
    using namespace Qt;
    // clang-format off
    const std::tuple<int, Int, const char*> keypad[] = {
        {Key_0, 82, "0"}, {Key_8, 91, "8"}, {Key_9, 92, "9"}, {Key_Insert, 82, "0"},
        {Key_Up, 91, "8"}, {Key_PageUp, 92, "9"}, {Key_Enter, 76, ""}, {Key_Delete, 65, ""},
        {Key_Equal, 81, ""}, {Key_A, qt::UnlistedKeyCode, ""}};
    // clang-format on
    for (const auto& [qtKey, code, digit] : keypad) {
        const KeyInput in = qt::keyinput(QKeyEvent(QEvent::KeyPress, qtKey, KeypadModifier, ""),
                                         qt::KeySource::QtKey);
        EXPECT_EQ(in.KeyCode, code) << qtKey;
        if (*digit) {
            EXPECT_EQ(std::pair(in.Characters, in.ModifierFlags),
                      std::pair(std::string(digit), std::uint64_t{1} << 21));
        }
    }
    // Each Qt modifier, caps lock and the function flag set their own bit of the word.
    // clang-format off
    const std::tuple<Mods, bool, bool, int> bits[] = {
        {Qt::ShiftModifier, 0, 0, 17}, {Qt::ControlModifier, 0, 0, 18}, {Qt::AltModifier, 0, 0, 19},
        {Qt::MetaModifier, 0, 0, 20}, {Qt::KeypadModifier, 0, 0, 21}, {{}, 1, 0, 16},
        {{}, 0, 1, 23}};
    // clang-format on
    for (const auto& [mods, capsLock, function, bit] : bits)
        EXPECT_EQ(qt::modifierflags(mods, capsLock, function), std::uint64_t{1} << bit) << bit;
}

// Modifier keys only change the live flags; other keys reach the key queue with the code, the
// characters and the modifiers the key table needs (option and keypad 8 with num lock off, F12).
TEST_F(InputTest, KeysReachTheQueueAndModifierKeysOnlyTheLiveFlags) {
    const LiveInput& live = app().Live;
    press(Qt::Key_Shift, Qt::NoModifier, "");
    EXPECT_TRUE(live.Shift);
    press(Qt::Key_Alt, Qt::ShiftModifier, "");
    press(Qt::Key_Shift, Qt::ShiftModifier | Qt::AltModifier, "", QEvent::KeyRelease);
    EXPECT_EQ(std::pair(live.Shift.load(), live.Option.load()), std::pair(false, true));
    EXPECT_TRUE(keys().empty()); // modifier keys type nothing

    press(Qt::Key_Up, Qt::KeypadModifier | Qt::AltModifier, "");
    press(Qt::Key_F12, Qt::NoModifier, "");
    press(Qt::Key_Tab, Qt::NoModifier, "\t"); // typed, not taken to move the focus
    EXPECT_TRUE(live.KeyDown);
    press(Qt::Key_F12, Qt::NoModifier, "", QEvent::KeyRelease);
    EXPECT_FALSE(live.KeyDown);
    const std::vector<t_Event> typed = keys();
    ASSERT_EQ(typed.size(), 3u);
    EXPECT_EQ(std::tuple(typed[0].Value, typed[0].Description, typed[1].Value, typed[1].Description,
                         typed[1].FunctionKeyPressed, typed[2].Value),
              std::tuple(230, "8", 140, "\uF70F", true, 9));
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
              std::tuple(EventKind::File, "/tmp/a bericht.mirdx", "/tmp/b.bin"));
}

} // namespace
} // namespace mdx::test
