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
    static std::optional<t_Event> press(Int keyCode, const std::string& characters,
                                        std::uint64_t flags = 0) {
        viewKeyDown(0, KeyInput{keyCode, characters, flags});
        return app().KeyEventQueue.take();
    }
};

TEST_F(EventsTest, KeysQueueTheirCharacterCodes) {
    const std::uint64_t option = ModifierOption;
    const struct {
        Int keyCode;
        const char* characters;
        std::uint64_t flags;
        Int value; // -1: nothing queued
        bool cursor = false;
        bool function = false;
    } cases[] = {
        {0, "å", option, 176}, // option-A on a German layout
        {2, "ð", option, 0xF0},
        {48, "\x19", ModifierShift, 20},
        {51, "\b", 0, 127}, // Delete, whatever it types
        {76, "\x03", 0, 13},
        {123, "\xEF\x9C\x82", 0, 8, true},
        {126, "\xEF\x9C\x80", 0, 11, true},
        {121, "\xEF\x9C\xAD", 0, 3, true},
        {120, "\xEF\x9C\x85", 0, 130, false, true},
        {0, "😀", 0, -1},
        {0, "\xEF\x9C\x83", 0, -1}, // below the function keys
        {0, "\xEF\xA3\xBF", 0, 0xF8FF - 0xF683, false, true},
        {14, "€", option, 164},
        {15, "€", option, -1},
        {91, "8", option, 230},
        {24, "", ModifierShift, 96},
        {35, "∏", option | ModifierShift, 208},
        {45, "", option, 126},
        {45, "", 0, 0},
        {37, "\f", option, 0},
        {37, "\f", 0, 12},
        {0, "\xE9", 0, 0xE9}, // not UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.keyCode) + " " + c.characters);
        std::optional<t_Event> e = press(c.keyCode, c.characters, c.flags);
        if (c.value < 0) {
            EXPECT_FALSE(e);
            continue;
        }
        ASSERT_TRUE(e);
        EXPECT_EQ(e->Kind, 1);
        EXPECT_EQ(e->Value, c.value);
        EXPECT_EQ(e->CursorKeyPressed, c.cursor);
        EXPECT_EQ(e->FunctionKeyPressed, c.function);
        EXPECT_EQ(e->Index, c.keyCode);
        EXPECT_EQ(e->Description, c.characters);
        EXPECT_EQ(e->OptionPressed, (c.flags & option) != 0);
    }
    EXPECT_FALSE(app().KeyEventQueue.pending());
    EXPECT_TRUE(log.lines().empty());

    const std::uint64_t flags = ModifierShift | ModifierCommand | ModifierFunction | 0xFFull << 32;
    std::optional<t_Event> e = press(3, "F", flags);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Mods, static_cast<Int>(((flags >> 16) & 0xFFFF)));
    EXPECT_TRUE(e->ShiftPressed && e->CommandPressed && e->FnPressed);
    EXPECT_FALSE(e->ControlPressed || e->OptionPressed || e->FunctionKeyPressed);
    EXPECT_GT(e->Time, 0);
    EXPECT_TRUE(app().Live.Shift && app().Live.Command && app().Live.Function &&
                app().Live.KeyDown);
    viewKeyUp();
    EXPECT_FALSE(app().Live.KeyDown);
}

TEST_F(EventsTest, ControlWithKeypadSevenEightNineRedirectsOutput) {
    for (auto [keyCode, target] : {std::pair<Int, Int>{89, 0}, {91, 2}, {92, 1}}) {
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
    EXPECT_TRUE(app().Live.KeyDown && app().Live.RightMouseDown);
    rt().WindowTable[0].IgnoreEvents = true;
    viewMouseDown(0, MouseInput{20, 20, 1, 0}, false);
    EXPECT_TRUE(app().Live.LeftMouseDown);
    viewMouseUp();
    EXPECT_FALSE(app().Live.LeftMouseDown || app().Live.RightMouseDown);
    EXPECT_FALSE(app().KeyEventQueue.pending() || app().MouseEventQueue.pending());
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
    const std::tuple<double, double, Int, Int> cases[] = {
        {16, 816, 0, 0},       {13, 500, -1, 316},   {1328, 500, -2, 316},
        {1327, 17, 1311, 799}, {100.9, 830, 84, -1}, {100, 15, 84, -2},
    };
    for (const auto& [x, y, clickX, clickY] : cases)
        viewMouseDown(0, MouseInput{x, y, 1, ModifierFunction}, false);
    const std::vector<t_Event> events = app().MouseEventQueue.contents();
    ASSERT_EQ(events.size(), std::size(cases));
    for (std::size_t i = 0; i < events.size(); ++i) {
        const auto& [x, y, clickX, clickY] = cases[i];
        EXPECT_EQ(events[i].Kind, 2);
        EXPECT_EQ(events[i].ClickX, clickX) << i;
        EXPECT_EQ(events[i].ClickY, clickY) << i;
        EXPECT_EQ(events[i].WindowX, static_cast<Int>(x)) << i;
        EXPECT_TRUE(events[i].FunctionKeyPressed && !events[i].FnPressed);
    }
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2 * std::size(cases));
    EXPECT_EQ(lines[3], "t_MouseEventHandler: Calling program mouse handler asynchronously.");
    EXPECT_EQ(lines[4], "t_MouseEventHandler: Graphic #0 window, X = -2, Y = 316");
    EXPECT_TRUE(eventually([&] { return hooks == static_cast<int>(std::size(cases)); }));
}

TEST_F(EventsTest, FileEventsCarryThePathAndItsKindAndKeysAreReadInOrder) {
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
    EXPECT_TRUE(eventually([&] { return hooks == 4; }));

    EXPECT_EQ(t_ReadKey(), -1);
    for (const char* c : {"x", "y"})
        viewKeyDown(0, KeyInput{7, c, 0});
    EXPECT_EQ(t_ReadKey(), 'x');
    EXPECT_EQ(app().KeyEventQueue.current().Description, "x");
    EXPECT_EQ(t_ReadKey(), 'y');
    EXPECT_EQ(t_ReadKey(), -1);
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

TEST_F(KeyPauseTest, NoPauseUnlessControlSWasTypedLast) {
    EXPECT_FALSE(t_KeyPause(19, true));
    viewKeyDown(0, KeyInput{1, "\x13", ModifierControl});
    viewKeyDown(0, KeyInput{0, "a", 0});
    EXPECT_FALSE(std::async(std::launch::async, [] { return t_KeyPause(19, true); }).get());
    EXPECT_EQ(app().KeyEventQueue.contents().size(), 2u); // the queue is left alone
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

// The keys that would end a wait arrive on the main thread, so there it never waits.
TEST_F(KeyPauseTest, OnTheMainThreadItEmptiesTheQueueWithoutWaiting) {
    viewKeyDown(0, KeyInput{1, "\x13", ModifierControl});
    EXPECT_TRUE(t_KeyPause(19, true));
    EXPECT_FALSE(app().KeyEventQueue.pending());
}

} // namespace
} // namespace mdx::test
