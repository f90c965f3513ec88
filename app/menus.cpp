#include "app/menus.h"

#include <array>

#include "app/program.h"
#include "base/clock.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/image.h"
#include "runtime/readback.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"
#include "text/text_windows.h"

namespace mdx {
namespace {

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
    if (frontwindow() >= GraphicWindowCount || !app().EditActionHandler.call()) beep();
}

// Actions 213 .. 228: graphic window (action - 213) / 2, shown on even offsets.
void graphicwindowaction(Int action) {
    const auto window = static_cast<UInt8>((action - 213) / 2);
    if (!windowready(window)) {
        logline("t_MenuEventHandler: Window #" + std::to_string(window) + " not initialized.");
        beep();
        return;
    }
    if ((action - 213) % 2 == 0)
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
    if (action >= 213 && action <= 228) {
        graphicwindowaction(action);
        return;
    }
    switch (action) {
    case 110: copypicture(); break;
    case 111: copytext(); break;
    case 112: clearprinter(); break;
    case 113: editaction(); break;
    case 114: clearconsole(); break;
    case 200: hideallwindows(); break;
    case 201: hidefrontwindow(); break;
    case 205: showwindow(MainWindowNumber); break;
    case 206: hidewindow(MainWindowNumber); break;
    case 207: showwindow(PreferencesWindowNumber); break;
    case 208: hidewindow(PreferencesWindowNumber); break;
    case 209: showwindow(VirtualPrinterWindowNumber); break;
    case 210: hidewindow(VirtualPrinterWindowNumber); break;
    case 211: showwindow(PasteboardWindowNumber); break;
    case 212: hidewindow(PasteboardWindowNumber); break;
    case 229: showwindow(SystemConsoleWindowNumber); break;
    case 230: hidewindow(SystemConsoleWindowNumber); break;
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
    e.Kind = 3;
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
        app(*runtime).ProgramMenuHandler.call();
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
    for (Int n = 200; n <= 231; ++n)
        add(n);
    for (Int n = 110; n <= 114; ++n)
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

// A run without a menu bar (batch runs, the tests' layers) has nothing to clean up; looking
// for each item there would only fill the log with "Menu not found." lines.
bool hasmenubar() {
    for (const char* menu : {"Bearbeiten", "Edit", "Fenster", "Window"})
        if (itemcount(menu) >= 0) return true;
    return false;
}

void cleanupmenus() {
    if (!hasmenubar()) return;
    for (const char* title : {"Special Characters…", "Emoji & Symbols", "Emoji & Symbole",
                              "Start Dictation…", "Diktat starten …"}) {
        deleteiffound("Bearbeiten", title);
        deleteiffound("Edit", title);
    }
    deletetrailingseparator("Bearbeiten");
    deletetrailingseparator("Edit");
    for (const char* title :
         {"Tile Window to Left of Screen", "Tile Window to Right of Screen", "Vollbildmodus"}) {
        deletewindowitem("Fenster", title);
        deletewindowitem("Window", title);
    }
}

// ---- The program's "Ablage" menu -----------------------------------------------------------

// The chosen path of an open panel whose title and message are the same; "" when cancelled.
std::string choosefile(const std::string& title, std::vector<std::string> types) {
    WindowLayer::OpenPanelRequest request;
    request.Title = title;
    request.Message = title;
    request.FileTypes = std::move(types);
    std::vector<std::string> paths;
    onMainThread([&] { paths = windowlayer().openPanel(request); });
    return paths.empty() ? std::string() : paths.front();
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

void programmenudispatch(const t_MenuEvent& event) {
    if (event.MenuTitle != "Ablage") return;
    const ProgramEntries entries = programentries();
    if (event.ItemTitle == "Neu") {
        entries.RunReport();
    } else if (event.ItemTitle == "Öffnen…") {
        if (std::string path = choosefile("Miradex öffnen", {"mirdx"}); !path.empty())
            entries.OpenReport(path);
    } else if (event.ItemTitle == "Revarud Erur importieren…") {
        if (std::string path = choosefile("Revarud Erur öffnen", {}); !path.empty())
            entries.ImportRevarud(path);
    } else if (event.ItemTitle == "Sichern unter…") {
        entries.SaveReport();
    }
}

} // namespace mdx
