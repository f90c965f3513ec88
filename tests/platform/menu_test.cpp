// Menu choices from every window's menu bar become menu events with their tags, and the standard
// window actions take effect; deletions by title reach every menu bar.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>

#include <map>

#include "app/events.h"
#include "app/menus.h"
#include "platform/qt/layer_window.h"
#include "qt_fixture.h"
#include "runtime/image.h"
#include "runtime/state.h"

namespace mdx::test {
namespace {

class MenuTest : public QtLayerTest {
  protected:
    static QString plain(QString label) { return label.remove(u'&'); }
    // The menu with that title in the bar of window n.
    QMenu* menu(UInt8 n, const QString& title) const {
        for (QAction* action : layer->windowwidget(n)->menubar()->actions())
            if (action->menu() && plain(action->text()) == title) return action->menu();
        return nullptr;
    }
    QAction* item(UInt8 n, const QString& menuTitle, const QString& itemTitle) const {
        for (QAction* action : menu(n, menuTitle)->actions())
            if (plain(action->text()) == itemTitle) return action;
        return nullptr;
    }
    bool visible(UInt8 n) const { return layer->isVisible(layer->window(n)); }
    std::vector<t_MenuEvent> events() const { return app().MenuEventQueue.contents(); }
};

// (That Ctrl+N, Ctrl+S and Ctrl+Shift+S reach these items is xvfb_keyboard_test.sh's and
// xvfb_desktop_test.sh's.)
TEST_F(MenuTest, FileMenuChoicesAreQueuedWithTheirKeyEquivalents) {
    item(7, "Ablage", "Neu")->trigger();
    item(12, "Ablage", "Sichern unter…")->trigger();
    const std::vector<t_MenuEvent> q = events();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(std::tuple(q[0].MenuTitle, q[0].ItemKeyChar, q[0].ItemKeyMods, q[0].ItemKeyAsc),
              std::tuple("Ablage", "n", ModifierControl, 'n'));
    EXPECT_EQ(std::tuple(q[1].ItemTitle, q[1].ItemKeyMods),
              std::tuple("Sichern unter…", ModifierControl));

    // The main window's buttons choose from the file menu.
    app().MenuEventQueue.clear();
    for (QPushButton* button : layer->windowwidget(MainWindowNumber)->findChildren<QPushButton*>())
        button->click();
    ASSERT_EQ(events().size(), 2u);
    EXPECT_EQ(std::tuple(events()[0].ItemTitle, events()[1].ItemTitle),
              std::tuple("Neu", "Öffnen…"));
}

// Show and hide items act on their window and are queued with their tags; a graphic window
// not yet initialised stays hidden, and the choice beeps (hiding all is xvfb_desktop_test.sh's).
TEST_F(MenuTest, WindowMenuShowsAndHidesTheWindows) {
    initwindow(1, 32, 32, 2);
    layer->windowwidget(1)->hide();
    const std::tuple<const char*, Int, UInt8, bool> choices[] = {
        {"Hauptfenster zeigen", 205, MainWindowNumber, true},
        {"Konsole zeigen", 229, SystemConsoleWindowNumber, true},
        {"Grafikfenster 1 zeigen", 215, 1, true},
        {"Grafikfenster 1 ausblenden", 216, 1, false},
        {"Konsole ausblenden", 230, SystemConsoleWindowNumber, false},
    };
    for (const auto& [title, tag, window, shows] : choices) {
        app().MenuEventQueue.clear();
        item(0, "Fenster", QString::fromUtf8(title))->trigger();
        ASSERT_EQ(events().size(), 1u) << title;
        EXPECT_EQ(std::pair(visible(window), events()[0].ItemAction), std::pair(shows, tag))
            << title;
    }
    item(0, "Fenster", "Grafikfenster 4 zeigen")->trigger();
    EXPECT_FALSE(visible(4));
    EXPECT_TRUE(log.contains("t_MenuEventHandler: Window #4 not initialized."));
}

// Alt and a letter open each menu, a letter chooses in the open menu: every menu and every item
// has a mnemonic of its own there, except the hiding of the graphic windows (reached by arrows).
TEST_F(MenuTest, MenusAndItemsHaveMnemonicsOfTheirOwn) {
    const std::map<QString, int> withoutMnemonic = {{"Fenster", 8}};
    QSet<QKeySequence> menus;
    for (QAction* top : layer->windowwidget(0)->menubar()->actions()) {
        menus.insert(QKeySequence::mnemonic(top->text()));
        QSet<QKeySequence> items;
        int without = 0, choices = 0;
        for (QAction* action : top->menu()->actions()) {
            if (action->isSeparator()) continue;
            ++choices;
            const QKeySequence key = QKeySequence::mnemonic(action->text());
            if (key.isEmpty())
                ++without;
            else
                items.insert(key);
        }
        const QString title = plain(top->text());
        const auto expected = withoutMnemonic.find(title);
        EXPECT_EQ(
            std::pair(without, int(items.size())),
            std::pair(expected == withoutMnemonic.end() ? 0 : expected->second, choices - without))
            << title.toStdString();
    }
    EXPECT_TRUE(!menus.contains(QKeySequence()) && menus.size() == 4);
}

TEST_F(MenuTest, DeletingByTitleReachesEveryMenuBar) {
    const Int count = layer->menuItemCount("Fenster"); // separators count, with an empty title
    ASSERT_EQ(count, menu(9, "Fenster")->actions().size());
    EXPECT_EQ(layer->menuItemTitle("Fenster", 2), "");
    t_MenuItemDelete("Fenster", 0);
    EXPECT_EQ(std::pair(layer->menuItemCount("Fenster"), t_MenuItemTitle("Fenster", 0)),
              std::pair(count - 1, std::string("Vorderstes Fenster ausblenden")));
    for (UInt8 n : {UInt8(0), UInt8(9), MainWindowNumber})
        EXPECT_TRUE(menu(n, "Fenster")->actions().size() == count - 1 &&
                    !item(n, "Fenster", "Alle Fenster ausblenden"));
    t_MenuItemDelete("Fenster", 65535); // the last item
    EXPECT_TRUE(!item(3, "Fenster", "Grafikfenster 7 ausblenden") &&
                layer->menuItemCount("Nirgends") == -1);
}

TEST_F(MenuTest, EditActionsCopyTheFrontWindow) {
    initwindow(0, 32, 32, 2);
    paintpattern(0);
    layer->makeKeyAndOrderFront(layer->window(0));
    item(0, "Bearbeiten", "Bild kopieren")->trigger();
    const std::optional<WindowImage> picture = t_WindowImage(0);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(32, 32));
    EXPECT_EQ(copied.pixel(31, 31) & 0xFFFFFF, picture->Pixels.back() & 0xFFFFFF);

    layer->setText(VirtualPrinterWindowNumber, "Drucker\rText");
    layer->makeKeyAndOrderFront(layer->window(VirtualPrinterWindowNumber));
    item(9, "Bearbeiten", "Text kopieren")->trigger();
    item(9, "Bearbeiten", "Drucker löschen")->trigger();
    EXPECT_EQ(std::pair(layer->pasteboardText(), layer->text(VirtualPrinterWindowNumber)),
              std::pair(std::string("Drucker\nText"), std::string()));
}

} // namespace
} // namespace mdx::test
