// The application's menu bar: one description from which the menu bar of every window is built,
// so that lookups and deletions by menu title see the same items everywhere.
#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/menus.h"

class QMenuBar;
class QWidget;

namespace mdx::qt {

struct MenuEntry {
    enum class Role { Choice, Separator, About, Quit };
    Role Kind = Role::Choice;
    QString Title;             // "" for a separator
    std::string KeyChar;       // the key equivalent's character, "" if none
    std::uint64_t KeyMods = 0; // its modifiers, in the bits of the modifier-flag word
    Int Tag = 0;
    QString Label;     // the title as shown, "&" before its mnemonic
    QKeySequence Also; // a second shortcut, none if empty
};

struct Menu {
    QString Title;
    std::vector<MenuEntry> Entries;
    QString Label; // the title as shown, "&" before its mnemonic
};

// Miradex, Ablage, Bearbeiten and Fenster with their items, tags and key equivalents.
std::vector<Menu> standardmenus();

// The key sequence of a key equivalent, with Ctrl as this desktop's shortcut modifier.
QKeySequence shortcutof(const MenuEntry& entry);

class MenuModel {
  public:
    explicit MenuModel(std::vector<Menu> menus = standardmenus());

    // Builds the menus into a window's menu bar; their key equivalents also work in that window
    // while its bar is hidden. Alt+letter opens a menu by its mnemonic, F10 the first menu.
    void attach(QMenuBar* bar, QWidget* window);

    // The number of items of the menu, -1 when there is no menu with that title.
    Int itemcount(const std::string& menu) const;
    // The title of an item, "" for a separator or a position out of range.
    std::string itemtitle(const std::string& menu, Int position) const;
    // Removes an item from the description and from every menu bar.
    void deleteitem(const std::string& menu, Int position);

    // What a choice of the first item with that title reports; nothing when there is none.
    std::optional<MenuItemInfo> choiceof(const std::string& menu, const std::string& item) const;

    // What the items do: a choice goes to the runtime's menu handler unless replaced.
    std::function<void(const MenuItemInfo&)> chosen = t_MenuEventHandler;
    std::function<void()> about;
    std::function<void()> quit;

  private:
    Menu* find(const std::string& title);
    const Menu* find(const std::string& title) const;
    void trigger(const QString& menu, const MenuEntry& entry) const;

    std::vector<Menu> menus_;
    std::vector<QPointer<QMenuBar>> bars_;
};

} // namespace mdx::qt
