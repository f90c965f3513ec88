#include "app/menus.h"

#include <array>

#include "base/clock.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/checked_window.h"
#include "runtime/image.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"
#include "text/text_windows.h"

namespace mdx {
namespace {

// The standard menu actions, by the tags of the items that choose them.
enum MenuActionNumber : Int {
    CopyPicture = 110,
    CopyText = 111,
    ClearPrinter = 112,
    EditAction = 113,
    ClearConsole = 114,
    HideAllWindows = 200,
    HideFrontWindow = 201,
    ShowMainWindow = 205,
    HideMainWindow = 206,
    ShowPreferences = 207,
    HidePreferences = 208,
    ShowPrinter = 209,
    HidePrinter = 210,
    ShowPasteboard = 211,
    HidePasteboard = 212,
    ShowGraphicWindow0 = 213, // up to 228: show and hide of windows 0 .. 7 in turn
    HideGraphicWindow7 = 228,
    ShowConsole = 229,
    HideConsole = 230,
    LastWindowAction = 231, // 202 .. 204 and 231 do nothing
};

void beep() {
    onMainThread([] { windowlayer().beep(); });
}

UInt8 frontwindow() {
    UInt8 front = NoWindow;
    onMainThread([&] { front = windowlayer().frontWindow(); });
    return front;
}

bool hastextview(UInt8 window) {
    bool present = false;
    onMainThread([&] { present = windowlayer().hasTextView(window); });
    return present;
}

// Showing also marks a graphic window visible, so that its picture is drawn, and fills the
// pasteboard window with the pasteboard's text; then the window becomes the key window.
void showwindow(UInt8 window) {
    t_WindowVisible(window, true);
    t_WindowFront(window);
}

void hidewindow(UInt8 window) {
    t_WindowVisible(window, false);
}

// Logs "t_MenuEventHandler: <name> window is nil, resource undefined." and sounds the warning
// when window 9 or 10 has no text view; true when it has one.
bool textviewready(UInt8 window) {
    if (hastextview(window)) return true;
    logline(std::string("t_MenuEventHandler: ") +
            (window == VirtualPrinterWindowNumber ? "Virtual printer" : "System console") +
            " window is nil, resource undefined.");
    beep();
    return false;
}

void copypicture() {
    const UInt8 front = frontwindow();
    std::optional<WindowPicture> picture;
    if (front < GraphicWindowCount) picture = t_WindowPicture(front);
    if (!picture) {
        beep();
        return;
    }
    onMainThread([&] { windowlayer().setPasteboardImage(picture->Image); });
}

// The screen text of a graphic window, the whole text of the printer or the console; nothing
// to copy leaves the pasteboard as it is.
void copytext() {
    const UInt8 front = frontwindow();
    std::string text;
    if (front < GraphicWindowCount) {
        text = t_GetScreen(front, "\r");
    } else if (front == VirtualPrinterWindowNumber || front == SystemConsoleWindowNumber) {
        if (!textviewready(front)) return;
        onMainThread([&] { text = windowlayer().text(front); });
    }
    if (text.empty()) {
        beep();
        return;
    }
    onMainThread([&] { windowlayer().setPasteboardText(text); });
}

void clearprinter() {
    if (!textviewready(VirtualPrinterWindowNumber)) return;
    Runtime& r = rt();
    {
        std::lock_guard guard(r.PrinterLock);
        r.PrinterBuffer.clear();
    }
    onMainThread([] { t_ClearTextWindow(VirtualPrinterWindowNumber); });
}

void clearconsole() {
    if (textviewready(SystemConsoleWindowNumber))
        onMainThread([] { t_ClearTextWindow(SystemConsoleWindowNumber); });
}

void editaction() {
    if (frontwindow() >= GraphicWindowCount || !upcalls().EditActionHandler.call()) beep();
}

// Actions 213 .. 228: graphic window (action - 213) / 2, shown on even offsets.
void graphicwindowaction(Int action) {
    const auto window = static_cast<UInt8>((action - ShowGraphicWindow0) / 2);
    if (!windowready(window)) {
        logline("t_MenuEventHandler: Window #" + std::to_string(window) + " not initialized.");
        beep();
        return;
    }
    if ((action - ShowGraphicWindow0) % 2 == 0)
        showwindow(window);
    else
        hidewindow(window);
}

void hideallwindows() {
    for (UInt8 n = 0; n <= MainWindowNumber; ++n)
        hidewindow(n);
}

void hidefrontwindow() {
    if (UInt8 front = frontwindow(); front != NoWindow) hidewindow(front);
}

void carryout(Int action) {
    if (action >= ShowGraphicWindow0 && action <= HideGraphicWindow7) {
        graphicwindowaction(action);
        return;
    }
    switch (action) {
    case CopyPicture: copypicture(); break;
    case CopyText: copytext(); break;
    case ClearPrinter: clearprinter(); break;
    case EditAction: editaction(); break;
    case ClearConsole: clearconsole(); break;
    case HideAllWindows: hideallwindows(); break;
    case HideFrontWindow: hidefrontwindow(); break;
    case ShowMainWindow: showwindow(MainWindowNumber); break;
    case HideMainWindow: hidewindow(MainWindowNumber); break;
    case ShowPreferences: showwindow(PreferencesWindowNumber); break;
    case HidePreferences: hidewindow(PreferencesWindowNumber); break;
    case ShowPrinter: showwindow(VirtualPrinterWindowNumber); break;
    case HidePrinter: hidewindow(VirtualPrinterWindowNumber); break;
    case ShowPasteboard: showwindow(PasteboardWindowNumber); break;
    case HidePasteboard: hidewindow(PasteboardWindowNumber); break;
    case ShowConsole: showwindow(SystemConsoleWindowNumber); break;
    case HideConsole: hidewindow(SystemConsoleWindowNumber); break;
    default: break; // 202 .. 204 and 231 do nothing
    }
}

const t_MenuAction* findaction(const std::vector<t_MenuAction>& actions, Int tag) {
    for (const t_MenuAction& a : actions)
        if (a.Tag == tag) return &a;
    return nullptr;
}

t_MenuEvent menuevent(const MenuItemInfo& item) {
    t_MenuEvent e;
    if (!item.HasMenu) return e;
    e.Kind = EventKind::Menu;
    e.MenuTitle = item.MenuTitle;
    e.ItemTitle = item.ItemTitle;
    e.ItemKeyChar = item.KeyChar;
    e.ItemKeyMods = item.KeyMods;
    e.ItemKeyAsc = charcode(item.KeyChar);
    e.Time = absolutetimems();
    return e;
}

void startmenuhook() {
    t_StartAsync([runtime = currentruntime()] {
        if (t_ThreadNumber() >= 3) setthreadname("t_EventMenu");
        upcalls(*runtime).ProgramMenuHandler.call();
    });
}

// The items of a menu; -1 when there is no such menu.
Int itemcount(const std::string& menu) {
    Int count = -1;
    onMainThread([&] { count = windowlayer().menuItemCount(menu); });
    return count;
}

// A position of the menu's items, 65535 meaning the last; -1 when there is none such.
Int itemposition(Int count, Int position) {
    if (position == LastMenuItem) position = count - 1;
    return position >= 0 && position < count ? position : -1;
}

// ---- Start-up clean-up ----------------------------------------------------------------------

void fillmenuactions(ApplicationState& a) {
    a.MenuActions.clear();
    auto add = [&a](Int n) { a.MenuActions.push_back(t_MenuAction{n, n, {}, {}, {}, {}, {}}); };
    for (Int n = HideAllWindows; n <= LastWindowAction; ++n)
        add(n);
    for (Int n = CopyPicture; n <= ClearConsole; ++n)
        add(n);
}

void deleteiffound(const std::string& menu, const std::string& title) {
    if (Int at = t_MenuItemIndex(menu, title); at >= 0) t_MenuItemDelete(menu, at);
}

// A separator left at the end of the menu after the removals.
void deletetrailingseparator(const std::string& menu) {
    if (t_MenuItemTitle(menu, LastMenuItem).empty() && itemcount(menu) > 0)
        t_MenuItemDelete(menu, LastMenuItem);
}

void deletewindowitem(const std::string& menu, const std::string& title) {
    if (Int at = t_MenuItemIndex(menu, title); at >= 0) {
        logline("*** Found " + menu + " Menu Item " + title);
        t_MenuItemDelete(menu, at);
    }
}

// Only the menus this menu bar has are looked into: the names of the other language, and every
// menu of a run without a menu bar (the tests' layers), would only log "Menu not found." lines.
bool hasmenu(const std::string& menu) {
    return itemcount(menu) >= 0;
}

void cleanupmenus() {
    const bool bearbeiten = hasmenu("Bearbeiten"), edit = hasmenu("Edit");
    const bool fenster = hasmenu("Fenster"), window = hasmenu("Window");
    for (const char* title : {"Special Characters…", "Emoji & Symbols", "Emoji & Symbole",
                              "Start Dictation…", "Diktat starten …"}) {
        if (bearbeiten) deleteiffound("Bearbeiten", title);
        if (edit) deleteiffound("Edit", title);
    }
    if (bearbeiten) deletetrailingseparator("Bearbeiten");
    if (edit) deletetrailingseparator("Edit");
    for (const char* title :
         {"Tile Window to Left of Screen", "Tile Window to Right of Screen", "Vollbildmodus"}) {
        if (fenster) deletewindowitem("Fenster", title);
        if (window) deletewindowitem("Window", title);
    }
}

} // namespace

void t_MenuEventHandler(const MenuItemInfo& item) {
    Runtime& r = rt();
    t_MenuEvent e = menuevent(item);
    bool runHook = true;
    if (item.HasMenu && item.Tag != 0) {
        if (const t_MenuAction* action = findaction(app(r).MenuActions, item.Tag)) {
            runHook = false;
            carryout(action->Action);
        }
    }
    e.ItemAction = item.Tag;
    app(r).MenuEventQueue.push(std::move(e));
    r.ProgramWake.signal();
    if (runHook) startmenuhook();
}

Int t_MenuItemIndex(const std::string& menuTitle, const std::string& itemTitle) {
    Int found = -2;
    onMainThread([&] {
        WindowLayer& layer = windowlayer();
        const Int count = layer.menuItemCount(menuTitle);
        if (count < 0) return;
        found = -1;
        for (Int i = 0; i < count && found < 0; ++i)
            if (layer.menuItemTitle(menuTitle, i) == itemTitle) found = i;
    });
    if (found == -2) logline("t_MenuItemIndex: Menu not found.");
    return found;
}

void t_MenuItemDelete(const std::string& menuTitle, Int position) {
    const Int count = itemcount(menuTitle);
    if (count < 0) {
        logline("t_MenuItemDelete: Menu not found.");
        return;
    }
    const Int at = itemposition(count, position);
    if (at < 0) {
        logline("t_MenuItemDelete: Item position out of range");
        return;
    }
    onMainThread([&] { windowlayer().deleteMenuItem(menuTitle, at); });
}

std::string t_MenuItemTitle(const std::string& menuTitle, Int position) {
    const Int count = itemcount(menuTitle);
    if (count < 0) {
        logline("t_MenuItemTitle: Menu not found.");
        return {};
    }
    const Int at = itemposition(count, position);
    if (at < 0) {
        logline("t_MenuItemTitle: Item position out of range");
        return {};
    }
    std::string title;
    onMainThread([&] { title = windowlayer().menuItemTitle(menuTitle, at); });
    return title;
}

void preparemenus() {
    fillmenuactions(app());
    cleanupmenus();
    onMainThread([] {
        WindowLayer& layer = windowlayer();
        if (layer.hasTextView(PasteboardWindowNumber)) layer.setUpTextView(PasteboardWindowNumber);
    });
}

} // namespace mdx
