// Key, mouse and file events: the records they queue, the live flags, and the output pause.
#include "support/testing.h"

#include <future>

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

// A key's code and characters, its modifiers, the value queued (-1: nothing) and whether it
// counts as a function key.
struct Key {
    Int code;
    const char* characters;
    std::uint64_t flags;
    Int value;
    bool function = false;
};

TEST_F(EventsTest, KeysQueueTheirCharacterCodes) {
    const std::uint64_t option = ModifierOption;
    // The rules one by one are pinned through the desktop's keys in tests/platform/input_test.cpp;
    // here the edges: characters without a code, the ends of the function keys, dead keys, rules
    // that share a key, and a character that is not UTF-8.
    // clang-format off
    const Key cases[] = {{0, "😀", 0, -1}, {0, "\xEF\x9C\x83", 0, -1}, {14, "€", option, 164},
        {0, "\xEF\xA3\xBF", 0, 0xF8FF - 0xF683, true}, {15, "€", option, -1}, {45, "", 0, 0},
        {24, "", ModifierShift, 96}, {35, "∏", option | ModifierShift, 208}, {45, "", option, 126},
        {37, "\f", option, 0}, {37, "\f", 0, 12}, {0, "\xE9", 0, 0xE9}};
    // clang-format on
    for (const Key& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + c.characters);
        std::optional<t_Event> e = press(c.code, c.characters, c.flags);
        ASSERT_EQ(e.has_value(), c.value >= 0);
        if (!e) continue;
        EXPECT_EQ(std::tie(e->Kind, e->Value, e->Index, e->Description),
                  std::make_tuple(1, c.value, c.code, std::string(c.characters)));
        EXPECT_EQ(std::tie(e->CursorKeyPressed, e->FunctionKeyPressed, e->OptionPressed),
                  std::make_tuple(false, c.function, (c.flags & option) != 0));
    }
    EXPECT_FALSE(app().KeyEventQueue.pending());
    EXPECT_TRUE(log.lines().empty());

    const std::uint64_t flags = ModifierShift | ModifierCommand | ModifierFunction | 0xFFull << 32;
    std::optional<t_Event> e = press(3, "F", flags);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Mods, static_cast<Int>(((flags >> 16) & 0xFFFF)));
    EXPECT_EQ(std::tie(e->ShiftPressed, e->CommandPressed, e->FnPressed, e->ControlPressed,
                       e->OptionPressed, e->FunctionKeyPressed),
              std::make_tuple(true, true, true, false, false, false));
    EXPECT_GT(e->Time, 0);
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
            std::make_tuple(2, clickX, clickY, static_cast<Int>(x), true, false))
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
                  std::make_tuple(4, 7, path, kind));
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
