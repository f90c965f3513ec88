// Key, mouse and file events: the records they queue, the live flags, and the output pause.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <future>
#include <optional>

#include "app/events.h"
#include "app/menus.h"
#include "app_fixture.h"
#include "runtime/window_management.h"

namespace mdx::test {
namespace {

class EventsTest : public AppTest {
  protected:
    void SetUp() override { initscreen(); }

    // The key event that one key press queues in window 0, nothing when it queues none.
    std::optional<t_Event> press(Int keyCode, const std::string& characters,
                                 std::uint64_t flags = 0) {
        viewKeyDown(0, KeyInput{keyCode, characters, flags});
        return app().KeyEventQueue.take();
    }
    std::vector<t_Event> mouseevents() const { return app().MouseEventQueue.contents(); }
};

struct KeyCase {
    const char* what;
    Int keyCode;
    const char* characters;
    std::uint64_t flags;
    Int value; // -1: nothing queued
    bool cursor = false;
    bool function = false;
};

TEST_F(EventsTest, KeysQueueTheirCharacterCodes) {
    const std::uint64_t option = ModifierOption;
    const KeyCase cases[] = {
        {"option-A on a German layout", 0, "å", option, 176},
        {"plain a", 0, "a", 0, 97},
        {"option-D without ∂ falls back", 2, "ð", option, 0xF0},
        {"shift-tab", 48, "\x19", ModifierShift, 20},
        {"tab", 48, "\t", 0, 9},
        {"Delete whatever it types", 51, "\b", 0, 127},
        {"Keypad Enter", 76, "\x03", 0, 13},
        {"left arrow", 123, "\xEF\x9C\x82", 0, 8, true},
        {"right arrow", 124, "\xEF\x9C\x83", 0, 21, true},
        {"down arrow", 125, "\xEF\x9C\x81", 0, 10, true},
        {"up arrow", 126, "\xEF\x9C\x80", 0, 11, true},
        {"Page Down", 121, "\xEF\x9C\xAD", 0, 3, true},
        {"F1", 122, "\xEF\x9C\x84", 0, 129, false, true},
        {"F2", 120, "\xEF\x9C\x85", 0, 130, false, true},
        {"an emoji", 0, "😀", 0, -1},
        {"a character below the function keys", 0, "\xEF\x9C\x83", 0, -1},
        {"the end of the function-key block", 0, "\xEF\xA3\xBF", 0, 0xF8FF - 0xF683, false, true},
        {"the euro sign on E", 14, "€", option, 164},
        {"the euro sign elsewhere", 15, "€", option, -1},
        {"option-keypad-8", 91, "8", option, 230},
        {"dead grave with shift", 24, "", ModifierShift, 96},
        {"dead acute", 24, "", 0, 180},
        {"option-P pi", 35, "π", option, 240},
        {"option-shift-P product", 35, "∏", option | ModifierShift, 208},
        {"option-N dead tilde", 45, "", option, 126},
        {"N dead without option", 45, "", 0, 0},
        {"option-L form feed", 37, "\f", option, 0},
        {"L form feed without option", 37, "\f", 0, 12},
        {"a byte that is not UTF-8", 0, "\xE9", 0, 0xE9},
    };
    for (const KeyCase& c : cases) {
        std::optional<t_Event> e = press(c.keyCode, c.characters, c.flags);
        if (c.value < 0) {
            EXPECT_FALSE(e) << c.what;
            continue;
        }
        ASSERT_TRUE(e) << c.what;
        EXPECT_EQ(e->Kind, 1) << c.what;
        EXPECT_EQ(e->Value, c.value) << c.what;
        EXPECT_EQ(e->CursorKeyPressed, c.cursor) << c.what;
        EXPECT_EQ(e->FunctionKeyPressed, c.function) << c.what;
        EXPECT_EQ(e->Index, c.keyCode) << c.what;
        EXPECT_EQ(e->Description, c.characters) << c.what;
        EXPECT_EQ(e->OptionPressed, (c.flags & option) != 0) << c.what;
    }
    EXPECT_FALSE(app().KeyEventQueue.pending());
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(EventsTest, KeyRecordsCarryModifiersWindowAndTime) {
    const std::uint64_t flags = ModifierShift | ModifierCommand | ModifierFunction | 0xFFull << 32;
    std::optional<t_Event> e = press(3, "F", flags);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Mods, static_cast<Int>(((flags >> 16) & 0xFFFF)));
    EXPECT_TRUE(e->ShiftPressed && e->CommandPressed && e->FnPressed);
    EXPECT_FALSE(e->ControlPressed || e->OptionPressed || e->FunctionKeyPressed);
    EXPECT_EQ(e->Window, 0);
    EXPECT_GT(e->Time, 0);
    EXPECT_TRUE(app().Live.Shift && app().Live.Command && app().Live.Function);
    EXPECT_TRUE(app().Live.KeyDown);
    viewKeyUp();
    EXPECT_FALSE(app().Live.KeyDown);
}

TEST_F(EventsTest, ControlWithKeypadSevenEightNineRedirectsOutput) {
    const std::pair<Int, Int> shortcuts[] = {{89, 0}, {91, 2}, {92, 1}};
    for (auto [keyCode, target] : shortcuts) {
        rt().WindowTable[0].TextRedirectOutput = 99;
        EXPECT_FALSE(press(keyCode, "8", ModifierControl)) << keyCode;
        EXPECT_EQ(rt().WindowTable[0].TextRedirectOutput, target) << keyCode;
    }
    // With option as well, the keys type their option values instead.
    std::optional<t_Event> e = press(89, "7", ModifierControl | ModifierOption);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Value, 229);
}

TEST_F(EventsTest, EventsOfUnreadyWindowsAreDroppedButTheFlagsFollow) {
    viewKeyDown(3, KeyInput{0, "a", 0});
    viewMouseDown(3, MouseInput{20, 20, 2, 0}, true);
    EXPECT_TRUE(app().Live.KeyDown);
    EXPECT_TRUE(app().Live.RightMouseDown);
    EXPECT_FALSE(app().Live.LeftMouseDown);

    rt().WindowTable[0].IgnoreEvents = true;
    viewKeyDown(0, KeyInput{0, "a", 0});
    viewMouseDown(0, MouseInput{20, 20, 1, 0}, false);
    EXPECT_TRUE(app().Live.LeftMouseDown);
    viewMouseUp();
    EXPECT_FALSE(app().Live.LeftMouseDown || app().Live.RightMouseDown);

    EXPECT_FALSE(app().KeyEventQueue.pending());
    EXPECT_FALSE(app().MouseEventQueue.pending());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "viewKeyDown: Graphic window (3) not initialized.",
                               "viewMouseDown: Graphic window (3) not initialized.",
                           }));
}

TEST_F(EventsTest, ClicksAreMeasuredFromTheDrawingAreaTopLeft) {
    std::atomic<int> hooks{0};
    app().ProgramMouseHandler.set([&hooks] { ++hooks; });
    // Borders of 16 around 1312 x 800: the drawing area spans x 16 .. 1327, y 16 .. 815 from
    // the bottom.
    struct ClickCase {
        double x, y;
        Int clickX, clickY;
    };
    const ClickCase cases[] = {
        {16, 816, 0, 0},       {13, 500, -1, 316},   {1328, 500, -2, 316},
        {1327, 17, 1311, 799}, {100.9, 830, 84, -1}, {100, 15, 84, -2},
    };
    for (const ClickCase& c : cases)
        viewMouseDown(0, MouseInput{c.x, c.y, 1, ModifierFunction}, false);
    const std::vector<t_Event> events = mouseevents();
    ASSERT_EQ(events.size(), std::size(cases));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].Kind, 2);
        EXPECT_EQ(events[i].ClickX, cases[i].clickX) << i;
        EXPECT_EQ(events[i].ClickY, cases[i].clickY) << i;
        EXPECT_EQ(events[i].WindowX, static_cast<Int>(cases[i].x)) << i;
        EXPECT_EQ(events[i].Index, 1);
        EXPECT_TRUE(events[i].FunctionKeyPressed);
        EXPECT_FALSE(events[i].FnPressed);
    }
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2 * std::size(cases));
    EXPECT_EQ(lines[0], "t_MouseEventHandler: Graphic #0 window, X = 0, Y = 0");
    EXPECT_EQ(lines[3], "t_MouseEventHandler: Calling program mouse handler asynchronously.");
    EXPECT_EQ(lines[4], "t_MouseEventHandler: Graphic #0 window, X = -2, Y = 316");
    EXPECT_TRUE(eventually([&] { return hooks == static_cast<int>(std::size(cases)); }));
}

TEST_F(EventsTest, FileEventsCarryThePathAndItsKind) {
    TempDir dir;
    std::ofstream(dir.file("a.mirdx")) << "x";
    std::atomic<int> hooks{0};
    app().ProgramFileHandler.set([&hooks] { ++hooks; });
    const std::pair<std::string, Int> paths[] = {
        {dir.file("a.mirdx"), 1}, {dir.path(), 2}, {dir.file("missing"), 0}, {"", -1}};
    for (const auto& [path, kind] : paths)
        t_PostFileEvent(path, 7);
    for (const auto& [path, kind] : paths) {
        std::optional<t_Event> e = app().FileEventQueue.take();
        ASSERT_TRUE(e);
        EXPECT_EQ(e->Kind, 4);
        EXPECT_EQ(e->Index, 7);
        EXPECT_EQ(e->Description, path);
        EXPECT_EQ(e->Value, kind) << path;
    }
    EXPECT_FALSE(app().FileEventQueue.pending());
    EXPECT_TRUE(eventually([&] { return hooks == 4; }));
}

TEST_F(EventsTest, ReadKeyTakesKeysInOrder) {
    EXPECT_EQ(t_ReadKey(), -1);
    for (const char* c : {"x", "y"})
        viewKeyDown(0, KeyInput{7, c, 0});
    EXPECT_TRUE(app().KeyEventQueue.pending());
    EXPECT_EQ(t_ReadKey(), 'x');
    EXPECT_EQ(app().KeyEventQueue.current().Description, "x");
    EXPECT_EQ(t_ReadKey(), 'y');
    EXPECT_FALSE(app().KeyEventQueue.pending());
    EXPECT_EQ(t_ReadKey(), -1);
}

// ---- Output pause ---------------------------------------------------------------------------

class KeyPauseTest : public EventsTest {
  protected:
    void typecontrols() { viewKeyDown(0, KeyInput{1, "\x13", ModifierControl}); }
    // t_KeyPause as the printing thread calls it, off the main thread; returns once the pause
    // has begun, which it shows by emptying the key queue.
    std::future<bool> pauseelsewhere() {
        std::future<bool> paused =
            std::async(std::launch::async, [] { return t_KeyPause(19, true); });
        EXPECT_TRUE(eventually([] { return !app().KeyEventQueue.pending(); }));
        return paused;
    }
};

TEST_F(KeyPauseTest, NoPauseUnlessControlSWasTypedLast) {
    EXPECT_FALSE(t_KeyPause(19, true));
    viewKeyDown(0, KeyInput{1, "\x13", ModifierControl});
    viewKeyDown(0, KeyInput{0, "a", 0});
    EXPECT_FALSE(std::async(std::launch::async, [] { return t_KeyPause(19, true); }).get());
    EXPECT_EQ(app().KeyEventQueue.contents().size(), 2u); // the queue is left alone
}

TEST_F(KeyPauseTest, ControlSHoldsUntilAKeyWhichIsSwallowed) {
    viewKeyDown(0, KeyInput{0, "a", 0});
    typecontrols();
    std::future<bool> paused = pauseelsewhere(); // the earlier key is gone as well
    EXPECT_EQ(paused.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);

    viewKeyDown(0, KeyInput{0, "q", 0});
    ASSERT_EQ(paused.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(paused.get());
    EXPECT_FALSE(app().KeyEventQueue.pending());
    EXPECT_EQ(t_ReadKey(), -1);
}

TEST_F(KeyPauseTest, AMenuChoiceResumesAsWell) {
    typecontrols();
    std::future<bool> paused = pauseelsewhere();
    t_MenuEventHandler(MenuItemInfo{true, "Ablage", "Neu", "n", 0, 0});
    ASSERT_EQ(paused.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(paused.get());
    EXPECT_TRUE(app().MenuEventQueue.pending()); // the menu choice itself stays queued
}

// The keys that would end a wait arrive on the main thread, so there it never waits.
TEST_F(KeyPauseTest, OnTheMainThreadItEmptiesTheQueueWithoutWaiting) {
    typecontrols();
    EXPECT_TRUE(t_KeyPause(19, true));
    EXPECT_FALSE(app().KeyEventQueue.pending());
}

} // namespace
} // namespace mdx::test
