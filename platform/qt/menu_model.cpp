#include "platform/qt/menu_model.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/events.h"

namespace mdx::qt {
namespace {

using Role = MenuEntry::Role;

// A label marks its mnemonic with "&" ("&Neu": Alt+N in the bar, N in the open menu); the title,
// which lookups and menu events use, is the label without it.
QString titleof(const QString& label) {
    return QString(label).remove(u'&');
}

MenuEntry entry(Role role, const char* label, Int tag, std::string key, std::uint64_t mods) {
    const QString text = QString::fromUtf8(label);
    return MenuEntry{role, titleof(text), std::move(key), mods, tag, text, {}};
}

MenuEntry choice(const char* label, Int tag = 0, std::string key = "", std::uint64_t mods = 0) {
    return entry(Role::Choice, label, tag, std::move(key), mods);
}

MenuEntry separator() {
    return MenuEntry{Role::Separator, QString(), "", 0, 0, QString(), {}};
}

Menu makemenu(const char* label, std::vector<MenuEntry> entries) {
    const QString text = QString::fromUtf8(label);
    return Menu{titleof(text), std::move(entries), text};
}

constexpr std::uint64_t Ctrl = ModifierControl;

Menu applicationmenu() {
    return makemenu("&Miradex", {entry(Role::About, "&Über Miradex", 0, "", 0), separator(),
                                 choice("&Einstellungen…", 207, ",", Ctrl), separator(),
                                 entry(Role::Quit, "Miradex &beenden", 0, "q", Ctrl)});
}

// Ctrl+S saves, as everywhere on this desktop; Ctrl+Shift+S, the key it had first, still does.
Menu filemenu() {
    Menu file = makemenu("&Ablage", {choice("&Neu", 0, "n", Ctrl), choice("Ö&ffnen…", 0, "o", Ctrl),
                                     separator(), choice("&Revarud Erur importieren…"), separator(),
                                     choice("&Sichern unter…", 0, "s", Ctrl)});
    file.Entries.back().Also = QKeySequence("Ctrl+Shift+S");
    return file;
}

Menu editmenu() {
    return makemenu("&Bearbeiten",
                    {choice("&Bild kopieren", 110), choice("&Text kopieren", 111, "c", Ctrl),
                     separator(), choice("&Drucker löschen", 112), choice("&Konsole löschen", 114),
                     separator(), choice("Bearbeiten-&Aktion", 113)});
}

// Each window can be shown and hidden; the graphic windows by tags 213 + 2k and 214 + 2k. The
// digit shows graphic window k; hiding it is reached with the arrow keys.
Menu windowmenu() {
    Menu window =
        makemenu("&Fenster",
                 {choice("&Alle Fenster ausblenden", 200),
                  choice("&Vorderstes Fenster ausblenden", 201, "w", Ctrl), separator(),
                  choice("&Hauptfenster zeigen", 205), choice("Hauptfenster a&usblenden", 206),
                  choice("&Einstellungen zeigen", 207), choice("E&instellungen ausblenden", 208),
                  choice("&Drucker zeigen", 209), choice("D&rucker ausblenden", 210),
                  choice("&Zwischenablage zeigen", 211), choice("Z&wischenablage ausblenden", 212),
                  choice("&Konsole zeigen", 229), choice("K&onsole ausblenden", 230), separator()});
    for (Int k = 0; k < 8; ++k) {
        const std::string shown = "Grafikfenster &" + std::to_string(k) + " zeigen";
        const std::string hidden = "Grafikfenster " + std::to_string(k) + " ausblenden";
        window.Entries.push_back(choice(shown.c_str(), 213 + 2 * k));
        window.Entries.push_back(choice(hidden.c_str(), 214 + 2 * k));
    }
    return window;
}

bool inrange(const Menu& menu, Int position) {
    return position >= 0 && position < static_cast<Int>(menu.Entries.size());
}

QMenu* menuinbar(QMenuBar* bar, const QString& title) {
    for (QAction* action : bar->actions())
        if (action->menu() && titleof(action->text()) == title) return action->menu();
    return nullptr;
}

// F10 opens the bar's first menu, as on the other programs of this desktop; the arrow keys go on
// from there. Qt's menu bar knows Alt and Alt+letter only.
void openbarwithf10(QMenuBar* bar, QWidget* window) {
    auto* opener = new QAction(window);
    opener->setShortcut(QKeySequence(Qt::Key_F10));
    opener->setShortcutContext(Qt::WindowShortcut);
    window->addAction(opener);
    QObject::connect(opener, &QAction::triggered, bar, [bar] {
        if (!bar->isVisible() || bar->actions().isEmpty()) return;
        bar->setFocus(Qt::MenuBarFocusReason);
        bar->setActiveAction(bar->actions().first());
    });
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
    openbarwithf10(bar, window);
    for (const Menu& menu : menus_) {
        QMenu* qmenu = bar->addMenu(menu.Label);
        for (const MenuEntry& entry : menu.Entries) {
            if (entry.Kind == Role::Separator) {
                qmenu->addSeparator();
                continue;
            }
            QAction* action = qmenu->addAction(entry.Label);
            QList<QKeySequence> keys;
            for (const QKeySequence& key : {shortcutof(entry), entry.Also})
                if (!key.isEmpty()) keys << key;
            action->setShortcuts(keys);
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
