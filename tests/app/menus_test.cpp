// Menu choices: the queued records, the standard actions, the menu lookups and the clean-up of
// the menu bar at the runtime's start.
#include "support/testing.h"

#include "app_fixture.h"
#include "runtime/readback.h"
#include "text/output.h"
#include "text/text_windows.h"

namespace mdx::test {
namespace {

using Lines = std::vector<std::string>;

class MenusTest : public AppTest {
  protected:
    static void choose(Int tag) {
        t_MenuEventHandler(MenuItemInfo{true, "Fenster", "Punkt", "", 0, tag});
    }
};

TEST_F(MenusTest, EveryChoiceIsQueuedAndOnlyUnknownTagsRunTheHook) {
    std::atomic<int> hooks{0};
    upcalls().ProgramMenuHandler.set([&hooks] { ++hooks; });
    t_MenuEventHandler(MenuItemInfo{true, "Fenster", "Hauptfenster", "m", ModifierCommand, 205});
    t_MenuEventHandler(MenuItemInfo{true, "Ablage", "Neu", "", 0, 0});
    t_MenuEventHandler(MenuItemInfo{true, "Ablage", "Drucken", "p", 0, 999});
    t_MenuEventHandler(MenuItemInfo{false, "", "Knopf", "k", 1, 42});

    const std::vector<t_MenuEvent> events = app().MenuEventQueue.contents();
    ASSERT_EQ(events.size(), 4u);
    // Titles, key characters, tags and the standard actions are checked through the desktop's
    // menus in tests/platform/menu_test.cpp; a sender outside any menu leaves everything empty
    // but its tag.
    const t_MenuEvent &e = events[0], &outside = events[3];
    EXPECT_EQ(std::tie(e.Kind, e.ItemKeyAsc, events[1].ItemKeyAsc),
              std::make_tuple(EventKind::Menu, Int{'m'}, Int{0}));
    EXPECT_TRUE(e.Time > 0 && outside.Kind == EventKind::None && outside.ItemTitle.empty() &&
                outside.Time == 0);
    ASSERT_TRUE(eventually([&] { return hooks == 3; })); // none for the standard action
}

// The copied picture is compared in tests/platform/menu_test.cpp; here which window's text is
// copied, and the beep where there is nothing to copy.
TEST_F(MenusTest, CopyPutsTheFrontWindowsTextOnThePasteboardOrBeeps) {
    t_Print(0, "Hallo\rWelt");
    layer.setText(SystemConsoleWindowNumber, "Konsole\rZeile");
    // The front window, the action, and what the pasteboard holds then.
    // clang-format off
    const std::tuple<UInt8, Int, std::string> cases[] = {{0, 111, t_GetScreen(0, "\r")},
        {10, 111, "Konsole\rZeile"}, {10, 110, "vorher"}, {8, 111, "vorher"}, {1, 110, "vorher"},
        {1, 111, "vorher"}, {NoWindow, 111, "vorher"}};
    // clang-format on
    for (const auto& [front, tag, text] : cases) {
        layer.setPasteboardText("vorher");
        layer.setFrontWindow(front);
        layer.clearCalls();
        choose(tag);
        EXPECT_EQ(std::pair(layer.pasteboardText(), layer.count("beep")),
                  std::pair(text, text == "vorher" ? 1 : 0))
            << int{front} << "/" << tag;
    }
    EXPECT_EQ(t_GetScreen(0, "\r").rfind("Hallo\rWelt", 0), 0u);
}

TEST_F(MenusTest, ClearingEmptiesThePrinterWithItsPendingTextAndTheConsole) {
    layer.setText(VirtualPrinterWindowNumber, "Drucker");
    layer.setText(SystemConsoleWindowNumber, "Konsole");
    p_AppendPrinter("noch nicht gezeigt");
    choose(112);
    EXPECT_EQ(layer.text(VirtualPrinterWindowNumber) + rt().PrinterBuffer, "");
    EXPECT_EQ(layer.text(SystemConsoleWindowNumber), "Konsole");
    choose(114);
    EXPECT_EQ(layer.text(SystemConsoleWindowNumber), "");
    // Without the windows both beep.
    layer.removeTextView(VirtualPrinterWindowNumber);
    layer.removeTextView(SystemConsoleWindowNumber);
    layer.clearCalls();
    choose(112);
    choose(114);
    EXPECT_EQ(layer.calls(), (Lines{"beep", "beep"}));
    EXPECT_EQ(log.lines(),
              (Lines{"t_MenuEventHandler: Virtual printer window is nil, resource undefined.",
                     "t_MenuEventHandler: System console window is nil, resource undefined."}));
}

TEST_F(MenusTest, LookupsFindItemsByTitleAndPosition) {
    layer.setMenus({{"Ablage", {"Neu", "Öffnen…", "Neu", ""}}, {"Leer", {}}});
    EXPECT_EQ(t_MenuItemIndex("Ablage", "Öffnen…"), 1);
    EXPECT_EQ(t_MenuItemIndex("Ablage", "Fehlt"), -1);
    EXPECT_EQ(t_MenuItemIndex("Datei", "Neu"), -2);
    EXPECT_EQ(t_MenuItemTitle("Ablage", 1), "Öffnen…");
    for (const auto& [menu, position] :
         {std::pair<const char*, Int>{"Ablage", LastMenuItem}, {"Ablage", 4}, {"Datei", 0}})
        EXPECT_EQ(t_MenuItemTitle(menu, position), "") << menu << position;
    // clang-format off
    const std::pair<const char*, Int> deletions[] = {{"Ablage", LastMenuItem}, {"Ablage", 0},
        {"Ablage", 2}, {"Leer", LastMenuItem}, {"Datei", 0}};
    // clang-format on
    for (const auto& [menu, position] : deletions)
        t_MenuItemDelete(menu, position);
    EXPECT_EQ(layer.menus()[0].Items, (Lines{"Öffnen…", "Neu"}));
    EXPECT_EQ(
        log.lines(),
        (Lines{"t_MenuItemIndex: Menu not found.", "t_MenuItemTitle: Item position out of range",
               "t_MenuItemTitle: Menu not found.", "t_MenuItemDelete: Item position out of range",
               "t_MenuItemDelete: Item position out of range",
               "t_MenuItemDelete: Menu not found."}));
}

// The start takes the desktop's own items out of the German menus and sets up the pasteboard.
using MenuBarTest = RuntimeTest; // before any window is made
TEST_F(MenuBarTest, AGermanMenuBarLosesTheDesktopsItems) {
    layer.setMenus({{"Bearbeiten", {"Kopieren", "", "Start Dictation…", "Emoji & Symbols"}},
                    {"Fenster", {"Im Dock ablegen", "Tile Window to Left of Screen"}}});
    t_InitMemory();
    EXPECT_EQ((std::pair(layer.menus()[0].Items, layer.menus()[1].Items)),
              (std::pair(Lines{"Kopieren"}, Lines{"Im Dock ablegen"})));
    EXPECT_EQ(layer.count("setUpTextView 8"), 1);
}

} // namespace
} // namespace mdx::test
