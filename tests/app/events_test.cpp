// Key, mouse and file events: the records they queue, the live flags, and the output pause.
#include "support/testing.h"

#include <future>

#include "app_fixture.h"
#include "runtime/window_management.h"

namespace mdx::test {
namespace {

class EventsTest : public AppTest {
  protected:
    // The key event that one key press queues in window 0, read as the program reads it;
    // nothing when it queues none.
    static std::optional<t_Event> press(Int keyCode, const std::string& characters,
                                        std::uint64_t flags = 0) {
        viewKeyDown(0, KeyInput{keyCode, characters, flags});
        if (t_ReadKey() == -1) return std::nullopt;
        return app().KeyEventQueue.current();
    }
};

// A key's code and characters, the value queued (-1: nothing), its modifiers (option unless
// given), the cursor flag and the function key flag.
constexpr std::uint64_t Shift = 1u << 17, Ctrl = 1u << 18, Opt = 1u << 19;
// clang-format off
struct Key { Int code; const char* characters; Int value; std::uint64_t flags = Opt;
             bool cursor = false, function = false; };
// clang-format on

// The key table's first and last rows and one row of each condition (a character, a dead key,
// a shifted dead key, option alone, the same key with two characters, the cursor keys), the
// conditions unmet, and the fallback on the typed character; the redirect shortcuts.
TEST_F(EventsTest, KeysQueueTheirTableValuesOrTheirCharacterOrRedirect) {
    // clang-format off
    const Key cases[] = {
        {0, "å", 176}, {10, "", 94, 0}, {24, "", 96, Shift}, {24, "", 180, 0}, {35, "π", 240},
        {35, "∏", 208, Opt | Shift}, {37, "\f", 0}, {43, "∞", 255}, {45, "", 126},
        {48, "\x19", 20, Shift}, {51, "\b", 127, 0}, {71, "\uF739", 27, 0}, {82, "0", 216},
        {92, "9", 188}, {89, "7", 229, Opt | Ctrl}, {115, "\uF729", 2, 0, 1}, {117, "\uF728", 7, 0},
        {126, "\uF700", 11, 0, 1},
        // conditions unmet: the typed character, or nothing above 255
        {0, "a", 97, 0}, {2, "d", 100}, {37, "\f", 12, 0}, {45, "", 0, 0}, {48, "\t", 9, 0},
        {82, "0", 48, 0}, {92, "9", 57, 0}, {15, "€", -1}, {0, "😀", -1, 0}, {0, "\uF703", -1, 0},
        {0, "\xE9", 0xE9, 0}, {0, "ÿ", 255, 0}, {50, "<", 60, 0},
        // function keys from U+F704 to the end of the private-use block (F12: input_test.cpp)
        {0, "\uF704", 129, 0, 0, 1}, {0, "\uF8FF", 0xF8FF - 0xF683, 0, 0, 1}};
    // clang-format on
    for (const Key& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + c.characters);
        std::optional<t_Event> e = press(c.code, c.characters, c.flags);
        ASSERT_EQ(e.has_value(), c.value >= 0);
        if (!e) continue;
        EXPECT_EQ(std::tie(e->Kind, e->Value, e->Index, e->Description),
                  std::make_tuple(EventKind::Key, c.value, c.code, std::string(c.characters)));
        EXPECT_EQ(std::tie(e->CursorKeyPressed, e->FunctionKeyPressed, e->OptionPressed),
                  std::make_tuple(c.cursor, c.function, (c.flags & Opt) != 0));
    }
    EXPECT_TRUE(log.lines().empty());
    // Control with keypad 8, 7, 9 switches the output target (each a new one) and queues nothing.
    for (auto [keyCode, target] : {std::pair<Int, Int>{91, 2}, {89, 0}, {92, 1}}) {
        EXPECT_FALSE(press(keyCode, "8", Ctrl)) << keyCode;
        EXPECT_EQ(rt().WindowTable[0].TextRedirectOutput, target) << keyCode;
    }
}

// Each modifier bit 16..23 sets its own flag and bit of Mods (bits beyond 31 are cut off); the
// function bit is FnPressed in key events (FunctionKeyPressed in mouse events, checked with the
// clicks).
TEST_F(EventsTest, ModifierBitsBecomeTheEventsFlags) {
    for (int bit = 16; bit <= 23; ++bit) {
        const t_Event e = press(7, "x", std::uint64_t{1} << bit | std::uint64_t{1} << 32).value();
        EXPECT_EQ((std::array{e.CapsLockPressed, e.ShiftPressed, e.ControlPressed, e.OptionPressed,
                              e.CommandPressed, e.NumericPadPressed, e.HelpPressed, e.FnPressed,
                              e.FunctionKeyPressed, e.Mods == Int{1} << (bit - 16), e.Time > 0}),
                  (std::array{bit == 16, bit == 17, bit == 18, bit == 19, bit == 20, bit == 21,
                              bit == 22, bit == 23, false, true, true}))
            << bit;
    }
}

TEST_F(EventsTest, EventsOfUnreadyWindowsAreDroppedButTheFlagsFollow) {
    viewKeyDown(3, KeyInput{0, "a", 0});
    viewMouseDown(3, MouseInput{20, 20, 2, 0}, true);
    EXPECT_TRUE(app().Live.KeyDown && app().Live.RightMouseDown);
    rt().WindowTable[0].IgnoreEvents = true;
    viewMouseDown(0, MouseInput{20, 20, 1, 0}, false);
    EXPECT_TRUE(app().Live.LeftMouseDown);
    viewMouseUp();
    EXPECT_FALSE(app().Live.LeftMouseDown || app().Live.RightMouseDown);
    EXPECT_FALSE(app().KeyEventQueue.pending() || app().MouseEventQueue.pending());
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"viewKeyDown: Graphic window (3) not initialized.",
                                        "viewMouseDown: Graphic window (3) not initialized."}));
}

TEST_F(EventsTest, ClicksAreMeasuredFromTheDrawingAreaTopLeft) {
    std::atomic<int> hooks{0};
    upcalls().ProgramMouseHandler.set([&hooks] { ++hooks; });
    // Borders of 16 around 1312 x 800: the drawing area spans x 16 .. 1327, y 16 .. 815 from
    // the bottom.
    const std::tuple<double, double, Int, Int> cases[] = {
        {16, 816, 0, 0},       {13, 500, -1, 316},   {1328, 500, -2, 316},
        {1327, 17, 1311, 799}, {100.9, 830, 84, -1}, {100, 15, 84, -2}};
    for (const auto& [x, y, clickX, clickY] : cases) {
        viewMouseDown(0, MouseInput{x, y, 1, ModifierFunction}, false);
        const t_Event e = app().MouseEventQueue.contents().back();
        EXPECT_EQ(
            std::tie(e.Kind, e.ClickX, e.ClickY, e.WindowX, e.FunctionKeyPressed, e.FnPressed),
            std::make_tuple(EventKind::Mouse, clickX, clickY, static_cast<Int>(x), true, false))
            << x << "," << y;
    }
    EXPECT_TRUE(eventually([&] { return hooks == static_cast<int>(std::size(cases)); }));
}

TEST_F(EventsTest, FileEventsCarryThePathAndItsKindAndKeysAreReadInOrder) {
    TempDir dir;
    std::ofstream(dir.file("a.mirdx")) << "x";
    std::atomic<int> hooks{0};
    upcalls().ProgramFileHandler.set([&hooks] { ++hooks; });
    const std::pair<std::string, Int> paths[] = {
        {dir.file("a.mirdx"), 1}, {dir.path(), 2}, {dir.file("missing"), 0}, {"", -1}};
    for (const auto& [path, kind] : paths)
        t_PostFileEvent(path, 7);
    for (const auto& [path, kind] : paths) {
        const t_Event e = app().FileEventQueue.take().value_or(t_Event{});
        EXPECT_EQ(std::tie(e.Kind, e.Index, e.Description, e.Value),
                  std::make_tuple(EventKind::File, 7, path, kind));
    }
    EXPECT_TRUE(eventually([&] { return hooks == 4; }));
    // Keys are read in the order typed.
    for (const char* c : {"x", "y"})
        viewKeyDown(0, KeyInput{7, c, 0});
    EXPECT_EQ(t_ReadKey(), 'x');
    EXPECT_EQ(t_ReadKey(), 'y');
}

// ---- Output pause ---------------------------------------------------------------------------

class KeyPauseTest : public EventsTest {
  protected:
    // Control-S typed, then t_KeyPause as the printing thread calls it, off the main thread;
    // returns once the pause has begun, which it shows by emptying the key queue.
    static std::future<bool> pauseelsewhere() {
        viewKeyDown(0, KeyInput{1, "\x13", ModifierControl});
        std::future<bool> paused =
            std::async(std::launch::async, [] { return t_KeyPause(19, true); });
        EXPECT_TRUE(eventually([] { return !app().KeyEventQueue.pending(); }));
        return paused;
    }
};

TEST_F(KeyPauseTest, NoPauseUnlessControlSWasTypedLastAndNoWaitOnTheMainThread) {
    EXPECT_FALSE(t_KeyPause(19, true));
    viewKeyDown(0, KeyInput{1, "\x13", ModifierControl});
    viewKeyDown(0, KeyInput{0, "a", 0});
    EXPECT_FALSE(std::async(std::launch::async, [] { return t_KeyPause(19, true); }).get());
    EXPECT_EQ(app().KeyEventQueue.contents().size(), 2u); // the queue is left alone
    // The keys that would end a wait arrive on the main thread, so there it never waits.
    viewKeyDown(0, KeyInput{1, "\x13", ModifierControl});
    EXPECT_TRUE(t_KeyPause(19, true));
    EXPECT_FALSE(app().KeyEventQueue.pending());
}

TEST_F(KeyPauseTest, ControlSHoldsUntilAKeyOrAMenuChoice) {
    viewKeyDown(0, KeyInput{0, "a", 0});
    std::future<bool> paused = pauseelsewhere(); // the earlier key is gone as well
    viewKeyDown(0, KeyInput{0, "q", 0});
    ASSERT_EQ(paused.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(paused.get());
    EXPECT_EQ(t_ReadKey(), -1); // the key that resumed is swallowed

    paused = pauseelsewhere();
    t_MenuEventHandler(MenuItemInfo{true, "Ablage", "Neu", "n", 0, 0});
    ASSERT_EQ(paused.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(paused.get());
    EXPECT_TRUE(app().MenuEventQueue.pending()); // the menu choice itself stays queued
}

} // namespace
} // namespace mdx::test
