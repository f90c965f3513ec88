// Menu choices: the standard actions the runtime carries out itself, the menu event queue, the
// menu lookups.
#pragma once

#include <cstdint>
#include <string>

#include "app/event_state.h"
#include "base/types.h"

namespace mdx {

// A chosen menu item as the window layer describes it.
struct MenuItemInfo {
    bool HasMenu = false; // false for a sender that belongs to no menu
    std::string MenuTitle;
    std::string ItemTitle;
    std::string KeyChar; // the key equivalent's text, "" if none
    std::uint64_t KeyMods = 0;
    Int Tag = 0;
};

// Records the choice, carries out a standard action at once and queues the event (main thread).
// The program's menu hook runs when the item's tag selects no standard action.
void t_MenuEventHandler(const MenuItemInfo& item);

// Position 65535 stands for a menu's last item.
inline constexpr Int LastMenuItem = 65535;

// The position of the first item with that title, -1 when there is none, -2 (logged) when
// there is no such menu.
Int t_MenuItemIndex(const std::string& menuTitle, const std::string& itemTitle);
void t_MenuItemDelete(const std::string& menuTitle, Int position);
// "" (logged) for a missing menu or a position out of range.
std::string t_MenuItemTitle(const std::string& menuTitle, Int position);

// Runs inside t_InitMemory (installapplicationsteps installs it): the table of standard actions,
// the removal of the items the desktop adds to the edit and window menus, and the pasteboard
// window's text view.
void preparemenus();

} // namespace mdx
