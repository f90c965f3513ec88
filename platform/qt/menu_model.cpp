#include "platform/qt/menu_model.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/events.h"

namespace mdx::qt {
namespace {

using Role = MenuEntry::Role;

MenuEntry choice(const char* title, Int tag = 0, std::string key = "", std::uint64_t mods = 0) {
    return MenuEntry{Role::Choice, QString::fromUtf8(title), std::move(key), mods, tag};
}

MenuEntry separator() {
    return MenuEntry{Role::Separator, QString(), "", 0, 0};
}

constexpr std::uint64_t Ctrl = ModifierControl;

Menu applicationmenu() {
    return Menu{"Miradex",
                {MenuEntry{Role::About, QString::fromUtf8("Über Miradex"), "", 0, 0}, separator(),
                 choice("Einstellungen…", 207, ",", Ctrl), separator(),
                 MenuEntry{Role::Quit, "Miradex beenden", "q", Ctrl, 0}}};
}

Menu filemenu() {
    return Menu{"Ablage",
                {choice("Neu", 0, "n", Ctrl), choice("Öffnen…", 0, "o", Ctrl), separator(),
                 choice("Revarud Erur importieren…"), separator(),
                 choice("Sichern unter…", 0, "s", Ctrl | ModifierShift)}};
}

Menu editmenu() {
    return Menu{"Bearbeiten",
                {choice("Bild kopieren", 110), choice("Text kopieren", 111, "c", Ctrl), separator(),
                 choice("Drucker löschen", 112), choice("Konsole löschen", 114), separator(),
                 choice("Bearbeiten-Aktion", 113)}};
}

// Each window can be shown and hidden; the graphic windows by tags 213 + 2k and 214 + 2k.
Menu windowmenu() {
    Menu menu{"Fenster",
              {choice("Alle Fenster ausblenden", 200),
               choice("Vorderstes Fenster ausblenden", 201, "w", Ctrl), separator(),
               choice("Hauptfenster zeigen", 205), choice("Hauptfenster ausblenden", 206),
               choice("Einstellungen zeigen", 207), choice("Einstellungen ausblenden", 208),
               choice("Drucker zeigen", 209), choice("Drucker ausblenden", 210),
               choice("Zwischenablage zeigen", 211), choice("Zwischenablage ausblenden", 212),
               choice("Konsole zeigen", 229), choice("Konsole ausblenden", 230), separator()}};
    for (Int k = 0; k < 8; ++k) {
        const QString name = QString("Grafikfenster %1 ").arg(k);
        menu.Entries.push_back(MenuEntry{Role::Choice, name + "zeigen", "", 0, 213 + 2 * k});
        menu.Entries.push_back(MenuEntry{Role::Choice, name + "ausblenden", "", 0, 214 + 2 * k});
    }
    return menu;
}

bool inrange(const Menu& menu, Int position) {
    return position >= 0 && position < static_cast<Int>(menu.Entries.size());
}

QMenu* menuinbar(QMenuBar* bar, const QString& title) {
    for (QAction* action : bar->actions())
        if (action->menu() && action->text() == title) return action->menu();
    return nullptr;
}

} // namespace

std::vector<Menu> standardmenus() {
    return {applicationmenu(), filemenu(), editmenu(), windowmenu()};
}

QKeySequence shortcutof(const MenuEntry& entry) {
    if (entry.KeyChar.empty()) return QKeySequence();
    QString text;
    if (entry.KeyMods & ModifierControl) text += "Ctrl+";
    if (entry.KeyMods & ModifierShift) text += "Shift+";
    if (entry.KeyMods & ModifierOption) text += "Alt+";
    if (entry.KeyMods & ModifierCommand) text += "Meta+";
    text += QString::fromStdString(entry.KeyChar).toUpper();
    return QKeySequence(text, QKeySequence::PortableText);
}

MenuModel::MenuModel(std::vector<Menu> menus) : menus_(std::move(menus)) {}

void MenuModel::attach(QMenuBar* bar, QWidget* window) {
    bars_.emplace_back(bar);
    for (const Menu& menu : menus_) {
        QMenu* qmenu = bar->addMenu(menu.Title);
        for (const MenuEntry& entry : menu.Entries) {
            if (entry.Kind == Role::Separator) {
                qmenu->addSeparator();
                continue;
            }
            QAction* action = qmenu->addAction(entry.Title);
            action->setShortcut(shortcutof(entry));
            window->addAction(action);
            QObject::connect(action, &QAction::triggered,
                             [this, title = menu.Title, entry] { trigger(title, entry); });
        }
    }
}

Menu* MenuModel::find(const std::string& title) {
    const QString wanted = QString::fromStdString(title);
    for (Menu& menu : menus_)
        if (menu.Title == wanted) return &menu;
    return nullptr;
}

const Menu* MenuModel::find(const std::string& title) const {
    return const_cast<MenuModel*>(this)->find(title);
}

Int MenuModel::itemcount(const std::string& menu) const {
    const Menu* found = find(menu);
    return found ? static_cast<Int>(found->Entries.size()) : -1;
}

std::string MenuModel::itemtitle(const std::string& menu, Int position) const {
    const Menu* found = find(menu);
    if (!found || !inrange(*found, position)) return "";
    return found->Entries[static_cast<std::size_t>(position)].Title.toStdString();
}

void MenuModel::deleteitem(const std::string& menu, Int position) {
    Menu* found = find(menu);
    if (!found || !inrange(*found, position)) return;
    found->Entries.erase(found->Entries.begin() + position);
    for (const QPointer<QMenuBar>& bar : bars_) {
        QMenu* qmenu = bar ? menuinbar(bar, found->Title) : nullptr;
        if (!qmenu || position >= qmenu->actions().size()) continue;
        delete qmenu->actions().at(static_cast<qsizetype>(position));
    }
}

std::optional<MenuItemInfo> MenuModel::choiceof(const std::string& menu,
                                                const std::string& item) const {
    const Menu* found = find(menu);
    if (!found) return std::nullopt;
    for (const MenuEntry& entry : found->Entries)
        if (entry.Kind == Role::Choice && entry.Title.toStdString() == item)
            return MenuItemInfo{true, menu, item, entry.KeyChar, entry.KeyMods, entry.Tag};
    return std::nullopt;
}

void MenuModel::trigger(const QString& menu, const MenuEntry& entry) const {
    switch (entry.Kind) {
    case Role::About:
        if (about) about();
        break;
    case Role::Quit:
        if (quit) quit();
        break;
    case Role::Choice:
        if (chosen)
            chosen(MenuItemInfo{true, menu.toStdString(), entry.Title.toStdString(), entry.KeyChar,
                                entry.KeyMods, entry.Tag});
        break;
    case Role::Separator: break;
    }
}

} // namespace mdx::qt
