// Native Win32 menus built from MenuDescriptors: the menu bar of each
// application window and the context menus shown at a point. A native menu
// item's command id is its index in an item list (the window's list for the
// menu bar; a list of its own, starting with an empty placeholder so that 0
// means "nothing chosen", for a context menu). Menus are refreshed each time
// they open: captions take the command's value for "%s", "true" and "false"
// values set check marks, disabled commands are greyed, bound keys follow a
// tab, items that have nothing to show are taken out until the menu closes,
// and dynamic submenus are filled from the named menus of the window manager.
//
// The state lives with its owners: NativeMenuManagerState in the window
// manager, NativeMenuWindowState in each application window. The functions
// take it explicitly, with the native window, its handler and runners, so
// that any window procedure can call them. Handles cross this header as
// void* (HMENU, HWND). Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/ustring.h"
#include "ui/menu_descriptor.h"

class CommandRunner;
class WindowHandler;

using NativeMenuHandle = void*;   // HMENU
using NativeWindowHandle = void*; // HWND

// The items of one native menu (with its submenus), indexed by command id.
using MenuItemList = std::vector<slate::SP<MenuItem>>;
// Per popup: the (position, command id) pairs taken out while it is open, in
// the order they were taken out.
using HiddenMenuItems = std::map<NativeMenuHandle, std::vector<std::pair<int, int>>>;

// What the window manager keeps for every window's menus.
struct NativeMenuManagerState {
    // The named menus that dynamic submenus show.
    std::map<ustring, slate::SP<MenuDescriptor>> m_menus;
    // Each native popup made for a dynamic submenu, with the name of the menu
    // that fills it. Popups are taken out of it when this module destroys
    // them, so a handle value the system reuses is never mistaken for one.
    std::map<NativeMenuHandle, ustring> m_dynamicPopups;

    // Stores or replaces the named menu; a null menu removes the name.
    void setMenu(const ustring& name, const slate::SP<MenuDescriptor>& menu);
    // The named menu; null when there is none.
    slate::SP<MenuDescriptor> menu(const ustring& name) const;
};

// What each application window keeps for its menu bar.
struct NativeMenuWindowState {
    MenuItemList m_menuItems;
    // The first index of m_menuItems that belongs to dynamic content; -1 when
    // none was appended since the last refill.
    int m_dynamicItemsStart = -1;
    // The dynamic popups filled since the last refill.
    std::vector<NativeMenuHandle> m_filledDynamicPopups;
    HiddenMenuItems m_hiddenItems;
};

// Appends the entries of `menu` to the native menu: items and separators get
// the current length of `items` as their id and are appended to it;
// submenus become new popups built the same way into the same list, and a
// dynamic submenu's popup is entered in `dynamicPopups` under its key.
void buildNativeMenu(NativeMenuHandle nativeMenu, const MenuDescriptor& menu, MenuItemList& items,
                     std::map<NativeMenuHandle, ustring>& dynamicPopups);

// A new menu bar built from `menu` into `items` (which the caller empties
// first). For WindowManager::createWindow, before the window exists; null
// when the system could not create it.
NativeMenuHandle createNativeMenuBar(NativeMenuManagerState& manager, const MenuDescriptor& menu,
                                     MenuItemList& items);

// Destroys a menu bar that no window took (null is ignored), forgetting its
// dynamic popups.
void destroyNativeMenuBar(NativeMenuManagerState& manager, NativeMenuHandle bar);

// Refreshes a popup before it shows. A dynamic popup is emptied first,
// appended to `filledPopups` and built again from the manager's menu of its
// key (left empty when there is none). Then each position: a separator at
// the top or after another, and an item with a command but no value whose
// caption is "-" or holds "%s", are removed (recorded in `hiddenItems` unless
// `removeHidden` is set or it is null); a shown item gets its caption with
// the first "%s" replaced by the value, the handler's key text after a tab
// (with `showState`), greyed when the runner reports it disabled (with
// `showState`), and checked or unchecked by a "true" or "false" value. The
// text is cut to fit the system's 1024-unit buffer. `runner` and `handler`
// may be null. With `recurse`, submenus are refreshed too.
void updateMenu(NativeMenuManagerState& manager, NativeMenuHandle popup, MenuItemList& items,
                std::vector<NativeMenuHandle>& filledPopups, HiddenMenuItems* hiddenItems,
                WindowHandler* handler, CommandRunner* runner, bool recurse, bool removeHidden,
                bool showState);

// Window::setMenu: builds a new menu bar from `menu` (none when null) for the
// window, sets it and destroys the old one. The window's item list and its
// dynamic and hidden records start afresh, since they belonged to the old bar.
void setWindowMenu(NativeMenuManagerState& manager, NativeMenuWindowState& state, NativeWindowHandle window,
                   const slate::SP<MenuDescriptor>& menu);

// For the window procedure. Handles WM_INITMENUPOPUP (the popup is refreshed
// with the handler's command runner; the window menu is left to the system), WM_UNINITMENUPOPUP (the items hidden
// while it was open come back, to be refreshed at the next opening) and
// WM_COMMAND (the item's command line runs through the handler's command
// runner and the window is invalidated; an unknown id is logged), and
// returns true with the message's result in `result`; any other message
// returns false and is left to the caller. `handler` may be null.
bool handleMenuMessage(NativeMenuManagerState& manager, NativeMenuWindowState& state, NativeWindowHandle window,
                       WindowHandler* handler, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t& result);

// Call from WM_DESTROY while the window still has its menu bar: forgets the
// bar's dynamic popups, which the system destroys with the window.
void releaseWindowMenu(NativeMenuManagerState& manager, NativeMenuWindowState& state, NativeWindowHandle window);

// Window::showPopupMenu: shows `menu` as a context menu at the client point
// (x, y) of the window and waits for the user. The runner (may be null)
// answers the items' values and enabled states; the handler (may be null)
// their key texts.
// True with the chosen item's command line in `command`; false, with
// `command` untouched, when the menu is null or closed without a choice.
bool showPopupMenu(NativeMenuManagerState& manager, NativeWindowHandle window, WindowHandler* handler,
                   ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner, float x,
                   float y, PopupMenuFlags flags);
// The same at the pointer's position, with no flags.
bool showPopupMenuAtCursor(NativeMenuManagerState& manager, NativeWindowHandle window, WindowHandler* handler,
                           ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner);

// The modal step of showPopupMenu: shows the popup at the screen point, owned
// by the window, and returns the chosen command id (0 for none). The default
// calls TrackPopupMenu; tests put their own in to choose without a user.
using TrackPopupMenuFunction = int (*)(NativeMenuHandle popup, int screenX, int screenY, NativeWindowHandle owner);
// Installs `function` (null restores the default); returns the previous one.
TrackPopupMenuFunction setTrackPopupMenuFunction(TrackPopupMenuFunction function);
